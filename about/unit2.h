// TAboutBox: the about window with the logo, name, version, credits and agreement text.
#pragma once

#include "platform/forms.h"
#include "platform/stdctrls.h"

class TAboutBox : public TForm
{
    Q_OBJECT
    Q_PROPERTY(TPanel *Panel1 MEMBER Panel1)
    Q_PROPERTY(TImage *ProgramIcon MEMBER ProgramIcon)
    Q_PROPERTY(TLabel *ProductName MEMBER ProductName)
    Q_PROPERTY(TLabel *Version MEMBER Version)
    Q_PROPERTY(TLabel *Copyright MEMBER Copyright)
    Q_PROPERTY(TLabel *Comments MEMBER Comments)
    Q_PROPERTY(TLabel *Label1 MEMBER Label1)
    Q_PROPERTY(TButton *OKButton MEMBER OKButton)
    Q_PROPERTY(TMemo *Memo1 MEMBER Memo1)

public:
    TAboutBox();

    TPanel *Panel1 = nullptr;
    TImage *ProgramIcon = nullptr;
    TLabel *ProductName = nullptr, *Version = nullptr, *Copyright = nullptr, *Comments = nullptr,
           *Label1 = nullptr;
    TButton *OKButton = nullptr;
    TMemo *Memo1 = nullptr;

public Q_SLOTS:
    void OKButtonClick(QObject *Sender);
};

extern TAboutBox *AboutBox;
