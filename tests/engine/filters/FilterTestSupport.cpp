#include "FilterTestSupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace vdv_filters::test {

void* OpenModule() { return dlopen(ORVEX_FILTER_MODULE_PATH, RTLD_NOW | RTLD_NODELETE); }

const TModule& Module() {
  static const TModule module = [] {
    gst_init(nullptr, nullptr);
    TModule m;
    m.handle = OpenModule();
    if (m.handle == nullptr) {
      ADD_FAILURE() << dlerror();
      return m;
    }
    m.createGrabber = reinterpret_cast<TCreateInstance>(dlsym(m.handle, kCreateGrabber));
    m.createGrabberNoModify = reinterpret_cast<TCreateInstance>(dlsym(m.handle, kCreateGrabberNoModify));
    m.createTransform = reinterpret_cast<TCreateInstance>(dlsym(m.handle, kCreateTransform));
    m.getParams = reinterpret_cast<TFrameSampleGetParams>(dlsym(m.handle, kFrameSampleGetParams));
    m.setParams = reinterpret_cast<TTransformSetParams>(dlsym(m.handle, kTransformSetParams));
    return m;
  }();
  return module;
}

GstElement* NewGrabber(bool mayModify) {
  const TModule& m = Module();
  GstElement* element = nullptr;
  EXPECT_EQ((mayModify ? m.createGrabber : m.createGrabberNoModify)(&element), 0);
  return element != nullptr ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr;
}

GstElement* NewTransform(const TTransformParams& params) {
  const TModule& m = Module();
  GstElement* element = nullptr;
  EXPECT_EQ(m.createTransform(&element), 0);
  if (element == nullptr) return nullptr;
  gst_object_ref_sink(element);
  EXPECT_EQ(m.setParams(element, &params), 0);
  return element;
}

std::string VideoCaps(const char* format, int width, int height) {
  return "video/x-raw, format=(string)" + std::string(format) + ", width=(int)" + std::to_string(width) +
         ", height=(int)" + std::to_string(height) + ", framerate=(fraction)30/1";
}

GstVideoInfo VideoInfo(const char* format, int width, int height) {
  GstVideoInfo info;
  gst_video_info_set_format(&info, gst_video_format_from_string(format), width, height);
  return info;
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

GstBuffer* RandomFrame(const GstVideoInfo& info, unsigned seed) {
  const auto bytes = RandomBytes(GST_VIDEO_INFO_SIZE(&info), seed);
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes.size(), nullptr);
  gst_buffer_fill(buffer, 0, bytes.data(), bytes.size());
  return buffer;
}

std::vector<std::uint8_t> VisibleBytes(GstBuffer* buffer, const GstVideoInfo& info) {
  GstVideoFrame frame;
  std::vector<std::uint8_t> out;
  if (!gst_video_frame_map(&frame, const_cast<GstVideoInfo*>(&info), buffer, GST_MAP_READ)) {
    ADD_FAILURE() << "cannot map frame";
    return out;
  }
  // Plane after plane; in the formats tested, plane i holds component i.
  for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(&frame); ++p) {
    const int rowBytes = GST_VIDEO_FRAME_COMP_WIDTH(&frame, p) * GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, p);
    const auto* data = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p));
    for (int y = 0; y < GST_VIDEO_FRAME_COMP_HEIGHT(&frame, p); ++y) {
      const auto* row = data + y * GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p);
      out.insert(out.end(), row, row + rowBytes);
    }
  }
  gst_video_frame_unmap(&frame);
  return out;
}

GstHarness* HarnessFor(GstElement* element, const std::string& caps) {
  GstHarness* h = gst_harness_new_with_element(element, "sink", "src");
  gst_harness_set_src_caps_str(h, caps.c_str());
  return h;
}

}  // namespace vdv_filters::test
