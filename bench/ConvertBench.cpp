// The capture path's colour conversions at 1920x1080, ours (libyuv rows)
// against GStreamer's converter (what videoconvert runs, on one thread as it
// does by default) on the same frames: a webcam's YUY2 and a decoded MJPG
// frame into the grabber's BGRx, and BGRx into the I420 the encoder takes.

#include <benchmark/benchmark.h>
#include <gst/video/video.h>

#include <random>
#include <string>
#include <vector>

#include "platform/media/FastConversion.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct Frames {
  GstVideoInfo in, out;
  std::vector<guint8> inBytes, outBytes;
  GstVideoFrame inFrame{}, outFrame{};

  Frames(const std::string& inCaps, const std::string& outCaps) {
    Parse(inCaps, in);
    Parse(outCaps, out);
    inBytes.resize(GST_VIDEO_INFO_SIZE(&in));
    outBytes.resize(GST_VIDEO_INFO_SIZE(&out));
    std::mt19937 noise(7);
    for (auto& b : inBytes) b = static_cast<guint8>(noise());
    Wrap(in, inBytes, inFrame);
    Wrap(out, outBytes, outFrame);
  }
  ~Frames() {
    gst_video_frame_unmap(&inFrame);
    gst_video_frame_unmap(&outFrame);
  }

  static void Parse(const std::string& caps, GstVideoInfo& info) {
    gst_init(nullptr, nullptr);
    GstCaps* c = gst_caps_from_string((caps + ",width=1920,height=1080,framerate=30/1").c_str());
    gst_video_info_from_caps(&info, c);
    gst_caps_unref(c);
  }
  static void Wrap(const GstVideoInfo& info, std::vector<guint8>& bytes, GstVideoFrame& frame) {
    GstBuffer* buffer = gst_buffer_new_wrapped_full(GST_MEMORY_FLAG_READONLY, bytes.data(), bytes.size(), 0,
                                                    bytes.size(), nullptr, nullptr);
    gst_video_frame_map(&frame, const_cast<GstVideoInfo*>(&info), buffer, GST_MAP_READWRITE);
    gst_buffer_unref(buffer);
  }
};

const char* kPairs[][2] = {
    {"video/x-raw,format=YUY2,colorimetry=bt601", "video/x-raw,format=BGRx"},
    {"video/x-raw,format=I420,colorimetry=1:4:0:0", "video/x-raw,format=BGRx"},
    {"video/x-raw,format=BGRx", "video/x-raw,format=I420,colorimetry=1:4:0:0"},
};

void BM_Ours(benchmark::State& state) {
  Frames f(kPairs[state.range(0)][0], kPairs[state.range(0)][1]);
  orvex::media::FastConversion convert;
  if (!convert.Convert(f.inFrame, f.outFrame)) state.SkipWithError("no fast path");
  for (auto _ : state) {
    convert.Convert(f.inFrame, f.outFrame);
    benchmark::ClobberMemory();
  }
  state.SetLabel(std::string(kPairs[state.range(0)][0]) + " -> " + kPairs[state.range(0)][1]);
}

void BM_GStreamerConverter(benchmark::State& state) {
  Frames f(kPairs[state.range(0)][0], kPairs[state.range(0)][1]);
  GstVideoConverter* convert = gst_video_converter_new(&f.in, &f.out, nullptr);
  for (auto _ : state) {
    gst_video_converter_frame(convert, &f.inFrame, &f.outFrame);
    benchmark::ClobberMemory();
  }
  gst_video_converter_free(convert);
  state.SetLabel(std::string(kPairs[state.range(0)][0]) + " -> " + kPairs[state.range(0)][1]);
}

BENCHMARK(BM_Ours)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GStreamerConverter)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
