#pragma once
// The test microphone as a live GStreamer source ("orvextesttonesrc"): a sine
// tone in S16LE at 8000 to 48000 Hz, mono or stereo. Property "input":
// 0 "Microphone" (440 Hz), 1 "Line In" (880 Hz), switchable while playing.

#include <gst/gst.h>

namespace orvex::media::testdevices {

GType TestToneSrcType();

// The microphone's capabilities. New reference.
GstCaps* NewToneCaps();

}  // namespace orvex::media::testdevices
