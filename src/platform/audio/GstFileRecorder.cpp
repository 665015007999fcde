// GValueArray carries the level element's per-channel values.
#define GLIB_DISABLE_DEPRECATION_WARNINGS

#include "platform/audio/GstFileRecorder.h"

#include "platform/audio/AudioLogging.h"
#include "platform/audio/FrameBatcher.h"
#include "platform/audio/LostAudioDetector.h"
#include "platform/audio/PulseAudioHardware.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <mutex>
#include <optional>

namespace {

constexpr double silenceDb = -160.0;
// Fragments bound what a crash can lose: the fragment being written plus what the capture,
// encoder and muxer still hold (a capture block and a batch), together under half a second.
constexpr int fragmentMilliseconds = 250;
// The capture hands over 100 ms at a time rather than the source's default 10 ms, so its threads
// wake a tenth as often; the level still gets a block every 100 ms, and pauses are cut by time,
// not by block.
constexpr int captureLatencyMicroseconds = 100000;
// What the capture holds, at the sound server and in the source, while the thread that converts,
// encodes and writes is held up (a busy processor, a slow disk) or the whole program stands
// still: audio past it is lost, so it is ample. Only memory pays for it; the latency is one block.
constexpr int captureBufferMicroseconds = 2000000;
// The muxer's thread wakes per batch of encoded frames rather than per frame; it queues up to
// two batches so the encoder is not held up.
constexpr GstClockTime frameBatchNs = 100 * GST_MSECOND;
constexpr GstClockTime muxerLatencyNs = 2 * frameBatchNs;
constexpr char sizeLimitMessage[] = "tapewick-size-limit";
constexpr char capturedToEndMessage[] = "tapewick-captured-to-end";
// How long a stop waits for the capture to hand over the audio from before it: past what the
// capture holds, that audio is lost anyway.
constexpr std::chrono::milliseconds captureToEndTimeout { captureBufferMicroseconds / 1000 };
constexpr std::chrono::milliseconds defaultInputLookupTimeout { 2000 };
// What the encoder and muxer hold is a fraction of a second of audio: writing it out takes far less.
constexpr std::chrono::milliseconds drainTimeout { 3000 };

// Tells the bus, from the element of `pad`.
void postApplicationMessage(GstPad *pad, const char *name)
{
    GstObject *element = gst_pad_get_parent(pad);
    gst_element_post_message(
        GST_ELEMENT(element), gst_message_new_application(element, gst_structure_new_empty(name)));
    gst_object_unref(element);
}

// A capture that ends before its first block sends its end without a segment before it, and the
// meter then asks a segment that was never set for the end's time (a critical warning): such an
// end gets a time segment first.
GstPadProbeReturn segmentBeforeEnd(GstPad *pad, GstPadProbeInfo *info, gpointer)
{
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_EOS) {
        return GST_PAD_PROBE_OK;
    }
    if (GstEvent *segment = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0)) {
        gst_event_unref(segment);
        return GST_PAD_PROBE_OK;
    }
    GstSegment time;
    gst_segment_init(&time, GST_FORMAT_TIME);
    gst_pad_send_event(pad, gst_event_new_segment(&time));
    return GST_PAD_PROBE_OK;
}

// An end forced before the capture has told its format (its input failed while connecting, or
// a finish ran out of time first) finds the meter without a sample rate, which the meter divides
// by for the end's last level (a critical warning). The meter has measured nothing then: such an
// end goes on past it.
GstPadProbeReturn endPastAnUnformattedMeter(GstPad *pad, GstPadProbeInfo *info, gpointer)
{
    GstEvent *event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_EOS || gst_pad_has_current_caps(pad)) {
        return GST_PAD_PROBE_OK;
    }
    GstElement *meter = gst_pad_get_parent_element(pad);
    GstPad *out = gst_element_get_static_pad(meter, "src");
    gst_pad_push_event(out, gst_event_ref(event));
    gst_object_unref(out);
    gst_object_unref(meter);
    return GST_PAD_PROBE_DROP;
}

