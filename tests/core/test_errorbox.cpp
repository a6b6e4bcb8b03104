// The error box: its text rules, its look, the silent abort and the capture cancel.
#include "../common/modal.h"
#include "../common/testmain.h"
#include "platform/forms.h"
#include "platform/formreader.h"
#include "platform/stdctrls.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TBoxForm : public TForm
{
    Q_OBJECT
public:
    TBoxForm() : TForm(u":/none"_s) {}
};

class TestErrorBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void text_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("inner"); // innermost last
        QTest::addColumn<QString>("shown");
        QTest::newRow("question mark") << u"Ready?"_s << QStringList() << u"Ready?."_s;
        QTest::newRow("exclamation mark") << u"Stop!"_s << QStringList() << u"Stop!"_s;
        QTest::newRow("full stop") << u"Done."_s << QStringList() << u"Done."_s;
        QTest::newRow("letter") << u"No MCI device open"_s << QStringList() << u"No MCI device open."_s;
        QTest::newRow("cyrillic letter") << u"Ошибка"_s << QStringList() << u"Ошибка."_s;
        QTest::newRow("digit") << u"Error 42"_s << QStringList() << u"Error 42."_s;
        QTest::newRow("space") << u"Trailing "_s << QStringList() << u"Trailing "_s;
        QTest::newRow("comma") << u"a,"_s << QStringList() << u"a,"_s;
        QTest::newRow("parenthesis") << u"(x)"_s << QStringList() << u"(x)"_s;
        QTest::newRow("hyphen") << u"x-"_s << QStringList() << u"x-"_s;
        QTest::newRow("slash, above the full stop") << u"a/"_s << QStringList() << u"a/."_s;
        QTest::newRow("empty") << QString() << QStringList() << QString();
        QTest::newRow("inner chain") << u"outer"_s << QStringList{u"middle"_s, u"inner"_s} << u"inner."_s;
        QTest::newRow("empty innermost skipped") << u"outer"_s << QStringList{u"middle!"_s, QString()}
                                                 << u"middle!"_s;
        QTest::newRow("all inner empty") << u"outer"_s << QStringList{QString(), QString()} << u"outer."_s;
    }
    void text()
    {
        QFETCH(QString, message);
        QFETCH(QStringList, inner);
        QFETCH(QString, shown);
        std::shared_ptr<const Exception> chain;
        for (auto it = inner.crbegin(); it != inner.crend(); ++it)
            chain = std::make_shared<Exception>(*it, chain);
        QCOMPARE(TApplication::errorBoxText(Exception(message, chain)), shown);
    }

    void boxLooksAndOwner()
    {
        TBoxForm form;
        FormReader::build(&form, *FormReader::parse(u"object BoxForm: TBoxForm\n ClientWidth = 100\n ClientHeight = 50\nend\n"_s, u"t.form"_s), u"t.form"_s);
        form.setVisible(true);
        QVERIFY(QTest::qWaitForWindowActive(form.window()));
        auto seen = answerNextBox();
        bool after = false;
        Application->dispatch([&] {
            throw EMCIDeviceError(u"No MCI device open"_s);
            after = true; // never reached: the handler ends at the error
        });
        QVERIFY(seen->seen);
        QCOMPARE(seen->title, u"Kavro"_s);
        QCOMPARE(seen->text, u"No MCI device open."_s);
        QCOMPARE(seen->icon, QMessageBox::Critical);
        QCOMPARE(seen->buttons.size(), 1);
        QCOMPARE(seen->parent, form.window());
        // While the box is open the other windows take no input.
        QCOMPARE(seen->modality, Qt::ApplicationModal);
        QVERIFY(!after);
    }

    void nonExceptionErrorsAreShownToo()
    {
        auto seen = answerNextBox();
        Application->dispatch([] { throw std::runtime_error("plain failure"); });
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, u"plain failure."_s);
    }

    void abortIsSilent()
    {
        auto seen = answerNextBox();
        Application->dispatch([] { throw EAbort(u"quietly"_s); });
        QTest::qWait(100);
        QVERIFY(!seen->seen);
        // Clean up the waiting answerer with a real box.
        Application->dispatch([] { throw Exception(u"x"_s); });
        QVERIFY(seen->seen);
    }

    void errorCancelsMouseCapture()
    {
        TBoxForm form;
        FormReader::build(&form, *FormReader::parse(
            u"object BoxForm: TBoxForm\n ClientWidth = 100\n ClientHeight = 50\n"
            u" object Image1: TImage\n  Left = 10\n  Top = 10\n  Width = 20\n  Height = 20\n end\nend\n"_s,
            u"t.form"_s), u"t.form"_s);
        form.setVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(form.window()));
        auto *host = qobject_cast<ControlHost *>(form.widget());
        QTest::mousePress(host, Qt::LeftButton, {}, QPoint(15, 15));
        QVERIFY(host->captureControl());
        auto seen = answerNextBox();
        Application->dispatch([] { throw EInvalidOperation(u"boom"_s); });
        QVERIFY(seen->seen);
        QVERIFY(!host->captureControl());
        QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(15, 15));
    }
};

KAVRO_TEST_MAIN(TestErrorBox)
#include "test_errorbox.moc"
