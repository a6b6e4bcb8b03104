// Tests of the media device on media generated here: lengths, real-time playback, notices, stale messages, errors.
#include "platform/exceptions.h"
#include "platform/mediadevice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaEnum>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gst/gst.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The message an operation raised, or a null string when it raised nothing.
QString raised(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const EMCIDeviceError &error) {
        return error.message();
    }
    return {};
}

// Runs an encoding pipeline to its end; empty on success, else what went wrong.
QString runPipeline(const QString &description)
{
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error) {
        const QString text = QString::fromUtf8(error->message);
        g_clear_error(&error);
        if (pipeline)
            gst_object_unref(pipeline);
        return text;
    }
    QString problem;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (!message) {
        problem = u"did not finish"_s;
    } else {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            gst_message_parse_error(message, &error, nullptr);
            problem = QString::fromUtf8(error->message);
            g_clear_error(&error);
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return problem;
}

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

// Opens a fixture or fails the test with the device's own message.
#define OPEN(device, name)                                                                   \
    do {                                                                                     \
        const QString why_ = raised([&] { (device).open(path(name)); });                     \
        QVERIFY2(why_.isNull(), qPrintable(why_));                                           \
    } while (false)

class TestMedia : public QObject
{
    Q_OBJECT

public:
    // 44100 Hz mono 16-bit: 88200 bytes a second.
    static constexpr int WavBytesPerSecond = 88200;

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void generate(const QString &name, const QString &elements)
    {
        const QString problem = runPipeline(elements + u" ! filesink location=\""_s + path(name) + u'"');
        QVERIFY2(problem.isEmpty(), qPrintable(name + u": "_s + problem));
        QVERIFY2(QFileInfo(path(name)).size() > 0, qPrintable(name));
    }

    // An audio tone of tenths of a second, as raw 16-bit mono at 44.1 kHz.
    static QString tone(int tenths)
    {
        return u"audiotestsrc num-buffers=%1 samplesperbuffer=4410 ! audio/x-raw,format=S16LE,rate=44100,channels=1"_s
            .arg(tenths);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        gst_init(nullptr, nullptr);
        generate(u"tone.wav"_s, tone(20) + u" ! wavenc"_s);
        generate(u"tone.ogg"_s, tone(20) + u" ! audioconvert ! vorbisenc ! oggmux"_s);
        generate(u"tone.mp3"_s, tone(20) + u" ! audioconvert ! lamemp3enc target=bitrate cbr=true bitrate=128"_s);
        generate(u"short.wav"_s, tone(3) + u" ! wavenc"_s);
        generate(u"video.ogv"_s,
                 u"videotestsrc num-buffers=25 ! video/x-raw,width=160,height=120,framerate=25/1 ! theoraenc ! oggmux"_s);

        // Damaged and foreign files.
        const QByteArray wav = readAll(path(u"tone.wav"_s));
        const qsizetype dataChunk = wav.indexOf("data");
        QVERIFY(dataChunk > 0);
        const qsizetype samples = dataChunk + 8;
        QVERIFY(writeAll(path(u"header-cut.wav"_s), wav.left(30)));
        // Half a second of the two the header announces.
        QVERIFY(writeAll(path(u"data-cut.wav"_s), wav.left(samples + WavBytesPerSecond / 2)));
        QVERIFY(writeAll(path(u"silence.wav"_s), wav.left(samples)));
        QVERIFY(writeAll(path(u"empty.mp3"_s), QByteArray()));
        QByteArray noise(20000, Qt::Uninitialized);
        QRandomGenerator random(20240611); // fixed: the same bytes on every run
        for (char &byte : noise)
            byte = char(random.bounded(256));
        QVERIFY(writeAll(path(u"noise.mp3"_s), noise));
        QByteArray text;
        for (int line = 1; line <= 50; ++line)
            text += "This is line " + QByteArray::number(line) + " of a plain text file.\n";
        QVERIFY(writeAll(path(u"letter.mp3"_s), text));
        // A standard MIDI file: one track holding only its end.
        QVERIFY(writeAll(path(u"tune.mid"_s),
                         QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x04\0\xff\x2f\0", 26)));
        QVERIFY(QDir(m_dir.path()).mkdir(u"folder.mp3"_s));
        QVERIFY(writeAll(path(u"locked.mp3"_s), readAll(path(u"tone.mp3"_s))));
        QVERIFY(QFile::setPermissions(path(u"locked.mp3"_s), QFileDevice::Permissions()));
        QCOMPARE(::mkfifo(QFile::encodeName(path(u"pipe.mp3"_s)).constData(), 0600), 0);

        // The same media under names that need escaping in a URI.
        QVERIFY(QFile::copy(path(u"tone.wav"_s), path(u"with spaces and #hash.wav"_s)));
        QVERIFY(QFile::copy(path(u"tone.ogg"_s), path(u"Песня номер один.ogg"_s)));
        QVERIFY(QFile::copy(path(u"tone.mp3"_s), path(u"Ёлка – 日本 ♫ 100%.mp3"_s)));
    }

    void errorTextsCoverEveryCode()
    {
        const QMetaEnum codes = QMetaEnum::fromType<MediaDevice::ErrorCode>();
        QStringList seen;
        for (int i = 0; i < codes.keyCount(); ++i) {
            const QString text = MediaDevice::errorText(codes.value(i));
            QVERIFY2(!text.isEmpty() && text != u"Unknown error code"_s, codes.key(i));
            QVERIFY2(!seen.contains(text), codes.key(i));
            seen << text;
        }
    }

    void errorText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("no device") << int(MediaDevice::DeviceNotOpen) << u"No MCI device open"_s;
        QTest::newRow("timeout names the bound")
            << int(MediaDevice::OpenTimedOut) << u"The file did not become ready to play within 10 seconds"_s;
        QTest::newRow("negative") << -1 << u"Unknown error code"_s;
        QTest::newRow("one past the last") << int(MediaDevice::DeviceFailure) + 1 << u"Unknown error code"_s;
        QTest::newRow("large") << 0x7fffffff << u"Unknown error code"_s;
    }

    void errorText()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(MediaDevice::errorText(code), text);
    }

