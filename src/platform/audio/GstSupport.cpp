#include "platform/audio/GstSupport.h"

#include "platform/events/AbandonableWork.h"
#include "platform/events/MainThread.h"

#include <gst/gst.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace GstSupport {

AudioResult<void> ensureInitialized()
{
    static std::once_flag once;
    static std::optional<AudioError> failure;
    std::call_once(once, [] {
        GError *error = nullptr;
        if (!gst_init_check(nullptr, nullptr, &error)) {
            failure = AudioError { AudioError::Domain::media, error ? error->code : -1,
                QStringLiteral("The media framework cannot start: %1")
                    .arg(QString::fromUtf8(error ? error->message : "unknown error")) };
            g_clear_error(&error);
        }
    });
    if (failure) {
        return *failure;
    }
    return {};
}

AudioResult<GstElement *> buildPipeline(const std::vector<Stage> &stages, const QString &pipelineName)
{
    if (auto initialized = ensureInitialized(); !initialized) {
        return initialized.error();
    }
    GstElement *pipeline = gst_pipeline_new(pipelineName.toUtf8().constData());
    GstElement *previous = nullptr;
    for (const Stage &stage : stages) {
        const QByteArray factory = stage.factory.toUtf8();
        GstElement *element = gst_element_factory_make(
            factory.constData(), stage.name.isEmpty() ? nullptr : stage.name.toUtf8().constData());
        if (!element) {
            gst_object_unref(pipeline);
            return AudioError { AudioError::Domain::media, GST_CORE_ERROR_MISSING_PLUGIN,
                QStringLiteral("The media element \"%1\" is not installed.").arg(stage.factory) };
        }
        for (const auto &[name, value] : stage.properties) {
            gst_util_set_object_arg(G_OBJECT(element), name.toUtf8().constData(), value.toUtf8().constData());
        }
        gst_bin_add(GST_BIN(pipeline), element);
        if (previous && !gst_element_link(previous, element)) {
            gst_object_unref(pipeline);
            return AudioError { AudioError::Domain::media, GST_CORE_ERROR_NEGOTIATION,
                QStringLiteral("The media element \"%1\" cannot take the audio of \"%2\".")
                    .arg(stage.factory, GST_OBJECT_NAME(previous)) };
        }
        previous = element;
    }
    return pipeline;
}

QString launchDescription(const std::vector<Stage> &stages)
{
    QStringList parts;
    for (const Stage &stage : stages) {
        QString part = stage.factory;
        if (!stage.name.isEmpty()) {
            part += QStringLiteral(" name=") + stage.name;
        }
        for (const auto &[name, value] : stage.properties) {
            QString quoted = value;
            quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
            part += QStringLiteral(" %1=\"%2\"").arg(name, quoted);
        }
        parts << part;
    }
    return parts.join(QStringLiteral(" ! "));
}

QStringList launchArguments(const std::vector<Stage> &stages)
{
    QStringList arguments;
    for (const Stage &stage : stages) {
        if (!arguments.isEmpty()) {
            arguments << QStringLiteral("!");
        }
        arguments << stage.factory;
        if (!stage.name.isEmpty()) {
            arguments << QStringLiteral("name=") + stage.name;
        }
        for (const auto &[name, value] : stage.properties) {
            arguments << name + u'=' + value;
        }
    }
    return arguments;
}

AudioError errorFromMessage(GstMessage *message)
{
    GError *error = nullptr;
    gchar *debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    AudioError result { AudioError::Domain::media, error ? error->code : -1,
        QString::fromUtf8(error ? error->message : "Unknown media error.") };
    // Codes repeat across the framework's error domains: only the resource domain's means a full disk.
    result.diskFull = g_error_matches(error, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NO_SPACE_LEFT);
    if (result.diskFull) {
        // The framework's words speak of a "resource": the cause is told as the system tells it.
        result.message = QString::fromLocal8Bit(std::strerror(ENOSPC));
    }
    g_clear_error(&error);
    g_free(debug);
    return result;
}

std::optional<AudioResult<void>> outcome(GstMessage *message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        return AudioResult<void>();
    case GST_MESSAGE_ERROR:
        return AudioResult<void>(errorFromMessage(message));
    default:
        return std::nullopt;
    }
}

AudioError pendingError(GstElement *pipeline, const QString &what)
{
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (message) {
        AudioError error = errorFromMessage(message);
        gst_message_unref(message);
        return error;
    }
    return { AudioError::Domain::media, GST_CORE_ERROR_STATE_CHANGE,
        QStringLiteral("Cannot start %1.").arg(what) };
}

