#include "platform/audio/FrameBatcher.h"

#include <utility>

namespace {

// Touched only on the pad's streaming thread: buffers and serialized events.
struct Batch
{
    GstClockTime span;
    GstBufferList *held = nullptr;
    GstClockTime heldDuration = 0;
    // What the muxer answered last: a held frame reports it, as nothing new is known.
    GstFlowReturn flow = GST_FLOW_OK;

    ~Batch()
    {
        if (held) {
            gst_buffer_list_unref(held);
        }
    }

    // Straight to the peer: once the end-of-stream is on its way, `pad` refuses data.
    void pass(GstPad *pad)
    {
        if (!held) {
            return;
        }
        heldDuration = 0;
        GstBufferList *batch = std::exchange(held, nullptr);
        if (GstPad *peer = gst_pad_get_peer(pad)) {
            flow = gst_pad_chain_list(peer, batch);
            gst_object_unref(peer);
        } else {
            gst_buffer_list_unref(batch);
            flow = GST_FLOW_NOT_LINKED;
        }
    }

    static GstPadProbeReturn probe(GstPad *pad, GstPadProbeInfo *info, gpointer data)
    {
        auto *batch = static_cast<Batch *>(data);
        if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
            if (GST_EVENT_IS_SERIALIZED(GST_PAD_PROBE_INFO_EVENT(info))) {
                batch->pass(pad);
            }
            return GST_PAD_PROBE_OK;
        }
        // A list already is a batch; what was held goes first, so the order stays.
        if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER_LIST) {
            batch->pass(pad);
            return GST_PAD_PROBE_OK;
        }
        GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (!batch->held) {
            batch->held = gst_buffer_list_new();
        }
        // Without a duration there is no telling how long a batch is: it goes at once.
        batch->heldDuration
            += GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : batch->span;
        // The list takes the buffer over.
        gst_buffer_list_add(batch->held, buffer);
        if (batch->heldDuration >= batch->span) {
            batch->pass(pad);
        }
        GST_PAD_PROBE_INFO_FLOW_RETURN(info) = batch->flow;
        return GST_PAD_PROBE_HANDLED;
    }
};

} // namespace

namespace FrameBatcher {

void install(GstPad *pad, GstClockTime span)
{
    gst_pad_add_probe(pad,
        GstPadProbeType(
            GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        &Batch::probe, new Batch { span }, [](gpointer data) { delete static_cast<Batch *>(data); });
}

} // namespace FrameBatcher
