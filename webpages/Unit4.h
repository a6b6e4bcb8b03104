// TForm4: the problem-report window, whose page is requested at every start.
#pragma once

#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/webbrowser.h"

class TForm4 : public TForm
{
    Q_OBJECT
    Q_PROPERTY(TWebBrowser *WebBrowser1 MEMBER WebBrowser1)
    Q_PROPERTY(TEdit *Edit1 MEMBER Edit1)

public:
    TForm4();
    TWebBrowser *WebBrowser1 = nullptr;
    TEdit *Edit1 = nullptr;
    static QString lastAddress();

public Q_SLOTS:
    void FormCreate(QObject *Sender);
};

extern TForm4 *Form4;