// Cuts the paused spans out of the audio and moves later audio back by them, so the file holds
// the recorded audio without a gap. The spans are running times taken when the user pauses and
// resumes, so the cut falls where the user meant it however much audio is still on its way.
// Runs on the streaming thread; the GUI thread adds spans, sets the end and reads the counts.
struct TimestampShift
{
    struct Span
    {
        GstClockTime start;
        GstClockTime end = GST_CLOCK_TIME_NONE; // still paused
    };
    std::mutex spansMutex;
    std::deque<Span> spans;
    std::atomic<quint64> recordedNs { 0 };
    // The frames handed on to be written: what the file holds, whatever the timestamps say.
    std::atomic<quint64> passedFrames { 0 };
    // How far the audio seen so far reaches, and where the recording ends, as running times; the
    // bus is told once the capture has handed over the audio up to the end.
    std::atomic<GstClockTime> seenUntil { 0 };
    std::atomic<GstClockTime> endAt { GST_CLOCK_TIME_NONE };
    std::atomic<bool> endReached { false };
    // Audio bytes the file may take; 0 for no limit. Past it buffers are dropped and the bus is
    // told once, so the file never grows past what its header can describe.
    quint64 byteLimit = 0;
    quint64 passedBytes = 0;
    bool limitReached = false;
    // Audio was cut before this buffer, or after the last one's first frame: the offset follows.
    bool dropping = false;
    bool pendingShift = false;
    GstClockTime offset = 0;
    GstClockTime firstPts = GST_CLOCK_TIME_NONE;
    GstClockTime nextPts = GST_CLOCK_TIME_NONE;

    void pauseAt(GstClockTime runningTime)
    {
        std::lock_guard lock(spansMutex);
        spans.push_back({ runningTime });
    }
    void resumeAt(GstClockTime runningTime)
    {
        std::lock_guard lock(spansMutex);
        if (!spans.empty() && !GST_CLOCK_TIME_IS_VALID(spans.back().end)) {
            spans.back().end = std::max(runningTime, spans.back().start);
        }
    }
    // Where the pause still running began; none when none runs.
    GstClockTime pausedSince()
    {
        std::lock_guard lock(spansMutex);
        return !spans.empty() && !GST_CLOCK_TIME_IS_VALID(spans.back().end) ? spans.back().start
                                                                            : GST_CLOCK_TIME_NONE;
    }
    // The recording ends at `end`; answers whether the audio up to it has come already, and
    // otherwise the streaming thread tells the bus once it comes. Only one of the two has it.
    bool endsAt(GstClockTime end)
    {
        endAt.store(end);
        return seenUntil.load() >= end && !endReached.exchange(true);
    }
    // The audio seen reaches `until`; answers whether that is the end, once.
    bool reaches(GstClockTime until)
    {
        seenUntil.store(std::max(seenUntil.load(), until));
        const GstClockTime end = endAt.load();
        return GST_CLOCK_TIME_IS_VALID(end) && until >= end && !endReached.exchange(true);
    }

