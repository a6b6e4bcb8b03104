// TForm8: the donations window, which loads its page anew at each opening.
#include "webpages/Unit8.h"

TForm8 *Form8 = nullptr;

// The address of the last navigation of this window.
static QString Adress;

TForm8::TForm8() : TForm(QStringLiteral(":/forms/Unit8.form")) {}

QString TForm8::lastAddress()
{
    return Adress;
}

void TForm8::FormActivate(QObject *)
{
    Adress = Edit1->Text();
    WebBrowser1->Navigate(Adress);
}
