#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/media/testdevices/TestDevices.h"
#include "platform/media/testdevices/TestPattern.h"
#include "tests/platform/media/testdevices/PipelineCapture.h"

namespace orvex::media::testdevices {
namespace {

using test::PipelineCapture;
using test::Sample;

constexpr GstClockTime kFrame30 = GST_SECOND / 30;

struct FormatCase {
  const char* name;
  const char* caps;
  int width, height;
};

const FormatCase kFormats[] = {
    {"YUY2", "video/x-raw,format=YUY2", 320, 240},      {"MJPG", "image/jpeg", 320, 240},
    {"RGB24", "video/x-raw,format=BGR", 320, 240},      {"RGB32", "video/x-raw,format=BGRx", 320, 240},
    {"YUY2_720", "video/x-raw,format=YUY2", 1280, 720},  // BT.601 as at every size
};

bool IsJpeg(const FormatCase& c) { return std::string(c.caps) == "image/jpeg"; }

// The camera in one format; JPEG decoded, and everything converted to BGRx when asked.
std::string Launch(const FormatCase& c, int input, bool toBgrx) {
  std::string line = "orvextestcamerasrc name=cam input=" + std::to_string(input) + " ! " + c.caps +
                     ",width=" + std::to_string(c.width) + ",height=" + std::to_string(c.height) + " ! ";
  if (IsJpeg(c)) line += "jpegdec ! ";
  if (toBgrx) line += "videoconvert ! video/x-raw,format=BGRx ! ";
  return line + "appsink name=sink sync=false";
}

struct Tolerance {
  int level;   // largest difference of a channel
  int radius;  // how far from an edge a point must be: edges blur in 4:2:x and JPEG
  int smooth;  // largest change within the radius that is not an edge (the ramp)
};

// A JPEG's chroma blocks cover 16x16 pixels, and every bar and the block are wider.
Tolerance ToleranceOf(const FormatCase& c) { return IsJpeg(c) ? Tolerance{12, 16, 16} : Tolerance{8, 4, 4}; }

// Counts sample points in flat areas where a BGRx frame differs from the pattern.
int PatternMismatches(const Sample& s, bool moving, std::uint64_t frame, Tolerance tolerance, int* checked) {
  auto diff = [](Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
  };
  int mismatches = 0;
  *checked = 0;
  for (int y = tolerance.radius; y < s.height - tolerance.radius; y += 6) {
    for (int x = tolerance.radius; x < s.width - tolerance.radius; x += 6) {
      const Rgb want = TestPattern::Expected(moving, frame, s.width, s.height, x, y);
      bool flat = true;
      const int r = tolerance.radius;
      for (int d = -r; d <= r && flat; d += r)
        for (int e = -r; e <= r && flat; e += r)
          flat = diff(want, TestPattern::Expected(moving, frame, s.width, s.height, x + d, y + e)) <=
                 tolerance.smooth;
      if (!flat) continue;
      ++*checked;
      const std::uint8_t* px = s.bytes.data() + static_cast<std::ptrdiff_t>(y) * s.stride + 4 * x;
      if (diff(want, Rgb{px[2], px[1], px[0]}) > tolerance.level) {
        if (mismatches++ == 0)
          ADD_FAILURE() << "at " << x << "," << y << " want " << +want.r << "/" << +want.g << "/" << +want.b
                        << " got " << +px[2] << "/" << +px[1] << "/" << +px[0];
      }
    }
  }
  return mismatches;
}

std::uint64_t FrameIndex(const Sample& s) { return gst_util_uint64_scale_round(s.pts, 30, GST_SECOND); }

TEST(TestCameraCaps, EveryFormatAndSizeAsOneCapabilityInDeviceOrder) {
  Register();
  GstElement* cam = gst_element_factory_make(kCameraFactory, nullptr);
  ASSERT_NE(cam, nullptr);
  GstPad* pad = gst_element_get_static_pad(cam, "src");
  GstCaps* caps = gst_pad_query_caps(pad, nullptr);
  ASSERT_EQ(gst_caps_get_size(caps), 24u);
  const std::array<const char*, 4> formats = {"YUY2", nullptr, "BGR", "BGRx"};
  const std::array<std::pair<int, int>, 6> sizes = {
      {{640, 480}, {160, 120}, {320, 240}, {352, 288}, {1280, 720}, {1920, 1080}}};
  for (guint i = 0; i < 24; ++i) {
    SCOPED_TRACE(i);
    const GstStructure* s = gst_caps_get_structure(caps, i);
    const char* format = formats[i / 6];
    EXPECT_STREQ(gst_structure_get_name(s), format ? "video/x-raw" : "image/jpeg");
    if (format != nullptr) {
      EXPECT_STREQ(gst_structure_get_string(s, "format"), format);
    }
    int width = 0, height = 0;
    EXPECT_TRUE(gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height));
    EXPECT_EQ(std::make_pair(width, height), sizes[i % 6]);
    const GValue* rates = gst_structure_get_value(s, "framerate");
    ASSERT_TRUE(GST_VALUE_HOLDS_LIST(rates));
    ASSERT_EQ(gst_value_list_get_size(rates), 2u);
    EXPECT_EQ(gst_value_get_fraction_numerator(gst_value_list_get_value(rates, 0)), 30);
    EXPECT_EQ(gst_value_get_fraction_numerator(gst_value_list_get_value(rates, 1)), 15);
  }
  GstCaps* published = gst_caps_from_string(CameraCapsString().c_str());
  EXPECT_TRUE(gst_caps_is_strictly_equal(caps, published));
  gst_caps_unref(published);
  gst_caps_unref(caps);
  gst_object_unref(pad);
  gst_object_unref(cam);
}

TEST(TestCameraCaps, EveryCapabilityStreamsFramesOfItsSize) {
  GstCaps* all = gst_caps_from_string(CameraCapsString().c_str());
  for (guint i = 0; i < gst_caps_get_size(all); ++i) {
    GstCaps* one = gst_caps_copy_nth(all, i);
    gchar* text = gst_caps_to_string(one);
    SCOPED_TRACE(text);
    const bool jpeg = gst_structure_has_name(gst_caps_get_structure(one, 0), "image/jpeg");
    PipelineCapture capture(std::string("orvextestcamerasrc input=1 ! ") + text + (jpeg ? " ! jpegdec" : "") +
                            " ! appsink name=sink sync=false");
    const auto frame = capture.Pull();
    ASSERT_TRUE(frame);
    int width = 0, height = 0;
    gst_structure_get_int(gst_caps_get_structure(one, 0), "width", &width);
    gst_structure_get_int(gst_caps_get_structure(one, 0), "height", &height);
    EXPECT_EQ(frame->width, width);
    EXPECT_EQ(frame->height, height);
    if (!jpeg) {
      GstCaps* fixed = gst_caps_fixate(gst_caps_copy(one));
      GstVideoInfo info;
      ASSERT_TRUE(gst_video_info_from_caps(&info, fixed));
      gst_caps_unref(fixed);
      EXPECT_EQ(frame->bytes.size(), info.size);
    }
    g_free(text);
    gst_caps_unref(one);
  }
  gst_caps_unref(all);
}

class TestCameraFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TestCameraFormat, SVideoRepeatsExactlyAndCompositeChangesEveryFrame) {
  PipelineCapture capture(Launch(GetParam(), kInputSVideo, false));
  const auto still = capture.Pull(3, 3000);
  ASSERT_EQ(still.size(), 3u);
  EXPECT_EQ(still[0].bytes, still[1].bytes);
  EXPECT_EQ(still[1].bytes, still[2].bytes);