    static GstClockTime runningTimeOf(GstPad *pad, GstBuffer *buffer)
    {
        GstEvent *event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
        if (!event) {
            return GST_CLOCK_TIME_NONE;
        }
        const GstSegment *segment = nullptr;
        gst_event_parse_segment(event, &segment);
        const GstClockTime time = segment->format == GST_FORMAT_TIME
            ? gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer))
            : GST_CLOCK_TIME_NONE;
        gst_event_unref(event);
        return time;
    }

    // The frames of a buffer that begins at the running time `begin` to keep, as [from, to)
    // ranges; spans wholly behind it are forgotten.
    std::vector<std::pair<guint64, guint64>> keptFrames(
        GstClockTime begin, const GstAudioInfo &info, guint64 frames)
    {
        std::vector<std::pair<guint64, guint64>> kept { { 0, frames } };
        if (!GST_CLOCK_TIME_IS_VALID(begin)) {
            return kept;
        }
        const auto frameAt = [&](GstClockTime time) -> guint64 {
            if (!GST_CLOCK_TIME_IS_VALID(time)) {
                return frames;
            }
            return time <= begin
                ? 0
                : std::min(frames, gst_util_uint64_scale_ceil(time - begin, guint64(info.rate), GST_SECOND));
        };
        std::lock_guard lock(spansMutex);
        while (!spans.empty() && GST_CLOCK_TIME_IS_VALID(spans.front().end) && spans.front().end <= begin) {
            spans.pop_front();
        }
        for (const Span &span : spans) {
            const guint64 from = frameAt(span.start);
            const guint64 to = frameAt(span.end);
            std::vector<std::pair<guint64, guint64>> rest;
            for (const auto &[keptFrom, keptTo] : kept) {
                if (keptFrom < std::min(from, keptTo)) {
                    rest.emplace_back(keptFrom, std::min(from, keptTo));
                }
                if (std::max(to, keptFrom) < keptTo) {
                    rest.emplace_back(std::max(to, keptFrom), keptTo);
                }
            }
            kept = std::move(rest);
        }
        return kept;
    }

    static std::optional<GstAudioInfo> audioInfo(GstPad *pad)
    {
        GstCaps *caps = gst_pad_get_current_caps(pad);
        GstAudioInfo info;
        const bool known = caps && gst_audio_info_from_caps(&info, caps) && info.bpf > 0 && info.rate > 0;
        if (caps) {
            gst_caps_unref(caps);
        }
        return known ? std::optional(info) : std::nullopt;
    }

    // Runs the paused spans over raw audio that begins at the running time `begin`; none when
    // nothing of it is kept.
    GstBuffer *clip(GstBuffer *buffer, GstClockTime begin, const std::optional<GstAudioInfo> &format)
    {
        if (!format || !GST_BUFFER_PTS_IS_VALID(buffer)) {
            return buffer;
        }
        const GstAudioInfo &info = *format;
        const guint64 frames = gst_buffer_get_size(buffer) / guint64(info.bpf);
        const auto kept = keptFrames(begin, info, frames);
        if (kept.size() == 1 && kept.front() == std::pair<guint64, guint64> { 0, frames }) {
            return buffer;
        }
        dropping = true;
        if (kept.empty()) {
            return nullptr;
        }
        GstBuffer *result = nullptr;
        guint64 keptFrames = 0;
        for (const auto &[from, to] : kept) {
            GstBuffer *part = gst_buffer_copy_region(buffer, GST_BUFFER_COPY_MEMORY,
                gsize(from * guint64(info.bpf)), gsize((to - from) * guint64(info.bpf)));
            result = result ? gst_buffer_append(result, part) : part;
            keptFrames += to - from;
        }
        gst_buffer_copy_into(result, buffer, GST_BUFFER_COPY_METADATA, 0, -1);
        GST_BUFFER_PTS(result) = GST_BUFFER_PTS(buffer)
            + gst_util_uint64_scale(kept.front().first, GST_SECOND, guint64(info.rate));
        GST_BUFFER_DURATION(result) = gst_util_uint64_scale(keptFrames, GST_SECOND, guint64(info.rate));
        GST_BUFFER_OFFSET(result) = GST_BUFFER_OFFSET_NONE;
        GST_BUFFER_OFFSET_END(result) = GST_BUFFER_OFFSET_NONE;
        // A cut after the first kept frame moves the buffers after this one back.
        pendingShift = kept.size() > 1 || kept.back().second < frames;
        return result;
    }

    static GstPadProbeReturn probe(GstPad *pad, GstPadProbeInfo *info, gpointer data)
    {
        auto *shift = static_cast<TimestampShift *>(data);
        GstBuffer *original = GST_PAD_PROBE_INFO_BUFFER(info);
        const std::optional<GstAudioInfo> format = audioInfo(pad);
        const GstClockTime begin = runningTimeOf(pad, original);
        // Told before the buffer goes on: what it holds past the end is cut anyway.
        if (format && GST_CLOCK_TIME_IS_VALID(begin)
            && shift->reaches(begin
                + gst_util_uint64_scale(gst_buffer_get_size(original) / guint64(format->bpf), GST_SECOND,
                    guint64(format->rate)))) {
            postApplicationMessage(pad, capturedToEndMessage);
        }
        GstBuffer *buffer = shift->clip(original, begin, format);
        if (!buffer) {
            return GST_PAD_PROBE_DROP;
        }
        if (buffer != original) {
            gst_buffer_unref(original);
            GST_PAD_PROBE_INFO_DATA(info) = buffer;
        }
        if (shift->byteLimit != 0) {
            const gsize size = gst_buffer_get_size(buffer);
            if (shift->limitReached || shift->passedBytes + size > shift->byteLimit) {
                if (!std::exchange(shift->limitReached, true)) {
                    postApplicationMessage(pad, sizeLimitMessage);
                }
                return GST_PAD_PROBE_DROP;
            }
            shift->passedBytes += size;
        }
        if (format) {
            shift->passedFrames.fetch_add(gst_buffer_get_size(buffer) / guint64(format->bpf));
        }
        if (!GST_BUFFER_PTS_IS_VALID(buffer)) {
            return GST_PAD_PROBE_OK;
        }
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        if (shift->dropping) {
            shift->dropping = false;
            if (GST_CLOCK_TIME_IS_VALID(shift->nextPts) && pts > shift->nextPts + shift->offset) {
                shift->offset = pts - shift->nextPts;
            }
        }
        shift->dropping = std::exchange(shift->pendingShift, false);
        if (shift->offset > 0) {
            buffer = gst_buffer_make_writable(buffer);
            GST_BUFFER_PTS(buffer) = pts - shift->offset;
            GST_PAD_PROBE_INFO_DATA(info) = buffer;
        }
        const GstClockTime shifted = GST_BUFFER_PTS(buffer);
        if (!GST_CLOCK_TIME_IS_VALID(shift->firstPts)) {
            shift->firstPts = shifted;
        }
        shift->nextPts = shifted + (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0);
        shift->recordedNs.store(shift->nextPts - shift->firstPts);
        return GST_PAD_PROBE_OK;
    }
};

