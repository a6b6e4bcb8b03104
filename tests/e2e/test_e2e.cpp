// The whole program end to end, as a user meets it: the real binary on a real
// X server, driven only by pointer moves, presses, drags, right-clicks, keys
// and typing into the open dialog; judged only by what the screen shows, the
// windows' titles and sizes, what the program writes to its error stream and
// how the process ends. One test function is one group of cases; CTest runs
// each group on a display of its own.
#include "../common/media.h"
#include "../common/xtools.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QString kOpenDialog = u"Открыть файл мультимедиа"_s;
const QString kAbout = u"О программе: Kavro версия 1.6 beta 2"_s;
const QRgb kCream = qRgb(255, 251, 240);
constexpr int kFullBar = 455;

QImage picture(const QString &file)
{
    return QImage(QStringLiteral(KAVRO_SOURCE_DIR "/resources/") + file).convertToFormat(QImage::Format_RGB32);
}

// A skin button: its box's top-left corner in the window, the base name of its
// pictures and a point inside it that belongs to no other control.
struct Button
{
    const char *name;
    QPoint box;
    const char *pictures;
    QPoint inside;
};
const Button kPrev{"previous", {7, 32}, "prev", {24, 45}};
const Button kPause{"pause", {40, 31}, "pause", {56, 45}};
const Button kPlay{"play", {72, 32}, "play", {88, 45}};
const Button kStop{"stop", {103, 32}, "stop", {119, 45}};
const Button kNext{"next", {135, 31}, "next", {151, 45}};

// Whether a shot of the player window shows the button with the given look
// ("normal", "hover", "pressed"): the inside of the picture, away from where
// the neighbours overlap, pixel for pixel.
bool showsLook(const QImage &shot, const Button &b, const char *look)
{
    const QImage pic = picture(QString::fromLatin1(b.pictures) + u'_' + QString::fromLatin1(look) + u".bmp"_s);
    if (pic.isNull())
        return false;
    for (int y = 2; y < pic.height() - 2; ++y)
        for (int x = 3; x < 29; ++x)
            if (shot.pixel(b.box.x() + x, b.box.y() + y) != pic.pixel(x, y))
                return false;
    return true;
}

// The classic button bar: five buttons 29 wide every 28 pixels from x 15, in
// the order play, pause, stop, next, previous. A button is enabled when its
// pictogram is drawn in colour or black rather than in grey.
bool barButtonEnabled(const QImage &shot, int index)
{
    int inked = 0;
    for (int y = 31 + 6; y < 31 + 21; ++y)
        for (int x = 15 + 28 * index + 7; x < 15 + 28 * index + 22; ++x) {
            const QRgb c = shot.pixel(x, y);
            const int spread = std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)});
            if (qGray(c) < 60 || spread > 60)
                ++inked;
        }
    return inked > 5;
}

bool skinButtonsShown(const QImage &shot)
{
    for (const Button &b : {kPrev, kPause, kPlay, kStop, kNext})
        if (!showsLook(shot, b, "normal"))
            return false;
    return true;
}

// The classic bar covers the skin buttons: none of their blue frame is left.
bool classicBarShown(const QImage &shot)
{
    for (int y = 33; y < 56; ++y)
        for (int x = 17; x < 154; ++x)
            if (shot.pixel(x, y) == qRgb(22, 78, 192))
                return false;
    return true;
}

} // namespace

