// End to end: the about window and the three web windows as a user opens and
// closes them from the player's shortcuts, with playback going on underneath.
#include "../common/media.h"
#include "../common/xtools.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestE2EWindows : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void aboutWindowOverPlayback()
    {
        const QString tone = m_dir.filePath(u"tone.wav"_s);
        QVERIFY(makeTone(tone, 6.0));
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        player.keys(u"Insert"_s);
        QVERIFY(!xt::waitWindow(u"Открыть файл мультимедиа"_s, player.process().processId()).isEmpty());
        xt::typeText(tone);
        xt::run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QVERIFY(xt::waitFor([&] {
            return xt::findWindows(u"Открыть файл мультимедиа"_s, player.process().processId()).isEmpty();
        }));
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) > 0; }, 5000));
        // F1 opens the about window; the gauge keeps moving under it.
        player.keys(u"F1"_s);
        const QString about = xt::waitWindow(u"О программе: Kavro версия 1.6 beta 2"_s, player.process().processId());
        QVERIFY(!about.isEmpty());
        QCOMPARE(xt::geometry(about).size(), QSize(614, 336));
        const int before = xt::gaugeBar(player.shot());
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) > before + 10; }, 5000));
        // F1 again does nothing: the player has no focus while the window is open.
        xt::run(u"xdotool"_s, {u"key"_s, u"F1"_s});
        QTest::qWait(300);
        QCOMPARE(xt::findWindows(u"О программе: Kavro версия 1.6 beta 2"_s, player.process().processId()).size(), 1);
        // Return on OK closes it; the player goes on.
        xt::run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QVERIFY(xt::waitFor([&] {
            return xt::findWindows(u"О программе: Kavro версия 1.6 beta 2"_s, player.process().processId()).isEmpty();
        }));
        QCOMPARE(player.process().state(), QProcess::Running);
    }

    void webWindowsOpenAndClose_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("client");
        QTest::newRow("Ctrl+E: problem report") << u"ctrl+e"_s << u"Сообщение об ошибке в программе Kavro"_s << QSize(729, 623);
        QTest::newRow("Ctrl+U: update check") << u"ctrl+u"_s << u"Проверить наличие обновлений на Kavro Update"_s << QSize(423, 346);
        QTest::newRow("F10: donations") << u"F10"_s << u"Пожертвования в Kavro Software"_s << QSize(882, 601);
    }
    void webWindowsOpenAndClose()
    {
        QFETCH(QString, keys);
        QFETCH(QString, caption);
        QFETCH(QSize, client);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        for (int opening = 0; opening < 2; ++opening) {
            player.activate();
            player.keys(keys);
            const QString win = xt::waitWindow(caption, player.process().processId());
            QVERIFY2(!win.isEmpty(), qPrintable(caption));
            QSize size = xt::geometry(win).size();
            // The update window's menu bar lies above its client area.
            if (keys == u"ctrl+u"_s)
                size.rheight() -= 19;
            QVERIFY2(qAbs(size.width() - client.width()) <= 2 && qAbs(size.height() - client.height()) <= 6,
                     qPrintable(u"%1x%2"_s.arg(size.width()).arg(size.height())));
            if (player.hasWindowManager())
                xt::closeWindow(win);
            else
                xt::run(u"xdotool"_s, {u"key"_s, u"alt+F4"_s});
            if (!player.hasWindowManager())
                return; // without a window manager nothing closes a window from outside
            QVERIFY(xt::waitFor([&] { return xt::findWindows(caption, player.process().processId()).isEmpty(); }));
            QCOMPARE(player.process().state(), QProcess::Running);
        }
        player.activate();
        player.keys(u"shift+Delete"_s);
        QVERIFY(player.waitExit());
        QCOMPARE(player.process().exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2EWindows)
#include "test_e2e_windows.moc"
