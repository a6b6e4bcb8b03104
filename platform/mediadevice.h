// The media device: one media file opened on a GStreamer playbin, with MCI-style play, pause, seek and notices.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class MediaEngine;

// A generic media device in the manner of the classic media control interface:
// open a file by name, ask for length, position and mode, play, pause, resume,
// stop and seek. Times are milliseconds in 32-bit signed integers.
//
// Everything runs on the thread that owns the object (the UI thread). open(),
// pause(), stop() and the seeks block it, each for at most WaitBoundMs; play()
// and resume() return at once and report the end of playback later through
// notify(), delivered as a posted event, so nested event loops (modal dialogs,
// message boxes) receive it too.
//
// Failures raise EMCIDeviceError; refusals of play, pause, resume and the seeks
// return false instead, so the caller may ignore them.
class MediaDevice : public QObject
{
    Q_OBJECT

public:
    // The classic device modes, in their classic order.
    enum Mode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };
    Q_ENUM(Mode)

    // How an operation that asked for a notice ended.
    enum NotifyValue {
        Successful, // played to the end of the medium
        Superseded, // a newer play or resume took over the notice
        Aborted,    // pause, stop or a seek cut playback short
        Failure     // the playback service failed while playing
    };
    Q_ENUM(NotifyValue)

    // Codes for errorText(). The numbers are ours; only their texts reach the user.
    enum ErrorCode {
        NoError = 0,
        DeviceNotOpen = 1,
        FileNotFound,
        AccessDenied,
        ReadError,
        NotMediaFile,
        DamagedFile,
        MissingPlugin,
        OpenTimedOut,
        OperationTimedOut,
        EngineUnavailable,
        DeviceFailure,
    };
    Q_ENUM(ErrorCode)

    // The longest any blocking call waits for the playback service (see open()).
    static constexpr int WaitBoundMs = 10000;

    explicit MediaDevice(QObject *parent = nullptr);
    ~MediaDevice() override;

    // Closes any open device, then opens fileName and blocks until the medium is
    // ready to play (stopped at its start) or has failed. On failure no device is
    // open and EMCIDeviceError carries the reason.
    void open(const QString &fileName);
    // Releases the device; late notices of it are dropped. Nothing if none is open.
    void close();

    bool isOpen() const;
    QString fileName() const;
    // The device type chosen from the file's extension at open; empty when closed.
    QString deviceType() const;
    // Length of the medium in ms; 0 while the service cannot tell it. Needs a device.
    int length() const;
    // Current position in ms; equals length() once the end is reached. Returns 0,
    // and raises nothing, when no device is open: a polling timer may keep asking.
    int position() const;
    // NotReady when no device is open.
    Mode mode() const;
    // Whether the open device can play (false when none is open).
    bool canPlay() const;

    // Starts playback from the position to the end and returns at once; with
    // autoRewind, a medium standing at its end is first rewound (blocking).
    bool play(bool autoRewind);
    // Pauses playback where it is (blocking). Refused unless playing or paused.
    bool pause();
    // Continues paused playback and returns at once. Refused unless paused.
    bool resume();
    // Stops playback where it is (blocking); the position stays.
    bool stop();
    // Moves to the start of the medium (blocking); playback stops.
    bool seekToStart();
    // Moves to the end of the medium (blocking); playback stops.
    bool seekToEnd();

    // The device type for a file name, from its extension.
    static QString deviceTypeFor(const QString &fileName);
    // The English text of an error code; "Unknown error code" for codes we do not have.
    static QString errorText(int code);

Q_SIGNALS:
    // Sent through the event loop when an operation that asked for a notice ends.
    void notify(MediaDevice::NotifyValue value);

private:
    // The device in the media module, loaded and made at the first open;
    // until then the device answers as a closed one.
    MediaEngine &engine();

    std::unique_ptr<MediaEngine> m_engine;
};
