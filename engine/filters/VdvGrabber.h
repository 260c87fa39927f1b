#pragma once
// The frame grabber element ("OrvexVdvGrabber"): in place on the streaming
// thread. A grabber made with `mayModify` works in mode 8 on BGR or BGRx frames:
// it applies the processing block of its parameter block, then hands the frame
// to the frame callback as a DIB section over the buffer's own pixels. On I420
// frames it does the same on an RGB copy, converted back where it may have
// changed, and only when the adjustments or the block's PixelUse want the
// pixels; otherwise the callback gets the frame without pixels. The
// others accept any caps and never touch a buffer: mode 2 calls the notify
// callback once per buffer, mode 0 the sample callback, the rest do nothing.

#include <gst/gst.h>

#include <cstdint>

#include "engine/filters/FilterInterfaces.h"

namespace vdv_filters {

// A floating reference, like gst_element_factory_make's.
GstElement* NewGrabber(bool mayModify);
// Chooses the mode and hands out the instance's parameter block (HRESULT).
std::int32_t GrabberGetParams(GstElement* element, std::int32_t mode, TGrabberParams** block);

}  // namespace vdv_filters