namespace {

// State changes can wait on the sound server: they run off the GUI thread, and a server that
// stopped answering holds them for ever, so the process may end without them.
void inBackground(GstElement *pipeline, const char *what, std::function<void()> work)
{
    Events::AbandonableWork::start(
        QStringLiteral("%1 of %2").arg(QLatin1String(what), QString::fromUtf8(GST_OBJECT_NAME(pipeline))),
        std::move(work));
}

} // namespace

struct BackgroundPipeline::Order
{
    std::mutex mutex;
    bool released = false;
};

BackgroundPipeline::BackgroundPipeline(GstElement *pipeline)
    : m_pipeline(pipeline)
    , m_order(std::make_shared<Order>())
{ }

void BackgroundPipeline::start(std::function<void()> failed)
{
    gst_object_ref(m_pipeline);
    inBackground(m_pipeline, "start", [pipeline = m_pipeline, order = m_order, failed = std::move(failed)] {
        bool started = true;
        {
            std::lock_guard lock(order->mutex);
            if (!order->released) {
                started = gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
            }
        }
        gst_object_unref(pipeline);
        if (!started && failed) {
            Events::runOnMain(failed);
        }
    });
}

void BackgroundPipeline::release(std::function<void()> done)
{
    GstElement *pipeline = std::exchange(m_pipeline, nullptr);
    if (!pipeline) {
        return;
    }
    inBackground(pipeline, "release", [pipeline, order = m_order, done = std::move(done)]() mutable {
        {
            std::lock_guard lock(order->mutex);
            order->released = true;
            gst_element_set_state(pipeline, GST_STATE_NULL);
        }
        gst_object_unref(pipeline);
        if (done) {
            Events::runOnMain(std::move(done));
        }
    });
}

void BackgroundPipeline::unlessReleased(const char *what, std::function<void(GstElement *)> work)
{
    if (!m_pipeline) {
        return;
    }
    gst_object_ref(m_pipeline);
    inBackground(m_pipeline, what, [pipeline = m_pipeline, order = m_order, work = std::move(work)] {
        bool released = false;
        {
            std::lock_guard lock(order->mutex);
            released = order->released;
        }
        // Not under the lock: a release that stops the pipeline is what frees a stuck end.
        if (!released) {
            work(pipeline);
        }
        gst_object_unref(pipeline);
    });
}

void BackgroundPipeline::endStream()
{
    // To the sources themselves: sent through the pipeline, the end would hold the pipeline's state
    // while a source waits for its buffer to pass, and a first buffer waits in a sink for that
    // state to change to playing.
    unlessReleased("end of stream", [](GstElement *pipeline) {
        GstIterator *sources = gst_bin_iterate_sources(GST_BIN(pipeline));
        gst_iterator_foreach(
            sources,
            [](const GValue *item, gpointer) {
                gst_element_send_event(GST_ELEMENT(g_value_get_object(item)), gst_event_new_eos());
            },
            nullptr);
        gst_iterator_free(sources);
    });
}

void BackgroundPipeline::endStreamAfterSources()
{
    unlessReleased("end of stream after the sources", [](GstElement *pipeline) {
        GstIterator *sources = gst_bin_iterate_sources(GST_BIN(pipeline));
        gst_iterator_foreach(
            sources,
            [](const GValue *item, gpointer) {
                GstPad *pad = gst_element_get_static_pad(GST_ELEMENT(g_value_get_object(item)), "src");
                if (GstPad *next = pad ? gst_pad_get_peer(pad) : nullptr) {
                    gst_pad_send_event(next, gst_event_new_eos());
                    gst_object_unref(next);
                }
                if (pad) {
                    gst_object_unref(pad);
                }
            },
            nullptr);
        gst_iterator_free(sources);
    });
}

unsigned watchBus(GstElement *pipeline, std::function<bool(GstMessage *)> *handler)
{
    GstBus *bus = gst_element_get_bus(pipeline);
    // Added from the GUI thread, the watch belongs to the default main context, which Qt's event
    // dispatcher runs.
    const unsigned id = gst_bus_add_watch_full(
        bus, G_PRIORITY_DEFAULT,
        [](GstBus *, GstMessage *message, gpointer data) -> gboolean {
            return (*static_cast<std::function<bool(GstMessage *)> *>(data))(message) ? G_SOURCE_CONTINUE
                                                                                      : G_SOURCE_REMOVE;
        },
        handler, nullptr);
    gst_object_unref(bus);
    return id;
}

void removeWatch(unsigned watchId)
{
    if (watchId) {
        if (GSource *source = g_main_context_find_source_by_id(nullptr, watchId)) {
            g_source_destroy(source);
        }
    }
}

} // namespace GstSupport