std::vector<double> levelValues(const GstStructure *structure, const char *field)
{
    std::vector<double> values;
    const GValue *list = gst_structure_get_value(structure, field);
    if (!list || !G_VALUE_HOLDS(list, G_TYPE_VALUE_ARRAY)) {
        return values;
    }
    const auto *array = static_cast<const GValueArray *>(g_value_get_boxed(list));
    for (guint i = 0; array && i < array->n_values; ++i) {
        const double value = g_value_get_double(&array->values[i]);
        values.push_back(std::isfinite(value) ? std::max(value, silenceDb) : silenceDb);
    }
    return values;
}

// Without an answer the server chooses; a server that gives none fails the start with its reason.
// The program's own connection knows the default input from the server's events, so a start on
// the GUI thread waits for no round trip; another server is asked afresh.
GstFileRecorder::Capture defaultInput(const QString &server)
{
    const QCoreApplication *application = QCoreApplication::instance();
    const bool onGuiThread = application && QThread::currentThread() == application->thread();
    std::optional<PulseAudioHardware> own;
    AudioHardware &hardware = server.isEmpty() && onGuiThread
        ? PulseAudioHardware::shared()
        : own.emplace(PulseAudioHardware::Options { server, defaultInputLookupTimeout });
    const auto id = hardware.defaultInputDeviceId();
    if (!id) {
        return {};
    }
    const auto device = hardware.device(id.value());
    if (!device) {
        return {};
    }
    return { device.value().uid, device.value().inputChannelCount };
}

AudioResult<void> validate(const FileRecorderSettings &settings)
{
    auto invalid = [](const QString &message) {
        return AudioError { AudioError::Domain::media, GST_CORE_ERROR_NEGOTIATION, message };
    };
    if (settings.formatId != AudioFormatId::aac && settings.formatId != AudioFormatId::linearPcm) {
        return invalid(QStringLiteral("The recording format is not supported."));
    }
    if (settings.channels < 1 || settings.channels > 2) {
        return invalid(QStringLiteral("Recordings have one or two channels, not %1.").arg(settings.channels));
    }
    if (settings.sampleRate < 8000 || settings.sampleRate > 192000) {
        return invalid(QStringLiteral("The sample rate %1 Hz is not supported.").arg(settings.sampleRate));
    }
    // AAC has no sampling-frequency index above 96 kHz.
    if (settings.formatId == AudioFormatId::aac && settings.sampleRate > 96000) {
        return invalid(QStringLiteral("AAC recordings cannot have %1 Hz.").arg(settings.sampleRate));
    }
    if (settings.formatId == AudioFormatId::aac && settings.bitRate <= 0) {
        return invalid(QStringLiteral("The bit rate %1 is not supported.").arg(settings.bitRate));
    }
    return {};
}

} // namespace

class RecordingSession : public std::enable_shared_from_this<RecordingSession>
{
public:
    enum class State { ready, recording, paused, finishing, done };

