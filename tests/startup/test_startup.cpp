// End to end on a real X server: the start-up error box, and the player's window set.
#include "../common/xtools.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void brokenWindowEndsInStartupErrorBox()
    {
        QProcess app;
        app.start(QStringLiteral(BADFORM_APP), {});
        QVERIFY(app.waitForStarted());
        const QString box = xt::waitWindow(u"Application Error"_s, app.processId());
        QVERIFY2(!box.isEmpty(), "no start-up error box");
        // The program waits for the box to be answered.
        QVERIFY(!app.waitForFinished(300));
        xt::activateAndKey(box, u"Return"_s);
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 1);
        const QString text = QString::fromLocal8Bit(app.readAllStandardError());
        const QRegularExpression expected(
            u"Exception EClassNotFound in module badform_app at [0-9A-F]{8}\\.\r\n"
            "badform\\.form, line 4: Class TNoSuchComponent not found\\.\r\n"_s);
        QVERIFY2(expected.match(text).hasMatch(), qPrintable(text));
    }

    void playerWindowAndExit()
    {
        QProcess app;
        // A file named on the command line is not opened.
        app.start(QStringLiteral(KAVRO_APP), {u"/nonexistent/song.mp3"_s});
        QVERIFY(app.waitForStarted());
        const QString win = xt::waitWindow(u"Kavro"_s, app.processId());
        QVERIFY2(!win.isEmpty(), "no player window");
        QTRY_COMPARE_WITH_TIMEOUT(xt::geometry(win), QRect(28, 111, 640, 70), 5000);
        // Borderless: it asks for no decorations and the window manager draws no frame.
        QCOMPARE(xt::property(win, u"_MOTIF_WM_HINTS"_s).section(u", "_s, 2, 2), u"0x0"_s);
        QCOMPARE(xt::geometry(win, true), QRect(28, 111, 640, 70));
        // One task-bar entry for the whole program, titled "Kavro", with the icon.
        const QStringList clients = xt::clientList();
        QCOMPARE(clients.size(), 1);
        QCOMPARE(clients.first().toULongLong(nullptr, 16), win.toULongLong());
        QVERIFY(xt::property(win, u"_NET_WM_NAME"_s).endsWith(u"\"Kavro\""_s));
        QVERIFY2(xt::property(win, u"_NET_WM_ICON"_s).contains(u"Icon (52 x 48)"_s),
                 "the window does not carry the 52x48 application icon");
        QVERIFY(xt::property(win, u"_NET_WM_STATE"_s).indexOf(u"SKIP_TASKBAR"_s) < 0);
        // Closing the window ends the program with exit code 0.
        xt::closeWindow(win);
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
    }

    void screenShowsTheWindow()
    {
        QProcess app;
        app.start(QStringLiteral(KAVRO_APP), {});
        QVERIFY(app.waitForStarted());
        const QString win = xt::waitWindow(u"Kavro"_s, app.processId());
        QVERIFY(!win.isEmpty());
        QTest::qWait(300);
        const QImage shot = xt::screenshot().copy(28, 111, 640, 70).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!shot.isNull());
        shot.save(QDir::temp().filePath(u"kavro-e2e-window.png"_s));
        auto near = [&](int x, int y, QColor want, int tolerance = 40) {
            const QColor got = shot.pixelColor(x, y);
            return qAbs(got.red() - want.red()) <= tolerance && qAbs(got.green() - want.green()) <= tolerance
                && qAbs(got.blue() - want.blue()) <= tolerance;
        };
        // The blue title bar with its dark outline, lettering at the right.
        QVERIFY(near(300, 0, QColor(22, 78, 192)));
        QVERIFY(near(300, 10, QColor(122, 166, 224)));
        int navy = 0;
        for (int x = 480; x < 640; ++x)
            for (int y = 6; y <= 16; ++y)
                navy += near(x, y, QColor(10, 36, 89), 50);
        QVERIFY(navy > 40);
        // Cream under the title and around the buttons.
        QCOMPARE(shot.pixelColor(300, 23), QColor(255, 251, 240));
        QCOMPARE(shot.pixelColor(170, 45), QColor(255, 251, 240));
        // Five joined blue-framed buttons from x 7 to 167; white faces.
        for (int x : {24, 56, 88, 119, 151})
            QVERIFY2(near(x, 36, Qt::white, 30), qPrintable(QString::number(x)));
        QVERIFY(near(7, 45, QColor(22, 78, 192), 60));
        QVERIFY(near(166, 45, QColor(22, 78, 192), 60));
        // The gauge: black frame, white inside, "0%" in the middle and no bar.
        QCOMPARE(shot.pixelColor(175, 45), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(631, 45), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(177, 45), QColor(Qt::white));
        int ink = 0;
        for (int x = 380; x < 430; ++x)
            for (int y = 33; y < 58; ++y)
                ink += shot.pixelColor(x, y) == QColor(Qt::black);
        QVERIFY(ink > 20);
        // The slate-blue edges and the white and light blue bottom band.
        QVERIFY(near(0, 40, QColor(100, 125, 165), 60));
        QVERIFY(near(639, 40, QColor(100, 125, 165), 60));
        QVERIFY(near(300, 69, QColor(127, 170, 232)));
        xt::closeWindow(win);
        QVERIFY(app.waitForFinished(10000));
    }

    void twoInstancesRunSideBySide()
    {
        QProcess first, second;
        first.start(QStringLiteral(KAVRO_APP), {});
        second.start(QStringLiteral(KAVRO_APP), {});
        QVERIFY(first.waitForStarted() && second.waitForStarted());
        QVERIFY(!xt::waitWindow(u"Kavro"_s, first.processId()).isEmpty());
        const QString secondWin = xt::waitWindow(u"Kavro"_s, second.processId());
        QVERIFY(!secondWin.isEmpty());
        xt::closeWindow(secondWin);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        // The first one does not notice.
        QCOMPARE(first.state(), QProcess::Running);
        xt::closeWindow(xt::waitWindow(u"Kavro"_s, first.processId()));
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
