// The media module: the media device over a GStreamer playbin, opening with a
// bounded wait, and the bus bridge to the UI thread. Loaded at the first open.
#include "platform/mediaengine.h"

#include "platform/exceptions.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutex>
#include <QStringList>

#include <gst/base/gstbaseparse.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

struct BusLink;

// The media device itself. Members as the MediaDevice interface describes them.
class GstEngine : public QObject, public MediaEngine
{
    Q_OBJECT

public:
    using Mode = MediaDevice::Mode;
    using NotifyValue = MediaDevice::NotifyValue;
    using ErrorCode = MediaDevice::ErrorCode;
    using enum MediaDevice::Mode;
    using enum MediaDevice::NotifyValue;
    using enum MediaDevice::ErrorCode;
    static constexpr int WaitBoundMs = MediaDevice::WaitBoundMs;

    GstEngine();
    ~GstEngine() override;

    void setNotify(std::function<void(MediaDevice::NotifyValue)> notify) override { m_notify = std::move(notify); }
    void open(const QString &fileName) override;
    void close() override;
    bool isOpen() const override;
    QString fileName() const override { return m_fileName; }
    QString deviceType() const override { return m_deviceType; }
    int length() const override;
    int position() const override;
    Mode mode() const override;
    bool canPlay() const override;
    bool play(bool autoRewind) override;
    bool pause() override;
    bool resume() override;
    bool stop() override;
    bool seekToStart() override;
    bool seekToEnd() override;

protected:
    bool event(QEvent *event) override;

private:
    void tell(NotifyValue value)
    {
        if (m_notify)
            m_notify(value);
    }
    [[noreturn]] void raise(ErrorCode code, const QString &detail = {}) const;
    void requireOpen() const;
    void handleBusMessage(GstMessage *message);
    void postNotice(NotifyValue value);
    // Sets the pipeline playing, returning at once, and asks for a notice.
    bool startPlaying();
    void cutPendingNotice(NotifyValue value);
    bool pausePipeline();
    bool seekPipelineToStart();
    bool waitForAsyncDone();
    void dropQueuedMessages();
    int queryLength() const;
    // A failed open names its file: that pipeline is let go off the UI thread.
    void detachPipeline(const QByteArray &failedLocalName = QByteArray());

    std::function<void(MediaDevice::NotifyValue)> m_notify;
    GstElement *m_pipeline = nullptr;
    BusLink *m_link = nullptr;
    quint64 m_generation = 0;
    QString m_fileName;
    QString m_deviceType;
    Mode m_mode = NotReady;
    bool m_atEnd = false;
    bool m_noticePending = false;
    mutable int m_lengthMs = -1;
    mutable int m_lastPositionMs = 0;
    // Where a position query found playback, and whether it has been seen to
    // move at the clock's pace since; valid for one stretch of playing.
    struct Anchor
    {
        quint64 epoch = 0;
        int positionMs = 0;
        bool flowing = false;
        QElapsedTimer clock;
    };
    quint64 m_playEpoch = 0;
    mutable Anchor m_anchor;
};

// What the bus's sync handler needs from the device. The bus owns it and frees
// it only when the bus itself goes, which cannot happen while a streaming thread
// is posting; so the handler never sees it freed. The device cuts the link when
// it lets go of the pipeline, and from then on nothing reaches the device.
struct BusLink
{
    QMutex mutex;
    QObject *target = nullptr;
    quint64 generation = 0;
};

namespace {

const QEvent::Type BusEventType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type NoticeEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Name of the message with which a state change run in GStreamer's thread pool
// reports its result back to the waiting open().
constexpr const char *StateReplyName = "media-device-state-reply";

// A bus message carried to the UI thread, stamped with the pipeline it came from.
class BusEvent : public QEvent
{
public:
    BusEvent(quint64 generation, GstMessage *message)
        : QEvent(BusEventType), m_generation(generation), m_message(gst_message_ref(message))
    {
    }
    ~BusEvent() override { gst_message_unref(m_message); }
    Q_DISABLE_COPY_MOVE(BusEvent)

