// Soak: open/play/stop cycles over good and bad files, then long playback with
// the progress tick at its real rate; prints memory (RSS) and open file
// descriptors along the way so that growth shows.
#include "platform/application.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"
#include "../tests/common/media.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

static long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.simplified().split(' ').value(1).toLong();
    return -1;
}

static int openFds()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

static void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int main(int argc, char *argv[])
{
    TApplication::prepare();
    TApplication app(argc, argv);
    TPicture::RegisterPngAndJpeg();
    const int cycles = argc > 1 ? atoi(argv[1]) : 500;
    const int playSeconds = argc > 2 ? atoi(argv[2]) : 600;
    QTemporaryDir dir;
    const QStringList good{dir.filePath(QStringLiteral("a.wav")), dir.filePath(QStringLiteral("b.ogg")),
                           dir.filePath(QStringLiteral("c.mp3"))};
    makeTone(good[0], 2, QStringLiteral("wavenc"));
    makeTone(good[1], 2, QStringLiteral("vorbisenc ! oggmux"));
    makeTone(good[2], 2, QStringLiteral("lamemp3enc ! id3v2mux"));
    const QString bad = dir.filePath(QStringLiteral("noise.mp3"));
    writeBytes(bad, QByteArray(20000, 'x'));
    const QString empty = dir.filePath(QStringLiteral("empty.wav"));
    writeBytes(empty, {});

    Application->CreateForm(Form1);
    Form1->setVisible(true);
    spin(300);
    Form1->setCaption(QStringLiteral("Kavro (open file)"));
    Form1->Timer1->setEnabled(true);
    int failures = 0;
    std::printf("cycle 0: RSS %ld KiB, fds %d\n", rssKiB(), openFds());
    for (int i = 1; i <= cycles; ++i) {
        const QString file = i % 4 == 0 ? bad : i % 9 == 0 ? empty : good[i % 3];
        Form1->MediaPlayer1->setFileName(file);
        try {
            Form1->MediaPlayer1->Open();
            Form1->Gauge1->setMaxValue(Form1->MediaPlayer1->Length());
            Form1->N31Click(nullptr);
            spin(30);
            Form1->N33Click(nullptr);
        } catch (const Exception &) {
            ++failures;
        }
        spin(5);
        if (i % 50 == 0)
            std::printf("cycle %d: RSS %ld KiB, fds %d\n", i, rssKiB(), openFds());
        std::fflush(stdout);
    }
    std::printf("%d cycles, %d refused opens as expected\n", cycles, failures);
    if (playSeconds > 0) {
        const QString longFile = dir.filePath(QStringLiteral("long.ogg"));
        makeTone(longFile, playSeconds + 5, QStringLiteral("vorbisenc ! oggmux"));
        Form1->MediaPlayer1->setFileName(longFile);
        Form1->MediaPlayer1->Open();
        Form1->Gauge1->setMaxValue(Form1->MediaPlayer1->Length());
        Form1->N31Click(nullptr);
        for (int minute = 0; minute * 60 < playSeconds; ++minute) {
            spin(qMin(60, playSeconds - minute * 60) * 1000);
            std::printf("playing %d s: RSS %ld KiB, fds %d, gauge %d%%\n", qMin((minute + 1) * 60, playSeconds),
                        rssKiB(), openFds(), Form1->Gauge1->PercentDone());
            std::fflush(stdout);
        }
    }
    return 0;
}
