// TForm3: the update-check window: a browser, its status bar and a menu bar.
#pragma once

#include "platform/forms.h"
#include "platform/menus.h"
#include "platform/stdctrls.h"
#include "platform/webbrowser.h"

class TForm3 : public TForm
{
    Q_OBJECT
    Q_PROPERTY(TWebBrowser *WebBrowser1 MEMBER WebBrowser1)
    Q_PROPERTY(TStatusBar *StatusBar1 MEMBER StatusBar1)
    Q_PROPERTY(TEdit *Edit1 MEMBER Edit1)
    Q_PROPERTY(TMainMenu *MainMenu1 MEMBER MainMenu1)
    Q_PROPERTY(TMenuItem *N1 MEMBER N1)
    Q_PROPERTY(TMenuItem *N141 MEMBER N141)

public:
    TForm3();
    TWebBrowser *WebBrowser1 = nullptr;
    TStatusBar *StatusBar1 = nullptr;
    TEdit *Edit1 = nullptr;
    TMainMenu *MainMenu1 = nullptr;
    TMenuItem *N1 = nullptr, *N141 = nullptr;
    // The address of the last navigation.
    static QString lastAddress();

public Q_SLOTS:
    void N1Click(QObject *Sender);
    void WebBrowser1DownloadBegin(QObject *Sender);
    void WebBrowser1DownloadComplete(QObject *Sender);
    void WebBrowser1FileDownload(QObject *Sender, bool &Cancel);
};

extern TForm3 *Form3;
