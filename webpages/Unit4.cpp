// TForm4: the problem-report window, whose page is requested at every start.
#include "webpages/Unit4.h"

TForm4 *Form4 = nullptr;

// The address of the last navigation of this window.
static QString Adress;

TForm4::TForm4() : TForm(QStringLiteral(":/forms/Unit4.form")) {}

QString TForm4::lastAddress()
{
    return Adress;
}

void TForm4::FormCreate(QObject *)
{
    Adress = Edit1->Text();
    WebBrowser1->Navigate(Adress);
}
