// Playback benchmarks, each beside its reference in the same run:
//  - CPU time over 10 s of playing a 60 s Ogg Vorbis file: the player (opened
//    and started as a user would) against gst-launch-1.0 playbin;
//  - opening a one-hour MP3: the player's open command against a bare playbin preroll.
#include "platform/application.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"
#include "../tests/common/media.h"
#include "../tests/common/xtools.h"

#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gst/gst.h>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

// CPU seconds a process's threads have run, to the nanosecond: the sum of the
// first field of each thread's schedstat. (The clock ticks of /proc/PID/stat
// come in 10 ms steps, too coarse for the 0.1 to 0.2 s a 10 s window holds.)
static double cpuSeconds(qint64 pid)
{
    const QDir tasks(u"/proc/%1/task"_s.arg(pid));
    double ns = 0;
    bool any = false;
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(tid + u"/schedstat"_s));
        if (f.open(QIODevice::ReadOnly)) {
            ns += f.readAll().split(' ').value(0).toDouble();
            any = true;
        }
    }
    return any ? ns / 1e9 : -1;
}

static double cpuOver(qint64 pid, int seconds)
{
    const double start = cpuSeconds(pid);
    QThread::sleep(seconds);
    return cpuSeconds(pid) - start;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The player: Ins, the file's path, Return, Ctrl+P, then 10 s of playback.
static double playerCpu(const QString &file)
{
    xt::Player player;
    player.activate();
    player.keys(u"Insert"_s);
    xt::waitWindow(u"Открыть файл мультимедиа"_s, player.process().processId());
    xt::typeText(file);
    xt::run(u"xdotool"_s, {u"key"_s, u"Return"_s});
    QThread::msleep(500);
    player.activate();
    player.keys(u"ctrl+p"_s);
    QThread::msleep(1000);
    return cpuOver(player.process().processId(), 10);
}

static double playbinCpu(const QString &file)
{
    QProcess p;
    p.start(u"gst-launch-1.0"_s, {u"-q"_s, u"playbin"_s, u"uri="_s + QUrl::fromLocalFile(file).toString()});
    p.waitForStarted();
    QThread::msleep(1500);
    const double cpu = cpuOver(p.processId(), 10);
    p.kill();
    p.waitForFinished();
    return cpu;
}

// A bare playbin brought to PAUSED (prerolled), in milliseconds.
static double bareOpen(const QString &file)
{
    QElapsedTimer t;
    t.start();
    GstElement *pipeline = gst_element_factory_make("playbin", nullptr);
    const QByteArray uri = QUrl::fromLocalFile(file).toEncoded();
    g_object_set(pipeline, "uri", uri.constData(), nullptr);
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *msg = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND,
                                                 GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
    gint64 duration = 0;
    gst_element_query_duration(pipeline, GST_FORMAT_TIME, &duration);
    const double ms = t.nsecsElapsed() / 1e6;
    if (msg)
        gst_message_unref(msg);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ms;
}

int main(int argc, char *argv[])
{
    TApplication::prepare();
    TApplication app(argc, argv);
    TPicture::RegisterPngAndJpeg();
    gst_init(nullptr, nullptr);
    QTemporaryDir dir;
    const QString ogg = dir.filePath(u"minute.ogg"_s);
    const QString mp3 = dir.filePath(u"hour.mp3"_s);
    if (!makeTone(ogg, 60.0, u"vorbisenc ! oggmux"_s) || !makeTone(mp3, 3600.0, u"lamemp3enc bitrate=64 ! id3v2mux"_s)) {
        std::fprintf(stderr, "playback: could not make the test files\n");
        return 1;
    }
    // CPU: alternate the two, five runs each.
    std::vector<double> ours, ref;
    for (int i = 0; i < 5; ++i) {
        ours.push_back(playerCpu(ogg));
        ref.push_back(playbinCpu(ogg));
    }
    const double a = median(ours), b = median(ref);
    std::printf("CPU over 10 s of Ogg playback: kavro %.3f s, playbin %.3f s, ratio %.2f (goal <= 1.20)\n", a, b,
                b > 0 ? a / b : 0.0);

    // Open of a one-hour MP3: the player's open (and length) against a bare preroll.
    Application->CreateForm(Form1);
    std::vector<double> opens, bare;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        Form1->MediaPlayer1->setFileName(mp3);
        Form1->MediaPlayer1->Open();
        Form1->Gauge1->setMaxValue(Form1->MediaPlayer1->Length());
        opens.push_back(t.nsecsElapsed() / 1e6);
        Form1->MediaPlayer1->Close();
        bare.push_back(bareOpen(mp3));
    }
    const double o = median(opens), p = median(bare);
    std::printf("open of a one-hour MP3: kavro %.1f ms, bare playbin preroll %.1f ms, ratio %.2f (goal <= 1.10)\n", o,
                p, o / p);
    return 0;
}