    const quint64 m_generation;
    GstMessage *const m_message;
};

// A completion notice on its way through the event loop, as the classic
// notices came as window messages.
class NoticeEvent : public QEvent
{
public:
    NoticeEvent(quint64 generation, GstEngine::NotifyValue value)
        : QEvent(NoticeEventType), m_generation(generation), m_value(value)
    {
    }

    const quint64 m_generation;
    const GstEngine::NotifyValue m_value;
};

// Runs on whichever GStreamer thread posts a message. Messages the UI must act
// on go out as posted events; those a blocking wait pops stay queued on the bus;
// everything else is dropped so that the queue cannot grow while playing.
GstBusSyncReply busSyncHandler(GstBus *, GstMessage *message, gpointer data) noexcept
{
    auto *link = static_cast<BusLink *>(data);
    const auto forward = [link, message] {
        try {
            QMutexLocker lock(&link->mutex);
            if (link->target)
                QCoreApplication::postEvent(link->target, new BusEvent(link->generation, message));
        } catch (...) {
            // Out of memory on a streaming thread: the notice is lost, the
            // stream goes on; nothing may unwind through GStreamer.
        }
    };
    // A handler that drops a message owns it and must free it; otherwise the
    // message, and through it the pipeline it came from, would live on.
    const auto drop = [message] {
        gst_message_unref(message);
        return GST_BUS_DROP;
    };
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_APPLICATION:
        return GST_BUS_PASS;
    case GST_MESSAGE_ELEMENT:
        return gst_is_missing_plugin_message(message) ? GST_BUS_PASS : drop();
    case GST_MESSAGE_ERROR:
        // Both: a blocking wait must fail on it, and an error while playing
        // (nobody waiting) must still end the playback.
        forward();
        return GST_BUS_PASS;
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_CLOCK_LOST:
        forward();
        return drop();
    default:
        return drop();
    }
}

// The first state change of a new pipeline runs in GStreamer's thread pool:
// opening a source may block inside the kernel (a named pipe without a writer
// blocks in open(2)), and the UI thread must be able to give up on it.
void changeStateInPool(GstElement *element, gpointer data) noexcept
{
    const auto state = static_cast<GstState>(GPOINTER_TO_INT(data));
    const GstStateChangeReturn result = gst_element_set_state(element, state);
    GstStructure *reply = gst_structure_new(StateReplyName, "result", G_TYPE_INT, int(result), nullptr);
    gst_element_post_message(element, gst_message_new_application(GST_OBJECT(element), reply));
}

