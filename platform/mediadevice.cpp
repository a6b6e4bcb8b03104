// MediaDevice: the program's side of the media device. The device itself lives
// in the media module (kavro-media.so, all of GStreamer), loaded at the first open.
#include "platform/mediadevice.h"

#include "platform/exceptions.h"
#include "platform/mediaengine.h"
#include "platform/modules.h"

using namespace Qt::StringLiterals;

MediaDevice::MediaDevice(QObject *parent) : QObject(parent) {}

MediaDevice::~MediaDevice() = default;

MediaEngine &MediaDevice::engine()
{
    if (!m_engine) {
        // Loaded once for the whole program; each device makes its own engine.
        static QString problem;
        static MediaEngineFactory *factory = [] {
            auto *f = qobject_cast<MediaEngineFactory *>(loadModule(u"kavro-media.so"_s, &problem));
            if (!f && problem.isEmpty())
                problem = u"kavro-media.so is not a media module"_s;
            return f;
        }();
        if (!factory)
            throw EMCIDeviceError(errorText(EngineUnavailable) + u": "_s + problem);
        m_engine.reset(factory->createEngine());
        m_engine->setNotify([this](NotifyValue value) { Q_EMIT notify(value); });
    }
    return *m_engine;
}

// Until the first open there is no engine, and the device answers as a closed one.

void MediaDevice::open(const QString &fileName) { engine().open(fileName); }
void MediaDevice::close()
{
    if (m_engine)
        m_engine->close();
}
bool MediaDevice::isOpen() const { return m_engine && m_engine->isOpen(); }
QString MediaDevice::fileName() const { return m_engine ? m_engine->fileName() : QString(); }
QString MediaDevice::deviceType() const { return m_engine ? m_engine->deviceType() : QString(); }
int MediaDevice::length() const
{
    if (!m_engine)
        throw EMCIDeviceError(errorText(DeviceNotOpen));
    return m_engine->length();
}
int MediaDevice::position() const { return m_engine ? m_engine->position() : 0; }
MediaDevice::Mode MediaDevice::mode() const { return m_engine ? m_engine->mode() : NotReady; }
bool MediaDevice::canPlay() const { return m_engine && m_engine->canPlay(); }
bool MediaDevice::play(bool autoRewind) { return engine().play(autoRewind); }
bool MediaDevice::pause() { return engine().pause(); }
bool MediaDevice::resume() { return engine().resume(); }
bool MediaDevice::stop() { return engine().stop(); }
bool MediaDevice::seekToStart() { return engine().seekToStart(); }
bool MediaDevice::seekToEnd() { return engine().seekToEnd(); }
