// Fuzz target for the form reader: parse the bytes as a form description and
// build a window from it; errors must be EReadError, never a crash.
#include "platform/application.h"
#include "platform/formreader.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"

#include <QString>
#include <cstdlib>
#include <cstdint>

class TFuzzForm : public TForm
{
    Q_OBJECT
public:
    TFuzzForm() : TForm(QStringLiteral(":/none")) {}
public Q_SLOTS:
    void Handler(QObject *) {}
    void MouseHandler(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Widgets need an application; the harness draws nothing on a screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static TApplication app(*argc, *argv);
    // Fill the font and style caches once, so that the leak check does not
    // take them for leaks of the first input that needs them.
    static const char warm[] = "object FuzzForm: TFuzzForm\n object L: TLabel\n Caption = 'x'\n end\n"
                               " object G: TGauge\n Width = 50\n Height = 20\n end\nend\n";
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(warm), sizeof warm - 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        auto root = FormReader::parse(text, QStringLiteral("fuzz.form"));
        TFuzzForm form;
        FormReader::build(&form, *root, QStringLiteral("fuzz.form"));
    } catch (const EReadError &) {
    } catch (const EInvalidOperation &) {
        // A property setter may refuse a value (a gauge's maximum below its minimum).
    }
    return 0;
}

#include "fuzz_form.moc"
