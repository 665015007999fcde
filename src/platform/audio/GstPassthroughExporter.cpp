#include "platform/audio/GstPassthroughExporter.h"

#include "platform/audio/GstSupport.h"
#include "platform/events/MainThread.h"

#include <gst/gst.h>
#include <gst/tag/tag.h>

#include <memory>

namespace {

class Remux : public std::enable_shared_from_this<Remux>
{
public:
    explicit Remux(AudioExporter::Completion completion)
        : m_completion(std::move(completion))
        , m_busHandler([this](GstMessage *message) { return handle(message); })
    { }

    AudioResult<void> build(const QString &source, const QString &destination, const QString &software)
    {
        auto reader = GstSupport::buildPipeline(
            { { QStringLiteral("filesrc"), { { QStringLiteral("location"), source } }, {} },
                { QStringLiteral("qtdemux"), {}, QStringLiteral("demux") } },
            QStringLiteral("passthrough-export"));
        if (!reader) {
            return reader.error();
        }
        m_pipeline = reader.value();
        m_muxer = gst_element_factory_make("mp4mux", "mux");
        GstElement *sink = gst_element_factory_make("filesink", nullptr);
        if (!m_muxer || !sink) {
            if (m_muxer) {
                gst_object_unref(m_muxer);
            }
            if (sink) {
                gst_object_unref(sink);
            }
            m_muxer = nullptr;
            gst_object_unref(std::exchange(m_pipeline, nullptr));
            return AudioError { AudioError::Domain::media, GST_CORE_ERROR_MISSING_PLUGIN,
                QStringLiteral("The MP4 writer is not installed.") };
        }
        g_object_set(sink, "location", destination.toUtf8().constData(), nullptr);
        gst_bin_add_many(GST_BIN(m_pipeline), m_muxer, sink, nullptr);
        gst_element_link(m_muxer, sink);

        GstTagList *tags = gst_tag_list_new(GST_TAG_ENCODER, software.toUtf8().constData(), nullptr);
        // The file's own tags pass through; ours wins where they name the same thing.
        gst_tag_setter_merge_tags(GST_TAG_SETTER(m_muxer), tags, GST_TAG_MERGE_REPLACE);
        gst_tag_setter_set_tag_merge_mode(GST_TAG_SETTER(m_muxer), GST_TAG_MERGE_KEEP);
        gst_tag_list_unref(tags);

        GstElement *demux = gst_bin_get_by_name(GST_BIN(m_pipeline), "demux");
        g_signal_connect(demux, "pad-added", G_CALLBACK(+[](GstElement *, GstPad *pad, gpointer muxer) {
            // Only the audio is carried over; a picture or chapter track is left out.
            if (!g_str_has_prefix(GST_PAD_NAME(pad), "audio_")) {
                return;
            }
            GstPad *target = gst_element_request_pad_simple(GST_ELEMENT(muxer), "audio_%u");
            if (target) {
                gst_pad_link(pad, target);
                gst_object_unref(target);
            }
        }),
            m_muxer);
        gst_object_unref(demux);
        return {};
    }

    void start()
    {
        m_keepAlive = shared_from_this();
        m_watchId = GstSupport::watchBus(m_pipeline, &m_busHandler);
        if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            finish(GstSupport::pendingError(m_pipeline, QStringLiteral("the export")));
        }
    }

    void report(const AudioResult<void> &result)
    {
        if (m_completion) {
            m_completion(result);
        }
    }

private:
    bool handle(GstMessage *message)
    {
        if (auto end = GstSupport::outcome(message)) {
            m_watchId = 0;
            finish(*end);
            return false;
        }
        return true;
    }

    void finish(AudioResult<void> result)
    {
        if (!m_pipeline) {
            return;
        }
        GstSupport::removeWatch(std::exchange(m_watchId, 0));
        auto self = std::move(m_keepAlive);
        // Reported once the writer has closed the file.
        GstSupport::BackgroundPipeline(std::exchange(m_pipeline, nullptr)).release([self, result] {
            self->report(result);
        });
    }

    AudioExporter::Completion m_completion;
    std::function<bool(GstMessage *)> m_busHandler;
    GstElement *m_pipeline = nullptr;
    GstElement *m_muxer = nullptr;
    unsigned m_watchId = 0;
    std::shared_ptr<Remux> m_keepAlive;
};

} // namespace

void GstPassthroughExporter::exportWithSoftware(
    const QString &source, const QString &destination, const QString &software, Completion completion)
{
    auto remux = std::make_shared<Remux>(std::move(completion));
    if (auto built = remux->build(source, destination, software); !built) {
        // Reported like any other end: later, from the event loop.
        AudioError error = built.error();
        error.duringSetUp = true;
        Events::runOnMain([remux, error = std::move(error)] { remux->report(error); });
        return;
    }
    remux->start();
}
