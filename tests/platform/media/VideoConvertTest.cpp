// The converter must give what videoconvert gives, within the rounding of its
// SIMD rows, and take the fast path for the pairs a webcam graph uses.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/media/FastConversion.h"
#include "platform/media/GstPtr.h"
#include "platform/media/VideoConvert.h"

using namespace orvex::media;

namespace {

struct TFrameBytes {
  std::vector<unsigned char> bytes;
  bool ok = false;
};

// One frame of colour bars (sharp edges: the worst case for chroma upsampling) in `inCaps`, through
// `convert`, out as `outCaps`.
TFrameBytes ConvertOne(GstElement* convert, const std::string& inCaps, const std::string& outCaps) {
  ElementPtr pipeline(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))));
  GstElement* src = gst_element_factory_make("videotestsrc", nullptr);
  GstElement* in = gst_element_factory_make("capsfilter", nullptr);
  GstElement* out = gst_element_factory_make("capsfilter", nullptr);
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  g_object_set(src, "num-buffers", 1, "pattern", 0, nullptr);
  CapsPtr ic(gst_caps_from_string(inCaps.c_str())), oc(gst_caps_from_string(outCaps.c_str()));
  g_object_set(in, "caps", ic.get(), nullptr);
  g_object_set(out, "caps", oc.get(), nullptr);
  g_object_set(sink, "sync", FALSE, nullptr);
  gst_bin_add_many(GST_BIN(pipeline.get()), src, in, convert, out, sink, nullptr);
  TFrameBytes result;
  if (!gst_element_link_many(src, in, convert, out, sink, nullptr)) return result;
  gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  if (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND)) {
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
      result.bytes.assign(map.data, map.data + map.size);
      result.ok = true;
      gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
  }
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  return result;
}

struct TPair {
  const char* in;
  const char* out;
  bool fast;
};

class VideoConvertPairs : public ::testing::TestWithParam<TPair> {};

TEST_P(VideoConvertPairs, MatchesVideoconvertWithinRounding) {
  const TPair& pair = GetParam();
  const std::string size = ",width=64,height=48,framerate=30/1";
  const std::string in = std::string("video/x-raw,") + pair.in + size;
  const std::string out = std::string("video/x-raw,") + pair.out + size;
  GstElement* ours = NewVideoConvert();
  ASSERT_NE(ours, nullptr);
  gst_object_ref(ours);
  const TFrameBytes got = ConvertOne(ours, in, out);
  const TConvertCounts counts = VideoConvertCounts(ours);
  gst_object_unref(ours);
  const TFrameBytes want = ConvertOne(gst_element_factory_make("videoconvert", nullptr), in, out);
  ASSERT_TRUE(got.ok && want.ok) << in << " -> " << out;
  ASSERT_EQ(got.bytes.size(), want.bytes.size());
  EXPECT_EQ(counts.fast, pair.fast ? 1u : 0u);
  EXPECT_EQ(counts.general, pair.fast ? 0u : 1u);
  int worst = 0;
  double total = 0;
  for (std::size_t i = 0; i < got.bytes.size(); ++i) {
    if (out.find("BGRx") != std::string::npos && i % 4 == 3) continue;  // the unused byte
    const int d = std::abs(got.bytes[i] - want.bytes[i]);
    worst = std::max(worst, d);
    total += d;
  }
  EXPECT_LE(worst, 6) << in << " -> " << out;
  EXPECT_LE(total / got.bytes.size(), 2.0) << in << " -> " << out;
}

INSTANTIATE_TEST_SUITE_P(
    WebcamPairs, VideoConvertPairs,
    ::testing::Values(TPair{"format=YUY2,colorimetry=bt601", "format=BGRx", true},
                      TPair{"format=UYVY,colorimetry=bt601", "format=BGR", true},
                      TPair{"format=I420,colorimetry=1:4:0:0", "format=BGRx", true},
                      TPair{"format=NV12,colorimetry=bt601", "format=BGR", true},
                      TPair{"format=BGR", "format=BGRx", true},
                      TPair{"format=BGRx", "format=I420,colorimetry=1:4:0:0", true},
                      TPair{"format=BGRx", "format=I420,colorimetry=bt601", true},
                      TPair{"format=BGR", "format=I420,colorimetry=1:4:0:0", true},
                      // YUV for the grabber: the layout changes, the values stay, in any colours.
                      TPair{"format=YUY2,colorimetry=bt601", "format=I420,colorimetry=bt601", true},
                      TPair{"format=UYVY,colorimetry=bt709", "format=I420", true},  // not SD's default
                      TPair{"format=NV12,colorimetry=1:4:0:0", "format=I420,colorimetry=1:4:0:0", true},
                      TPair{"format=YUY2,colorimetry=bt709", "format=I420,colorimetry=bt601", false},
                      TPair{"format=BGRx", "format=YUY2,colorimetry=bt601", true},  // a grabber's way back
                      // Not covered: GStreamer's own converter, the same bytes as videoconvert.
                      TPair{"format=BGRx", "format=I420,colorimetry=bt709", false},
                      TPair{"format=YV12", "format=BGRx", false},
                      // libyuv's BT.709 rows clamp a coefficient and lose a tenth of saturated blue.
                      TPair{"format=YUY2,colorimetry=bt709", "format=BGRx", false}));

