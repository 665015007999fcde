#include "EventLoop.h"

#include "platform/audio/GstSupport.h"

#include <gst/gst.h>

#include <gtest/gtest.h>

#include <vector>

using namespace std::chrono_literals;

namespace {

// A sound that times out is released right after its start was asked for; each change runs on a
// thread of its own, so nothing but their order keeps the start from coming after the release.
TEST(BackgroundPipelineTest, AReleaseRightAfterTheStartLeavesThePipelineStoppedForGood)
{
    std::vector<GstElement *> pipelines;
    int released = 0;
    for (int round = 0; round < 40; ++round) {
        auto built
            = GstSupport::buildPipeline({ { QStringLiteral("audiotestsrc"),
                                              { { QStringLiteral("is-live"), QStringLiteral("true") } }, {} },
                                            { QStringLiteral("fakesink"), {}, {} } },
                QStringLiteral("ordered"));
        ASSERT_TRUE(built);
        pipelines.push_back(GST_ELEMENT(gst_object_ref(built.value())));
        GstSupport::BackgroundPipeline background(built.value());
        background.start({});
        background.release([&] { ++released; });
    }
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return released == int(pipelines.size()); }));
    TestSupport::processEventsFor(200ms);
    for (GstElement *pipeline : pipelines) {
        GstState state = GST_STATE_VOID_PENDING;
        gst_element_get_state(pipeline, &state, nullptr, 0);
        EXPECT_EQ(state, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
}

} // namespace