    RecordingSession(GstElement *pipeline, QString location, FileRecorderSettings settings,
        const GstFileRecorder::Options &options)
        : m_pipeline(pipeline)
        , m_background(pipeline)
        , m_location(std::move(location))
        , m_settings(settings)
        , m_finishTimeout(options.finishTimeout)
    {
        if (settings.formatId == AudioFormatId::linearPcm) {
            m_shift.byteLimit = options.wavDataLimit;
        }
        GstElement *capture = gst_bin_get_by_name(GST_BIN(m_pipeline), "capture");
        GstPad *captured = gst_element_get_static_pad(capture, "src");
        LostAudioDetector::install(captured);
        if (GstPad *next = gst_pad_get_peer(captured)) {
            gst_pad_add_probe(next, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &segmentBeforeEnd, nullptr, nullptr);
            gst_object_unref(next);
        }
        gst_object_unref(captured);
        gst_object_unref(capture);
        GstElement *meter = gst_bin_get_by_name(GST_BIN(m_pipeline), "meter");
        GstPad *metered = gst_element_get_static_pad(meter, "sink");
        gst_pad_add_probe(
            metered, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &endPastAnUnformattedMeter, nullptr, nullptr);
        gst_object_unref(metered);
        GstPad *pad = gst_element_get_static_pad(meter, "src");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &TimestampShift::probe, &m_shift, nullptr);
        gst_object_unref(pad);
        gst_object_unref(meter);
        if (GstElement *encoder = gst_bin_get_by_name(GST_BIN(m_pipeline), "encoder")) {
            GstPad *encoded = gst_element_get_static_pad(encoder, "src");
            FrameBatcher::install(encoded, frameBatchNs);
            gst_object_unref(encoded);
            gst_object_unref(encoder);
        }
        m_busHandler = [this](GstMessage *message) { return handle(message); };
    }

    ~RecordingSession()
    {
        GstSupport::removeWatch(std::exchange(m_watchId, 0));
        m_background.release();
    }

    const QString &location() const { return m_location; }
    const FileRecorderSettings &settings() const { return m_settings; }
    State state() const { return m_state; }
    // Audio from before a pause is still on its way in: the time shown stands still meanwhile.
    double currentTime() const
    {
        return double(m_pausedAtNs.value_or(m_shift.recordedNs.load())) / GST_SECOND;
    }
    double writtenTime() const { return double(m_shift.passedFrames.load()) / m_settings.sampleRate; }

    bool record()
    {
        switch (m_state) {
        case State::ready:
            m_watchId = GstSupport::watchBus(m_pipeline, &m_busHandler);
            // Connecting to the sound server can take long: the GUI thread does not wait for it. A
            // start that fails ends the recording like any other failure, with the reason.
            m_background.start([weak = weak_from_this()] {
                if (auto session = weak.lock(); session && session->m_pipeline) {
                    // The bus may have handed the reason over already, to a drain.
                    session->finish(session->m_failure
                            ? *session->m_failure
                            : GstSupport::pendingError(session->m_pipeline, QStringLiteral("the recording")));
                }
            });
            m_state = State::recording;
            return true;
        case State::paused:
            m_shift.resumeAt(runningTime().value_or(0));
            m_pausedAtNs.reset();
            m_state = State::recording;
            return true;
        case State::recording:
            return true;
        case State::finishing:
        case State::done:
            return false;
        }
        return false;
    }

    void pause()
    {
        if (m_state == State::recording) {
            m_shift.pauseAt(runningTime().value_or(0));
            m_pausedAtNs = m_shift.recordedNs.load();
            m_state = State::paused;
        }
    }

    void stop()
    {
        if (m_state == State::ready) {
            m_state = State::done;
            return;
        }
        if (m_state != State::recording && m_state != State::paused) {
            return;
        }
        // What the capture hands over after the stop, a block's worth, is no more the user's than
        // audio after a pause.
        const std::optional<GstClockTime> now = runningTime();
        if (m_state == State::recording) {
            m_shift.pauseAt(now.value_or(0));
        }
        // Before the pipeline runs nothing is captured, and a capture not yet started would lose an
        // end of its stream: the recording ends as it is, empty, and the pause keeps out whatever
        // a start still under way captures.
        if (!now) {
            finish({});
            return;
        }
        m_state = State::finishing;
        // Lives on until the end-of-stream has reached the file, whoever holds the recorder.
        m_keepAlive = shared_from_this();
        // The capture hands its audio over a block at a time, and ending the stream drops the block
        // it is filling: what it holds from before the stop (a short recording's all) is waited for.
        const GstClockTime end = m_shift.pausedSince();
        if (!GST_CLOCK_TIME_IS_VALID(end) || m_shift.endsAt(end)) {
            endStream();
        } else {
            QTimer::singleShot(captureToEndTimeout, QCoreApplication::instance(), [weak = weak_from_this()] {
                if (auto session = weak.lock()) {
                    session->endStream();
                }
            });
        }
        QTimer::singleShot(m_finishTimeout, QCoreApplication::instance(), [weak = weak_from_this()] {
            if (auto session = weak.lock()) {
                // What was written is most likely good: the file is kept, and whoever shows the
                // failure says where.
                session->drainThenFinish(AudioError { AudioError::Domain::media, GST_STREAM_ERROR_FAILED,
                    QStringLiteral("Its end did not come through in time; the sound server may have stopped "
                                   "answering.") });
            }
        });
    }

    // The recorder was released: the file is completed, nobody is told. Its owner may be gone by
    // the time a finish under way comes through, however long the server takes to answer.
    void abandon()
    {
        m_onFinished = nullptr;
        m_onError = nullptr;
        if (m_state == State::recording || m_state == State::paused) {
            stop();
        }
    }

    bool deleteFile()
    {
        m_onFinished = nullptr;
        m_onError = nullptr;
        GstSupport::removeWatch(std::exchange(m_watchId, 0));
        m_state = State::done;
        auto keepAlive = std::move(m_keepAlive);
        // Unlinked now; whatever the pipeline still writes goes nowhere once it is stopped.
        QFile::remove(m_location);
        m_pipeline = nullptr;
        // The pipeline's probes work on this session until it has stopped.
        m_background.release([self = shared_from_this()] {});
        return !QFile::exists(m_location);
    }

    void updateMeters() { m_meteredRms = m_latestRms; }
    double averagePower(int channel) const
    {
        return channel >= 0 && std::size_t(channel) < m_meteredRms.size() ? m_meteredRms[std::size_t(channel)]
                                                                          : silenceDb;
    }

    AudioFileRecorder::FinishedCallback m_onFinished;
    AudioFileRecorder::EncodeErrorCallback m_onError;

