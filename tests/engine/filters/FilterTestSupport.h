#pragma once
// Loading the filter module as the engine does, and frames for the tests.

#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/filters/FilterInterfaces.h"

namespace vdv_filters::test {

struct TModule {
  void* handle = nullptr;
  TCreateInstance createGrabber = nullptr;
  TCreateInstance createGrabberNoModify = nullptr;
  TCreateInstance createTransform = nullptr;
  TFrameSampleGetParams getParams = nullptr;
  TTransformSetParams setParams = nullptr;
};

// GStreamer initialised and the module opened once (RTLD_NOW | RTLD_NODELETE).
const TModule& Module();
void* OpenModule();

// Owned element references (sunk), released with gst_object_unref.
GstElement* NewGrabber(bool mayModify);
GstElement* NewTransform(const TTransformParams& params);

std::string VideoCaps(const char* format, int width, int height);
GstVideoInfo VideoInfo(const char* format, int width, int height);

// A buffer of `info`'s layout with random pixels (padding bytes random too).
GstBuffer* RandomFrame(const GstVideoInfo& info, unsigned seed);
// The visible bytes of a frame, row after row and plane after plane, without padding.
std::vector<std::uint8_t> VisibleBytes(GstBuffer* buffer, const GstVideoInfo& info);
std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed);

// A harness on `element`; it pushes `caps` and a time segment from 0.
GstHarness* HarnessFor(GstElement* element, const std::string& caps);

}  // namespace vdv_filters::test
