// TAboutBox: the about window with the logo, name, version, credits and agreement text.
#include "about/unit2.h"

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox() : TForm(QStringLiteral(":/forms/unit2.form")) {}

void TAboutBox::OKButtonClick(QObject *)
{
    Close();
}
