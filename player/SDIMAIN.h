// TForm1: the skinned player window, its commands, menus, skin buttons and drag regions.
#pragma once

#include "platform/dialogs.h"
#include "platform/forms.h"
#include "platform/gauges.h"
#include "platform/menus.h"
#include "platform/mplayer.h"
#include "platform/stdctrls.h"

class TForm1 : public TForm
{
    Q_OBJECT
    Q_PROPERTY(TImage *Image1 MEMBER Image1)
    Q_PROPERTY(TImage *Image2 MEMBER Image2)
    Q_PROPERTY(TImage *c MEMBER c)
    Q_PROPERTY(TImage *Image4 MEMBER Image4)
    Q_PROPERTY(TImage *Image5 MEMBER Image5)
    Q_PROPERTY(TImage *Image6 MEMBER Image6)
    Q_PROPERTY(TImage *Image3 MEMBER Image3)
    Q_PROPERTY(TImage *Image7 MEMBER Image7)
    Q_PROPERTY(TImage *Image8 MEMBER Image8)
    Q_PROPERTY(TImage *Image9 MEMBER Image9)
    Q_PROPERTY(TImage *Image10 MEMBER Image10)
    Q_PROPERTY(TImage *Image11 MEMBER Image11)
    Q_PROPERTY(TImage *Image12 MEMBER Image12)
    Q_PROPERTY(TImage *Image13 MEMBER Image13)
    Q_PROPERTY(TImage *Image14 MEMBER Image14)
    Q_PROPERTY(TImage *Image15 MEMBER Image15)
    Q_PROPERTY(TImage *Image16 MEMBER Image16)
    Q_PROPERTY(TImage *Image17 MEMBER Image17)
    Q_PROPERTY(TImage *Image18 MEMBER Image18)
    Q_PROPERTY(TImage *Image19 MEMBER Image19)
    Q_PROPERTY(TGauge *Gauge1 MEMBER Gauge1)
    Q_PROPERTY(TImage *Image25 MEMBER Image25)
    Q_PROPERTY(TImage *Image26 MEMBER Image26)
    Q_PROPERTY(TImage *Image27 MEMBER Image27)
    Q_PROPERTY(TImage *Image28 MEMBER Image28)
    Q_PROPERTY(TImage *Image29 MEMBER Image29)
    Q_PROPERTY(TImage *Image30 MEMBER Image30)
    Q_PROPERTY(TMediaPlayer *MediaPlayer1 MEMBER MediaPlayer1)
    Q_PROPERTY(TOpenDialog *OpenDialog1 MEMBER OpenDialog1)
    Q_PROPERTY(TTimer *Timer1 MEMBER Timer1)
    Q_PROPERTY(TPopupMenu *PopupMenu1 MEMBER PopupMenu1)
    Q_PROPERTY(TPopupMenu *PopupMenu2 MEMBER PopupMenu2)
    Q_PROPERTY(TMenuItem *N17 MEMBER N17)
    Q_PROPERTY(TMenuItem *N22 MEMBER N22)
    Q_PROPERTY(TMenuItem *N25 MEMBER N25)
    Q_PROPERTY(TMenuItem *N31 MEMBER N31)
    Q_PROPERTY(TMenuItem *N32 MEMBER N32)
    Q_PROPERTY(TMenuItem *N33 MEMBER N33)
    Q_PROPERTY(TMenuItem *N26 MEMBER N26)
    Q_PROPERTY(TMenuItem *N34 MEMBER N34)
    Q_PROPERTY(TMenuItem *N35 MEMBER N35)
    Q_PROPERTY(TMenuItem *Mirest2 MEMBER Mirest2)
    Q_PROPERTY(TMenuItem *N28 MEMBER N28)
    Q_PROPERTY(TMenuItem *N36 MEMBER N36)
    Q_PROPERTY(TMenuItem *N37 MEMBER N37)
    Q_PROPERTY(TMenuItem *N2 MEMBER N2)
    Q_PROPERTY(TMenuItem *N38 MEMBER N38)
    Q_PROPERTY(TMenuItem *Kavro1 MEMBER Kavro1)
    Q_PROPERTY(TMenuItem *N29 MEMBER N29)
    Q_PROPERTY(TMenuItem *N30 MEMBER N30)
    Q_PROPERTY(TMenuItem *N1 MEMBER N1)

public:
    TForm1();

    TImage *Image1 = nullptr, *Image2 = nullptr, *c = nullptr, *Image4 = nullptr, *Image5 = nullptr,
           *Image6 = nullptr, *Image3 = nullptr, *Image7 = nullptr, *Image8 = nullptr, *Image9 = nullptr,
           *Image10 = nullptr, *Image11 = nullptr, *Image12 = nullptr, *Image13 = nullptr,
           *Image14 = nullptr, *Image15 = nullptr, *Image16 = nullptr, *Image17 = nullptr,
           *Image18 = nullptr, *Image19 = nullptr;
    TGauge *Gauge1 = nullptr;
    TImage *Image25 = nullptr, *Image26 = nullptr, *Image27 = nullptr, *Image28 = nullptr,
           *Image29 = nullptr, *Image30 = nullptr;
    TMediaPlayer *MediaPlayer1 = nullptr;
    TOpenDialog *OpenDialog1 = nullptr;
    TTimer *Timer1 = nullptr;
    TPopupMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr;
    TMenuItem *N17 = nullptr, *N22 = nullptr, *N25 = nullptr, *N31 = nullptr, *N32 = nullptr, *N33 = nullptr,
              *N26 = nullptr, *N34 = nullptr, *N35 = nullptr, *Mirest2 = nullptr, *N28 = nullptr,
              *N36 = nullptr, *N37 = nullptr, *N2 = nullptr, *N38 = nullptr, *Kavro1 = nullptr,
              *N29 = nullptr, *N30 = nullptr, *N1 = nullptr;

public Q_SLOTS:
    void FormActivate(QObject *Sender);
    void Timer1Timer(QObject *Sender);

    // Context menu commands.
    void N17Click(QObject *Sender);
    void N31Click(QObject *Sender);
    void N32Click(QObject *Sender);
    void N33Click(QObject *Sender);
    void N35Click(QObject *Sender);
    void Mirest2Click(QObject *Sender);
    void N36Click(QObject *Sender);
    void N37Click(QObject *Sender);
    void N2Click(QObject *Sender);
    void Kavro1Click(QObject *Sender);
    void N30Click(QObject *Sender);
    void N1Click(QObject *Sender);

    // Skin buttons.
    void Image1Click(QObject *Sender);
    void Image1MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image1MouseEnter(QObject *Sender);
    void Image1MouseLeave(QObject *Sender);
    void Image1MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image2Click(QObject *Sender);
    void Image2MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image2MouseEnter(QObject *Sender);
    void Image2MouseLeave(QObject *Sender);
    void Image2MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image6Click(QObject *Sender);
    void Image6MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image6MouseEnter(QObject *Sender);
    void Image6MouseLeave(QObject *Sender);
    void Image6MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image5Click(QObject *Sender);
    void Image5MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image5MouseEnter(QObject *Sender);
    void Image5MouseLeave(QObject *Sender);
    void Image5MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image4Click(QObject *Sender);
    void Image4MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image4MouseEnter(QObject *Sender);
    void Image4MouseLeave(QObject *Sender);
    void Image4MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // Drag regions.
    void Image25MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image26MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image29MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void Image30MouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

private:
    // The title gate: transport commands act only once a file has been taken.
    bool titleGateOpen() const;
    void playCommand();
    void pauseCommand();
    void stopCommand();
    void moveWindow();
};

extern TForm1 *Form1;
