#include "MediaProbe.h"

#include "platform/audio/GstSupport.h"

#include <QFile>
#include <QtEndian>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace {

void collectTags(GstElement *pipeline, MediaFacts &facts)
{
    GstBus *bus = gst_element_get_bus(pipeline);
    while (GstMessage *message = gst_bus_pop(bus)) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_TAG) {
            GstTagList *tags = nullptr;
            gst_message_parse_tag(message, &tags);
            gchar *text = nullptr;
            if (gst_tag_list_get_string(tags, GST_TAG_AUDIO_CODEC, &text)) {
                facts.audioCodec = QString::fromUtf8(text);
                g_free(text);
            }
            if (gst_tag_list_get_string(tags, GST_TAG_ENCODER, &text)) {
                facts.encoder = QString::fromUtf8(text);
                g_free(text);
            }
            gst_tag_list_unref(tags);
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && facts.error.isEmpty()) {
            facts.error = GstSupport::errorFromMessage(message).message;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
}

} // namespace

MediaFacts probeMedia(const QString &path)
{
    MediaFacts facts;
    if (auto initialized = GstSupport::ensureInitialized(); !initialized) {
        facts.error = initialized.error().message;
        return facts;
    }
    GError *parseError = nullptr;
    const QByteArray description
        = QStringLiteral("filesrc location=\"%1\" ! decodebin ! audioconvert ! "
                         "audio/x-raw,format=F32LE,layout=interleaved ! appsink name=out sync=false")
              .arg(path)
              .toUtf8();
    GstElement *pipeline = gst_parse_launch(description.constData(), &parseError);
    if (!pipeline) {
        facts.error = QString::fromUtf8(parseError ? parseError->message : "cannot build the decoder");
        g_clear_error(&parseError);
        return facts;
    }
    GstElement *sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);

    while (GstSample *sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND)) {
        if (facts.channels == 0) {
            const GstStructure *caps = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
            gst_structure_get_int(caps, "rate", &facts.sampleRate);
            gst_structure_get_int(caps, "channels", &facts.channels);
        }
        GstMapInfo map;
        GstBuffer *buffer = gst_sample_get_buffer(sample);
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const auto *samples = reinterpret_cast<const float *>(map.data);
            facts.samples.insert(facts.samples.end(), samples, samples + map.size / sizeof(float));
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    collectTags(pipeline, facts);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);

    if (!facts.samples.empty() && facts.sampleRate > 0 && facts.channels > 0) {
        facts.decoded = facts.error.isEmpty();
        facts.seconds = double(facts.samples.size() / std::size_t(facts.channels)) / facts.sampleRate;
    } else if (facts.error.isEmpty()) {
        facts.error = QStringLiteral("no audio decoded");
    }
    return facts;
}

std::vector<float> MediaFacts::channel(int index) const
{
    std::vector<float> values;
    if (index < 0 || index >= channels) {
        return values;
    }
    for (std::size_t i = std::size_t(index); i < samples.size(); i += std::size_t(channels)) {
        values.push_back(samples[i]);
    }
    return values;
}

std::vector<QString> topLevelBoxes(const QString &path)
{
    std::vector<QString> boxes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return boxes;
    }
    const QByteArray data = file.readAll();
    qsizetype offset = 0;
    while (offset + 8 <= data.size()) {
        quint64 size = qFromBigEndian<quint32>(data.constData() + offset);
        boxes.push_back(QString::fromLatin1(data.mid(offset + 4, 4)));
        if (size == 1 && offset + 16 <= data.size()) {
            size = qFromBigEndian<quint64>(data.constData() + offset + 8);
        }
        if (size < 8) {
            break;
        }
        offset += qsizetype(size);
    }
    return boxes;
}
