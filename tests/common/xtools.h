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
