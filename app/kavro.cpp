// The program's entry: start-up, the window set, the event loop and the exit.
#include "platform/application.h"
#include "platform/graphics.h"
#include "about/unit2.h"
#include "player/SDIMAIN.h"
#include "webpages/Unit4.h"
#include "webpages/Unit8.h"
#include "webpages/unit3.h"

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    TApplication::prepare();
    TApplication app(argc, argv);
    // The command line is not looked at: a file named there is not opened.
    return app.start([] {
        // The PNG and JPEG readers join the bitmap reader for the form loader.
        TPicture::RegisterPngAndJpeg();
        Application->setTitle(u"Kavro"_s);
        Application->CreateForm(Form1);
        Application->CreateForm(AboutBox);
        Application->CreateForm(Form3);
        Application->CreateForm(Form4);
        Application->CreateForm(Form8);
    });
}
