// A program whose window cannot be built: its description names an unknown class.
#include "platform/application.h"
#include "platform/forms.h"

using namespace Qt::StringLiterals;

class TBadForm : public TForm
{
    Q_OBJECT
public:
    TBadForm() : TForm(u":/forms/badform.form"_s) {}
};

TBadForm *BadForm = nullptr;

int main(int argc, char *argv[])
{
    TApplication::prepare();
    TApplication app(argc, argv);
    return app.start([] {
        Application->setTitle(u"Kavro"_s);
        Application->CreateForm(BadForm);
    });
}

#include "badform_app.moc"
