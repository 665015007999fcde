#include "platform/audio/GstSoundPlayer.h"

#include "platform/audio/GstSupport.h"
#include "platform/audio/SoundSynthesis.h"
#include "platform/events/MainThread.h"

#include <QCoreApplication>
#include <QTimer>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <memory>
#include <optional>

namespace {

// One sound being played. Keeps itself alive until its completion has run.
class Playback : public std::enable_shared_from_this<Playback>
{
public:
    explicit Playback(std::function<void()> completion)
        : m_completion(std::move(completion))
        , m_busHandler([this](GstMessage *message) { return handle(message); })
    { }

    void start(GstElement *pipeline, std::chrono::milliseconds limit)
    {
        m_pipeline.emplace(pipeline);
        m_keepAlive = shared_from_this();
        m_watchId = GstSupport::watchBus(pipeline, &m_busHandler);
        std::weak_ptr<Playback> weak = m_keepAlive;
        QTimer::singleShot(limit, QCoreApplication::instance(), [weak] {
            if (auto playback = weak.lock()) {
                playback->complete();
            }
        });
        // A server that does not answer must not hold up the GUI thread, nor start the sound
        // after the time-out has stopped it.
        m_pipeline->start([weak] {
            if (auto playback = weak.lock()) {
                playback->complete();
            }
        });
    }

private:
    bool handle(GstMessage *message)
    {
        if (GstSupport::outcome(message)) {
            m_watchId = 0;
            complete();
            return false;
        }
        return true;
    }

    void complete()
    {
        if (m_done) {
            return;
        }
        m_done = true;
        GstSupport::removeWatch(std::exchange(m_watchId, 0));
        m_pipeline->release();
        if (m_completion) {
            m_completion();
        }
        // Released from the event loop: this may be running inside its own bus handler.
        Events::runOnMain([keepAlive = std::move(m_keepAlive)] {});
    }

    std::function<void()> m_completion;
    std::function<bool(GstMessage *)> m_busHandler;
    std::optional<GstSupport::BackgroundPipeline> m_pipeline;
    unsigned m_watchId = 0;
    bool m_done = false;
    std::shared_ptr<Playback> m_keepAlive;
};

} // namespace

GstSoundPlayer::GstSoundPlayer()
    : GstSoundPlayer(Options {})
{ }

GstSoundPlayer::GstSoundPlayer(Options options)
    : m_options(std::move(options))
{ }

void GstSoundPlayer::play(quint32 soundId, std::function<void()> completion)
{
    const std::vector<qint16> samples = SoundSynthesis::samplesFor(soundId);
    // The server starts a stream only once its buffer is full: it must be shorter than the sound.
    std::vector<std::pair<QString, QString>> sinkProperties { { QStringLiteral("buffer-time"),
                                                                  QStringLiteral("50000") },
        { QStringLiteral("latency-time"), QStringLiteral("10000") } };
    if (!m_options.server.isEmpty()) {
        sinkProperties.emplace_back(QStringLiteral("server"), m_options.server);
    }
    const QString caps = QStringLiteral("audio/x-raw,format=S16LE,layout=interleaved,rate=%1,channels=1")
                             .arg(SoundSynthesis::sampleRate);
    auto pipeline = samples.empty()
        ? AudioResult<GstElement *>(
            AudioError { AudioError::Domain::media, 0, QStringLiteral("No such sound.") })
        : GstSupport::buildPipeline(
            { { QStringLiteral("appsrc"),
                  { { QStringLiteral("caps"), caps }, { QStringLiteral("format"), QStringLiteral("time") } },
                  QStringLiteral("samples") },
                { QStringLiteral("audioconvert"), {}, {} }, { QStringLiteral("audioresample"), {}, {} },
                { QStringLiteral("pulsesink"), sinkProperties, {} } },
            QStringLiteral("system-sound"));
    if (!pipeline) {
        // Nothing to play still completes, and never inside the caller's own call.
        Events::runOnMain(std::move(completion));
        return;
    }
    GstElement *source = gst_bin_get_by_name(GST_BIN(pipeline.value()), "samples");
    const gsize bytes = samples.size() * sizeof(qint16);
    GstBuffer *buffer = gst_buffer_new_memdup(samples.data(), bytes);
    GST_BUFFER_PTS(buffer) = 0;
    GST_BUFFER_DURATION(buffer)
        = gst_util_uint64_scale(samples.size(), GST_SECOND, SoundSynthesis::sampleRate);
    gst_app_src_push_buffer(GST_APP_SRC(source), buffer);
    gst_app_src_end_of_stream(GST_APP_SRC(source));
    gst_object_unref(source);

    auto playback = std::make_shared<Playback>(std::move(completion));
    playback->start(pipeline.value(), m_options.completionLimit);
}
