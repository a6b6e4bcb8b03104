// TForm1: the skinned player window, its commands, menus, skin buttons and drag regions.
#include "player/SDIMAIN.h"

#include "about/unit2.h"
#include "webpages/Unit4.h"
#include "webpages/Unit8.h"
#include "webpages/unit3.h"

using namespace Qt::StringLiterals;

TForm1 *Form1 = nullptr;

TForm1::TForm1() : TForm(u":/forms/SDIMAIN.form"_s) {}

// --- commands ----------------------------------------------------------------

bool TForm1::titleGateOpen() const
{
    return Caption() != u"Kavro"_s;
}

void TForm1::playCommand()
{
    if (titleGateOpen())
        MediaPlayer1->Play();
}

void TForm1::pauseCommand()
{
    if (titleGateOpen())
        MediaPlayer1->Pause();
}

void TForm1::stopCommand()
{
    // Stop means: to the end of the medium; the next play starts over.
    if (titleGateOpen())
        MediaPlayer1->Next();
}

void TForm1::FormActivate(QObject *)
{
    setCaption(u"Kavro"_s);
}

void TForm1::Timer1Timer(QObject *)
{
    Gauge1->setProgress(MediaPlayer1->Position());
}

void TForm1::N17Click(QObject *)
{
    if (!OpenDialog1->Execute())
        return;
    MediaPlayer1->setFileName(OpenDialog1->FileName());
    setCaption(u"Kavro (open file)"_s);
    OpenDialog1->setFileName(u" "_s);
    MediaPlayer1->Open();
    Gauge1->setMaxValue(MediaPlayer1->Length());
    Gauge1->setProgress(0);
    Timer1->setEnabled(true);
}

void TForm1::N31Click(QObject *) { playCommand(); }
void TForm1::N32Click(QObject *) { pauseCommand(); }
void TForm1::N33Click(QObject *) { stopCommand(); }

void TForm1::N35Click(QObject *)
{
    Image1->Hide();
    Image2->Hide();
    Image6->Hide();
    Image5->Hide();
    Image4->Hide();
    MediaPlayer1->Show();
}

void TForm1::Mirest2Click(QObject *)
{
    Image1->Show();
    Image2->Show();
    Image6->Show();
    Image5->Show();
    Image4->Show();
    MediaPlayer1->Hide();
}

void TForm1::N36Click(QObject *)
{
    Form4->ShowModal();
}

void TForm1::N37Click(QObject *)
{
    Form3->ShowModal();
}

void TForm1::N2Click(QObject *)
{
    Form8->ShowModal();
}
void TForm1::Kavro1Click(QObject *)
{
    AboutBox->ShowModal();
}

void TForm1::N30Click(QObject *) { Close(); }
void TForm1::N1Click(QObject *) { Close(); }

// --- skin buttons: each event sets one fixed picture ---------------------------

void TForm1::Image1Click(QObject *) { stopCommand(); }
void TForm1::Image1MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image1->setPicture(Image3->Picture()); }
void TForm1::Image1MouseEnter(QObject *) { Image1->setPicture(c->Picture()); }
void TForm1::Image1MouseLeave(QObject *) { Image1->setPicture(Image15->Picture()); }
void TForm1::Image1MouseUp(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image1->setPicture(c->Picture()); }

void TForm1::Image2Click(QObject *) { pauseCommand(); }
void TForm1::Image2MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image2->setPicture(Image12->Picture()); }
void TForm1::Image2MouseEnter(QObject *) { Image2->setPicture(Image7->Picture()); }
void TForm1::Image2MouseLeave(QObject *) { Image2->setPicture(Image16->Picture()); }
void TForm1::Image2MouseUp(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image2->setPicture(Image7->Picture()); }

void TForm1::Image6Click(QObject *) { playCommand(); }
void TForm1::Image6MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image6->setPicture(Image13->Picture()); }
void TForm1::Image6MouseEnter(QObject *) { Image6->setPicture(Image8->Picture()); }
void TForm1::Image6MouseLeave(QObject *) { Image6->setPicture(Image19->Picture()); }
void TForm1::Image6MouseUp(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image6->setPicture(Image8->Picture()); }

void TForm1::Image5Click(QObject *) { stopCommand(); }
void TForm1::Image5MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image5->setPicture(Image11->Picture()); }
void TForm1::Image5MouseEnter(QObject *) { Image5->setPicture(Image9->Picture()); }
void TForm1::Image5MouseLeave(QObject *) { Image5->setPicture(Image18->Picture()); }
void TForm1::Image5MouseUp(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image5->setPicture(Image9->Picture()); }

void TForm1::Image4Click(QObject *) { stopCommand(); }
void TForm1::Image4MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image4->setPicture(Image14->Picture()); }
void TForm1::Image4MouseEnter(QObject *) { Image4->setPicture(Image10->Picture()); }
void TForm1::Image4MouseLeave(QObject *) { Image4->setPicture(Image17->Picture()); }
void TForm1::Image4MouseUp(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Image4->setPicture(Image10->Picture()); }

// --- drag regions: the press is handed to the window manager as a caption press ---

void TForm1::moveWindow()
{
    ReleaseCapture();
    SendMoveRequest();
}

void TForm1::Image25MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { moveWindow(); }
void TForm1::Image26MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { moveWindow(); }
void TForm1::Image29MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { moveWindow(); }
void TForm1::Image30MouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { moveWindow(); }
