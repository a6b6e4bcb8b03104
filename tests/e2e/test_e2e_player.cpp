// End to end, as a user would: open a file through the dialog, play, pause,
// stop and replay from the shortcuts, and move the window by its drag regions.
#include "../common/media.h"
#include "../common/xtools.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestE2EPlayer : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_tone;

private Q_SLOTS:
    void initTestCase()
    {
        m_tone = m_dir.filePath(u"tone.wav"_s);
        QVERIFY(makeTone(m_tone, 4.0));
    }

    void openPlayPauseStopReplay()
    {
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        // Ins opens the dialog although the menu was never opened.
        player.keys(u"Insert"_s);
        const QString dialog = xt::waitWindow(u"Открыть файл мультимедиа"_s, player.process().processId());
        QVERIFY2(!dialog.isEmpty(), "no open dialog");
        xt::typeText(m_tone);
        xt::run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QVERIFY(xt::waitFor([&] { return xt::findWindows(u"Открыть файл мультимедиа"_s, player.process().processId()).isEmpty(); }));
        player.activate();
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
        // Ctrl+P plays: the bar grows.
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) > 20; }, 5000));
        // Ctrl+H pauses: the bar holds; Ctrl+H again resumes.
        player.keys(u"ctrl+h"_s);
        const int paused = xt::gaugeBar(player.shot());
        QThread::msleep(600);
        QVERIFY(qAbs(xt::gaugeBar(player.shot()) - paused) <= 5);
        player.keys(u"ctrl+h"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) > paused + 20; }, 5000));
        // Ctrl+S: to the end, 100%: the bar fills the whole inner width.
        player.keys(u"ctrl+s"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == 455; }, 3000));
        // Ctrl+P plays from the start again.
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) < 100; }, 3000));
        // Shift+Del ends the program.
        player.keys(u"shift+Delete"_s);
        QVERIFY(player.waitExit());
        QCOMPARE(player.process().exitCode(), 0);
    }

    void dragRegions_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<bool>("moves");
        QTest::newRow("title picture") << QPoint(300, 10) << true;
        QTest::newRow("left edge") << QPoint(2, 45) << true;
        QTest::newRow("right edge below row 17") << QPoint(639, 40) << true;
        QTest::newRow("lower right piece") << QPoint(600, 67) << true;
        QTest::newRow("bottom edge left of x 559") << QPoint(300, 68) << false;
        QTest::newRow("column 639 in rows 10 to 17") << QPoint(639, 13) << false;
        QTest::newRow("gauge") << QPoint(400, 45) << false;
        QTest::newRow("cream field") << QPoint(171, 45) << false;
    }
    void dragRegions()
    {
        QFETCH(QPoint, press);
        QFETCH(bool, moves);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        QTRY_COMPARE(player.geometry().topLeft(), QPoint(28, 111));
        player.activate();
        xt::mouseMoveTo(player.at(press.x(), press.y()));
        xt::mouseDown();
        QThread::msleep(100);
        // The pointer's path, in steps.
        for (int i = 1; i <= 5; ++i) {
            xt::mouseMoveTo(QPoint(28, 111) + press + QPoint(20 * i, 12 * i));
            QThread::msleep(40);
        }
        xt::mouseUp();
        const QPoint expected = moves ? QPoint(128, 171) : QPoint(28, 111);
        QVERIFY2(xt::waitFor([&] { return player.geometry().topLeft() == expected; }, 3000),
                 qPrintable(u"window at %1,%2"_s.arg(player.geometry().x()).arg(player.geometry().y())));
        // The window follows the pointer no longer once the button is up.
        xt::mouseMoveTo(QPoint(700, 500));
        QThread::msleep(200);
        QCOMPARE(player.geometry().topLeft(), expected);
    }

    // Each way of ending the program ends it with exit code 0.
    void endingTheProgram_data()
    {
        QTest::addColumn<QPoint>("rightClick"); // (-1,-1): none, keys only
        QTest::addColumn<QString>("keys");
        QTest::newRow("Shift+Del") << QPoint(-1, -1) << u"shift+Delete"_s;
        QTest::newRow("Выйти from the window's menu") << QPoint(171, 45) << u"Up Return"_s;
        QTest::newRow("Закрыть from the title's menu") << QPoint(300, 10) << u"Down Return"_s;
    }
    void endingTheProgram()
    {
        QFETCH(QPoint, rightClick);
        QFETCH(QString, keys);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        if (rightClick.x() >= 0) {
            xt::mouseMoveTo(player.at(rightClick.x(), rightClick.y()));
            xt::run(u"xdotool"_s, {u"click"_s, u"3"_s});
            QThread::msleep(400);
        }
        for (const QString &key : keys.split(u' '))
            player.keys(key);
        QVERIFY(player.waitExit());
        QCOMPARE(player.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.process().exitCode(), 0);
    }

    void movedWindowIsBackAtItsPlaceAfterRestart()
    {
        {
            xt::Player player;
            player.activate();
            xt::mouseMoveTo(player.at(300, 10));
            xt::mouseDown();
            xt::mouseMoveTo(QPoint(600, 400));
            xt::mouseUp();
            QVERIFY(xt::waitFor([&] { return player.geometry().topLeft() != QPoint(28, 111); }, 3000));
            player.activate();
            player.keys(u"shift+Delete"_s);
            QVERIFY(player.waitExit());
        }
        xt::Player again;
        QTRY_COMPARE(again.geometry().topLeft(), QPoint(28, 111));
    }
};

QTEST_GUILESS_MAIN(TestE2EPlayer)
#include "test_e2e_player.moc"