// Lets go of a pipeline that failed to open without making the UI wait for it:
// its threads may be stuck in I/O and would hold set_state(NULL) with them.
void tearDownInPool(GstElement *element, gpointer data) noexcept
{
    const auto *localName = static_cast<const QByteArray *>(data);
    struct stat info = {};
    if (::stat(localName->constData(), &info) != 0 || !S_ISFIFO(info.st_mode)) {
        gst_element_set_state(element, GST_STATE_NULL);
        return;
    }
    // A reader blocked in open(2) on a pipe nobody writes to wakes when a writer
    // appears, and reads end of file once that writer is gone again. The file
    // source opens the pipe a second time when it falls back from pulling to
    // pushing, so keep waking readers until the pipeline has stopped.
    std::atomic<bool> stopped = false;
    std::thread waker;
    try {
        waker = std::thread([&stopped, name = *localName] {
            for (int round = 0; round < 200 && !stopped; ++round) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    } catch (...) {
        // No thread to spare: the pipeline may stay stuck, but only in this pool thread.
    }
    gst_element_set_state(element, GST_STATE_NULL);
    stopped = true;
    if (waker.joinable())
        waker.join();
}

void deleteLocalName(gpointer data) noexcept
{
    delete static_cast<QByteArray *>(data);
}

void deleteBusLink(gpointer data) noexcept
{
    delete static_cast<BusLink *>(data);
}

// Empty when GStreamer is ready, else why it is not. Initialised once, on the
// first open, so that creating the component never fails.
const QString &gstreamerProblem()
{
    static const QString problem = [] {
        GError *error = nullptr;
        if (!gst_init_check(nullptr, nullptr, &error)) {
            QString text = error ? QString::fromUtf8(error->message) : u"initialisation failed"_s;
            g_clear_error(&error);
            return text;
        }
        gst_pb_utils_init();
        return QString();
    }();
    return problem;
}

// GStreamer opens its own video window only when Qt shows windows on a screen;
// on the offscreen platform (tests) or without a GUI there is nowhere to show
// one, and a failing window sink must not stop sound or make open() fail.
bool hasScreen()
{
    const QString platform = QGuiApplication::platformName();
    return platform.startsWith(u"xcb") || platform.startsWith(u"wayland");
}

int clampedMs(gint64 ns)
{
    if (ns <= 0)
        return 0;
    const gint64 ms = ns / GST_MSECOND;
    return ms > INT_MAX ? INT_MAX : int(ms);
}

} // namespace

GstEngine::GstEngine() = default;

GstEngine::~GstEngine()
{
    close();
}

void GstEngine::raise(ErrorCode code, const QString &detail) const
{
    QString text = MediaDevice::errorText(code);
    if (!detail.isEmpty())
        text += u": "_s + detail;
    throw EMCIDeviceError(text);
}

void GstEngine::requireOpen() const
{
    if (!m_pipeline)
        raise(DeviceNotOpen);
}

bool GstEngine::isOpen() const
{
    return m_pipeline != nullptr;
}

GstEngine::Mode GstEngine::mode() const
{
    return m_pipeline ? m_mode : NotReady;
}

bool GstEngine::canPlay() const
{
    return m_pipeline != nullptr;
}

namespace {

// The outcome of a blocking wait on the bus.
struct Waited
{
    GstEngine::ErrorCode code = GstEngine::NoError;
    QString detail;
    bool replied = false; // the pool's state change has returned
};

// What an error message means for the user, and any detail worth showing.
GstEngine::ErrorCode classify(GstMessage *message, const QByteArray &localName, QString *detail)
{
    GError *error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const auto done = [&error, detail](GstEngine::ErrorCode code, bool withText = false) {
        *detail = withText ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
        return code;
    };
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            return done(GstEngine::FileNotFound);
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            return done(GstEngine::AccessDenied);
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_SEEK: {
            // The file source reports every failed open alike; the reason is
            // only in its debug text, so ask the file system ourselves.
            struct stat info = {};
            if (::stat(localName.constData(), &info) != 0)
                return done(errno == EACCES ? GstEngine::AccessDenied : GstEngine::FileNotFound);
            if (S_ISDIR(info.st_mode))
                return done(GstEngine::NotMediaFile);
            if (::access(localName.constData(), R_OK) != 0 && errno == EACCES)
                return done(GstEngine::AccessDenied);
            return done(GstEngine::ReadError);
        }
        default:
            break;
        }
    } else if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND: // also what an empty file gives
            return done(GstEngine::NotMediaFile);
        case GST_STREAM_ERROR_WRONG_TYPE:
            // From the decoding bin, the whole file is of no playable kind (a
            // text file); from a demuxer or parser, the file looked like its
            // format at first and then broke (a WAV cut inside its header).
            return done(GST_IS_BIN(GST_MESSAGE_SRC(message)) ? GstEngine::NotMediaFile : GstEngine::DamagedFile);
        case GST_STREAM_ERROR_CODEC_NOT_FOUND:
            return done(GstEngine::MissingPlugin, true);
        case GST_STREAM_ERROR_FAILED: // a recognised stream that gave no data
        case GST_STREAM_ERROR_DECODE:
        case GST_STREAM_ERROR_DEMUX:
        case GST_STREAM_ERROR_FORMAT:
        case GST_STREAM_ERROR_DECRYPT:
            return done(GstEngine::DamagedFile);
        default:
            break;
        }
    } else if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) {
        return done(GstEngine::MissingPlugin);
    }
    return done(GstEngine::DeviceFailure, true);
}

QString missingPluginText(GstMessage *message)
{
    gchar *what = gst_missing_plugin_message_get_description(message);
    QString text = QString::fromUtf8(what);
    g_free(what);
    return text;
}