class TestE2E : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_tone, m_short, m_other, m_bad;

    // Clicks at a point of the player window with a pointer button.
    static void clickAt(xt::Player &player, QPoint p, int button = 1)
    {
        xt::mouseMoveTo(player.at(p.x(), p.y()));
        QThread::msleep(60);
        xt::run(u"xdotool"_s, {u"click"_s, QString::number(button)});
        QThread::msleep(150);
    }

    // Waits for the error box, checks the text the program logged for it,
    // and closes it with Return.
    static bool dismissErrorBox(xt::Player &player, const QString &expected = {})
    {
        if (!xt::waitFor([&] { return !player.errorBox().isEmpty(); }, 15000)) {
            qWarning("no error box; the program said: %s", qPrintable(player.errors()));
            return false;
        }
        if (!expected.isEmpty() && !xt::waitFor([&] { return player.errors().contains(expected); }, 3000)) {
            qWarning("error box without \"%s\"; the program said: %s", qPrintable(expected), qPrintable(player.errors()));
            return false;
        }
        const QString box = player.errorBox();
        xt::run(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, box});
        xt::run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        return xt::waitFor([&] { return player.errorBox().isEmpty(); }, 5000);
    }

    static bool barGrows(xt::Player &player, int beyond = 20, int ms = 5000)
    {
        return xt::waitFor([&] { return xt::gaugeBar(player.shot()) > beyond; }, ms);
    }

    // The bar stays where it is for a while (nothing plays).
    static bool barHolds(xt::Player &player, int ms = 700)
    {
        const int before = xt::gaugeBar(player.shot());
        QThread::msleep(ms);
        return qAbs(xt::gaugeBar(player.shot()) - before) <= 3;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_tone = m_dir.filePath(u"tone.wav"_s);
        m_short = m_dir.filePath(u"short.wav"_s);
        m_other = m_dir.filePath(u"other.ogg"_s);
        m_bad = m_dir.filePath(u"noise.mp3"_s);
        QVERIFY(makeTone(m_tone, 8.0));
        QVERIFY(makeTone(m_short, 1.0));
        QVERIFY(makeTone(m_other, 6.0, u"vorbisenc ! oggmux"_s));
        QByteArray noise;
        for (int i = 0; i < 20000; ++i)
            noise.append(char((i * 7919 + 13) % 251));
        QVERIFY(writeBytes(m_bad, noise));
    }

    // --- start-up, the window set and the ways of ending ------------------------

    void startup()
    {
        // A file named on the command line is not opened: the player comes up
        // as without it and play does nothing.
        {
            xt::Player player({m_tone});
            QVERIFY(!player.window().isEmpty());
            QTRY_COMPARE(player.geometry(), QRect(28, 111, 640, 70));
            player.activate();
            player.keys(u"ctrl+p"_s);
            QVERIFY(barHolds(player));
            QCOMPARE(xt::gaugeBar(player.shot()), 0);
            QVERIFY(player.errorBox().isEmpty());
        }
        // Two starts give two players that do not see each other: one playing,
        // the other ended, the first plays on.
        {
            xt::Player first, second;
            QVERIFY(!first.window().isEmpty() && !second.window().isEmpty());
            QVERIFY(first.window() != second.window());
            QVERIFY(first.openFile(m_tone));
            first.activate();
            first.keys(u"ctrl+p"_s);
            QVERIFY(barGrows(first, 0));
            second.activate();
            second.keys(u"shift+Delete"_s);
            QVERIFY(second.waitExit());
            QCOMPARE(second.process().exitCode(), 0);
            const int at = xt::gaugeBar(first.shot());
            QVERIFY(barGrows(first, at + 10));
        }
        // One task-bar entry, "Kavro", also while a file is loaded.
        if (qEnvironmentVariable("KAVRO_NO_WM") != u"1"_s) {
            xt::Player player;
            QVERIFY(player.openFile(m_tone));
            auto entries = [&] {
                QStringList names;
                for (const QString &id : xt::clientList())
                    if (xt::property(id, u"_NET_WM_PID"_s).endsWith(QString::number(player.process().processId())))
                        names << xt::property(id, u"_NET_WM_NAME"_s);
                return names;
            };
            QCOMPARE(entries().size(), 1);
            QVERIFY2(entries().constFirst().endsWith(u"\"Kavro\""_s), qPrintable(entries().constFirst()));
        }
    }

    void ending_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Shift+Del") << u"shift+Delete"_s;
        QTest::newRow("Выйти from the window's menu") << u"menu1 Up Return"_s;
        QTest::newRow("Закрыть from the title's menu") << u"menu2 Down Return"_s;
        QTest::newRow("the window manager's close") << u"wm"_s;
        QTest::newRow("the session's end with the about window open") << u"about term"_s;
        QTest::newRow("the session's end with an error box open") << u"box term"_s;
    }
    // Every way of ending the program ends it with exit code 0.
    void ending()
    {
        QFETCH(QString, how);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        const QStringList steps = how.split(u' ');
        if (steps[0] == u"wm"_s) {
            if (!player.hasWindowManager())
                QSKIP("needs a window manager");
            xt::closeWindow(player.window());
        } else if (steps[0] == u"about"_s) {
            player.keys(u"F1"_s);
            QVERIFY(!xt::waitWindow(kAbout, player.process().processId()).isEmpty());
            ::kill(pid_t(player.process().processId()), SIGTERM);
        } else if (steps[0] == u"box"_s) {
            QVERIFY(player.openFile(m_bad));
            QVERIFY(xt::waitFor([&] { return !player.errorBox().isEmpty(); }, 15000));
            ::kill(pid_t(player.process().processId()), SIGTERM);
        } else if (steps[0].startsWith(u"menu"_s)) {
            clickAt(player, steps[0] == u"menu2"_s ? QPoint(300, 10) : QPoint(171, 45), 3);
            QVERIFY(xt::waitFor([&] { return !player.menus().isEmpty(); }, 3000));
            for (const QString &key : steps.mid(1))
                player.keys(key);
        } else {
            player.keys(how);
        }
        QVERIFY(player.waitExit());
        QCOMPARE(player.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.process().exitCode(), 0);
    }

    void toolWindowsClose_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("client");
        QTest::newRow("F1: about") << u"F1"_s << kAbout << QSize(614, 336);
        QTest::newRow("Ctrl+E: problem report") << u"ctrl+e"_s << u"Сообщение об ошибке в программе Kavro"_s << QSize(729, 623);
        QTest::newRow("Ctrl+U: update check") << u"ctrl+u"_s << u"Проверить наличие обновлений на Kavro Update"_s << QSize(423, 346);
        QTest::newRow("F10: donations") << u"F10"_s << u"Пожертвования в Kavro Software"_s << QSize(882, 601);
    }
    // Closing a tool window (twice over) leaves the program running and the
    // player answering its keys.
    void toolWindowsClose()
    {
        QFETCH(QString, keys);
        QFETCH(QString, caption);
        QFETCH(QSize, client);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        if (!player.hasWindowManager())
            QSKIP("nothing closes a window from outside without a window manager");
        for (int opening = 0; opening < 2; ++opening) {
            player.activate();
            player.keys(keys);
            const QString win = xt::waitWindow(caption, player.process().processId());
            QVERIFY2(!win.isEmpty(), qPrintable(caption));
            QSize size = xt::geometry(win).size();
            if (keys == u"ctrl+u"_s)
                size.rheight() -= 19; // its menu bar lies above the client area
            QVERIFY2(qAbs(size.width() - client.width()) <= 2 && qAbs(size.height() - client.height()) <= 6,
                     qPrintable(u"%1x%2"_s.arg(size.width()).arg(size.height())));
            xt::closeWindow(win);
            QVERIFY(xt::waitFor([&] { return xt::findWindows(caption, player.process().processId()).isEmpty(); }));
            QCOMPARE(player.process().state(), QProcess::Running);
        }
        // The player still answers: the open dialog comes and goes.
        player.activate();
        player.keys(u"Insert"_s);
        QVERIFY(!xt::waitWindow(kOpenDialog, player.process().processId()).isEmpty());
        xt::run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
        QVERIFY(xt::waitFor([&] { return xt::findWindows(kOpenDialog, player.process().processId()).isEmpty(); }));
        player.activate();
        player.keys(u"shift+Delete"_s);
        QVERIFY(player.waitExit());
        QCOMPARE(player.process().exitCode(), 0);
    }

    // --- the window's face ---------------------------------------------------------

    void face()
    {
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        QTRY_COMPARE(player.geometry(), QRect(28, 111, 640, 70));
        const QImage shot = player.shot();
        // Rows 22 to 24 under the title picture show the cream window.
        for (int y = 22; y <= 24; ++y)
            for (int x = 12; x < 630; x += 41)
                QCOMPARE(shot.pixel(x, y), kCream);
        // Five buttons in their normal look; the gauge at "0%" with no bar.
        QVERIFY(skinButtonsShown(shot));
        QCOMPARE(xt::gaugeBar(shot), 0);
        int text = 0;
        for (int y = 35; y < 56; ++y)
            for (int x = 390; x < 420; ++x)
                text += shot.pixel(x, y) == qRgb(0, 0, 0);
        QVERIFY2(text > 20, "no \"0%\" in the gauge");
    }

    void pressGoesTo_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QString>("pressed"); // the button whose pressed look shows, "" for none
        QTest::newRow("x 72: play") << QPoint(72, 45) << u"play"_s;
        QTest::newRow("x 103: play") << QPoint(103, 45) << u"play"_s;
        QTest::newRow("x 104: play") << QPoint(104, 45) << u"play"_s;
        QTest::newRow("x 135: stop") << QPoint(135, 45) << u"stop"_s;
        QTest::newRow("x 40: pause") << QPoint(40, 45) << u"pause"_s;
        QTest::newRow("x 8: the left edge") << QPoint(8, 45) << QString();
    }
    // Which control a press in the button row reaches, seen by the pressed
    // look (released where it was pressed; before a file nothing plays).
    void pressGoesTo()
    {
        QFETCH(QPoint, press);
        QFETCH(QString, pressed);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        QTRY_COMPARE(player.geometry().topLeft(), QPoint(28, 111));
        player.activate();
        xt::mouseMoveTo(player.at(press.x(), press.y()));
        QThread::msleep(100);
        xt::mouseDown();
        const Button all[] = {kPrev, kPause, kPlay, kStop, kNext};
        auto look = [&] {
            const QImage shot = player.shot();
            for (const Button &b : all)
                if (showsLook(shot, b, "pressed"))
                    return QString::fromLatin1(b.name);
            return QString();
        };
        if (pressed.isEmpty()) {
            QThread::msleep(300);
            QCOMPARE(look(), QString());
            QVERIFY(showsLook(player.shot(), kPrev, "normal"));
        } else {
            QVERIFY2(xt::waitFor([&] { return look() == pressed; }, 3000), qPrintable(look()));
        }
        xt::mouseUp();
        QThread::msleep(200);
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
    }

    // The wide pictures are cut at their 33-pixel box: the previous button's
    // hover picture (35 wide) shows its columns 0 to 32 only.
    void widePicturesAreCut()
    {
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        xt::mouseMoveTo(player.at(24, 45));
        const QImage hover = picture(u"prev_hover.bmp"_s);
        QCOMPARE(hover.width(), 35);
        auto cut = [&] {
            const QImage shot = player.shot();
            for (int y = 1; y < 27; ++y)
                for (int x = 7; x <= 39; ++x)
                    if (shot.pixel(x, 32 + y) != hover.pixel(x - 7, y))
                        return false;
            return true;
        };
        QVERIFY(xt::waitFor(cut, 3000));
    }

    void rightClickMenus_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("titleMenu");
        QTest::newRow("title picture") << QPoint(300, 10) << true;
        QTest::newRow("left edge over the title") << QPoint(0, 12) << false;
        QTest::newRow("right edge column over the title") << QPoint(639, 12) << false;
        QTest::newRow("bottom edge") << QPoint(300, 68) << false;
        QTest::newRow("gauge") << QPoint(400, 45) << false;
        QTest::newRow("cream field") << QPoint(171, 45) << false;
        QTest::newRow("play button") << kPlay.inside << false;
    }
    // The title picture has its own short menu; everything else opens the
    // window's menu. A right-click on a button issues no command.
    void rightClickMenus()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, titleMenu);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        QVERIFY(player.openFile(m_tone));
        player.activate();
        clickAt(player, at, 3);
        QVERIFY(xt::waitFor([&] { return !player.menus().isEmpty(); }, 3000));
        const QRect menu = player.menus().constFirst();
        // The title's menu has one item; the window's has seven lines.
        if (titleMenu)
            QVERIFY2(menu.height() < 40, qPrintable(QString::number(menu.height())));
        else
            QVERIFY2(menu.height() > 80, qPrintable(QString::number(menu.height())));
        xt::run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
        QVERIFY(xt::waitFor([&] { return player.menus().isEmpty(); }, 3000));
        QVERIFY(barHolds(player, 500));
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
    }

    // --- commands and progress ---------------------------------------------------------

    void transportBeforeAnyFile_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("Ctrl+P") << u"ctrl+p"_s;
        QTest::newRow("Ctrl+H") << u"ctrl+h"_s;
        QTest::newRow("Ctrl+S") << u"ctrl+s"_s;
        QTest::newRow("play button") << u"click play"_s;
        QTest::newRow("pause button") << u"click pause"_s;
        QTest::newRow("previous button") << u"click previous"_s;
        QTest::newRow("after cancelling the first dialog: Ctrl+P") << u"cancel ctrl+p"_s;
    }
    // Before any file the transport commands do nothing and show nothing; the
    // buttons still change their looks.
    void transportBeforeAnyFile()
    {
        QFETCH(QString, input);
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        QStringList steps = input.split(u' ');
        if (steps[0] == u"cancel"_s) {
            player.keys(u"Insert"_s);
            QVERIFY(!xt::waitWindow(kOpenDialog, player.process().processId()).isEmpty());
            xt::run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
            QVERIFY(xt::waitFor([&] { return xt::findWindows(kOpenDialog, player.process().processId()).isEmpty(); }));
            player.activate();
            steps.removeFirst();
        }
        if (steps[0] == u"click"_s) {
            const Button b = steps[1] == u"play"_s ? kPlay : steps[1] == u"pause"_s ? kPause : kPrev;
            xt::mouseMoveTo(player.at(b.inside.x(), b.inside.y()));
            QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), b, "hover"); }, 3000));
            xt::mouseDown();
            QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), b, "pressed"); }, 3000));
            xt::mouseUp();
            QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), b, "hover"); }, 3000));
        } else {
            player.keys(steps[0]);
        }
        QVERIFY(barHolds(player));
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
        QVERIFY(player.errorBox().isEmpty());
        QVERIFY(!player.errors().contains(u"kavro:"_s));
    }

    // A first file no device can open: the service's error, then "No MCI
    // device open." for each transport command, the gauge at 0%. A click on
    // the play button leaves it pressed until the pointer leaves it.
    void refusedFirstFile()
    {
        xt::Player player;
        QVERIFY(player.openFile(m_bad));
        QVERIFY(dismissErrorBox(player));
        for (const QString &key : {u"ctrl+p"_s, u"ctrl+h"_s, u"ctrl+s"_s}) {
            player.activate();
            player.keys(key);
            QVERIFY2(dismissErrorBox(player, u"No MCI device open."_s), qPrintable(key));
        }
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
        player.activate();
        xt::mouseMoveTo(player.at(kPlay.inside.x(), kPlay.inside.y()));
        QThread::msleep(150);
        xt::run(u"xdotool"_s, {u"click"_s, u"1"_s});
        QVERIFY(dismissErrorBox(player, u"No MCI device open."_s));
        QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), kPlay, "pressed"); }, 3000));
        xt::mouseMoveTo(player.at(400, 150));
        xt::mouseMoveTo(player.at(300, 45));
        QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), kPlay, "normal"); }, 3000));
    }

    // Play, pause, resume, stop and replay through the keys and the buttons.
    void playback()
    {
        xt::Player player;
        QVERIFY(player.openFile(m_tone));
        player.activate();
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
        // Play: the bar follows the position.
        player.keys(u"ctrl+p"_s);
        QVERIFY(barGrows(player, 10));
        // Play while playing goes on from where it is.
        int at = xt::gaugeBar(player.shot());
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::gaugeBar(player.shot()) >= at);
        // Two pauses: paused, then resumed from the same place.
        player.keys(u"ctrl+h"_s);
        QVERIFY(barHolds(player));
        at = xt::gaugeBar(player.shot());
        player.keys(u"ctrl+h"_s);
        QVERIFY(barGrows(player, at + 10));
        // Stop: to the end, the whole bar.
        player.keys(u"ctrl+s"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == kFullBar; }, 3000));
        // A pause while stopped does nothing.
        player.keys(u"ctrl+h"_s);
        QVERIFY(barHolds(player, 400));
        QCOMPARE(xt::gaugeBar(player.shot()), kFullBar);
        // Play again: from the beginning.
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) < 120; }, 3000));
        QVERIFY(barGrows(player, 20));
        // A double click on the pause button pauses once: the bar holds.
        xt::mouseMoveTo(player.at(kPause.inside.x(), kPause.inside.y()));
        QThread::msleep(100);
        xt::run(u"xdotool"_s, {u"click"_s, u"--repeat"_s, u"2"_s, u"--delay"_s, u"80"_s, u"1"_s});
        QThread::msleep(200);
        QVERIFY(barHolds(player));
    }

    void stopButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("previous icon") << u"previous"_s;
        QTest::newRow("stop icon") << u"stop"_s;
        QTest::newRow("next icon") << u"next"_s;
    }
    // All three of these buttons move playback to the end.
    void stopButtons()
    {
        QFETCH(QString, button);
        const Button b = button == u"previous"_s ? kPrev : button == u"stop"_s ? kStop : kNext;
        xt::Player player;
        QVERIFY(player.openFile(m_tone));
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(barGrows(player, 5));
        clickAt(player, b.inside);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == kFullBar; }, 3000));
        QVERIFY(barHolds(player, 400));
    }

    // A short file played to its end starts again from the beginning; opening
    // a file again puts the gauge back to 0%; after the about window has been
    // closed the commands still work.
    void replayReopenAndAbout()
    {
        xt::Player player;
        QVERIFY(player.openFile(m_short));
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == kFullBar; }, 6000));
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) < kFullBar; }, 3000));

        QVERIFY(player.openFile(m_other));
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == 0; }, 2000));
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(barGrows(player, 10));
        QVERIFY(player.openFile(m_other));
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == 0; }, 2000));

        // The gauge moves on under the about window; after it is closed the
        // commands still pass.
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(barGrows(player, 0));
        player.keys(u"F1"_s);
        const QString about = xt::waitWindow(kAbout, player.process().processId());
        QVERIFY(!about.isEmpty());
        const int before = xt::gaugeBar(player.shot());
        QVERIFY(barGrows(player, before + 10));
        // F1 again does nothing: the player has no focus while the window is open.
        xt::run(u"xdotool"_s, {u"key"_s, u"F1"_s});
        QTest::qWait(300);
        QCOMPARE(xt::findWindows(kAbout, player.process().processId()).size(), 1);
        xt::run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QVERIFY(xt::waitFor([&] { return xt::findWindows(kAbout, player.process().processId()).isEmpty(); }));
        player.activate();
        player.keys(u"ctrl+s"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == kFullBar; }, 3000));
    }

    // --- menus and the two views --------------------------------------------------------

    void classicView()
    {
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        // Ctrl+I twice leaves the classic view as after once.
        player.keys(u"ctrl+i"_s);
        player.keys(u"ctrl+i"_s);
        QVERIFY(xt::waitFor([&] { return classicBarShown(player.shot()); }, 3000));
        // Before a file every button of the bar is grey, and clicking does nothing.
        QImage shot = player.shot();
        for (int i = 0; i < 5; ++i)
            QVERIFY2(!barButtonEnabled(shot, i), qPrintable(QString::number(i)));
        clickAt(player, QPoint(15 + 14, 44));
        QVERIFY(barHolds(player, 400));
        QVERIFY(player.errorBox().isEmpty());
        // After the open command: play, next and previous are enabled.
        QVERIFY(player.openFile(m_tone));
        QVERIFY(xt::waitFor([&] {
            const QImage s = player.shot();
            return barButtonEnabled(s, 0) && !barButtonEnabled(s, 1) && !barButtonEnabled(s, 2)
                && barButtonEnabled(s, 3) && barButtonEnabled(s, 4);
        }, 3000));
        // The bar's play, then its stop: the next play of the bar goes on from there.
        clickAt(player, QPoint(15 + 14, 44));
        QVERIFY(barGrows(player, 30));
        clickAt(player, QPoint(15 + 28 * 2 + 14, 44));
        QVERIFY(barHolds(player));
        const int stoppedAt = xt::gaugeBar(player.shot());
        QVERIFY(stoppedAt > 30 && stoppedAt < kFullBar);
        clickAt(player, QPoint(15 + 14, 44));
        QVERIFY(barGrows(player, stoppedAt + 10));
        QVERIFY(xt::gaugeBar(player.shot()) >= stoppedAt);
        // The menu's stop seeks to the end; the next play starts over.
        player.activate();
        player.keys(u"ctrl+s"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) == kFullBar; }, 3000));
        player.keys(u"ctrl+p"_s);
        QVERIFY(xt::waitFor([&] { return xt::gaugeBar(player.shot()) < 120; }, 3000));
        // A right-click on the bar opens the window's menu.
        clickAt(player, QPoint(15 + 28 * 3 + 14, 44), 3);
        QVERIFY(xt::waitFor([&] { return !player.menus().isEmpty(); }, 3000));
        QVERIFY(player.menus().constFirst().height() > 80);
        xt::run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
        QVERIFY(xt::waitFor([&] { return player.menus().isEmpty(); }, 3000));
        // Ctrl+L shows the five skin buttons again in their places.
        player.activate();
        player.keys(u"ctrl+l"_s);
        xt::mouseMoveTo(player.at(400, 150));
        QVERIFY(xt::waitFor([&] { return skinButtonsShown(player.shot()); }, 3000));
    }

    // The keyboard's menu key opens the window's menu at its top-left corner.
    void menuKey()
    {
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        player.keys(u"Menu"_s);
        QVERIFY(xt::waitFor([&] { return !player.menus().isEmpty(); }, 3000));
        const QRect menu = player.menus().constFirst();
        QVERIFY(menu.height() > 80);
        QVERIFY2((menu.topLeft() - player.geometry().topLeft()).manhattanLength() <= 2,
                 qPrintable(u"%1,%2"_s.arg(menu.x()).arg(menu.y())));
        xt::run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
    }

    // --- skin buttons and dragging --------------------------------------------------

    void skinButtons()
    {
        xt::Player player;
        QVERIFY(player.openFile(m_tone));
        player.activate();
        // Straight from one button onto its neighbour: the first shows its
        // leave (normal) picture, the second its hover picture.
        xt::mouseMoveTo(player.at(kPlay.inside.x(), kPlay.inside.y()));
        QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), kPlay, "hover"); }, 3000));
        xt::mouseMoveTo(player.at(kStop.inside.x(), kStop.inside.y()));
        QVERIFY(xt::waitFor([&] {
            const QImage s = player.shot();
            return showsLook(s, kPlay, "normal") && showsLook(s, kStop, "hover");
        }, 3000));

        // Press on play, drag off, release outside: no play; the hover look
        // stays until the pointer moves again.
        xt::mouseMoveTo(player.at(kPlay.inside.x(), kPlay.inside.y()));
        QThread::msleep(150);
        xt::mouseDown();
        QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), kPlay, "pressed"); }, 3000));
        xt::mouseMoveTo(player.at(400, 200));
        QThread::msleep(150);
        xt::mouseUp();
        QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), kPlay, "hover"); }, 3000));
        QVERIFY(barHolds(player));
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
        xt::mouseMoveTo(player.at(420, 220));
        QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), kPlay, "normal"); }, 3000));

        // A press on the cream field and a release over the play button: the
        // field holds the capture, so the button gets nothing; its hover
        // picture comes with the next movement.
        xt::mouseMoveTo(player.at(171, 45));
        QThread::msleep(100);
        xt::mouseDown();
        xt::mouseMoveTo(player.at(kPlay.inside.x(), kPlay.inside.y()));
        QThread::msleep(150);
        xt::mouseUp();
        QThread::msleep(300);
        QVERIFY(showsLook(player.shot(), kPlay, "normal"));
        QCOMPARE(xt::gaugeBar(player.shot()), 0);
        xt::mouseMoveTo(player.at(kPlay.inside.x() + 2, kPlay.inside.y() + 1));
        QVERIFY(xt::waitFor([&] { return showsLook(player.shot(), kPlay, "hover"); }, 3000));

        // A right-click on the play button: the window's menu, no playback.
        xt::run(u"xdotool"_s, {u"click"_s, u"3"_s});
        QVERIFY(xt::waitFor([&] { return !player.menus().isEmpty(); }, 3000));
        xt::run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
        QVERIFY(xt::waitFor([&] { return player.menus().isEmpty(); }, 3000));
        QVERIFY(barHolds(player));
        QCOMPARE(xt::gaugeBar(player.shot()), 0);

        // A left click plays.
        xt::run(u"xdotool"_s, {u"click"_s, u"1"_s});
        QVERIFY(barGrows(player, 10));
    }

    void dragRegions_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<bool>("moves");
        QTest::newRow("title picture") << QPoint(300, 10) << true;
        QTest::newRow("left edge") << QPoint(2, 45) << true;
        QTest::newRow("previous button's two left columns") << QPoint(7, 45) << true;
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

    void movedWindowIsBackAfterRestart()
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

    // --- the about window --------------------------------------------------------------

    void aboutWindow()
    {
        xt::Player player;
        QVERIFY(!player.window().isEmpty());
        player.activate();
        player.keys(u"F1"_s);
        QString about = xt::waitWindow(kAbout, player.process().processId());
        QVERIFY(!about.isEmpty());
        // First showing: centred on the screen (1280 x 1024, no panels).
        const QRect first = xt::geometry(about, true);
        QVERIFY2(qAbs(first.center().x() - 640) <= 12 && qAbs(first.center().y() - 512) <= 20,
                 qPrintable(u"%1,%2 %3x%4"_s.arg(first.x()).arg(first.y()).arg(first.width()).arg(first.height())));
        const QImage look = xt::screenshot().copy(xt::geometry(about));
        // Esc does nothing; Tab to the text and Enter there does not close it.
        xt::run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
        QThread::msleep(300);
        QVERIFY(!xt::findWindows(kAbout, player.process().processId()).isEmpty());
        xt::run(u"xdotool"_s, {u"key"_s, u"Tab"_s});
        xt::run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QThread::msleep(300);
        QVERIFY(!xt::findWindows(kAbout, player.process().processId()).isEmpty());
        if (!player.hasWindowManager())
            return; // moving and closing from outside need a window manager
        // Moved and closed, it comes back at the moved place, looking the same.
        xt::run(u"xdotool"_s, {u"windowmove"_s, about, u"100"_s, u"80"_s});
        QVERIFY(xt::waitFor([&] { return (xt::geometry(about).topLeft() - first.topLeft()).manhattanLength() > 50; }, 3000));
        const QPoint moved = xt::geometry(about).topLeft();
        xt::closeWindow(about);
        QVERIFY(xt::waitFor([&] { return xt::findWindows(kAbout, player.process().processId()).isEmpty(); }));
        player.activate();
        player.keys(u"F1"_s);
        about = xt::waitWindow(kAbout, player.process().processId());
        QVERIFY(!about.isEmpty());
        QVERIFY(xt::waitFor([&] { return (xt::geometry(about).topLeft() - moved).manhattanLength() <= 2; }, 3000));
        QThread::msleep(300);
        const QImage again = xt::screenshot().copy(xt::geometry(about));
        QCOMPARE(again.size(), look.size());
        int differing = 0;
        for (int y = 0; y < look.height(); ++y)
            for (int x = 0; x < look.width(); ++x)
                differing += look.pixel(x, y) != again.pixel(x, y);
        // The focus may sit on another control; the content is the same.
        QVERIFY2(differing < look.width() * look.height() / 50, qPrintable(QString::number(differing)));
    }

    // --- robustness: bad media --------------------------------------------------------

    void badMedia_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes"); // written as they are; empty with a non-empty name: a made file
        QTest::addColumn<QString>("says");     // part of the logged error text
        QByteArray noise;
        for (int i = 0; i < 30000; ++i)
            noise.append(char((i * 2654435761u) >> 13));
        QTest::newRow("empty") << u"empty.wav"_s << QByteArray() << QString();
        QTest::newRow("truncated WAV") << u"cut.wav"_s << QByteArray("RIFF\x24\x10\x00\x00WAVEfmt ", 16) << QString();
        QTest::newRow("truncated MP3") << u"cut.mp3"_s << QByteArray("made:cut-mp3") << QString();
        QTest::newRow("random bytes .mp3") << u"noise.mp3"_s << noise << QString();
        QTest::newRow("random bytes .wav") << u"noise.wav"_s << noise << QString();
        QTest::newRow("random bytes .ogg") << u"noise.ogg"_s << noise << QString();
        QTest::newRow("text file") << u"notes.mp3"_s << QByteArray("Это не музыка, а текст.\n").repeated(200) << QString();
        QTest::newRow("no decoder installed (MIDI)") << u"tune.mid"_s
            << QByteArray("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0c"
                          "\x00\x90\x3c\x40\x60\x80\x3c\x40\x00\xff\x2f\x00", 34)
            << u"missing"_s;
    }
    // Each bad file ends in the error box with a clear text; the next good
    // file plays.
    void badMedia()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        const QString path = m_dir.filePath(file);
        if (bytes == "made:cut-mp3") {
            QVERIFY(makeTone(path, 3.0, u"lamemp3enc ! id3v2mux"_s));
            QFile f(path);
            QVERIFY(f.resize(f.size() / 20));
        } else {
            QVERIFY(writeBytes(path, bytes));
        }
        xt::Player player;
        QVERIFY(player.openFile(path));
        QVERIFY(dismissErrorBox(player, says));
        // A clear text: a sentence of its own, not an error number.
        const QString logged = player.errors().section(u"kavro: "_s, -1).trimmed();
        QVERIFY2(logged.size() > 10 && !logged.contains(u"Unknown error code"_s), qPrintable(logged));
        QVERIFY(player.openFile(m_tone));
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(barGrows(player, 10));
        QCOMPARE(player.process().state(), QProcess::Running);
    }

    // A video opens in a window of its own; closing that window leaves the
    // player working.
    void videoInItsOwnWindow()
    {
        const QString video = m_dir.filePath(u"clip.ogv"_s);
        QProcess make;
        make.start(u"gst-launch-1.0"_s, QProcess::splitCommand(
            u"-q videotestsrc num-buffers=250 ! video/x-raw,width=320,height=240,framerate=25/1 ! theoraenc "
            "! oggmux ! filesink location=\"%1\""_s.arg(video)));
        QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);
        xt::Player player;
        QVERIFY(player.openFile(video));
        // The video's window shows its first picture as soon as the file is open.
        QString videoWindow;
        QVERIFY(xt::waitFor([&] {
            for (const QString &id : xt::run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--pid"_s,
                                                            QString::number(player.process().processId()), u""_s})
                                         .split(u'\n', Qt::SkipEmptyParts))
                if (xt::geometry(id).size() == QSize(320, 240))
                    videoWindow = id;
            return !videoWindow.isEmpty();
        }, 10000));
        // It took the keyboard when it came; the player gets it back to play.
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(barGrows(player, 5, 10000));
        if (player.hasWindowManager()) {
            xt::closeWindow(videoWindow);
            QVERIFY(xt::waitFor([&] { return xt::geometry(videoWindow).size() != QSize(320, 240)
                                             || xt::run(u"xwininfo"_s, {u"-id"_s, videoWindow}).contains(u"IsUnMapped"_s); },
                                5000));
            // The media layer may report the closed window in the error box;
            // either way the next file plays.
            QThread::msleep(500);
            if (!player.errorBox().isEmpty())
                QVERIFY(dismissErrorBox(player));
        }
        QVERIFY(player.openFile(m_tone));
        player.activate();
        player.keys(u"ctrl+p"_s);
        QVERIFY(barGrows(player, 10));
        QCOMPARE(player.process().state(), QProcess::Running);
    }

    // --- a screen at scale 2 -----------------------------------------------------

    void doubleScale()
    {
        xt::Player player({}, {u"QT_SCALE_FACTOR=2"_s});
        QVERIFY(!player.window().isEmpty());
        QTRY_COMPARE(player.geometry().size(), QSize(1280, 140));
        const QImage play = picture(u"play_normal@2x.bmp"_s);
        auto crisp = [&] {
            const QImage shot = player.shot();
            for (int y = 4; y < 48; ++y)
                for (int x = 4; x < 58; ++x)
                    if (shot.pixel(144 + x, 64 + y) != play.pixel(x, y))
                        return false;
            return true;
        };
        QVERIFY(xt::waitFor(crisp, 5000));
    }
};

QTEST_GUILESS_MAIN(TestE2E)
#include "test_e2e.moc"
