// The player's commands over real media: the title gate, the open command's steps, the
// state tables, the progress tick, and the classic bar's automatic enabling.
#include "../common/media.h"
#include "../common/modal.h"
#include "../common/testmain.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QAccessible>
#include <QTest>

using namespace Qt::StringLiterals;
using Btn = TMediaPlayer::TMPBtnType;

class TestCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tone, m_short, m_bad;
    std::unique_ptr<TForm1> m_form;
    QString m_nameBoxSeen;

    TForm1 &form() { return *m_form; }

    // Runs a handler as the event loop would: errors go to the error box.
    template<class F>
    void run(F handler)
    {
        Application->dispatch(handler);
    }

    // The open command with the user taking `path` (or cancelling when empty).
    void openCommand(const QString &path)
    {
        auto *timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [this, timer, path] {
            QFileDialog *dialog = form().OpenDialog1->activeDialog();
            if (!dialog || !dialog->isVisible())
                return;
            timer->deleteLater();
            if (auto *edit = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s))
                m_nameBoxSeen = edit->text();
            if (path.isEmpty()) {
                dialog->reject();
            } else {
                // As a user would: type the path into the name box and press Return.
                auto *edit = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
                edit->setText(path);
                QTest::keyClick(edit, Qt::Key_Return);
            }
        });
        timer->start();
        run([this] { form().N17Click(form().N17); });
    }

    // Runs a command and returns the text of the error box it showed ("" for none).
    template<class F>
    QString boxOf(F handler)
    {
        auto seen = answerNextBox();
        run(handler);
        seen->stop();
        return seen->seen ? seen->text : QString();
    }

    int tick()
    {
        form().Timer1Timer(form().Timer1);
        return form().Gauge1->PercentDone();
    }

    bool enabled(Btn b) { return form().MediaPlayer1->bar()->isButtonEnabled(b); }
    QString enabledSet()
    {
        QString s;
        for (Btn b : {Btn::btPlay, Btn::btPause, Btn::btStop, Btn::btNext, Btn::btPrev})
            s += enabled(b) ? u'1' : u'0';
        return s;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TPicture::RegisterPngAndJpeg();
        QVERIFY(m_dir.isValid());
        m_tone = m_dir.filePath(u"тон с пробелом.wav"_s);
        m_short = m_dir.filePath(u"short.wav"_s);
        m_bad = m_dir.filePath(u"noise.mp3"_s);
        QVERIFY(makeTone(m_tone, 3.0));
        QVERIFY(makeTone(m_short, 0.6));
        QByteArray noise(20000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QVERIFY(writeBytes(m_bad, noise));
    }

    void init()
    {
        m_form = std::make_unique<TForm1>();
        m_form->loadDescription();
        m_form->setCaption(u"not yet activated"_s);
        m_form->setVisible(true);
        QVERIFY(QTest::qWaitForWindowActive(m_form->window()));
        // The activation handler runs once the activation is through.
        QTRY_COMPARE(m_form->Caption(), u"Kavro"_s);
    }
    void cleanup() { m_form.reset(); }

    void activationSetsTheBareTitle()
    {
        QCOMPARE(form().Caption(), u"Kavro"_s);
        // The native title stays the program's.
        QCOMPARE(form().OpenDialog1->Title(), u"Открыть файл мультимедиа"_s);
        QCOMPARE(form().OpenDialog1->DefaultExt(), u"MP3"_s);
        QCOMPARE(TOpenDialog::nameFilters(form().OpenDialog1->Filter()),
                 QStringList{u"Поддерживаемые файлы мультимедиа (*.*)"_s});
    }

    void transportCommandsBeforeAnyFile_data()
    {
        QTest::addColumn<QString>("handler");
        for (const char *h : {"N31Click", "N32Click", "N33Click", "Image1Click", "Image2Click", "Image6Click",
                              "Image5Click", "Image4Click"})
            QTest::newRow(h) << QString::fromLatin1(h);
    }
    void transportCommandsBeforeAnyFile()
    {
        QFETCH(QString, handler);
        // Also after a cancelled dialog.
        openCommand(QString());
        QCOMPARE(form().Caption(), u"Kavro"_s);
        const QString box = boxOf([&] {
            QMetaObject::invokeMethod(&form(), handler.toLatin1().constData(), Q_ARG(QObject *, nullptr));
        });
        QCOMPARE(box, QString());
        QVERIFY(!form().MediaPlayer1->device()->isOpen());
        QVERIFY(!form().Timer1->Enabled());
    }

    void refusedFirstOpenThenNoDevice()
    {
        auto seen = answerNextBox();
        openCommand(m_bad);
        QVERIFY(seen->seen);
        QVERIFY(!seen->text.isEmpty());
        QVERIFY(seen->text.endsWith(u'.'));
        QCOMPARE(seen->title, u"Kavro"_s);
        // Chosen, not open: the title already changed, nothing else did.
        QCOMPARE(form().Caption(), u"Kavro (open file)"_s);
        QCOMPARE(form().MediaPlayer1->FileName(), m_bad);
        QCOMPARE(form().OpenDialog1->FileName(), u" "_s);
        QVERIFY(!form().Timer1->Enabled());
        QCOMPARE(form().Gauge1->MaxValue(), 100);
        QCOMPARE(form().Gauge1->PercentDone(), 0);
        for (auto handler : {&TForm1::N31Click, &TForm1::N32Click, &TForm1::N33Click, &TForm1::Image6Click,
                             &TForm1::Image2Click, &TForm1::Image1Click})
            QCOMPARE(boxOf([&] { (form().*handler)(nullptr); }), u"No MCI device open."_s);
        QCOMPARE(form().Gauge1->PercentDone(), 0);
    }

    void openPlayStopReplay()
    {
        openCommand(m_tone);
        QCOMPARE(form().Caption(), u"Kavro (open file)"_s);
        QVERIFY(form().MediaPlayer1->device()->isOpen());
        const int length = form().MediaPlayer1->Length();
        QVERIFY2(qAbs(length - 3000) < 100, qPrintable(QString::number(length)));
        QCOMPARE(form().Gauge1->MaxValue(), length);
        QCOMPARE(form().Gauge1->Progress(), 0);
        QVERIFY(form().Timer1->Enabled());
        QCOMPARE(form().OpenDialog1->FileName(), u" "_s);
        QCOMPARE(m_nameBoxSeen, QString());
        // Play: the tick follows the position.
        run([&] { form().N31Click(nullptr); });
        QTest::qWait(700);
        QVERIFY(tick() >= 10);
        // Play while playing goes on from where it is.
        const int before = form().MediaPlayer1->Position();
        run([&] { form().N31Click(nullptr); });
        QVERIFY(form().MediaPlayer1->Position() >= before);
        // Stop: to the end; 100% at the next tick.
        run([&] { form().N33Click(nullptr); });
        QCOMPARE(form().MediaPlayer1->Position(), length);
        QCOMPARE(tick(), 100);
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Stopped);
        // Stop at the end stays at the end; pause while stopped does nothing.
        run([&] { form().Image5Click(nullptr); });
        run([&] { form().N32Click(nullptr); });
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Stopped);
        QCOMPARE(tick(), 100);
        // A later play starts from the beginning.
        run([&] { form().Image6Click(nullptr); });
        QVERIFY(tick() < 10);
        QTest::qWait(300);
        QVERIFY(tick() > 0);
        // The second dialog's name box holds a single space.
        openCommand(QString());
        QCOMPARE(m_nameBoxSeen, u" "_s);
    }

    // The progress timer runs on while an error box is open: the gauge keeps
    // following playback under it.
    void gaugeMovesUnderAnErrorBox()
    {
        openCommand(m_tone);
        run([&] { form().N31Click(nullptr); });
        QTest::qWait(200);
        int before = -1, during = -1;
        auto seen = answerNextBox([&](QMessageBox *) {
            before = form().Gauge1->Progress();
            QTest::qWait(800);
            during = form().Gauge1->Progress();
        });
        run([] { throw Exception(u"Что-то пошло не так!"_s); });
        seen->stop();
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, u"Что-то пошло не так!"_s);
        QVERIFY2(during > before + 400, qPrintable(u"%1 -> %2"_s.arg(before).arg(during)));
    }

    // A screen reader's press on a skin button issues the button's command.
    void accessiblePressIssuesTheCommand()
    {
        openCommand(m_tone);
        auto press = [&](TImage *button) {
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(button);
            QVERIFY(a && a->actionInterface());
            a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        };
        press(form().Image6);
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Playing);
        press(form().Image2);
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Paused);
        // The previous-icon button issues the stop command: to the end.
        press(form().Image1);
        QCOMPARE(form().MediaPlayer1->Position(), form().MediaPlayer1->Length());
        QCOMPARE(tick(), 100);
        QAccessibleInterface *gauge = QAccessible::queryAccessibleInterface(form().Gauge1);
        QCOMPARE(gauge->valueInterface()->currentValue().toInt(), 100);
    }

    void pauseTwiceResumesAtTheSamePlace()
    {
        openCommand(m_tone);
        run([&] { form().N31Click(nullptr); });
        QTest::qWait(400);
        run([&] { form().N32Click(nullptr); });
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Paused);
        const int at = form().MediaPlayer1->Position();
        QTest::qWait(300);
        QVERIFY(qAbs(form().MediaPlayer1->Position() - at) <= 20);
        run([&] { form().Image2Click(nullptr); });
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Playing);
        QVERIFY(form().MediaPlayer1->Position() >= at - 20);
        QVERIFY(form().MediaPlayer1->Position() < at + 200);
    }

    void eachStopButtonGoesToTheEnd_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::newRow("previous icon") << u"Image1Click"_s;
        QTest::newRow("stop icon") << u"Image5Click"_s;
        QTest::newRow("next icon") << u"Image4Click"_s;
    }
    void eachStopButtonGoesToTheEnd()
    {
        QFETCH(QString, handler);
        openCommand(m_tone);
        run([&] { form().N31Click(nullptr); });
        QTest::qWait(200);
        run([&] { QMetaObject::invokeMethod(&form(), handler.toLatin1().constData(), Q_ARG(QObject *, nullptr)); });
        QCOMPARE(form().MediaPlayer1->Position(), form().MediaPlayer1->Length());
        QCOMPARE(tick(), 100);
    }

    void playedToTheEndThenReplayed()
    {
        openCommand(m_short);
        run([&] { form().N31Click(nullptr); });
        QTRY_COMPARE_WITH_TIMEOUT(form().MediaPlayer1->Mode(), MediaDevice::Stopped, 5000);
        QCOMPARE(tick(), 100);
        run([&] { form().N31Click(nullptr); });
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Playing);
        QVERIFY(tick() < 50);
    }

    void loadedThenRefusedOpenClosesTheOldFile()
    {
        openCommand(m_tone);
        run([&] { form().N31Click(nullptr); });
        QTest::qWait(300);
        tick();
        const int max = form().Gauge1->MaxValue();
        auto seen = answerNextBox();
        openCommand(m_bad);
        QVERIFY(seen->seen);
        QVERIFY(!form().MediaPlayer1->device()->isOpen());
        QVERIFY(form().Timer1->Enabled());
        QCOMPARE(form().Gauge1->MaxValue(), max);
        // The tick goes on without a device and raises nothing; a closed device
        // stands at 0, so the gauge goes back to 0%.
        QCOMPARE(boxOf([&] { form().Timer1Timer(nullptr); }), QString());
        QCOMPARE(form().Gauge1->PercentDone(), 0);
        QCOMPARE(boxOf([&] { form().N31Click(nullptr); }), u"No MCI device open."_s);
        // A good file opens again.
        openCommand(m_tone);
        QVERIFY(form().MediaPlayer1->device()->isOpen());
    }

    void reopeningTheSameFile()
    {
        openCommand(m_tone);
        run([&] { form().N31Click(nullptr); });
        QTest::qWait(400);
        tick();
        QVERIFY(form().Gauge1->Progress() > 0);
        const int max = form().Gauge1->MaxValue();
        openCommand(m_tone);
        QCOMPARE(form().Gauge1->MaxValue(), max);
        QCOMPARE(form().Gauge1->Progress(), 0);
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Stopped);
    }

    // Each bad file ends in the error box with a clear text, and the player
    // goes on: the next good file opens and plays.
    void badMediaThenAGoodFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected"); // a pattern the error text matches
        QTest::newRow("empty file") << u"empty"_s << u"not a media file"_s;
        QTest::newRow("WAV cut in its header") << u"cut-wav"_s << u"damaged"_s;
        // A few bytes of an MP3 may or may not still be recognised as one.
        QTest::newRow("MP3 cut short") << u"cut-mp3"_s << u"damaged|not a media file"_s;
        QTest::newRow("random bytes named .mp3") << u"noise.mp3"_s << u"not a media file"_s;
        QTest::newRow("random bytes named .wav") << u"noise.wav"_s << u"not a media file"_s;
        QTest::newRow("random bytes named .ogg") << u"noise.ogg"_s << u"not a media file"_s;
        QTest::newRow("a text file") << u"text"_s << u"not a media file"_s;
        QTest::newRow("deleted after it was chosen") << u"deleted"_s << u"Cannot find the file"_s;
        QTest::newRow("very long path") << u"long"_s << u"not a media file"_s;
    }
    void badMediaThenAGoodFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QString path = dir.filePath(u"bad.mp3"_s);
        QByteArray noise(30000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QFile tone(m_tone);
        QVERIFY(tone.open(QIODevice::ReadOnly));
        const QByteArray wav = tone.readAll();
        if (kind == u"empty"_s) {
            QVERIFY(writeBytes(path, {}));
        } else if (kind == u"cut-wav"_s) {
            path = dir.filePath(u"cut.wav"_s);
            QVERIFY(writeBytes(path, wav.left(30)));
        } else if (kind == u"cut-mp3"_s) {
            const QString full = dir.filePath(u"full.mp3"_s);
            QVERIFY(makeTone(full, 1.0, u"lamemp3enc ! id3v2mux"_s));
            QFile f(full);
            QVERIFY(f.open(QIODevice::ReadOnly));
            path = dir.filePath(u"cut.mp3"_s);
            QVERIFY(writeBytes(path, f.readAll().left(200)));
        } else if (kind.startsWith(u"noise"_s)) {
            path = dir.filePath(kind);
            QVERIFY(writeBytes(path, noise));
        } else if (kind == u"text"_s) {
            path = dir.filePath(u"readme.mp3"_s);
            QVERIFY(writeBytes(path, QByteArray("This is not music at all.\n").repeated(200)));
        } else if (kind == u"deleted"_s) {
            path = dir.filePath(u"gone.wav"_s);
            QVERIFY(writeBytes(path, wav));
        } else if (kind == u"long"_s) {
            QString folder = dir.path();
            for (int i = 0; i < 14; ++i) {
                folder += u'/' + QString(200, QChar(u'a' + i));
                QVERIFY(QDir().mkpath(folder));
            }
            path = folder + u"/noise.mp3"_s;
            QVERIFY(path.size() > 2800);
            QVERIFY(writeBytes(path, noise));
        }
        openCommand(m_tone);
        run([&] { form().N31Click(nullptr); });
        // The open command's own steps, with the file gone between the dialog and the open.
        form().MediaPlayer1->setFileName(path);
        if (kind == u"deleted"_s)
            QVERIFY(QFile::remove(path));
        QElapsedTimer timer;
        timer.start();
        const QString box = boxOf([&] { form().MediaPlayer1->Open(); });
        QVERIFY(timer.elapsed() < MediaDevice::WaitBoundMs + 2000);
        QVERIFY2(!box.isEmpty(), "no error box");
        QVERIFY2(box.contains(QRegularExpression(expected, QRegularExpression::CaseInsensitiveOption)), qPrintable(box));
        QVERIFY(box.endsWith(u'.'));
        QVERIFY(!form().MediaPlayer1->device()->isOpen());
        // The next good file opens and plays.
        openCommand(m_tone);
        run([&] { form().N31Click(nullptr); });
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Playing);
        QTest::qWait(300);
        QVERIFY(tick() > 0);
    }

    // Each open lets go of the file opened before: nothing piles up, whether
    // the open succeeds or is refused.
    void repeatedOpensKeepNothing()
    {
        auto descriptors = [] {
            return QDir(u"/proc/self/fd"_s).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
        };
        form().setCaption(u"Kavro (open file)"_s);
        auto cycle = [&](int i) {
            form().MediaPlayer1->setFileName(i % 3 == 2 ? m_bad : m_short);
            try {
                form().MediaPlayer1->Open();
                form().N31Click(nullptr);
                form().N33Click(nullptr);
            } catch (const EMCIDeviceError &) {
                // the refused opens, expected
            }
            QTest::qWait(5);
        };
        for (int i = 0; i < 5; ++i) // warm up caches and plugin loading
            cycle(i);
        QTest::qWait(100);
        const qsizetype before = descriptors();
        for (int i = 0; i < 60; ++i)
            cycle(i);
        QTest::qWait(100);
        QVERIFY2(descriptors() <= before + 4, qPrintable(u"%1 before, %2 after"_s.arg(before).arg(descriptors())));
    }

    void classicBarEnabling()
    {
        run([&] { form().N35Click(nullptr); });
        auto *bar = form().MediaPlayer1->bar();
        QCOMPARE(bar->buttons().size(), 5);
        QCOMPARE(bar->buttonRect(1), QRect(28, 0, 29, 27));
        // Nothing is open: all grey, and a click does nothing.
        QCOMPARE(enabledSet(), u"00000"_s);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(0).center());
        QVERIFY(!form().MediaPlayer1->device()->isOpen());
        openCommand(m_short);
        QCOMPARE(enabledSet(), u"10011"_s);
        // The bar's Play.
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(0).center());
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Playing);
        QCOMPARE(enabledSet(), u"01111"_s);
        // The bar's Pause: Play comes on, the rest stays.
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(1).center());
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Paused);
        QCOMPARE(enabledSet(), u"11111"_s);
        // The bar's Stop: stops where it is.
        const int at = form().MediaPlayer1->Position();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(2).center());
        QCOMPARE(enabledSet(), u"10011"_s);
        QVERIFY(qAbs(form().MediaPlayer1->Position() - at) <= 20);
        QVERIFY(form().MediaPlayer1->Position() < form().MediaPlayer1->Length());
        // The menu's play goes on from there and leaves the set alone...
        run([&] { form().N31Click(nullptr); });
        QCOMPARE(form().MediaPlayer1->Mode(), MediaDevice::Playing);
        QVERIFY(form().MediaPlayer1->Position() >= at - 20);
        QCOMPARE(enabledSet(), u"10011"_s);
        // ...until the device reports the end.
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(0).center());
        QCOMPARE(enabledSet(), u"01111"_s);
        QTRY_COMPARE_WITH_TIMEOUT(enabledSet(), u"10011"_s, 5000);
        QCOMPARE(form().MediaPlayer1->Position(), form().MediaPlayer1->Length());
        // Prev: to the start.
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(4).center());
        QCOMPARE(form().MediaPlayer1->Position(), 0);
        // Next: to the end.
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(3).center());
        QCOMPARE(form().MediaPlayer1->Position(), form().MediaPlayer1->Length());
        // Keyboard: Right moves the focus, Space performs.
        form().window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form().window()));
        form().MediaPlayer1->SetFocus();
        QTRY_VERIFY(bar->hasFocus());
        // The last clicked button (Next) holds the focus; Right moves on to Prev.
        QCOMPARE(bar->focusIndex(), 3);
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(bar->focusIndex(), 4);
        QTest::keyClick(bar, Qt::Key_Space);
        QCOMPARE(form().MediaPlayer1->Position(), 0);
        // Pressing and dragging off a button performs nothing.
        QTest::mousePress(bar, Qt::LeftButton, {}, bar->buttonRect(3).center());
        QCOMPARE(bar->pressedIndex(), 3);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() + 50, 5));
        QCOMPARE(form().MediaPlayer1->Position(), 0);
    }
};

KAVRO_TEST_MAIN(TestCommands)
#include "test_commands.moc"