// When one failure sets off others in other threads, their order on the bus is
// chance; the cause is the most telling of them.
int causeRank(GstEngine::ErrorCode code)
{
    switch (code) {
    case GstEngine::MissingPlugin:
        return 0;
    case GstEngine::FileNotFound:
    case GstEngine::AccessDenied:
    case GstEngine::ReadError:
        return 1;
    case GstEngine::NotMediaFile:
        return 2;
    case GstEngine::DamagedFile:
        return 3;
    default:
        return 4;
    }
}

// Pops the pipeline's bus until its pending state change is done, has failed, or
// the bound has run out. Never runs a main loop: the bus queue holds exactly
// what the sync handler passed (async-done, errors, missing plugins, replies).
Waited waitOnBus(GstElement *pipeline, bool expectReply, GstEngine::ErrorCode onTimeout,
                 const QByteArray &localName)
{
    constexpr auto mask = GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_ELEMENT
                                         | GST_MESSAGE_APPLICATION);
    GstBus *bus = gst_element_get_bus(pipeline);
    const QDeadlineTimer deadline(GstEngine::WaitBoundMs);
    QStringList missing;
    Waited waited;
    waited.replied = !expectReply;
    bool finished = false;
    while (!finished) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            waited.code = onTimeout;
            break;
        }
        GstMessage *message = gst_bus_timed_pop_filtered(bus, GstClockTime(left) * GST_MSECOND, mask);
        if (!message)
            continue;
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ASYNC_DONE:
            finished = true;
            break;
        case GST_MESSAGE_ERROR: {
            waited.code = classify(message, localName, &waited.detail);
            // Other errors and missing-plugin notes may already be queued behind it.
            while (GstMessage *late = gst_bus_pop(bus)) {
                if (GST_MESSAGE_TYPE(late) == GST_MESSAGE_ERROR) {
                    QString detail;
                    const GstEngine::ErrorCode code = classify(late, localName, &detail);
                    if (causeRank(code) < causeRank(waited.code)) {
                        waited.code = code;
                        waited.detail = detail;
                    }
                } else if (gst_is_missing_plugin_message(late)) {
                    missing.append(missingPluginText(late));
                }
                gst_message_unref(late);
            }
            finished = true;
            break;
        }
        case GST_MESSAGE_ELEMENT:
            if (gst_is_missing_plugin_message(message))
                missing.append(missingPluginText(message));
            break;
        case GST_MESSAGE_APPLICATION: {
            const GstStructure *reply = gst_message_get_structure(message);
            int result = GST_STATE_CHANGE_ASYNC;
            if (reply && gst_structure_has_name(reply, StateReplyName)
                && gst_structure_get_int(reply, "result", &result)) {
                waited.replied = true;
                if (result == GST_STATE_CHANGE_FAILURE) {
                    // Elements post their error before failing the change, so
                    // an error would have come first; this one had none.
                    waited.code = GstEngine::DeviceFailure;
                    finished = true;
                } else if (result != GST_STATE_CHANGE_ASYNC) {
                    finished = true; // done at once: no async-done will follow
                }
            }
            break;
        }
        default:
            break;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    // A stream without its decoder does not stop the others (a film whose
    // pictures cannot be decoded still sounds); only when nothing plays does
    // the missing piece become the reason.
    if (waited.code != GstEngine::NoError && !missing.isEmpty()) {
        missing.removeDuplicates();
        waited.code = GstEngine::MissingPlugin;
        waited.detail = missing.join(u", "_s);
    }
    return waited;
}

} // namespace

