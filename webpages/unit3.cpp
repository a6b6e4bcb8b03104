// TForm3: the update-check window: a browser, its status bar and a menu bar.
#include "webpages/unit3.h"

TForm3 *Form3 = nullptr;

// The address of the last navigation of this window.
static QString Adress;

TForm3::TForm3() : TForm(QStringLiteral(":/forms/unit3.form")) {}

QString TForm3::lastAddress()
{
    return Adress;
}

void TForm3::N1Click(QObject *)
{
    Adress = Edit1->Text();
    WebBrowser1->Navigate(Adress);
}

void TForm3::WebBrowser1DownloadBegin(QObject *)
{
    StatusBar1->setSimpleText(QStringLiteral("Загрузка информации, подождите..."));
}

void TForm3::WebBrowser1DownloadComplete(QObject *)
{
    StatusBar1->setSimpleText(QStringLiteral("Информация загружена"));
}

void TForm3::WebBrowser1FileDownload(QObject *, bool &)
{
    // The cancel flag stays as it came: the browser carries the download out.
    StatusBar1->setSimpleText(QStringLiteral("Загружаются обновления!"));
}
