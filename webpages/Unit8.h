// TForm8: the donations window, which loads its page anew at each opening.
#pragma once

#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/webbrowser.h"

class TForm8 : public TForm
{
    Q_OBJECT
    Q_PROPERTY(TEdit *Edit1 MEMBER Edit1)
    Q_PROPERTY(TWebBrowser *WebBrowser1 MEMBER WebBrowser1)

public:
    TForm8();
    TEdit *Edit1 = nullptr;
    TWebBrowser *WebBrowser1 = nullptr;
    static QString lastAddress();

public Q_SLOTS:
    void FormActivate(QObject *Sender);
};

extern TForm8 *Form8;