private:
    // None before the pipeline runs: there is no clock yet, and all it captures comes later.
    std::optional<GstClockTime> runningTime() const
    {
        const GstClockTime now
            = m_pipeline ? gst_element_get_current_running_time(m_pipeline) : GST_CLOCK_TIME_NONE;
        return GST_CLOCK_TIME_IS_VALID(now) ? std::optional(now) : std::nullopt;
    }

    void endStream()
    {
        if (m_state == State::finishing && !std::exchange(m_streamEnding, true)) {
            m_background.endStream();
        }
    }

    bool handle(GstMessage *message)
    {
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ELEMENT:
            if (const GstStructure *structure = gst_message_get_structure(message);
                structure && gst_structure_has_name(structure, "level")) {
                m_latestRms = levelValues(structure, "rms");
            } else if (const auto gap = LostAudioDetector::gapIn(message)) {
                const QString text = gap->atMost
                    ? QStringLiteral("Lost up to %1 ms of audio %2 s into the recording “%3”: the recording "
                                     "was held up that long.")
                    : QStringLiteral("Lost %1 ms of audio %2 s into the recording “%3”: it fell too far "
                                     "behind the input.");
                qCWarning(lcAudio).noquote() << text.arg(gap->length / GST_MSECOND)
                                                    .arg(double(gap->at) / GST_SECOND, 0, 'f', 1)
                                                    .arg(m_location);
            }
            return true;
        case GST_MESSAGE_APPLICATION:
            // The file is as long as it can be: it ends here, complete, like any other.
            if (gst_structure_has_name(gst_message_get_structure(message), sizeLimitMessage)) {
                qWarning("The recording reached the largest size its file can hold and was ended: %s",
                    qPrintable(m_location));
                stop();
            } else if (gst_structure_has_name(gst_message_get_structure(message), capturedToEndMessage)) {
                endStream();
            }
            return true;
        default:
            if (auto end = GstSupport::outcome(message)) {
                // What a failed source sent is still written out; its later errors only follow up.
                if (!*end && GST_IS_ELEMENT(GST_MESSAGE_SRC(message))
                    && GST_OBJECT_FLAG_IS_SET(GST_MESSAGE_SRC(message), GST_ELEMENT_FLAG_SOURCE)) {
                    drainThenFinish(end->error());
                    return true;
                }
                m_watchId = 0;
                // Once draining, the end carries the reason the drain began for.
                finish(m_failure ? AudioResult<void>(*m_failure) : *end);
                return false;
            }
            return true;
        }
    }

    // A failed source or a finish that takes too long would otherwise cut off what the encoder
    // and muxer still hold and leave the file unfinalised: that is written out first, within a
    // time limit, and the recording then ends with `failure`.
    void drainThenFinish(AudioError failure)
    {
        if (m_state == State::done || m_failure) {
            return;
        }
        m_failure = std::move(failure);
        m_state = State::finishing;
        m_streamEnding = true;
        m_keepAlive = shared_from_this();
        m_background.endStreamAfterSources();
        QTimer::singleShot(drainTimeout, QCoreApplication::instance(), [weak = weak_from_this()] {
            if (auto session = weak.lock()) {
                session->finish(*session->m_failure);
            }
        });
    }

    void finish(AudioResult<void> result)
    {
        if (m_state == State::done) {
            return;
        }
        m_state = State::done;
        m_pausedAtNs.reset();
        GstSupport::removeWatch(std::exchange(m_watchId, 0));
        // Whoever is told may only show it, or nobody is (an abandoned recording): the log keeps it.
        if (!result) {
            // The cause in words; the framework's error number means nothing to whoever reads it.
            qCWarning(lcAudio).noquote() << QStringLiteral("The recording “%1” ended by a failure: %2")
                                                .arg(m_location, result.error().message);
        }
        auto self = shared_from_this();
        m_pipeline = nullptr;
        m_background.release([self, result] {
            // Told only now: the file is closed and complete. Taken out first, as the owner may
            // release the recorder from inside, which lets go of whatever callbacks it still holds.
            auto keepAlive = std::move(self->m_keepAlive);
            const auto onError = std::exchange(self->m_onError, nullptr);
            const auto onFinished = std::exchange(self->m_onFinished, nullptr);
            if (!result) {
                if (onError) {
                    onError(result.error());
                }
            } else if (onFinished) {
                onFinished(true);
            }
        });
    }

    // Valid until released; owned by m_background.
    GstElement *m_pipeline = nullptr;
    GstSupport::BackgroundPipeline m_background;
    QString m_location;
    FileRecorderSettings m_settings;
    std::chrono::milliseconds m_finishTimeout;
    State m_state = State::ready;
    // The end-of-stream is on its way.
    bool m_streamEnding = false;
    TimestampShift m_shift;
    std::optional<quint64> m_pausedAtNs;
    std::function<bool(GstMessage *)> m_busHandler;
    unsigned m_watchId = 0;
    std::vector<double> m_latestRms;
    std::vector<double> m_meteredRms;
    std::shared_ptr<RecordingSession> m_keepAlive;
    // Why the recording ends once its drain is done.
    std::optional<AudioError> m_failure;
};

