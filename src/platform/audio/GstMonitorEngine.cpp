#include "platform/audio/GstMonitorEngine.h"

#include "platform/audio/GstSupport.h"
#include "platform/events/MainThread.h"

#include <gst/gst.h>

namespace {

// Microseconds: small enough to hear oneself without an echo, large enough not to crackle.
const QString bufferTime = QStringLiteral("40000");
const QString latencyTime = QStringLiteral("10000");

// Both servers name an output's monitor after the output.
bool isOutputMonitor(const QString &source)
{
    return source.endsWith(QLatin1String(".monitor"));
}

} // namespace

struct GstMonitorEngine::DeviceWatch
{
    std::weak_ptr<int> alive;
    GstMonitorEngine *engine;
    unsigned generation;
    bool input;
};

GstMonitorEngine::GstMonitorEngine()
    : GstMonitorEngine(QString())
{ }

GstMonitorEngine::GstMonitorEngine(QString server)
    : m_server(std::move(server))
    , m_busHandler([this](GstMessage *message) { return handle(message); })
{ }

GstMonitorEngine::~GstMonitorEngine()
{
    stop();
}

AudioResult<void> GstMonitorEngine::start()
{
    stop();
    std::vector<std::pair<QString, QString>> buffering { { QStringLiteral("buffer-time"), bufferTime },
        { QStringLiteral("latency-time"), latencyTime } };
    if (!m_server.isEmpty()) {
        buffering.emplace_back(QStringLiteral("server"), m_server);
    }
    // Played as it comes: a sink that waits for each buffer's time against the source's clock
    // finds most of them late with buffers this short and drops them.
    auto playback = buffering;
    playback.emplace_back(QStringLiteral("sync"), QStringLiteral("false"));
    auto pipeline = GstSupport::buildPipeline(
        { { QStringLiteral("pulsesrc"), buffering, QStringLiteral("input") },
            { QStringLiteral("audioconvert"), {}, {} }, { QStringLiteral("audioresample"), {}, {} },
            { QStringLiteral("pulsesink"), playback, QStringLiteral("output") } },
        QStringLiteral("input-monitor"));
    if (!pipeline) {
        return pipeline.error();
    }
    m_background.emplace(pipeline.value());
    ++m_generation;
    m_inputDevice.clear();
    m_outputDevice.clear();
    watchDevice("input", true);
    watchDevice("output", false);
    m_watchId = GstSupport::watchBus(m_background->pipeline(), &m_busHandler);
    // Connecting to the sound server can take long: the GUI thread does not wait for it. Devices
    // that cannot be brought up end the engine like a loss, which its owner retries with a wait.
    m_background->start([this, alive = std::weak_ptr<int>(m_alive), generation = m_generation] {
        if (alive.lock() && generation == m_generation && m_background) {
            lost(GstSupport::pendingError(m_background->pipeline(), QStringLiteral("input monitoring")));
        }
    });
    return {};
}

void GstMonitorEngine::stop()
{
    GstSupport::removeWatch(std::exchange(m_watchId, 0));
    if (m_background) {
        m_background->release();
        m_background.reset();
    }
}

void GstMonitorEngine::setConfigurationChangeHandler(std::function<void()> handler)
{
    m_onConfigurationChange = std::move(handler);
}

bool GstMonitorEngine::handle(GstMessage *message)
{
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR) {
        return true;
    }
    m_watchId = 0;
    lost(GstSupport::errorFromMessage(message));
    return false;
}

void GstMonitorEngine::lost(const AudioError &error)
{
    // A device that went away or a server that restarted: the engine is finished and whoever
    // owns it decides whether to build a new one.
    qWarning("Input monitoring stopped: %s", qPrintable(error.message));
    stop();
    notifyConfigurationChange();
}

void GstMonitorEngine::notifyConfigurationChange()
{
    // Told from the event loop, so the owner may replace this engine from the handler.
    Events::runOnMain([alive = std::weak_ptr<int>(m_alive), handler = m_onConfigurationChange] {
        if (alive.lock() && handler) {
            handler();
        }
    });
}

void GstMonitorEngine::watchDevice(const char *elementName, bool input)
{
    GstElement *element = gst_bin_get_by_name(GST_BIN(m_background->pipeline()), elementName);
    // The server moves a stream when its device goes away or the default changes; the element
    // reports the device it now plays on or captures from, on the server's thread.
    g_signal_connect_data(
        element, "notify::current-device", G_CALLBACK(+[](GObject *object, GParamSpec *, gpointer data) {
            const auto *watch = static_cast<DeviceWatch *>(data);
            gchar *device = nullptr;
            g_object_get(object, "current-device", &device, nullptr);
            const QString name = QString::fromUtf8(device);
            g_free(device);
            Events::runOnMain([alive = watch->alive, engine = watch->engine, generation = watch->generation,
                                  input = watch->input, name] {
                if (alive.lock()) {
                    engine->deviceChanged(generation, input, name);
                }
            });
        }),
        new DeviceWatch { m_alive, this, m_generation, input },
        [](gpointer data, GClosure *) { delete static_cast<DeviceWatch *>(data); }, GConnectFlags(0));
    gst_object_unref(element);
}

void GstMonitorEngine::deviceChanged(unsigned generation, bool input, const QString &device)
{
    if (generation != m_generation || !m_background || device.isEmpty()) {
        return;
    }
    // The server moves the capture onto an output's monitor once no input device is left, and an
    // output played back into itself feeds on itself: stopped at once, as a loss.
    if (input && isOutputMonitor(device)) {
        lost({ AudioError::Domain::soundServer, 0,
            QStringLiteral("the input became the output's monitor \"%1\"").arg(device), false, true });
        return;
    }
    QString &known = input ? m_inputDevice : m_outputDevice;
    const bool moved = !known.isEmpty() && known != device;
    known = device;
    if (moved) {
        notifyConfigurationChange();
    }
}

std::unique_ptr<AudioMonitorEngine> GstMonitorEngineFactory::makeEngine()
{
    return std::make_unique<GstMonitorEngine>(m_server);
}
