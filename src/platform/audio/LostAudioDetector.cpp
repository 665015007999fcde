#include "platform/audio/LostAudioDetector.h"

#include "platform/events/ThreadHandoff.h"

#include <utility>

namespace {

constexpr char gapMessage[] = "tapewick-lost-audio";
// Timestamps computed from sample counts round to the nanosecond; less than this is no loss.
constexpr GstClockTime tolerance = GST_MSECOND;
// The server hands audio over in blocks, late by up to one: a standstill shorter than what the
// capture holds and this is no loss.
constexpr GstClockTime blockSlack = 250 * GST_MSECOND;

struct Probe
{
    LostAudioDetector detector;
    bool heldKnown = false;

    static GstPadProbeReturn run(GstPad *pad, GstPadProbeInfo *info, gpointer data)
    {
        auto *probe = static_cast<Probe *>(data);
        GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        GstObject *element = nullptr;
        if (!probe->heldKnown) {
            // The source has its buffer by its first block.
            probe->heldKnown = true;
            element = gst_pad_get_parent(pad);
            gint64 held = -1;
            if (element && g_object_class_find_property(G_OBJECT_GET_CLASS(element), "actual-buffer-time")) {
                g_object_get(element, "actual-buffer-time", &held, nullptr);
            }
            if (held > 0) {
                probe->detector.setHeld(GstClockTime(held) * GST_USECOND);
            }
        }
        const auto gap = probe->detector.observe(
            GST_BUFFER_PTS(buffer), GST_BUFFER_DURATION(buffer), g_get_monotonic_time() * GST_USECOND);
        if (gap && (element || (element = gst_pad_get_parent(pad)))) {
            gst_element_post_message(GST_ELEMENT(element),
                gst_message_new_element(element,
                    gst_structure_new(gapMessage, "at", G_TYPE_UINT64, guint64(gap->at), "length",
                        G_TYPE_UINT64, guint64(gap->length), "at-most", G_TYPE_BOOLEAN, gboolean(gap->atMost),
                        nullptr)));
        }
        if (element) {
            gst_object_unref(element);
        }
        // The probe is freed on whichever thread stops the pipeline, ordered by the media
        // framework's locks, which a thread-sanitizer build does not see.
        Events::handOver();
        return GST_PAD_PROBE_OK;
    }
};

} // namespace

std::optional<LostAudioDetector::Gap> LostAudioDetector::observe(
    GstClockTime pts, GstClockTime duration, GstClockTime arrival)
{
    const GstClockTime lastArrival = std::exchange(m_lastArrival, arrival);
    if (!GST_CLOCK_TIME_IS_VALID(pts)) {
        m_next = GST_CLOCK_TIME_NONE;
        return std::nullopt;
    }
    std::optional<Gap> gap;
    if (!GST_CLOCK_TIME_IS_VALID(m_first)) {
        m_first = pts;
    } else if (GST_CLOCK_TIME_IS_VALID(m_next) && pts > m_next + tolerance) {
        // A skip within a standstill already told of is part of it: a source held up skips past
        // it once it goes on, and the server's backlog rushing in after it can overrun the source.
        if (!GST_CLOCK_TIME_IS_VALID(m_toldUntil) || pts > m_toldUntil + blockSlack) {
            gap = Gap { m_next - m_first, pts - m_next, false };
        }
    } else if (GST_CLOCK_TIME_IS_VALID(m_next) && GST_CLOCK_TIME_IS_VALID(m_held)
        && GST_CLOCK_TIME_IS_VALID(lastArrival) && GST_CLOCK_TIME_IS_VALID(arrival)
        && arrival > lastArrival + m_held + blockSlack) {
        gap = Gap { m_next - m_first, arrival - lastArrival, true };
        m_toldUntil = m_next + gap->length;
    }
    m_next = GST_CLOCK_TIME_IS_VALID(duration) ? pts + duration : GST_CLOCK_TIME_NONE;
    return gap;
}

void LostAudioDetector::install(GstPad *pad)
{
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &Probe::run, new Probe, [](gpointer data) {
        Events::takeOver();
        delete static_cast<Probe *>(data);
    });
}

std::optional<LostAudioDetector::Gap> LostAudioDetector::gapIn(GstMessage *message)
{
    const GstStructure *structure
        = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT ? gst_message_get_structure(message) : nullptr;
    guint64 at = 0;
    guint64 length = 0;
    gboolean atMost = FALSE;
    if (!structure || !gst_structure_has_name(structure, gapMessage)
        || !gst_structure_get_uint64(structure, "at", &at)
        || !gst_structure_get_uint64(structure, "length", &length)
        || !gst_structure_get_boolean(structure, "at-most", &atMost)) {
        return std::nullopt;
    }
    return Gap { at, length, bool(atMost) };
}
