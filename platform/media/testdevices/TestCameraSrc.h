#pragma once
// The test camera as a live GStreamer source ("orvextestcamerasrc"): YUY2,
// MJPEG, BGR and BGRx at six fixed sizes, paced by the pipeline clock like a
// real camera (a frame that could not be delivered in its slot is dropped,
// never delivered late in a burst). Property "input": 0 the moving picture,
// 1 still colour bars.

#include <gst/gst.h>

namespace orvex::media::testdevices {

GType TestCameraSrcType();

// The camera's capabilities in device order: each format, each size, each
// structure with a fixed size and the frame rates {30/1, 15/1}. New reference.
GstCaps* NewCameraCaps();

}  // namespace orvex::media::testdevices
