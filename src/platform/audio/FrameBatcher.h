#pragma once

#include <gst/gst.h>

// Holds the encoded frames leaving `pad` and passes them on a batch of at least `span` at a
// time. A muxer's own thread then wakes once a batch rather than once a frame; events pass in
// order, after what was held. The muxer must queue a batch without blocking (its latency).
namespace FrameBatcher {

void install(GstPad *pad, GstClockTime span);

} // namespace FrameBatcher