  // Frames made before the switch may still be queued; the change shows soon.
  g_object_set(capture.Get("cam"), kInputProperty, kInputComposite, nullptr);
  std::optional<Sample> moving;
  for (int i = 0; i < 15 && (!moving || moving->bytes == still[0].bytes); ++i) moving = capture.Pull();
  ASSERT_TRUE(moving && moving->bytes != still[0].bytes);
  for (int i = 0; i < 3; ++i) {
    const auto next = capture.Pull();
    ASSERT_TRUE(next);
    EXPECT_NE(next->bytes, moving->bytes);
    moving = next;
  }

  g_object_set(capture.Get("cam"), kInputProperty, kInputSVideo, nullptr);
  bool backToStill = false;
  for (int i = 0; i < 15 && !backToStill; ++i) {
    const auto next = capture.Pull();
    ASSERT_TRUE(next);
    backToStill = next->bytes == still[0].bytes;
  }
  EXPECT_TRUE(backToStill);
}

TEST_P(TestCameraFormat, ShowsTheSamePictureAsEveryOtherFormat) {
  PipelineCapture capture(Launch(GetParam(), kInputSVideo, true));
  const auto still = capture.Pull();
  ASSERT_TRUE(still);
  ASSERT_EQ(still->width, GetParam().width);
  int checked = 0;
  EXPECT_EQ(PatternMismatches(*still, false, 0, ToleranceOf(GetParam()), &checked), 0);
  EXPECT_GT(checked, 100);

  // The moving picture too: the block and the ramp sit where the frame's slot puts them.
  g_object_set(capture.Get("cam"), kInputProperty, kInputComposite, nullptr);
  std::optional<Sample> moving;
  for (int i = 0; i < 15 && (!moving || moving->bytes == still->bytes); ++i) moving = capture.Pull();
  ASSERT_TRUE(moving);
  EXPECT_EQ(PatternMismatches(*moving, true, FrameIndex(*moving), ToleranceOf(GetParam()), &checked), 0);
  EXPECT_GT(checked, 100);
}

