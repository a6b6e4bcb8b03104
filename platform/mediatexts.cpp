// The media device's texts and device types: shared by the program and the media module.
#include "platform/mediadevice.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

QString MediaDevice::deviceTypeFor(const QString &fileName)
{
    // The classic devices by extension. The default device plays whatever the
    // installed GStreamer plugins can decode, so unknown extensions get it too.
    static const struct
    {
        QStringView extension;
        QStringView deviceType;
    } table[] = {
        {u"wav", u"waveaudio"},
        {u"mid", u"sequencer"},
        {u"midi", u"sequencer"},
        {u"rmi", u"sequencer"},
        {u"cda", u"cdaudio"},
        {u"avi", u"avivideo"},
    };
    const QString extension = QFileInfo(fileName).suffix();
    for (const auto &row : table) {
        if (extension.compare(row.extension, Qt::CaseInsensitive) == 0)
            return row.deviceType.toString();
    }
    return u"mpegvideo"_s;
}

QString MediaDevice::errorText(int code)
{
    switch (code) {
    case NoError:
        return u"No error"_s;
    case DeviceNotOpen:
        return u"No MCI device open"_s;
    case FileNotFound:
        return u"Cannot find the file. Make sure the path and file name are correct"_s;
    case AccessDenied:
        return u"Cannot open the file: permission denied"_s;
    case ReadError:
        return u"Cannot read the file"_s;
    case NotMediaFile:
        return u"The file is not a media file"_s;
    case DamagedFile:
        return u"The file is damaged or cannot be decoded"_s;
    case MissingPlugin:
        return u"A GStreamer plug-in needed to play this file is missing"_s;
    case OpenTimedOut:
        return u"The file did not become ready to play within %1 seconds"_s.arg(WaitBoundMs / 1000);
    case OperationTimedOut:
        return u"The media device did not respond within %1 seconds"_s.arg(WaitBoundMs / 1000);
    case EngineUnavailable:
        return u"The playback service (GStreamer) is not available"_s;
    case DeviceFailure:
        return u"The media device reported an error"_s;
    default:
        return u"Unknown error code"_s;
    }
}