AudioResult<std::vector<GstSupport::Stage>> GstFileRecorder::stages(
    const QString &location, const FileRecorderSettings &settings, const QString &server)
{
    return stages(location, settings, server, Capture {});
}

AudioResult<std::vector<GstSupport::Stage>> GstFileRecorder::stages(const QString &location,
    const FileRecorderSettings &settings, const QString &server, const Capture &capture)
{
    if (auto valid = validate(settings); !valid) {
        return valid.error();
    }
    const bool pcm = settings.formatId == AudioFormatId::linearPcm;
    std::vector<GstSupport::Stage> stages;
    GstSupport::Stage source { QStringLiteral("pulsesrc"),
        { { QStringLiteral("buffer-time"), QString::number(captureBufferMicroseconds) },
            { QStringLiteral("latency-time"), QString::number(captureLatencyMicroseconds) } },
        QStringLiteral("capture") };
    if (!server.isEmpty()) {
        source.properties.emplace_back(QStringLiteral("server"), server);
    }
    if (!capture.device.isEmpty()) {
        source.properties.emplace_back(QStringLiteral("device"), capture.device);
    }
    stages.push_back(source);
    if (capture.channels > 0) {
        stages.push_back({ QStringLiteral("capsfilter"),
            { { QStringLiteral("caps"), QStringLiteral("audio/x-raw,channels=%1").arg(capture.channels) } },
            {} });
    }
    stages.push_back({ QStringLiteral("audioconvert"), {}, {} });
    stages.push_back({ QStringLiteral("audioresample"), {}, {} });
    QString caps
        = QStringLiteral("audio/x-raw,rate=%1,channels=%2").arg(settings.sampleRate).arg(settings.channels);
    if (pcm) {
        caps += QStringLiteral(",format=S16LE");
    }
    stages.push_back({ QStringLiteral("capsfilter"), { { QStringLiteral("caps"), caps } }, {} });
    stages.push_back({ QStringLiteral("level"),
        { { QStringLiteral("interval"), QStringLiteral("100000000") },
            { QStringLiteral("post-messages"), QStringLiteral("true") } },
        QStringLiteral("meter") });
    if (pcm) {
        stages.push_back({ QStringLiteral("wavenc"), {}, {} });
    } else {
        stages.push_back({ QStringLiteral("audioconvert"), {}, {} });
        stages.push_back({ QStringLiteral("avenc_aac"),
            { { QStringLiteral("bitrate"), QString::number(settings.bitRate) } },
            QStringLiteral("encoder") });
        stages.push_back({ QStringLiteral("mp4mux"),
            { { QStringLiteral("fragment-duration"), QString::number(fragmentMilliseconds) },
                { QStringLiteral("latency"), QString::number(muxerLatencyNs) },
                { QStringLiteral("fragment-mode"), QStringLiteral("first-moov-then-finalise") } },
            {} });
    }
    stages.push_back({ QStringLiteral("filesink"), { { QStringLiteral("location"), location } }, {} });
    return stages;
}

