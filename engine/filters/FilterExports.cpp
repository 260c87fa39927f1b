// The module's only exported symbols: the factories and configuration calls
// the engine resolves by name. Everything else is hidden.

#include <gst/gst.h>

#include <type_traits>

#include "engine/filters/FilterInterfaces.h"
#include "engine/filters/HResult.h"
#include "engine/filters/VdvGrabber.h"
#include "engine/filters/VdvTransform.h"

#define VDV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Element types register on first use, which needs GStreamer running.
std::int32_t Create(GstElement** filter, GstElement* (*make)()) {
  if (filter == nullptr) return vdv_filters::E_POINTER;
  *filter = nullptr;
  if (!gst_is_initialized()) return vdv_filters::E_FAIL;
  *filter = make();
  return *filter != nullptr ? vdv_filters::S_OK : vdv_filters::E_FAIL;
}

}  // namespace

VDV_EXPORT std::int32_t CreateLocalGrabberInstance(GstElement** filter) {
  return Create(filter, [] { return vdv_filters::NewGrabber(true); });
}

VDV_EXPORT std::int32_t CreateLocalGrabberInstanceNoModify(GstElement** filter) {
  return Create(filter, [] { return vdv_filters::NewGrabber(false); });
}

VDV_EXPORT std::int32_t CreateLocalTransformInstance(GstElement** filter) {
  return Create(filter, vdv_filters::NewTransform);
}

VDV_EXPORT std::int32_t IFrameSample_GetParams(GstElement* filter, std::int32_t mode,
                                               vdv_filters::TGrabberParams** block) {
  return vdv_filters::GrabberGetParams(filter, mode, block);
}

VDV_EXPORT std::int32_t ITransformConfig_SetParams(GstElement* filter,
                                                   const vdv_filters::TTransformParams* block) {
  return vdv_filters::TransformSetParams(filter, block);
}

static_assert(std::is_same_v<decltype(&CreateLocalGrabberInstance), vdv_filters::TCreateInstance>);
static_assert(std::is_same_v<decltype(&CreateLocalGrabberInstanceNoModify), vdv_filters::TCreateInstance>);
static_assert(std::is_same_v<decltype(&CreateLocalTransformInstance), vdv_filters::TCreateInstance>);
static_assert(std::is_same_v<decltype(&IFrameSample_GetParams), vdv_filters::TFrameSampleGetParams>);
static_assert(std::is_same_v<decltype(&ITransformConfig_SetParams), vdv_filters::TTransformSetParams>);