    void deviceTypeFor_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("deviceType");
        QTest::newRow("wav") << u"/music/a.wav"_s << u"waveaudio"_s;
        QTest::newRow("upper case") << u"/music/A.WAV"_s << u"waveaudio"_s;
        QTest::newRow("midi") << u"song.mid"_s << u"sequencer"_s;
        QTest::newRow("rmi") << u"song.rmi"_s << u"sequencer"_s;
        QTest::newRow("avi") << u"film.avi"_s << u"avivideo"_s;
        QTest::newRow("mp3") << u"song.mp3"_s << u"mpegvideo"_s;
        QTest::newRow("ogg") << u"song.ogg"_s << u"mpegvideo"_s;
        QTest::newRow("only the last dot") << u"song.wav.mp3"_s << u"mpegvideo"_s;
        QTest::newRow("dot in a folder") << u"/disc.wav/track"_s << u"mpegvideo"_s;
        QTest::newRow("unknown") << u"notes.xyz"_s << u"mpegvideo"_s;
    }

    void deviceTypeFor()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, deviceType);
        QCOMPARE(MediaDevice::deviceTypeFor(fileName), deviceType);
    }

    void openMeasuresLength_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("deviceType");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("wav") << u"tone.wav"_s << u"waveaudio"_s << 2000 << 2;
        QTest::newRow("ogg") << u"tone.ogg"_s << u"mpegvideo"_s << 2000 << 30;
        // The encoder pads the last frame; the parser estimates from the bit rate.
        QTest::newRow("mp3") << u"tone.mp3"_s << u"mpegvideo"_s << 2000 << 80;
        QTest::newRow("wav cut in its data") << u"data-cut.wav"_s << u"waveaudio"_s << 500 << 2;
        QTest::newRow("video") << u"video.ogv"_s << u"mpegvideo"_s << 1000 << 45;
    }

    void openMeasuresLength()
    {
        QFETCH(QString, name);
        QFETCH(QString, deviceType);
        QFETCH(int, expected);
        QFETCH(int, tolerance);
        MediaDevice device;
        OPEN(device, name);
        QVERIFY(device.isOpen());
        QCOMPARE(device.fileName(), path(name));
        QCOMPARE(device.deviceType(), deviceType);
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        QVERIFY(device.canPlay());
        QCOMPARE(device.position(), 0);
        QVERIFY2(qAbs(device.length() - expected) <= tolerance, qPrintable(QString::number(device.length())));
    }

    void playRunsInRealTime()
    {
        MediaDevice device;
        OPEN(device, u"tone.wav"_s);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(device.play(true));
        QVERIFY2(clock.elapsed() < 250, "play() must return at once");
        QCOMPARE(device.mode(), MediaDevice::Playing);
        QTest::qWait(500);
        const int position = device.position();
        QVERIFY2(position >= 300 && position <= 900, qPrintable(QString::number(position)));
        // Polled as the progress tick does, for more than a second (so the
        // position is also carried forward between queries): it never goes
        // back, and keeps pace with the clock.
        QElapsedTimer span;
        span.start();
        int last = device.position();
        const int first = last;
        while (span.elapsed() < 1200) {
            QTest::qWait(100);
            const int now = device.position();
            QVERIFY2(now >= last, qPrintable(u"%1 after %2"_s.arg(now).arg(last)));
            last = now;
        }
        const int moved = last - first, elapsed = int(span.elapsed());
        QVERIFY2(qAbs(moved - elapsed) < 200, qPrintable(u"moved %1 ms in %2 ms"_s.arg(moved).arg(elapsed)));
        // Paused, it stands still.
        QVERIFY(device.pause());
        const int paused = device.position();
        QTest::qWait(300);
        QCOMPARE(device.position(), paused);
    }

    void pauseHoldsAndResumeContinues()
    {
        MediaDevice device;
        OPEN(device, u"tone.wav"_s);
        QVERIFY(device.play(true));
        QTest::qWait(400);
        QVERIFY(device.pause());
        QCOMPARE(device.mode(), MediaDevice::Paused);
        const int held = device.position();
        QVERIFY2(held >= 200 && held <= 800, qPrintable(QString::number(held)));
        QTest::qWait(300);
        QCOMPARE(device.position(), held);
        QVERIFY(device.pause()); // pausing again keeps it paused
        QCOMPARE(device.mode(), MediaDevice::Paused);
        QVERIFY(device.resume());
        QCOMPARE(device.mode(), MediaDevice::Playing);
        QTest::qWait(300);
        const int later = device.position();
        QVERIFY2(later >= held + 150 && later <= held + 700,
                 qPrintable(u"%1 -> %2"_s.arg(held).arg(later)));
    }

    void stopKeepsPositionAndPlayGoesOn()
    {
        MediaDevice device;
        OPEN(device, u"tone.wav"_s);
        QVERIFY(!device.pause()); // not playing: refused, nothing raised
        QVERIFY(!device.resume());
        QVERIFY(device.play(true));
        QTest::qWait(400);
        QVERIFY(device.stop());
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        const int held = device.position();
        QVERIFY2(held >= 200 && held <= 800, qPrintable(QString::number(held)));
        QVERIFY(!device.resume()); // only a paused device resumes
        QTest::qWait(200);
        QCOMPARE(device.position(), held);
        QVERIFY(device.play(true)); // not at the end: no rewind
        QTest::qWait(200);
        QVERIFY2(device.position() >= held + 80, qPrintable(QString::number(device.position())));
    }

    void seekToEndAndBack()
    {
        MediaDevice device;
        OPEN(device, u"tone.ogg"_s);
        QVERIFY(device.play(true));
        QTest::qWait(200);
        QVERIFY(device.seekToEnd());
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        QCOMPARE(device.position(), device.length());
        QTest::qWait(200);
        QCOMPARE(device.position(), device.length());
        QVERIFY(!device.resume());

        QVERIFY(device.seekToStart());
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        QCOMPARE(device.position(), 0);
        QVERIFY(device.seekToEnd()); // from stopped too
        QCOMPARE(device.position(), device.length());
    }

    void playAtTheEndRewinds()
    {
        MediaDevice device;
        OPEN(device, u"tone.mp3"_s);
        QVERIFY(device.seekToEnd());
        QVERIFY(device.play(true));
        QCOMPARE(device.mode(), MediaDevice::Playing);
        QVERIFY2(device.position() < 150, qPrintable(QString::number(device.position())));
        QTest::qWait(400);
        const int position = device.position();
        QVERIFY2(position >= 200 && position <= 800, qPrintable(QString::number(position)));
    }

    void playAtTheEndWithoutRewindEndsAtOnce()
    {
        MediaDevice device;
        OPEN(device, u"tone.wav"_s);
        QVERIFY(device.seekToEnd());
        QSignalSpy notices(&device, &MediaDevice::notify);
        QVERIFY(device.play(false));
        QCOMPARE(notices.count(), 0); // notices come through the event loop, never from inside the call
        QVERIFY(notices.wait(1000));
        QCOMPARE(notices.at(0).at(0).value<MediaDevice::NotifyValue>(), MediaDevice::Successful);
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        QCOMPARE(device.position(), device.length());
    }

    void endOfMediumNotice()
    {
        MediaDevice device;
        OPEN(device, u"short.wav"_s);
        QSignalSpy notices(&device, &MediaDevice::notify);
        QVERIFY(device.play(true));
        QVERIFY(notices.wait(2000));
        QCOMPARE(notices.count(), 1);
        QCOMPARE(notices.at(0).at(0).value<MediaDevice::NotifyValue>(), MediaDevice::Successful);
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        QCOMPARE(device.length(), 300);
        QCOMPARE(device.position(), device.length());
        // And the next play starts over.
        QVERIFY(device.play(true));
        QVERIFY2(device.position() < 150, qPrintable(QString::number(device.position())));
        QVERIFY(notices.wait(2000));
        QCOMPARE(notices.count(), 2);
    }

    void endOfMediumNoticeInsideModalBox()
    {
        MediaDevice device;
        OPEN(device, u"short.wav"_s);
        QMessageBox box(QMessageBox::Information, u"Kavro"_s, u"Playing"_s);
        QList<MediaDevice::NotifyValue> seen;
        MediaDevice::Mode modeThen = MediaDevice::NotReady;
        connect(&device, &MediaDevice::notify, &box, [&](MediaDevice::NotifyValue value) {
            seen << value;
            modeThen = device.mode();
            box.done(0);
        });
        QTimer::singleShot(3000, &box, [&box] { box.done(1); });
        QVERIFY(device.play(true));
        QCOMPARE(box.exec(), 0); // closed by the notice, not by the guard
        QCOMPARE(seen, QList<MediaDevice::NotifyValue>{MediaDevice::Successful});
        QCOMPARE(modeThen, MediaDevice::Stopped);
    }

    void pausedJustBeforeTheEndStillEnds()
    {
        MediaDevice device;
        OPEN(device, u"short.wav"_s);
        QSignalSpy notices(&device, &MediaDevice::notify);
        QVERIFY(device.play(true));
        // Keep the event loop away while the medium ends, so that the end of
        // stream waits in the queue when the pause comes.
        QThread::msleep(700);
        QVERIFY(device.pause());
        QTest::qWait(200);
        QCOMPARE(device.mode(), MediaDevice::Paused);
        QCOMPARE(notices.count(), 1);
        QCOMPARE(notices.at(0).at(0).value<MediaDevice::NotifyValue>(), MediaDevice::Aborted);
        QVERIFY(device.resume());
        QVERIFY(notices.wait(2000));
        QCOMPARE(notices.at(1).at(0).value<MediaDevice::NotifyValue>(), MediaDevice::Successful);
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        QCOMPARE(device.position(), device.length());
    }

    void cutShortPlaybackIsReported_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("notice");
        QTest::addColumn<int>("mode");
        QTest::newRow("pause") << u"pause"_s << int(MediaDevice::Aborted) << int(MediaDevice::Paused);
        QTest::newRow("stop") << u"stop"_s << int(MediaDevice::Aborted) << int(MediaDevice::Stopped);
        QTest::newRow("seek to end") << u"seekToEnd"_s << int(MediaDevice::Aborted) << int(MediaDevice::Stopped);
        QTest::newRow("seek to start") << u"seekToStart"_s << int(MediaDevice::Aborted) << int(MediaDevice::Stopped);
        QTest::newRow("play again") << u"play"_s << int(MediaDevice::Superseded) << int(MediaDevice::Playing);
    }

    void cutShortPlaybackIsReported()
    {
        QFETCH(QString, operation);
        QFETCH(int, notice);
        QFETCH(int, mode);
        MediaDevice device;
        OPEN(device, u"tone.wav"_s);
        QSignalSpy notices(&device, &MediaDevice::notify);
        QVERIFY(device.play(true));
        QTest::qWait(100);
        const QHash<QString, std::function<bool()>> operations = {
            {u"pause"_s, [&] { return device.pause(); }},
            {u"stop"_s, [&] { return device.stop(); }},
            {u"seekToEnd"_s, [&] { return device.seekToEnd(); }},
            {u"seekToStart"_s, [&] { return device.seekToStart(); }},
            {u"play"_s, [&] { return device.play(true); }},
        };
        QVERIFY(operations.value(operation)());
        QCOMPARE(int(device.mode()), mode);
        QCOMPARE(notices.count(), 0);
        QTest::qWait(100);
        QCOMPARE(notices.count(), 1);
        QCOMPARE(int(notices.at(0).at(0).value<MediaDevice::NotifyValue>()), notice);
    }

    void mediumWithoutSamplesEndsAtOnce()
    {
        MediaDevice device;
        OPEN(device, u"silence.wav"_s);
        QCOMPARE(device.length(), 0);
        QCOMPARE(device.position(), 0);
        QSignalSpy notices(&device, &MediaDevice::notify);
        QVERIFY(device.play(true));
        QVERIFY(notices.wait(1000));
        QCOMPARE(notices.at(0).at(0).value<MediaDevice::NotifyValue>(), MediaDevice::Successful);
        QCOMPARE(device.mode(), MediaDevice::Stopped);
        QCOMPARE(device.position(), 0);
        QVERIFY(device.play(true)); // and again, from its end
        QVERIFY(notices.wait(1000));
        QCOMPARE(notices.count(), 2);
    }

    void lateMessagesOfAClosedDeviceAreDropped()
    {
        MediaDevice device;
        QSignalSpy notices(&device, &MediaDevice::notify);
        OPEN(device, u"short.wav"_s);
        QVERIFY(device.play(true));
        // The first medium ends while the event loop is away: its end-of-stream
        // is posted but not yet handled when the second medium opens and plays.
        QThread::msleep(700);
        OPEN(device, u"tone.wav"_s);
        QVERIFY(device.play(true));
        QTest::qWait(300);
        QCOMPARE(notices.count(), 0);
        QCOMPARE(device.mode(), MediaDevice::Playing);
        const int position = device.position();
        QVERIFY2(position >= 100 && position <= 800, qPrintable(QString::number(position)));
    }

    void closeDropsPendingNotices()
    {
        MediaDevice device;
        QSignalSpy notices(&device, &MediaDevice::notify);
        OPEN(device, u"short.wav"_s);
        QVERIFY(device.play(true));
        QTest::qWait(50);
        QVERIFY(device.stop()); // posts an aborted notice that the close overtakes
        device.close();
        QVERIFY(!device.isOpen());
        QCOMPARE(device.mode(), MediaDevice::NotReady);
        QCOMPARE(device.deviceType(), QString());
        QCOMPARE(device.fileName(), QString());
        device.close(); // closing twice is harmless
        OPEN(device, u"tone.wav"_s); // the notice must not surface as this one's
        QTest::qWait(500);
        QCOMPARE(notices.count(), 0);
    }

    void nonAsciiNamesPlay_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("spaces and hash") << u"with spaces and #hash.wav"_s;
        QTest::newRow("cyrillic") << u"Песня номер один.ogg"_s;
        QTest::newRow("mixed scripts and percent") << u"Ёлка – 日本 ♫ 100%.mp3"_s;
    }

    void nonAsciiNamesPlay()
    {
        QFETCH(QString, name);
        MediaDevice device;
        OPEN(device, name);
        QVERIFY(qAbs(device.length() - 2000) <= 80);
        QVERIFY(device.play(true));
        QTest::qWait(300);
        QVERIFY2(device.position() >= 150, qPrintable(QString::number(device.position())));
    }

    void videoPlaysWithoutAWindow()
    {
        MediaDevice device;
        OPEN(device, u"video.ogv"_s);
        QSignalSpy notices(&device, &MediaDevice::notify);
        QVERIFY(device.play(true));
        QTest::qWait(400);
        const int position = device.position();
        QVERIFY2(position >= 200 && position <= 800, qPrintable(QString::number(position)));
        QVERIFY(notices.wait(2000));
        QCOMPARE(notices.at(0).at(0).value<MediaDevice::NotifyValue>(), MediaDevice::Successful);
    }

    void operationsNeedAnOpenDevice_data()
    {
        QTest::addColumn<QString>("operation");
        for (const char *name : {"length", "play", "play without rewind", "pause", "resume", "stop", "seekToStart",
                                 "seekToEnd"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void operationsNeedAnOpenDevice()
    {
        QFETCH(QString, operation);
        MediaDevice device;
        const QHash<QString, std::function<void()>> operations = {
            {u"length"_s, [&] { device.length(); }},
            {u"play"_s, [&] { device.play(true); }},
            {u"play without rewind"_s, [&] { device.play(false); }},
            {u"pause"_s, [&] { device.pause(); }},
            {u"resume"_s, [&] { device.resume(); }},
            {u"stop"_s, [&] { device.stop(); }},
            {u"seekToStart"_s, [&] { device.seekToStart(); }},
            {u"seekToEnd"_s, [&] { device.seekToEnd(); }},
        };
        QCOMPARE(raised(operations.value(operation)), u"No MCI device open"_s);
        // The same after a device was open and a later open failed.
        OPEN(device, u"tone.wav"_s);
        QVERIFY(!raised([&] { device.open(path(u"missing.wav"_s)); }).isNull());
        QCOMPARE(raised(operations.value(operation)), u"No MCI device open"_s);
    }

    void queriesWithoutADeviceRaiseNothing()
    {
        MediaDevice device;
        QCOMPARE(raised([&] {
                     QCOMPARE(device.position(), 0);
                     QCOMPARE(device.mode(), MediaDevice::NotReady);
                     QVERIFY(!device.isOpen());
                     QVERIFY(!device.canPlay());
                     QCOMPARE(device.deviceType(), QString());
                 }),
                 QString());
    }

    void openErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail"); // a part of the text after the code's own
        QTest::newRow("missing file") << u"missing.wav"_s << int(MediaDevice::FileNotFound) << QString();
        QTest::newRow("no name") << QString() << int(MediaDevice::FileNotFound) << QString();
        QTest::newRow("empty file") << u"empty.mp3"_s << int(MediaDevice::NotMediaFile) << QString();
        QTest::newRow("random bytes") << u"noise.mp3"_s << int(MediaDevice::NotMediaFile) << QString();
        QTest::newRow("text file") << u"letter.mp3"_s << int(MediaDevice::NotMediaFile) << QString();
        QTest::newRow("wav cut in its header") << u"header-cut.wav"_s << int(MediaDevice::DamagedFile) << QString();
        QTest::newRow("folder") << u"folder.mp3"_s << int(MediaDevice::NotMediaFile) << QString();
        QTest::newRow("no midi decoder") << u"tune.mid"_s << int(MediaDevice::MissingPlugin) << u"midi"_s;
        QTest::newRow("unreadable") << u"locked.mp3"_s << int(MediaDevice::AccessDenied) << QString();
    }

    void openErrors()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        QFETCH(QString, detail);
        if (code == MediaDevice::AccessDenied && ::geteuid() == 0)
            QSKIP("root reads every file");
        if (code == MediaDevice::MissingPlugin) {
            GstCaps *midi = gst_caps_from_string("audio/midi");
            GList *all = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODABLE,
                                                               GST_RANK_MARGINAL);
            GList *usable = gst_element_factory_list_filter(all, midi, GST_PAD_SINK, FALSE);
            const bool decodable = usable != nullptr;
            gst_plugin_feature_list_free(usable);
            gst_plugin_feature_list_free(all);
            gst_caps_unref(midi);
            if (decodable)
                QSKIP("a MIDI decoder is installed here");
        }
        MediaDevice device;
        OPEN(device, u"tone.wav"_s); // the failed open must close this one
        const QString message = raised([&] { device.open(name.isEmpty() ? QString() : path(name)); });
        QVERIFY2(message.startsWith(MediaDevice::errorText(code)), qPrintable(message));
        QVERIFY2(message.contains(detail, Qt::CaseInsensitive), qPrintable(message));
        QVERIFY(!device.isOpen());
        QCOMPARE(device.mode(), MediaDevice::NotReady);
        QCOMPARE(device.position(), 0);
        // The device is not spoiled by the failure.
        OPEN(device, u"short.wav"_s);
        QCOMPARE(device.length(), 300);
    }

    void sourceThatNeverPrerollsTimesOut()
    {
        // A named pipe nobody writes to: opening it blocks in the kernel.
        MediaDevice device;
        QElapsedTimer clock;
        clock.start();
        const QString message = raised([&] { device.open(path(u"pipe.mp3"_s)); });
        const qint64 waited = clock.elapsed();
        QCOMPARE(message, MediaDevice::errorText(MediaDevice::OpenTimedOut));
        QVERIFY2(waited >= MediaDevice::WaitBoundMs - 100 && waited <= MediaDevice::WaitBoundMs + 2000,
                 qPrintable(QString::number(waited)));
        QVERIFY(!device.isOpen());
        // Nothing stays stuck for the next file.
        clock.restart();
        OPEN(device, u"tone.wav"_s);
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(device.play(true));
        QTest::qWait(200);
        QVERIFY(device.position() > 50);
    }
};

QTEST_MAIN(TestMedia)
#include "test_media.moc"
