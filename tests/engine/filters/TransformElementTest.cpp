#include <gst/app/gstappsink.h>
#include <gtest/gtest.h>

#include "FilterTestSupport.h"
#include "engine/filters/PixelGeometry.h"

namespace vdv_filters {
namespace {

TTransformParams Params(int rotation, bool half = false) {
  TTransformParams p;
  p.Rotation = rotation;
  p.SwapDimensions = static_cast<std::uint8_t>(rotation & 1);
  p.HalfSizeDeinterlace = half ? 1 : 0;
  return p;
}

void ExpectSize(GstCaps* caps, int width, int height) {
  ASSERT_NE(caps, nullptr);
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  int w = 0, h = 0;
  EXPECT_TRUE(gst_structure_get_int(s, "width", &w) && gst_structure_get_int(s, "height", &h));
  EXPECT_EQ(w, width);
  EXPECT_EQ(h, height);
}

// Odd sizes, both formats, every code: output caps sized as the turn says and
// the pixels those of the arithmetic on the same frame.
TEST(TransformElement, TurnsAndHalvesFramesWithMatchingCaps) {
  const int w = 385, h = 289;
  for (const char* format : {"BGRx", "BGR"}) {
    const int bpp = format[3] == 'x' ? 4 : 3;
    for (int code = 0; code < 8; ++code) {
      for (bool half : {false, true}) {
        SCOPED_TRACE(std::string(format) + " code " + std::to_string(code) + " half " + std::to_string(half));
        GstElement* t = test::NewTransform(Params(code, half));
        GstHarness* hs = test::HarnessFor(t, test::VideoCaps(format, w, h));
        const GstVideoInfo in = test::VideoInfo(format, w, h);
        GstBuffer* buffer = test::RandomFrame(in, static_cast<unsigned>(code));
        const auto src = test::VisibleBytes(buffer, in);
        GstBuffer* out = gst_harness_push_and_pull(hs, buffer);
        ASSERT_NE(out, nullptr);
        int ow = 0, oh = 0;
        const TGeometry g{code, half};
        OutputSize(g, w, h, &ow, &oh);
        EXPECT_EQ(ow, (code & 1) ? (half ? 145 : 289) : (half ? 193 : 385));
        GstCaps* caps = gst_pad_get_current_caps(GST_BASE_TRANSFORM_SRC_PAD(t));
        ExpectSize(caps, ow, oh);
        gst_caps_unref(caps);
        std::vector<std::uint8_t> expected(static_cast<std::size_t>(ow) * oh * bpp);
        TransformFrame(g, src.data(), w * bpp, w, h, expected.data(), ow * bpp, bpp);
        EXPECT_EQ(test::VisibleBytes(out, test::VideoInfo(format, ow, oh)), expected);
        gst_buffer_unref(out);
        gst_harness_teardown(hs);
        gst_object_unref(t);
      }
    }
  }
}

// One plane turned by the definition of each code: quarter turns clockwise,
// then the mirror; half size takes every other line and column from the first.
std::vector<std::uint8_t> TurnedPlane(const std::vector<std::uint8_t>& src, int w, int h, int code,
                                      bool half) {
  const int hw = half ? (w + 1) / 2 : w, hh = half ? (h + 1) / 2 : h;
  const int ow = (code & 1) ? hh : hw, oh = (code & 1) ? hw : hh;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(ow) * oh);
  for (int y = 0; y < oh; ++y)
    for (int x = 0; x < ow; ++x) {
      const int mx = (code & 4) ? ow - 1 - x : x;  // the mirror comes after the turn
      int sx = mx, sy = y;
      switch (code & 3) {
        case 1: sx = y, sy = hh - 1 - mx; break;
        case 2: sx = hw - 1 - mx, sy = hh - 1 - y; break;
        case 3: sx = hw - 1 - y, sy = mx; break;
        default: break;
      }
      const int f = half ? 2 : 1;
      out[static_cast<std::size_t>(y) * ow + x] = src[static_cast<std::size_t>(sy * f) * w + sx * f];
    }
  return out;
}

// I420 turns plane by plane, each as a picture of its own size, so the
// turned chroma fits the turned picture.
TEST(TransformElement, TurnsI420PlaneByPlane) {
  for (const auto& [w, h] : {std::pair{38, 22}, std::pair{37, 21}}) {
    for (int code = 0; code < 8; ++code) {
      for (bool half : {false, true}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " code " + std::to_string(code) +
                     " half " + std::to_string(half));
        GstElement* t = test::NewTransform(Params(code, half));
        GstHarness* hs = test::HarnessFor(t, test::VideoCaps("I420", w, h));
        const GstVideoInfo in = test::VideoInfo("I420", w, h);
        GstBuffer* buffer = test::RandomFrame(in, static_cast<unsigned>(code + 8 * half));
        const auto src = test::VisibleBytes(buffer, in);
        GstBuffer* out = gst_harness_push_and_pull(hs, buffer);
        ASSERT_NE(out, nullptr);
        int ow = 0, oh = 0;
        OutputSize(TGeometry{code, half}, w, h, &ow, &oh);
        std::vector<std::uint8_t> expected;
        const int cw = (w + 1) / 2, ch = (h + 1) / 2;
        std::size_t at = 0;
        for (const auto& [pw, ph] : {std::pair{w, h}, std::pair{cw, ch}, std::pair{cw, ch}}) {
          const std::vector<std::uint8_t> plane(src.begin() + at, src.begin() + at + pw * ph);
          at += plane.size();
          const auto turned = TurnedPlane(plane, pw, ph, code, half);
          expected.insert(expected.end(), turned.begin(), turned.end());
        }
        EXPECT_EQ(test::VisibleBytes(out, test::VideoInfo("I420", ow, oh)), expected);
        gst_buffer_unref(out);
        gst_harness_teardown(hs);
        gst_object_unref(t);
      }
    }
  }
}