INSTANTIATE_TEST_SUITE_P(Formats, TestCameraFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(TestCamera, StillJpegFramesAreTheSameBytes) {
  PipelineCapture capture(
      "orvextestcamerasrc input=1 ! image/jpeg,width=640,height=480 ! appsink name=sink sync=false");
  const auto frames = capture.Pull(3, 3000);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].bytes, frames[1].bytes);
  EXPECT_EQ(frames[0].bytes, frames[2].bytes);
}

struct RateCase {
  const char* name;
  const char* caps;
  int fps;
  bool sync;  // a sink that renders by the clock, as the preview does
};

class TestCameraRate : public ::testing::TestWithParam<RateCase> {};

// What must hold however busy the machine is: a frame never leaves before
// its time, timestamps stay on the frame grid, and a source that fell behind
// catches up with the clock instead of handing out a backlog. Whether it
// keeps up with every slot is up to the machine, so it is not asserted.
TEST_P(TestCameraRate, FramesNeverRunAheadOfTheClockAndCatchUpWhenLate) {
  const int fps = GetParam().fps;
  const GstClockTime frame = GST_SECOND / static_cast<GstClockTime>(fps);
  PipelineCapture capture(std::string("orvextestcamerasrc name=cam ! ") + GetParam().caps +
                              ",framerate=" + std::to_string(fps) +
                              "/1 ! appsink name=sink sync=" + (GetParam().sync ? "true" : "false"),
                          /*play=*/false);
  capture.RecordPushTimes("cam");
  capture.Play();
  const auto frames = capture.Pull(fps == 30 ? 12 : 6, 2000);
  ASSERT_GE(frames.size(), 6u);
  for (size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(static_cast<double>(frames[i].duration), static_cast<double>(frame), 1e6);
    ASSERT_NE(frames[i].runningTimeAtPush, GST_CLOCK_TIME_NONE);
    // Never handed on before its time; a frame may be late, not early.
    EXPECT_GE(frames[i].runningTimeAtPush + GST_MSECOND, frames[i].pts);
    if (i == 0) continue;
    ASSERT_GT(frames[i].pts, frames[i - 1].pts);
    const GstClockTime gap = frames[i].pts - frames[i - 1].pts;
    const double slots = static_cast<double>(gap) / static_cast<double>(frame);
    EXPECT_NEAR(slots, std::round(slots), 0.03);  // on the frame grid
    // Caught up: the slot chosen after a push is the one running then, never
    // an older one that passed while the frame before was on its way.
    EXPECT_GE(frames[i].pts + frame, frames[i - 1].runningTimeAtPush);
  }

  GstQuery* query = gst_query_new_latency();
  ASSERT_TRUE(gst_element_query(capture.Get("cam"), query));
  gboolean live = FALSE;
  GstClockTime min = 0;
  gst_query_parse_latency(query, &live, &min, nullptr);
  EXPECT_TRUE(live);
  EXPECT_EQ(min, frame);
  gst_query_unref(query);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, TestCameraRate,
    ::testing::Values(RateCase{"Small30", "video/x-raw,format=BGRx,width=160,height=120", 30, false},
                      RateCase{"Small15", "video/x-raw,format=BGRx,width=160,height=120", 15, false},
                      RateCase{"Mjpeg1080IntoSyncedSink", "image/jpeg,width=1920,height=1080", 30, true}),
    [](const auto& row) { return std::string(row.param.name); });

