#include "platform/audio/FrameBatcher.h"

#include <gst/gst.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// What reached the far side of the batched pad, in order: a frame's number, or -1 for the end.
struct Received
{
    std::vector<int> items;
    GstFlowReturn answer = GST_FLOW_OK;
};

class FrameBatcherTest : public testing::Test
{
protected:
    void SetUp() override
    {
        gst_init(nullptr, nullptr);
        m_src = gst_pad_new("src", GST_PAD_SRC);
        m_sink = gst_pad_new("sink", GST_PAD_SINK);
        gst_pad_set_chain_function_full(
            m_sink,
            [](GstPad *pad, GstObject *, GstBuffer *buffer) {
                auto *received = static_cast<Received *>(pad->chaindata);
                received->items.push_back(int(GST_BUFFER_OFFSET(buffer)));
                gst_buffer_unref(buffer);
                return received->answer;
            },
            &m_received, nullptr);
        gst_pad_set_event_function_full(
            m_sink,
            [](GstPad *pad, GstObject *, GstEvent *event) {
                if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) {
                    static_cast<Received *>(pad->eventdata)->items.push_back(-1);
                }
                gst_event_unref(event);
                return gboolean(TRUE);
            },
            &m_received, nullptr);
        ASSERT_EQ(gst_pad_link(m_src, m_sink), GST_PAD_LINK_OK);
        gst_pad_set_active(m_sink, TRUE);
        gst_pad_set_active(m_src, TRUE);
        FrameBatcher::install(m_src, 100 * GST_MSECOND);
        gst_pad_push_event(m_src, gst_event_new_stream_start("frames"));
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        gst_pad_push_event(m_src, gst_event_new_segment(&segment));
    }
    void TearDown() override
    {
        gst_pad_set_active(m_src, FALSE);
        gst_pad_set_active(m_sink, FALSE);
        gst_object_unref(m_src);
        gst_object_unref(m_sink);
    }
    // An encoded frame of 1024 samples at 48 kHz.
    GstFlowReturn pushFrame(int number)
    {
        GstBuffer *buffer = gst_buffer_new();
        GST_BUFFER_OFFSET(buffer) = guint64(number);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(guint64(number) * 1024, GST_SECOND, 48000);
        GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1024, GST_SECOND, 48000);
        return gst_pad_push(m_src, buffer);
    }

    GstPad *m_src = nullptr;
    GstPad *m_sink = nullptr;
    Received m_received;
};

TEST_F(FrameBatcherTest, FramesPassABatchAtATimeAndTheEndFollowsWhatWasHeld)
{
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(pushFrame(frame), GST_FLOW_OK);
    }
    EXPECT_TRUE(m_received.items.empty());
    // The fifth frame makes the batch 107 ms long.
    EXPECT_EQ(pushFrame(4), GST_FLOW_OK);
    EXPECT_EQ(m_received.items, (std::vector { 0, 1, 2, 3, 4 }));
    pushFrame(5);
    pushFrame(6);
    EXPECT_EQ(m_received.items.size(), 5u);
    // A list pushed whole comes after the frames held before it.
    GstBufferList *list = gst_buffer_list_new();
    GstBuffer *listed = gst_buffer_new();
    GST_BUFFER_OFFSET(listed) = 7;
    gst_buffer_list_add(list, listed);
    EXPECT_EQ(gst_pad_push_list(m_src, list), GST_FLOW_OK);
    EXPECT_EQ(m_received.items, (std::vector { 0, 1, 2, 3, 4, 5, 6, 7 }));
    pushFrame(8);
    gst_pad_push_event(m_src, gst_event_new_eos());
    EXPECT_EQ(m_received.items, (std::vector { 0, 1, 2, 3, 4, 5, 6, 7, 8, -1 }));
}

TEST_F(FrameBatcherTest, AFailedBatchIsReportedForTheFramesThatFollow)
{
    m_received.answer = GST_FLOW_ERROR;
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(pushFrame(frame), GST_FLOW_OK);
    }
    EXPECT_EQ(pushFrame(4), GST_FLOW_ERROR);
    EXPECT_EQ(pushFrame(5), GST_FLOW_ERROR);
}

} // namespace
