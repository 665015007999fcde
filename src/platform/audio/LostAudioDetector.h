#pragma once

#include <gst/gst.h>

#include <optional>

// Finds the audio a capture lost. A buffer that starts later than the one before it ended follows
// a stretch the source skipped because whatever takes its audio fell too far behind. A buffer
// that comes longer after the one before it than the capture can hold, without such a skip,
// follows a stretch in which the recording was held up: when the whole program stood still, the
// sound server dropped what it could not hold, unmarked, so only the time tells of it, and only
// as the most that is lost (PulseAudio drops what came after the capture's worth, PipeWire all
// but its latest block).
class LostAudioDetector
{
public:
    struct Gap
    {
        GstClockTime at; // where the audio is missing, counted from the first buffer
        GstClockTime length;
        // From the time the recording was held up, which is the most that is lost, not from the
        // timestamps.
        bool atMost;
    };

    // What the capture holds, at the sound server and in the source; none when unknown, and then
    // only skips are found.
    void setHeld(GstClockTime held) { m_held = held; }
    // The gap before this buffer, which came at the monotonic time `arrival`; each gap is told once.
    std::optional<Gap> observe(GstClockTime pts, GstClockTime duration, GstClockTime arrival);

    // Posts an element message for each gap in what leaves the capture's `pad`, from its element.
    // What the capture holds is read from the element's "actual-buffer-time" once it runs. The
    // work per buffer is a clock read and a few comparisons.
    static void install(GstPad *pad);
    // The gap such a message tells of; none for any other message.
    static std::optional<Gap> gapIn(GstMessage *message);

private:
    GstClockTime m_held = GST_CLOCK_TIME_NONE;
    GstClockTime m_first = GST_CLOCK_TIME_NONE;
    GstClockTime m_next = GST_CLOCK_TIME_NONE;
    GstClockTime m_lastArrival = GST_CLOCK_TIME_NONE;
    // The end of the last standstill told of, in capture time.
    GstClockTime m_toldUntil = GST_CLOCK_TIME_NONE;
};