void GstEngine::open(const QString &fileName)
{
    close();
    if (!gstreamerProblem().isEmpty())
        raise(EngineUnavailable, gstreamerProblem());
    if (fileName.isEmpty())
        raise(FileNotFound);

    // GStreamer takes file names in the local 8-bit encoding, as the file system
    // stores them; the URI escapes every byte, so spaces and Cyrillic survive.
    const QByteArray localName = QFile::encodeName(fileName);
    GError *uriError = nullptr;
    gchar *uri = gst_filename_to_uri(localName.constData(), &uriError);
    if (!uri) {
        const QString why = uriError ? QString::fromUtf8(uriError->message) : QString();
        g_clear_error(&uriError);
        raise(FileNotFound, why);
    }

    GstElement *pipeline = gst_element_factory_make("playbin", nullptr);
    if (!pipeline) {
        g_free(uri);
        raise(MissingPlugin, u"playbin"_s);
    }
    gst_object_ref_sink(pipeline);
    g_object_set(pipeline, "uri", uri, nullptr);
    g_free(uri);
    // Sound needs nothing: the automatic audio sink falls back to a silent sink
    // that keeps the clock when no sound server or card answers.
    if (!hasScreen()) {
        GstElement *videoSink = gst_element_factory_make("fakesink", "video-sink");
        g_object_set(videoSink, "sync", TRUE, nullptr);
        g_object_set(pipeline, "video-sink", videoSink, nullptr);
    }

    auto *link = new BusLink;
    link->target = this;
    link->generation = ++m_generation;
    GstBus *bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, busSyncHandler, link, deleteBusLink);
    gst_object_unref(bus);
    m_pipeline = pipeline;
    m_link = link;

    // Prerolling a local file takes well under a second; a sleeping disk or a
    // slow network share can take a few. WaitBoundMs (10 s) leaves room for those
    // and still turns a source that never delivers (a named pipe nobody writes
    // to, a hung mount) into an error the user sees instead of a frozen window.
    gst_element_call_async(pipeline, changeStateInPool, GINT_TO_POINTER(GST_STATE_PAUSED), nullptr);
    const Waited waited = waitOnBus(pipeline, true, OpenTimedOut, localName);
    if (waited.code != NoError) {
        detachPipeline(localName);
        raise(waited.code, waited.detail);
    }

    m_fileName = fileName;
    m_deviceType = MediaDevice::deviceTypeFor(fileName);
    m_mode = Stopped;
    m_atEnd = false;
    m_noticePending = false;
    m_lastPositionMs = 0;
    m_lengthMs = queryLength();
}

void GstEngine::close()
{
    if (m_pipeline)
        detachPipeline();
}

void GstEngine::detachPipeline(const QByteArray &failedLocalName)
{
    {
        QMutexLocker lock(&m_link->mutex);
        m_link->target = nullptr;
    }
    // Notices and bus events already posted carry the old generation and are dropped.
    ++m_generation;
    GstElement *pipeline = m_pipeline;
    m_pipeline = nullptr;
    m_link = nullptr;
    if (failedLocalName.isNull()) {
        gst_element_set_state(pipeline, GST_STATE_NULL);
    } else {
        gst_element_call_async(pipeline, tearDownInPool, new QByteArray(failedLocalName), deleteLocalName);
    }
    gst_object_unref(pipeline);
    m_fileName.clear();
    m_deviceType.clear();
    m_mode = NotReady;
    m_atEnd = false;
    m_noticePending = false;
    m_lengthMs = -1;
    m_lastPositionMs = 0;
}

namespace {

// A stream without a duration header (a constant-rate MP3 without a Xing frame)
// has no duration until its parser has seen many frames, which the paused state
// never gives it; but the parser can already turn its input's byte size into time
// from the frames it has seen. With several parsers (several streams) the bytes
// are shared between them and no one of them can tell.
gint64 parserEstimate(GstElement *pipeline)
{
    GstElement *parser = nullptr;
    int parsers = 0;
    GstIterator *elements = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        auto *element = GST_ELEMENT(g_value_get_object(&item));
        if (GST_IS_BASE_PARSE(element) && ++parsers == 1)
            parser = GST_ELEMENT(gst_object_ref(element));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    gint64 ns = -1;
    if (parser && parsers == 1) {
        GstPad *input = gst_element_get_static_pad(parser, "sink");
        GstPad *output = gst_element_get_static_pad(parser, "src");
        gint64 bytes = -1;
        if (input && output && gst_pad_peer_query_duration(input, GST_FORMAT_BYTES, &bytes) && bytes > 0
            && !gst_pad_query_convert(output, GST_FORMAT_BYTES, bytes, GST_FORMAT_TIME, &ns))
            ns = -1;
        if (input)
            gst_object_unref(input);
        if (output)
            gst_object_unref(output);
    }
    if (parser)
        gst_object_unref(parser);
    return ns;
}

} // namespace

