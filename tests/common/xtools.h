// Helpers for end-to-end tests on a real X server: run the program, find its
// windows, read their geometry and properties, press keys and take screenshots.
#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
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
    explicit Player(const QStringList &args = {}, const QStringList &environment = {})
    {
        if (!environment.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const QString &pair : environment)
                env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
            m_process.setProcessEnvironment(env);
        }
        // The error stream goes to a file, read back at any time without an event loop.
        m_errorFile = m_errorDir.filePath(u"stderr.txt"_s);
        m_process.setStandardErrorFile(m_errorFile);
        m_process.start(QStringLiteral(KAVRO_APP), args);
        if (m_process.waitForStarted())
            m_window = waitWindow(u"Kavro"_s, m_process.processId());
        if (m_window.isEmpty())
            qWarning("the player shows no window: state %d, exit code %d, stderr: %s", int(m_process.state()),
                     m_process.exitCode(), qPrintable(errors().left(2000)));
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
        if (!hasWindowManager())
            run(u"xdotool"_s, {u"windowraise"_s, m_window}); // nobody else brings it to the front
        run(u"xdotool"_s, {hasWindowManager() ? u"windowactivate"_s : u"windowfocus"_s, u"--sync"_s, m_window});
        QThread::msleep(100);
    }
    void keys(const QString &keys)
    {
        run(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, keys});
        QThread::msleep(150);
    }
    bool waitExit(int ms = 10000) { return m_process.waitForFinished(ms); }

    // Everything the program has written to its standard error so far.
    QString errors() const
    {
        QFile file(m_errorFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

    // The program's open menus (override-redirect windows), on the screen.
    QList<QRect> menus() const
    {
        // Searched by process alone: a menu's name is not always matched.
        QList<QRect> rects;
        const QStringList ids = run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--pid"_s,
                                                   QString::number(m_process.processId()), u""_s})
                                    .split(u'\n', Qt::SkipEmptyParts);
        for (const QString &id : ids)
            if (run(u"xwininfo"_s, {u"-id"_s, id}).contains(u"Override Redirect State: yes"_s))
                if (const QRect r = xt::geometry(id); r.width() > 20 && r.height() > 10)
                    rects << r; // not Qt's own 1x1 helper windows
        return rects;
    }

    // The error box: a window of the program captioned "Kavro" that is
    // neither the player window nor a menu ("" when none shows).
    QString errorBox() const
    {
        for (const QString &id : findWindows(u"Kavro"_s, m_process.processId()))
            if (id != m_window && xt::geometry(id).size() != QSize(640, 70)
                && !run(u"xwininfo"_s, {u"-id"_s, id}).contains(u"Override Redirect State: yes"_s))
                return id;
        return {};
    }

    // The open command from its shortcut: Ins, type the path, Return, and wait
    // until the dialog has gone.
    bool openFile(const QString &path)
    {
        activate();
        keys(u"Insert"_s);
        const QString title = u"Открыть файл мультимедиа"_s;
        if (waitWindow(title, m_process.processId()).isEmpty())
            return false;
        run(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"5"_s, path});
        run(u"xdotool"_s, {u"key"_s, u"Return"_s});
        QDeadlineTimer deadline(10000);
        while (!findWindows(title, m_process.processId()).isEmpty())
            if (deadline.hasExpired())
                return false;
            else
                QThread::msleep(50);
        return true;
    }

private:
    QProcess m_process;
    QString m_window;
    QTemporaryDir m_errorDir;
    QString m_errorFile;
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