TEST(VideoConvert, SameCapsPassFramesThroughUntouched) {
  GstElement* ours = NewVideoConvert();
  gst_object_ref(ours);
  const std::string caps = "video/x-raw,format=YUY2,width=64,height=48,framerate=30/1";
  const TFrameBytes got = ConvertOne(ours, caps, caps);
  const TConvertCounts counts = VideoConvertCounts(ours);
  gst_object_unref(ours);
  ASSERT_TRUE(got.ok);
  EXPECT_EQ(got.bytes.size(), 64u * 48 * 2);
  EXPECT_EQ(counts.fast + counts.general, 0u);
}

}  // namespace

// For the window: chroma repeated, as videoconvert's without chroma
// resampling, and libyuv's BT.709 rows too (saturated blue a little dark).
TEST(FastConversionShown, WebcamColorimetriesConvertAsVideoconvertWithoutResampling) {
  const std::string size = ",width=64,height=48,framerate=30/1";
  for (const char* in : {"format=YUY2,colorimetry=bt601", "format=YUY2,colorimetry=bt709",
                         "format=I420,colorimetry=bt709", "format=I420,colorimetry=1:3:5:1"}) {
    SCOPED_TRACE(in);
    const std::string inCaps = std::string("video/x-raw,") + in + size;
    const TFrameBytes source = ConvertOne(gst_element_factory_make("videoconvert", nullptr), inCaps, inCaps);
    GstElement* reference = gst_element_factory_make("videoconvert", nullptr);
    g_object_set(reference, "chroma-mode", GST_VIDEO_CHROMA_MODE_NONE, nullptr);
    const TFrameBytes want = ConvertOne(reference, inCaps, "video/x-raw,format=BGRx" + size);
    ASSERT_TRUE(source.ok && want.ok);
    GstVideoInfo inInfo, outInfo;
    CapsPtr caps(gst_caps_from_string(inCaps.c_str()));
    ASSERT_TRUE(gst_video_info_from_caps(&inInfo, caps.get()));
    gst_video_info_set_format(&outInfo, GST_VIDEO_FORMAT_BGRx, 64, 48);
    ASSERT_TRUE(FastConversion::Covers(inInfo, outInfo, FastConversion::Purpose::Show));
    EXPECT_EQ(FastConversion::Covers(inInfo, outInfo),
              inInfo.colorimetry.matrix == GST_VIDEO_COLOR_MATRIX_BT601)
        << "what is kept takes libyuv's BT.601 rows alone";
    BufferPtr inBuffer(gst_buffer_new_memdup(source.bytes.data(), source.bytes.size()));
    BufferPtr outBuffer(gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&outInfo), nullptr));
    GstVideoFrame inFrame, outFrame;
    ASSERT_TRUE(gst_video_frame_map(&inFrame, &inInfo, inBuffer.get(), GST_MAP_READ));
    ASSERT_TRUE(gst_video_frame_map(&outFrame, &outInfo, outBuffer.get(), GST_MAP_WRITE));
    FastConversion shown(FastConversion::Purpose::Show);
    EXPECT_TRUE(shown.Convert(inFrame, outFrame));
    gst_video_frame_unmap(&inFrame);
    gst_video_frame_unmap(&outFrame);
    GstMapInfo got;
    ASSERT_TRUE(gst_buffer_map(outBuffer.get(), &got, GST_MAP_READ));
    int worst = 0;
    for (std::size_t i = 0; i < got.size; ++i)
      if (i % 4 != 3) worst = std::max(worst, std::abs(got.data[i] - want.bytes[i]));
    gst_buffer_unmap(outBuffer.get(), &got);
    EXPECT_LE(worst, 12);
  }
}