// videotestsrc ! transform ! capsfilter ! appsink: the size forced downstream
// decides the size asked of the source, and the reverse.
GstCaps* NegotiateThrough(const TTransformParams& params, const char* upstreamCaps,
                          const char* downstreamCaps, GstCaps** sourceCaps) {
  GstElement* pipeline = gst_pipeline_new(nullptr);
  GstElement* src = gst_element_factory_make("videotestsrc", nullptr);
  g_object_set(src, "num-buffers", 1, nullptr);
  GstElement* before = gst_element_factory_make("capsfilter", nullptr);
  GstElement* after = gst_element_factory_make("capsfilter", nullptr);
  GstCaps* upCaps = gst_caps_from_string(upstreamCaps);
  GstCaps* downCaps = gst_caps_from_string(downstreamCaps);
  g_object_set(before, "caps", upCaps, nullptr);
  g_object_set(after, "caps", downCaps, nullptr);
  gst_caps_unref(upCaps);
  gst_caps_unref(downCaps);
  GstElement* transform = test::NewTransform(params);
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  gst_bin_add_many(GST_BIN(pipeline), src, before, transform, after, sink, nullptr);
  gst_object_unref(transform);  // the bin holds it now
  EXPECT_TRUE(gst_element_link_many(src, before, transform, after, sink, nullptr));
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 5 * GST_SECOND);
  GstCaps* caps = nullptr;
  if (sample != nullptr) {
    caps = gst_caps_ref(gst_sample_get_caps(sample));
    gst_sample_unref(sample);
  }
  GstPad* pad = gst_element_get_static_pad(src, "src");
  *sourceCaps = gst_pad_get_current_caps(pad);
  gst_object_unref(pad);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return caps;
}

TEST(TransformElement, NegotiatesWithACapsFilterOnEitherSide) {
  test::Module();
  GstCaps* source = nullptr;
  GstCaps* out =
      NegotiateThrough(Params(1), "video/x-raw, format=BGRx, width=320, height=240", "video/x-raw", &source);
  ExpectSize(out, 240, 320);
  ExpectSize(source, 320, 240);
  gst_caps_unref(out);
  gst_caps_unref(source);

  out = NegotiateThrough(Params(3), "video/x-raw, format=BGR", "video/x-raw, width=100, height=60", &source);
  ExpectSize(out, 100, 60);
  ExpectSize(source, 60, 100);
  gst_caps_unref(out);
  gst_caps_unref(source);

  // Halving: a fixed output size allows two source sizes; the source picks one.
  out = NegotiateThrough(Params(0, true), "video/x-raw, format=BGRx", "video/x-raw, width=160, height=121",
                         &source);
  ExpectSize(out, 160, 121);
  int w = 0, h = 0;
  ASSERT_TRUE(gst_structure_get_int(gst_caps_get_structure(source, 0), "width", &w));
  ASSERT_TRUE(gst_structure_get_int(gst_caps_get_structure(source, 0), "height", &h));
  EXPECT_TRUE(w == 319 || w == 320) << w;
  EXPECT_TRUE(h == 241 || h == 242) << h;
  gst_caps_unref(out);
  gst_caps_unref(source);

  out = NegotiateThrough(Params(5, true), "video/x-raw, format=BGR, width=385, height=289", "video/x-raw",
                         &source);
  ExpectSize(out, 145, 193);
  gst_caps_unref(out);
  gst_caps_unref(source);
}

}  // namespace
}  // namespace vdv_filters
