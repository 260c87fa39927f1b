#pragma once
// The transform element ("OrvexVdvTransform"): turns and mirrors BGR, BGRx or
// I420 frames, or halves them by taking one field, into new buffers. Its caps follow
// the configuration in both directions: width and height swap for quarter
// turns and halve (rounding up) for the half-size deinterlace.

#include <gst/gst.h>

#include <cstdint>

#include "engine/filters/FilterInterfaces.h"

namespace vdv_filters {

// A floating reference that passes frames through until configured.
GstElement* NewTransform();
// Takes a configuration (HRESULT); an inconsistent one is refused and changes nothing.
std::int32_t TransformSetParams(GstElement* element, const TTransformParams* block);

}  // namespace vdv_filters
