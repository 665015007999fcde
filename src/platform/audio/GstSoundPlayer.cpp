#include "platform/audio/GstSoundPlayer.h"

#include "platform/audio/GstSupport.h"
#include "platform/audio/SoundSynthesis.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <memory>
#include <mutex>

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
        m_pipeline = pipeline;
        m_keepAlive = shared_from_this();
        m_watchId = GstSupport::watchBus(m_pipeline, &m_busHandler);
        std::weak_ptr<Playback> weak = m_keepAlive;
        QTimer::singleShot(limit, QCoreApplication::instance(), [weak] {
            if (auto playback = weak.lock()) {
                playback->complete();
            }
        });
        // Connecting to the sound server happens in the state change; a server that does not
        // answer must not hold up the GUI thread, so it happens elsewhere.
        gst_object_ref(m_pipeline);
        QThreadPool::globalInstance()->start([pipeline = m_pipeline, weak, order = m_order] {
            bool failed = false;
            {
                // After the time-out has stopped the pipeline it must stay stopped.
                std::lock_guard lock(order->mutex);
                if (!order->released) {
                    failed = gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE;
                }
            }
            gst_object_unref(pipeline);
            if (failed) {
                GstSupport::runOnGuiThread([weak] {
                    if (auto playback = weak.lock()) {
                        playback->complete();
                    }
                });
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
        QThreadPool::globalInstance()->start(
            [pipeline = std::exchange(m_pipeline, nullptr), order = m_order] {
                std::lock_guard lock(order->mutex);
                order->released = true;
                gst_element_set_state(pipeline, GST_STATE_NULL);
                gst_object_unref(pipeline);
            });
        if (m_completion) {
            m_completion();
        }
        // Released from the event loop: this may be running inside its own bus handler.
        GstSupport::runOnGuiThread([keepAlive = std::move(m_keepAlive)] {});
    }

    // Orders the state changes made off the GUI thread: starting, and stopping for good.
    struct StateOrder
    {
        std::mutex mutex;
        bool released = false;
    };

    std::function<void()> m_completion;
    std::function<bool(GstMessage *)> m_busHandler;
    std::shared_ptr<StateOrder> m_order = std::make_shared<StateOrder>();
    GstElement *m_pipeline = nullptr;
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
        GstSupport::runOnGuiThread(std::move(completion));
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