AudioResult<std::unique_ptr<GstFileRecorder>> GstFileRecorder::create(
    const QString &location, const FileRecorderSettings &settings)
{
    return create(location, settings, Options {});
}

AudioResult<std::unique_ptr<GstFileRecorder>> GstFileRecorder::create(
    const QString &location, const FileRecorderSettings &settings, const Options &options)
{
    if (auto valid = validate(settings); !valid) {
        return valid.error();
    }
    auto recipe = stages(location, settings, options.server, defaultInput(options.server));
    if (!recipe) {
        return recipe.error();
    }
    auto pipeline = GstSupport::buildPipeline(recipe.value(), QStringLiteral("file-recorder"));
    if (!pipeline) {
        return pipeline.error();
    }
    auto session = std::make_shared<RecordingSession>(pipeline.value(), location, settings, options);
    return std::unique_ptr<GstFileRecorder>(new GstFileRecorder(std::move(session)));
}

GstFileRecorder::GstFileRecorder(std::shared_ptr<RecordingSession> session)
    : m_session(std::move(session))
{ }

GstFileRecorder::~GstFileRecorder()
{
    m_session->abandon();
}

QString GstFileRecorder::location() const
{
    return m_session->location();
}

FileRecorderSettings GstFileRecorder::settings() const
{
    return m_session->settings();
}

bool GstFileRecorder::record()
{
    return m_session->record();
}

void GstFileRecorder::pause()
{
    m_session->pause();
}

void GstFileRecorder::stop()
{
    m_session->stop();
}

bool GstFileRecorder::isRecording() const
{
    return m_session->state() == RecordingSession::State::recording;
}

double GstFileRecorder::currentTime() const
{
    return m_session->currentTime();
}

double GstFileRecorder::writtenTime() const
{
    return m_session->writtenTime();
}

void GstFileRecorder::updateMeters()
{
    m_session->updateMeters();
}

double GstFileRecorder::averagePower(int channel) const
{
    return m_session->averagePower(channel);
}

bool GstFileRecorder::deleteRecording()
{
    return m_session->deleteFile();
}

void GstFileRecorder::setFinishedCallback(FinishedCallback callback)
{
    m_session->m_onFinished = std::move(callback);
}

void GstFileRecorder::setEncodeErrorCallback(EncodeErrorCallback callback)
{
    m_session->m_onError = std::move(callback);
}

GstFileRecorderFactory::GstFileRecorderFactory() = default;

GstFileRecorderFactory::GstFileRecorderFactory(GstFileRecorder::Options options)
    : m_options(std::move(options))
{ }

AudioResult<std::unique_ptr<AudioFileRecorder>> GstFileRecorderFactory::makeRecorder(
    const QString &location, const FileRecorderSettings &settings)
{
    auto recorder = GstFileRecorder::create(location, settings, m_options);
    if (!recorder) {
        return recorder.error();
    }
    return std::unique_ptr<AudioFileRecorder>(std::move(recorder).value());
}