int GstEngine::queryLength() const
{
    if (!m_pipeline)
        return -1;
    gint64 ns = -1;
    if ((gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &ns) && ns >= 0)
        || (ns = parserEstimate(m_pipeline)) >= 0)
        return clampedMs(ns);
    return -1;
}

int GstEngine::length() const
{
    requireOpen();
    if (m_lengthMs < 0)
        m_lengthMs = queryLength();
    return m_lengthMs < 0 ? 0 : m_lengthMs;
}

int GstEngine::position() const
{
    if (!m_pipeline)
        return 0;
    const int total = length();
    // A position query at the end can fall hundreds of milliseconds short of the
    // duration, and after seekToEnd the pipeline stands elsewhere: the end is ours.
    if (m_atEnd)
        return total;
    // A position query walks the whole pipeline (tens of microseconds, taken
    // ten times a second by the progress tick). While playback is seen to flow
    // at the clock's pace, the position is carried forward from a query by the
    // time since, and asked again every second.
    const bool playing = m_mode == Playing && m_anchor.epoch == m_playEpoch;
    if (playing && m_anchor.flowing && m_anchor.clock.elapsed() < 1000) {
        const int carried = m_anchor.positionMs + int(m_anchor.clock.elapsed());
        m_lastPositionMs = std::max(m_lastPositionMs, carried);
    } else {
        gint64 ns = -1;
        if (gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &ns) && ns >= 0) {
            const int queried = clampedMs(ns);
            // Playing on, a query a few milliseconds behind what was carried
            // forward does not move the position back.
            m_lastPositionMs = playing && m_anchor.flowing && queried < m_lastPositionMs
                                       && m_lastPositionMs - queried < 50
                                   ? m_lastPositionMs
                                   : queried;
            if (m_mode != Playing) {
                m_anchor = {};
            } else if (!playing) {
                m_anchor = {m_playEpoch, queried, false, {}};
                m_anchor.clock.start();
            } else if (m_anchor.clock.elapsed() >= 300) {
                // Flowing: the position moved with the clock since the last anchor.
                const double rate = double(queried - m_anchor.positionMs) / double(m_anchor.clock.elapsed());
                m_anchor.flowing = rate > 0.95 && rate < 1.05;
                m_anchor.positionMs = queried;
                m_anchor.clock.start();
            }
        }
    }
    // Unknown lengths (0) do not clamp; otherwise the position never passes the end.
    if (total > 0 && m_lastPositionMs > total)
        return total;
    return m_lastPositionMs;
}

void GstEngine::postNotice(NotifyValue value)
{
    QCoreApplication::postEvent(this, new NoticeEvent(m_generation, value));
}

void GstEngine::cutPendingNotice(NotifyValue value)
{
    if (m_noticePending) {
        m_noticePending = false;
        postNotice(value);
    }
}

void GstEngine::dropQueuedMessages()
{
    GstBus *bus = gst_element_get_bus(m_pipeline);
    while (GstMessage *message = gst_bus_pop(bus))
        gst_message_unref(message);
    gst_object_unref(bus);
}

bool GstEngine::waitForAsyncDone()
{
    return waitOnBus(m_pipeline, false, OperationTimedOut, QFile::encodeName(m_fileName)).code == NoError;
}

bool GstEngine::pausePipeline()
{
    // Left-overs of earlier changes (an async-done, an error already handled)
    // must not end this wait early.
    dropQueuedMessages();
    switch (gst_element_set_state(m_pipeline, GST_STATE_PAUSED)) {
    case GST_STATE_CHANGE_FAILURE:
        return false;
    case GST_STATE_CHANGE_ASYNC:
        return waitForAsyncDone();
    default:
        return true;
    }
}

bool GstEngine::seekPipelineToStart()
{
    if (m_mode == Playing && !pausePipeline())
        return false;
    m_mode = Seeking;
    dropQueuedMessages();
    // A flushing seek in the paused state prerolls anew and ends with async-done.
    const bool done = gst_element_seek_simple(m_pipeline, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0)
                      && waitForAsyncDone();
    m_mode = Stopped;
    if (done) {
        m_atEnd = false;
        m_lastPositionMs = 0;
    }
    return done;
}

