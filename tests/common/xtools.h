// Helpers for end-to-end tests on a real X server: run the program, find its
// windows, read their geometry and properties, press keys and take screenshots.
#pragma once

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace xt {

using namespace Qt::StringLiterals;

// Runs a command to its end (at most `ms`) and returns its standard output.
inline QString run(const QString &program, const QStringList &args, int ms = 10000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The ids of the visible windows whose name matches `name` exactly, optionally of one process.
inline QStringList findWindows(const QString &name, qint64 pid = 0)
{
    QStringList args{u"search"_s, u"--all"_s, u"--onlyvisible"_s};
    if (pid)
        args << u"--pid"_s << QString::number(pid);
    args << u"--name"_s << u"^"_s + QRegularExpression::escape(name) + u"$"_s;
    return run(u"xdotool"_s, args).split(u'\n', Qt::SkipEmptyParts);
}

// Waits until exactly one such window shows and returns it ("" on time-out).
inline QString waitWindow(const QString &name, qint64 pid = 0, int ms = 20000)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        const QStringList ids = findWindows(name, pid);
        if (!ids.isEmpty())
            return ids.first();
        QThread::msleep(50);
    }
    // Say what there was, for the failure message.
    qWarning("no window %s of process %lld; windows named so: %s; tree: %s", qPrintable(name), pid,
             qPrintable(run(u"xdotool"_s, {u"search"_s, u"--name"_s, name}).simplified()),
             qPrintable(run(u"bash"_s, {u"-c"_s, u"xwininfo -root -tree | grep -i kavro | head -5"_s}).simplified()));
    return {};
}

// The window's place on the screen and its size: its client area, or with
// `withFrame` the frame the window manager drew around it.
inline QRect geometry(const QString &id, bool withFrame = false)
{
    const QString out = run(u"xwininfo"_s, withFrame ? QStringList{u"-frame"_s, u"-id"_s, id} : QStringList{u"-id"_s, id});
    auto field = [&](const QString &label) {
        const auto m = QRegularExpression(label + u":\\s+(-?\\d+)"_s).match(out);
        return m.hasMatch() ? m.captured(1).toInt() : -99999;
    };
    return QRect(field(u"Absolute upper-left X"_s), field(u"Absolute upper-left Y"_s),
                 field(u"Width"_s), field(u"Height"_s));
}

// A window or root property as xprop prints it ("" when not set).
inline QString property(const QString &id, const QString &name)
{
    const QStringList args = id.isEmpty() ? QStringList{u"-root"_s, name} : QStringList{u"-id"_s, id, name};
    const QString out = run(u"xprop"_s, args).trimmed();
    return out.contains(u"not found"_s) || out.contains(u"no such atom"_s) ? QString() : out;
}

// The windows the window manager manages (one per task-bar entry).
inline QStringList clientList()
{
    const QString out = property({}, u"_NET_CLIENT_LIST"_s);
    QStringList ids;
    for (const auto &m : QRegularExpression(u"0x[0-9a-f]+"_s).globalMatch(out))
        ids << m.captured(0);
    return ids;
}

inline void key(const QString &id, const QString &keys)
{
    run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, u"--window"_s, id, keys});
}

inline void activateAndKey(const QString &id, const QString &keys)
{
    run(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, id});
    run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, keys});
}

// Asks the window manager to close the window, as its close button would.
inline void closeWindow(const QString &id)
{
    run(u"wmctrl"_s, {u"-i"_s, u"-c"_s, id});
}

inline QImage screenshot()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"shot.png"_s);
    run(u"import"_s, {u"-window"_s, u"root"_s, file}, 20000);
    return QImage(file);
}

} // namespace xt

namespace xt {

// The player as a user meets it: a started process and its window.
class Player
{
public:
    explicit Player(const QStringList &args = {})
    {
        m_process.start(QStringLiteral(KAVRO_APP), args);
        if (m_process.waitForStarted())
            m_window = waitWindow(u"Kavro"_s, m_process.processId());
        if (m_window.isEmpty())
            qWarning("the player shows no window: state %d, exit code %d, stderr: %s", int(m_process.state()),
                     m_process.exitCode(), m_process.readAllStandardError().left(2000).constData());
    }
    ~Player()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess &process() { return m_process; }
    const QString &window() const { return m_window; }
    bool hasWindowManager() const { return qEnvironmentVariable("KAVRO_NO_WM") != u"1"_s; }
    QRect geometry() const { return xt::geometry(m_window); }
    // The player window as the screen shows it now.
    QImage shot() const
    {
        const QRect g = geometry();
        return screenshot().copy(g).convertToFormat(QImage::Format_RGB32);
    }
    // Screen coordinates of a point of the player window.
    QPoint at(int x, int y) const { return geometry().topLeft() + QPoint(x, y); }
    // Gives the player the keyboard: through the window manager when there is
    // one, else directly (no window manager, no activation protocol).
    void activate()
    {
        run(u"xdotool"_s, {hasWindowManager() ? u"windowactivate"_s : u"windowfocus"_s, u"--sync"_s, m_window});
        QThread::msleep(100);
    }
    void keys(const QString &keys)
    {
        run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, keys});
        QThread::msleep(150);
    }
    bool waitExit(int ms = 10000) { return m_process.waitForFinished(ms); }

private:
    QProcess m_process;
    QString m_window;
};

inline void mouseMoveTo(QPoint p)
{
    run(u"xdotool"_s, {u"mousemove"_s, QString::number(p.x()), QString::number(p.y())});
}
inline void mouseDown(int button = 1) { run(u"xdotool"_s, {u"mousedown"_s, QString::number(button)}); }
inline void mouseUp(int button = 1) { run(u"xdotool"_s, {u"mouseup"_s, QString::number(button)}); }
inline void typeText(const QString &text) { run(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"5"_s, text}); }

// Waits until `predicate` holds, polling every 50 ms, at most `ms`.
template<class F>
bool waitFor(F predicate, int ms = 10000)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (predicate())
            return true;
        QThread::msleep(50);
    }
    return predicate();
}

// How far the gauge's silver bar reaches in a shot of the player window
// (0 for no bar), read along a row above the text.
inline int gaugeBar(const QImage &shot)
{
    int n = 0;
    for (int x = 176; x < 631; ++x)
        if (shot.pixel(x, 33) == qRgb(192, 192, 192))
            ++n;
    return n;
}

} // namespace xt