// Holds the streaming thread up once, as a slow consumer would.
struct Stall {
  int seen = 0;
  std::atomic<GstClockTime> stalledPts{GST_CLOCK_TIME_NONE};
};

GstPadProbeReturn StallThirdFrame(GstPad*, GstPadProbeInfo* info, gpointer data) {
  auto* stall = static_cast<Stall*>(data);
  if (++stall->seen == 3) {
    stall->stalledPts = GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info));
    g_usleep(300 * 1000);
  }
  return GST_PAD_PROBE_OK;
}

TEST(TestCamera, AStalledConsumerLosesFramesInsteadOfGettingABurst) {
  PipelineCapture capture(
      "orvextestcamerasrc name=cam ! video/x-raw,format=BGRx,width=160,height=120,framerate=30/1 ! "
      "appsink name=sink sync=false",
      /*play=*/false);
  Stall stall;
  GstPad* pad = gst_element_get_static_pad(capture.Get("cam"), "src");
  gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, StallThirdFrame, &stall, nullptr);
  gst_object_unref(pad);
  capture.RecordPushTimes("cam");  // after the stall, so it notes when the stall ended
  capture.Play();
  const auto frames = capture.Pull(10, 2000);
  ASSERT_EQ(frames.size(), 10u);
  size_t k = 0;
  while (k < frames.size() && frames[k].pts != stall.stalledPts) ++k;
  ASSERT_LT(k, frames.size() - 4);
  // The slots that passed during the stall are skipped...
  EXPECT_GE(frames[k + 1].pts - frames[k].pts, 6 * kFrame30);
  // ...and every later frame is the one current when it was made, however
  // late this thread pulls it.
  for (size_t i = k + 1; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(frames[i - 1].runningTimeAtPush, GST_CLOCK_TIME_NONE);
    EXPECT_GE(frames[i].pts + kFrame30, frames[i - 1].runningTimeAtPush);
  }
}

TEST(TestCamera, GoesOnAfterAPause) {
  PipelineCapture capture(
      "orvextestcamerasrc ! video/x-raw,format=YUY2,width=160,height=120 ! appsink name=sink sync=false");
  const auto before = capture.Pull();
  ASSERT_TRUE(before);
  // Paused while the source waits for its next slot, then playing again.
  ASSERT_NE(gst_element_set_state(capture.pipeline(), GST_STATE_PAUSED), GST_STATE_CHANGE_FAILURE);
  ASSERT_NE(gst_element_set_state(capture.pipeline(), GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
  const auto after = capture.Pull(3, 2000);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_GT(after[0].pts, before->pts);
  EXPECT_GT(after[2].pts, after[1].pts);
}

TEST(TestDevicesEnvironment, RequestedOnlyByOne) {
  const char* saved = std::getenv("ORVEX_TEST_DEVICES");
  const std::string keep = saved ? saved : "";
  setenv("ORVEX_TEST_DEVICES", "1", 1);
  EXPECT_TRUE(Requested());
  setenv("ORVEX_TEST_DEVICES", "0", 1);
  EXPECT_FALSE(Requested());
  unsetenv("ORVEX_TEST_DEVICES");
  EXPECT_FALSE(Requested());
  if (saved != nullptr) setenv("ORVEX_TEST_DEVICES", keep.c_str(), 1);
}

}  // namespace
}  // namespace orvex::media::testdevices