bool GstEngine::play(bool autoRewind)
{
    requireOpen();
    // At the start of a medium of unknown or no length, position and length are
    // both 0 too; a rewind there is pointless and fails on unseekable streams.
    if (m_mode != Playing && autoRewind && (m_atEnd || (length() > 0 && position() == length()))) {
        if (!seekPipelineToStart())
            return false;
    }
    if (m_atEnd) {
        // Playing from the end to the end is done as soon as it starts.
        cutPendingNotice(Superseded);
        postNotice(Successful);
        return true;
    }
    return startPlaying();
}

bool GstEngine::startPlaying()
{
    if (m_mode != Playing) {
        // Returns at once: the sinks reach playing in their own threads.
        if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
            return false;
        m_mode = Playing;
        ++m_playEpoch; // the position is measured anew from here
    }
    cutPendingNotice(Superseded);
    m_noticePending = true;
    return true;
}

bool GstEngine::pause()
{
    requireOpen();
    if (m_mode == Paused)
        return true;
    if (m_mode != Playing || !pausePipeline())
        return false;
    m_mode = Paused;
    cutPendingNotice(Aborted);
    return true;
}

bool GstEngine::resume()
{
    requireOpen();
    if (m_mode != Paused)
        return false;
    return startPlaying();
}

bool GstEngine::stop()
{
    requireOpen();
    if (m_mode == Playing && !pausePipeline())
        return false;
    m_mode = Stopped;
    cutPendingNotice(Aborted);
    return true;
}

bool GstEngine::seekToStart()
{
    requireOpen();
    cutPendingNotice(Aborted);
    return seekPipelineToStart();
}

bool GstEngine::seekToEnd()
{
    requireOpen();
    // Seeking to the exact duration is fragile in several demuxers; the end is a
    // state of ours instead: stopped, position reported as the length.
    if (m_mode == Playing && !pausePipeline())
        return false;
    m_mode = Stopped;
    m_atEnd = true;
    cutPendingNotice(Aborted);
    return true;
}

bool GstEngine::event(QEvent *event)
{
    if (event->type() == BusEventType) {
        const auto *busEvent = static_cast<BusEvent *>(event);
        // A message of a pipeline we have closed must not act on the next one.
        if (m_pipeline && busEvent->m_generation == m_generation)
            handleBusMessage(busEvent->m_message);
        return true;
    }
    if (event->type() == NoticeEventType) {
        const auto *notice = static_cast<NoticeEvent *>(event);
        if (m_pipeline && notice->m_generation == m_generation)
            tell(notice->m_value);
        return true;
    }
    return QObject::event(event);
}

void GstEngine::handleBusMessage(GstMessage *message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        // Only playback ends the medium. Paused or stopped just before the end,
        // the sinks post end-of-stream again when they go back to playing.
        if (m_mode != Playing)
            return;
        m_mode = Stopped;
        m_atEnd = true;
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
        if (m_noticePending) {
            m_noticePending = false;
            tell(Successful);
        }
        return;
    case GST_MESSAGE_ERROR:
        // The stream has stopped; stand still where it broke.
        if (m_mode == Stopped)
            return;
        m_mode = Stopped;
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
        if (m_noticePending) {
            m_noticePending = false;
            tell(Failure);
        }
        return;
    case GST_MESSAGE_DURATION_CHANGED: {
        const int known = queryLength();
        if (known >= 0)
            m_lengthMs = known;
        return;
    }
    case GST_MESSAGE_CLOCK_LOST:
        // The audio sink that provided the clock went away: going through paused
        // lets the pipeline pick a new one.
        if (m_mode == Playing) {
            gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
            gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
        }
        return;
    default:
        return;
    }
}

// The module's entry: hands out media devices.
class GstEngineFactory : public QObject, public MediaEngineFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KavroMediaEngineFactory_iid)
    Q_INTERFACES(MediaEngineFactory)

public:
    MediaEngine *createEngine() override { return new GstEngine; }
};

#include "gstengine.moc"
