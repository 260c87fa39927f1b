#include <gtest/gtest.h>

#include <cstring>

#include "FilterTestSupport.h"
#include "engine/filters/PixelProcessing.h"

namespace vdv_filters {
namespace {

// What the callbacks saw; reached through the block's context as the engine's worker would be.
struct TRecorder {
  int frames = 0, notifies = 0, samples = 0;
  TFrameDescription frame;
  std::int64_t start = 0;
  void* sample = nullptr;
  std::int32_t length = 0;
  void* bitmap = nullptr;
  void* dc = reinterpret_cast<void*>(1);
  std::uint8_t firstByte = 0;
  bool draw = false;       // paint the first row as an overlay would
  int nextBrightness = 0;  // copied into the block for the next frame, as the engine does
};

TRecorder& Of(TGrabberParams* block) { return *static_cast<TRecorder*>(block->Context); }

void OnFrame(TGrabberParams* block, std::int64_t start, std::uint32_t, std::uint32_t, void* sample,
             std::int32_t length, void* bitmap, void* dc, const TFrameDescription* frame) {
  TRecorder& r = Of(block);
  ++r.frames;
  r.frame = *frame;
  r.start = start, r.sample = sample, r.length = length, r.bitmap = bitmap, r.dc = dc;
  if (!frame->Pixels) return;  // a YUV frame whose pixels nobody wanted
  r.firstByte = frame->Pixels[0];
  if (r.draw)
    std::memset(frame->Dib.dsBm.bmBits, 0x42,
                static_cast<std::size_t>(frame->Dib.dsBm.bmWidth) * frame->Dib.dsBm.bmBitsPixel / 8);
  block->Processing.Brightness = r.nextBrightness;
}

void OnNotify(TGrabberParams* block, std::uint32_t, void* sample, std::int64_t start, std::uint32_t,
              std::uint32_t) {
  ++Of(block).notifies;
  Of(block).sample = sample;
  Of(block).start = start;
}

void OnSample(TGrabberParams* block, void*) { ++Of(block).samples; }

TGrabberParams* Wire(GstElement* grabber, int mode, TRecorder& r) {
  TGrabberParams* block = nullptr;
  EXPECT_EQ(test::Module().getParams(grabber, mode, &block), 0);
  block->Context = &r;
  block->FrameCallback = OnFrame;
  block->NotifyCallback = OnNotify;
  block->SampleCallback = OnSample;
  block->Processing.ProcessingActive = 1;
  return block;
}

GstBuffer* Stamped(GstBuffer* buffer, GstClockTime pts) {
  GST_BUFFER_PTS(buffer) = pts;
  return buffer;
}

struct TFormatCase {
  const char* format;
  std::int32_t rgbFormat;
  int bits;
};
constexpr TFormatCase kFormats[] = {{"BGRx", gf_RGB32, 32}, {"BGR", gf_RGB24, 24}};

// Odd sizes in both formats: the callback gets a top-down DIB over the
// buffer's own pixels, once per frame, after the adjustments, and may draw.
TEST(GrabberElement, Mode8ProcessesThenHandsEachFrameToTheCallback) {
  const int w = 385, h = 289;
  for (const auto& fc : kFormats) {
    SCOPED_TRACE(fc.format);
    TRecorder r;
    r.draw = true;
    GstElement* grabber = test::NewGrabber(true);
    TGrabberParams* block = Wire(grabber, gm_RGB, r);
    block->RGBFormat = fc.rgbFormat;
    block->Processing.Contrast = 40, block->Processing.Hue = -30, block->Processing.Saturation = 90;
    GstHarness* hs = test::HarnessFor(grabber, test::VideoCaps(fc.format, w, h));
    const GstVideoInfo info = test::VideoInfo(fc.format, w, h);
    const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);

    for (int i = 0; i < 3; ++i) {
      GstBuffer* in = test::RandomFrame(info, 10 + i);
      auto expected = test::VisibleBytes(in, info);
      // The reference: the same block on a copy, stride-free.
      TPixelProcessor reference;
      reference.Configure(fc.bits / 8, w, h);
      TProcessingBlock applied = block->Processing;
      reference.Process(applied, expected.data(), static_cast<std::ptrdiff_t>(w) * fc.bits / 8);
      const std::uint8_t processedFirst = expected[0];
      std::memset(expected.data(), 0x42, static_cast<std::size_t>(w) * fc.bits / 8);
      r.nextBrightness = 20 * (i + 1);

      const GstClockTime pts = i * 33 * GST_MSECOND;
      ASSERT_EQ(gst_harness_push(hs, Stamped(in, pts)), GST_FLOW_OK);
      GstBuffer* out = gst_harness_pull(hs);
      ASSERT_NE(out, nullptr);
      EXPECT_EQ(r.frames, i + 1);
      EXPECT_EQ(test::VisibleBytes(out, info), expected);
      EXPECT_EQ(r.firstByte, processedFirst) << "the callback sees adjusted pixels";
      EXPECT_EQ(r.sample, out);
      EXPECT_EQ(r.start, static_cast<std::int64_t>(pts / 100));
      EXPECT_EQ(r.length, static_cast<std::int32_t>(gst_buffer_get_size(out)));
      EXPECT_EQ(r.dc, nullptr);
      const auto& dib = r.frame.Dib;
      EXPECT_EQ(r.bitmap, r.frame.Pixels);
      EXPECT_EQ(dib.dsBm.bmBits, r.frame.Pixels);
      EXPECT_EQ(dib.dsBm.bmWidth, w);
      EXPECT_EQ(dib.dsBm.bmHeight, h);
      EXPECT_EQ(dib.dsBm.bmWidthBytes, stride);
      EXPECT_EQ(dib.dsBm.bmBitsPixel, fc.bits);
      EXPECT_EQ(dib.dsBmih.biWidth, w);
      EXPECT_EQ(dib.dsBmih.biHeight, -h);
      EXPECT_EQ(dib.dsBmih.biBitCount, fc.bits);
      EXPECT_EQ(dib.dsBmih.biSizeImage, static_cast<std::uint32_t>(stride * h));
      gst_buffer_unref(out);
    }
    gst_harness_teardown(hs);
    gst_object_unref(grabber);
  }
}

TEST(GrabberElement, AdjustsOnlyWhenProcessingIsActiveAndNeverAForeignBuffer) {
  TRecorder r;
  GstElement* grabber = test::NewGrabber(true);
  TGrabberParams* block = Wire(grabber, gm_RGB, r);
  block->Processing.InvertColors = 1;
  block->Processing.ProcessingActive = 0;
  const GstVideoInfo info = test::VideoInfo("BGRx", 16, 4);
  GstHarness* hs = test::HarnessFor(grabber, test::VideoCaps("BGRx", 16, 4));
  GstBuffer* in = test::RandomFrame(info, 1);
  const auto original = test::VisibleBytes(in, info);
  GstBuffer* out = gst_harness_push_and_pull(hs, in);
  EXPECT_EQ(test::VisibleBytes(out, info), original);
  EXPECT_EQ(r.start, -1) << "a buffer without a time";
  gst_buffer_unref(out);

  // Someone else holds the input: it is copied, never changed under them.
  block->Processing.ProcessingActive = 1;
  GstBuffer* shared = test::RandomFrame(info, 2);
  const auto before = test::VisibleBytes(shared, info);
  out = gst_harness_push_and_pull(hs, gst_buffer_ref(shared));
  EXPECT_NE(out, shared);
  EXPECT_EQ(test::VisibleBytes(shared, info), before);
  EXPECT_EQ(test::VisibleBytes(out, info)[0], 255 - before[0]);
  EXPECT_EQ(r.frames, 2);
  gst_buffer_unref(out);
  gst_buffer_unref(shared);

  // A buffer too small to map as a frame goes on untouched and unreported.
  GstBuffer* tiny = gst_buffer_new_allocate(nullptr, 10, nullptr);
  gst_buffer_memset(tiny, 0, 7, 10);
  out = gst_harness_push_and_pull(hs, tiny);
  EXPECT_EQ(gst_buffer_memcmp(out, 0, "\7\7\7\7\7\7\7\7\7\7", 10), 0);
  EXPECT_EQ(r.frames, 2);
  gst_buffer_unref(out);
  gst_harness_teardown(hs);
  gst_object_unref(grabber);
}

TEST(GrabberElement, Mode8TakesOnlyItsRgbFormat) {
  struct Case {
    std::int32_t rgbFormat;
    const char* format;
    bool accepted;
  } cases[] = {{gf_RGB32, "BGRx", true},  {gf_RGB32, "BGR", false}, {gf_RGB24, "BGR", true},
               {gf_RGB24, "BGRx", false}, {0, "BGR", true},         {0, "I420", true},
               {gf_RGB32, "YUY2", true},  {gf_RGB32, "NV12", false}};
  for (const auto& c : cases) {
    TRecorder r;
    GstElement* grabber = test::NewGrabber(true);
    Wire(grabber, gm_RGB, r)->RGBFormat = c.rgbFormat;
    GstHarness* hs = test::HarnessFor(grabber, test::VideoCaps(c.format, 8, 8));
    const GstVideoInfo info = test::VideoInfo(c.format, 8, 8);
    const GstFlowReturn flow = gst_harness_push(hs, test::RandomFrame(info, 3));
    EXPECT_EQ(flow, c.accepted ? GST_FLOW_OK : GST_FLOW_NOT_NEGOTIATED) << c.rgbFormat << " " << c.format;
    EXPECT_EQ(r.frames, c.accepted ? 1 : 0);
    gst_harness_teardown(hs);
    gst_object_unref(grabber);
  }
}

// YUV frames go into RGB only for those who want their pixels, and come back
// changed only from those who may change them; in BT.601 by libyuv's rows, in
// BT.709 (an HD H.264 camera's) by GStreamer's converter; I420, and a
// webcam's YUY2.
TEST(GrabberElement, Mode8OnYuvConvertsOnlyWhatIsWanted) {
  struct Case {
    const char* name;
    std::uint8_t use;
    int brightness;
    bool draw;     // the callback paints the first row
    bool pixels;   // the callback got RGB pixels
    bool changed;  // the frame that goes on differs
  } cases[] = {{"nobody", pu_None, 0, false, false, false},
               {"a capture", pu_Read, 0, true, true, false},
               {"an overlay", pu_ReadWrite, 0, true, true, true},
               {"the adjustments", pu_None, 255, false, true, true}};
  struct Layout {
    const char* format;
    const char* colorimetry;
    int w;
  } layouts[] = {{"I420", "", 35}, {"I420", ", colorimetry=(string)bt709", 35}, {"YUY2", "", 36}};
  const int h = 17;
  for (int row = 0; row < 3 * static_cast<int>(std::size(cases)); ++row) {
    const Case& c = cases[row / 3];
    const Layout& l = layouts[row % 3];
    const int w = l.w;
    const bool packed = std::string(l.format) == "YUY2";
    // Where pixel i's luma is, and how many chroma bytes there are.
    const auto luma = [&](int i) { return packed ? 2 * i : i; };
    const int chroma = packed ? w * h : 2 * ((w + 1) / 2) * ((h + 1) / 2);
    const auto chromaAt = [&](int k) { return packed ? 2 * k + 1 : w * h + k; };
    const GstVideoInfo info = test::VideoInfo(l.format, w, h);
    SCOPED_TRACE(std::string(c.name) + " " + l.format + l.colorimetry);
    TRecorder r;
    r.draw = c.draw;
    GstElement* grabber = test::NewGrabber(true);
    TGrabberParams* block = Wire(grabber, gm_RGB, r);
    block->PixelUse = c.use;
    block->Processing.Brightness = c.brightness;
    GstHarness* hs = test::HarnessFor(grabber, test::VideoCaps(l.format, w, h) + l.colorimetry);
    GstBuffer* in = test::RandomFrame(info, 5);
    const auto original = test::VisibleBytes(in, info);
    GstBuffer* out = gst_harness_push_and_pull(hs, in);
    ASSERT_NE(out, nullptr);
    const auto got = test::VisibleBytes(out, info);
    EXPECT_EQ(r.frames, 1) << "every frame reaches the callback";
    EXPECT_EQ(r.bitmap != nullptr, c.pixels);
    EXPECT_EQ(r.frame.Dib.dsBm.bmWidth, w);
    EXPECT_EQ(r.frame.Dib.dsBmih.biHeight, -h);
    if (c.pixels) {
      EXPECT_EQ(r.frame.Dib.dsBm.bmBitsPixel, 32);
    }
    EXPECT_EQ(got != original, c.changed);
    if (c.brightness == 255) {  // white: limited-range luma at the top, neutral chroma
      for (int i = 0; i < w * h; ++i) ASSERT_EQ(got[luma(i)], 235) << i;
      for (int k = 0; k < chroma; ++k) ASSERT_NEAR(got[chromaAt(k)], 128, 1) << k;
    } else if (c.changed) {  // the painted row, grey 66, reached the frame's luma
      for (int x = 0; x < w; ++x) ASSERT_NEAR(got[luma(x)], 73, 1) << x;
    }
    gst_buffer_unref(out);
    gst_harness_teardown(hs);
    gst_object_unref(grabber);
  }
}

// Modes 0..6 accept anything and hand on the very buffer, bytes unchanged;
// only mode 2 notifies and only mode 0 reports samples.
TEST(GrabberElement, PassThroughModesNeverChangePixels) {
  for (const char* caps :
       {"video/x-raw, format=(string)I420, width=(int)33, height=(int)17", "audio/x-raw"}) {
    for (int mode = gm_Sample; mode <= gm_Clear; ++mode) {
      SCOPED_TRACE(std::string(caps) + " mode " + std::to_string(mode));
      TRecorder r;
      GstElement* grabber = test::NewGrabber(false);
      TGrabberParams* block = Wire(grabber, mode, r);
      block->Processing.InvertColors = 1;
      block->Processing.Brightness = 100;
      GstHarness* hs = test::HarnessFor(grabber, caps);
      for (int i = 0; i < 2; ++i) {
        const auto bytes = test::RandomBytes(1000, 5 + i);
        GstBuffer* in = gst_buffer_new_memdup(bytes.data(), bytes.size());
        GstBuffer* out = gst_harness_push_and_pull(hs, Stamped(in, (i + 1) * GST_SECOND));
        EXPECT_EQ(out, in);
        EXPECT_EQ(gst_buffer_memcmp(out, 0, bytes.data(), bytes.size()), 0);
        gst_buffer_unref(out);
      }
      EXPECT_EQ(r.frames, 0);
      EXPECT_EQ(r.notifies, mode == gm_Notify ? 2 : 0);
      EXPECT_EQ(r.samples, mode == gm_Sample ? 2 : 0);
      if (mode == gm_Notify) {
        EXPECT_EQ(r.start, static_cast<std::int64_t>(2 * GST_SECOND / 100));
      }
      gst_harness_teardown(hs);
      gst_object_unref(grabber);
    }
  }
}

}  // namespace
}  // namespace vdv_filters
