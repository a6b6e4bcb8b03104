// Test media made with GStreamer's own test sources and encoders.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// Writes `seconds` of a sine tone to `path`, encoded by `encoder` ("wavenc",
// "vorbisenc ! oggmux", "lamemp3enc ! id3v2mux"...). Returns false on failure.
inline bool makeTone(const QString &path, double seconds, const QString &encoder = QStringLiteral("wavenc"))
{
    const int buffers = int(seconds * 10);
    const QString pipeline = QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=4410 wave=sine freq=440 "
                                            "! audio/x-raw,rate=44100,channels=1 ! audioconvert ! %2 "
                                            "! filesink location=\"%3\"")
                                 .arg(buffers)
                                 .arg(encoder, path);
    QProcess p;
    p.start(QStringLiteral("gst-launch-1.0"), QStringList{QStringLiteral("-q")} + QProcess::splitCommand(pipeline));
    return p.waitForFinished(60000) && p.exitCode() == 0 && QFile(path).size() > 0;
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
