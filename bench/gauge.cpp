// Progress benchmark: gauge repaints over a whole 20 s file played to its end,
// and the cost of one progress tick (position query and gauge update).
#include "platform/application.h"
#include "platform/graphics.h"
#include "player/SDIMAIN.h"
#include "../tests/common/media.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    TApplication::prepare();
    TApplication app(argc, argv);
    TPicture::RegisterPngAndJpeg();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("twenty.ogg"));
    if (!makeTone(file, 20.0, QStringLiteral("vorbisenc ! oggmux"))) {
        std::fprintf(stderr, "gauge: could not make the test file\n");
        return 1;
    }
    Application->CreateForm(Form1);
    Form1->setVisible(true);
    // Let the first activation (which sets the bare title) happen first.
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // The open command's steps, without the dialog.
    Form1->MediaPlayer1->setFileName(file);
    Form1->setCaption(QStringLiteral("Kavro (open file)"));
    Form1->MediaPlayer1->Open();
    Form1->Gauge1->setMaxValue(Form1->MediaPlayer1->Length());
    Form1->Gauge1->setProgress(0);
    Form1->Timer1->setEnabled(true);
    const int before = Form1->Gauge1->repaintRequests();
    Form1->N31Click(nullptr);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (Form1->MediaPlayer1->Mode() == MediaDevice::Stopped && Form1->Gauge1->PercentDone() == 100)
            loop.quit();
    });
    poll.start(50);
    QTimer::singleShot(40000, &loop, &QEventLoop::quit);
    loop.exec();
    const int repaints = Form1->Gauge1->repaintRequests() - before;
    // The tick's own cost, while playing.
    Form1->N31Click(nullptr);
    if (Form1->MediaPlayer1->Mode() != MediaDevice::Playing)
        std::fprintf(stderr, "gauge: the replay did not start\n");
    constexpr int ticks = 2000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < ticks; ++i)
        Form1->Timer1Timer(Form1->Timer1);
    const double perTick = double(t.nsecsElapsed()) / ticks / 1000.0;
    Form1->N33Click(nullptr);
    std::printf("gauge repaints over a 20 s file: %d (goal <= 101); progress tick: %.2f us a call\n", repaints,
                perTick);
    return repaints <= 101 ? 0 : 1;
}
