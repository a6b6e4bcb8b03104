// The interface between MediaDevice and the media module, which holds all of
// GStreamer: loaded at the first open, so that GStreamer's libraries stay off
// the start-up path.
#pragma once

#include "platform/mediadevice.h"

#include <QtPlugin>
#include <functional>

// One media device; its operations are MediaDevice's (see there).
class MediaEngine
{
public:
    virtual ~MediaEngine() = default;
    // Called on the UI thread when an operation that asked for a notice ends.
    virtual void setNotify(std::function<void(MediaDevice::NotifyValue)> notify) = 0;
    virtual void open(const QString &fileName) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString fileName() const = 0;
    virtual QString deviceType() const = 0;
    virtual int length() const = 0;
    virtual int position() const = 0;
    virtual MediaDevice::Mode mode() const = 0;
    virtual bool canPlay() const = 0;
    virtual bool play(bool autoRewind) = 0;
    virtual bool pause() = 0;
    virtual bool resume() = 0;
    virtual bool stop() = 0;
    virtual bool seekToStart() = 0;
    virtual bool seekToEnd() = 0;
};

class MediaEngineFactory
{
public:
    virtual ~MediaEngineFactory() = default;
    virtual MediaEngine *createEngine() = 0;
};

#define KavroMediaEngineFactory_iid "example.kavro.MediaEngineFactory/1"
Q_DECLARE_INTERFACE(MediaEngineFactory, KavroMediaEngineFactory_iid)
