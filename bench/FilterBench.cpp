// The filter module's frame work at 1920x1080 against GStreamer's own elements
// doing the same on the same frames: adjustments (ours and videobalance) and a
// quarter turn (ours and videoflip), in RGB32 (BGRx) and RGB24 (BGR). Every
// element is driven through a harness, one frame pushed and pulled per
// iteration; the *Rows benchmarks time our arithmetic alone.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/filters/FilterInterfaces.h"
#include "engine/filters/PixelGeometry.h"
#include "engine/filters/PixelProcessing.h"

namespace {

using namespace vdv_filters;

constexpr int kWidth = 1920, kHeight = 1080;

struct Module {
  TCreateInstance createGrabber = nullptr, createTransform = nullptr;
  TFrameSampleGetParams getParams = nullptr;
  TTransformSetParams setParams = nullptr;
};

const Module& Filters() {
  static const Module m = [] {
    gst_init(nullptr, nullptr);
    void* h = dlopen(ORVEX_FILTER_MODULE_PATH, RTLD_NOW | RTLD_NODELETE);
    if (h == nullptr) {
      std::fprintf(stderr, "%s\n", dlerror());
      std::abort();
    }
    return Module{reinterpret_cast<TCreateInstance>(dlsym(h, kCreateGrabber)),
                  reinterpret_cast<TCreateInstance>(dlsym(h, kCreateTransform)),
                  reinterpret_cast<TFrameSampleGetParams>(dlsym(h, kFrameSampleGetParams)),
                  reinterpret_cast<TTransformSetParams>(dlsym(h, kTransformSetParams))};
  }();
  return m;
}

const char* FormatName(int bpp) { return bpp == 4 ? "BGRx" : "BGR"; }

std::string Caps(int bpp) {
  return std::string("video/x-raw, format=(string)") + FormatName(bpp) + ", width=(int)" +
         std::to_string(kWidth) + ", height=(int)" + std::to_string(kHeight) + ", framerate=(fraction)30/1";
}

// The same frame for every element: noise over a gradient, so no shortcut applies.
GstBuffer* Frame(int bpp) {
  GstVideoInfo info;
  gst_video_info_set_format(&info, gst_video_format_from_string(FormatName(bpp)), kWidth, kHeight);
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr);
  GstMapInfo map;
  gst_buffer_map(buffer, &map, GST_MAP_WRITE);
  std::mt19937 rng(42);
  for (gsize i = 0; i < map.size; ++i) map.data[i] = static_cast<guint8>((i / 97) + (rng() & 63));
  gst_buffer_unmap(buffer, &map);
  return buffer;
}

// One frame in, one frame out per iteration. In-place elements get their own
// buffer back and are fed it again; the others read the shared input.
void Drive(benchmark::State& state, GstElement* element, int bpp, bool inPlace) {
  GstHarness* h = gst_harness_new_with_element(element, "sink", "src");
  gst_harness_set_src_caps_str(h, Caps(bpp).c_str());
  GstBuffer* frame = Frame(bpp);
  for (auto _ : state) {
    GstBuffer* out = gst_harness_push_and_pull(h, inPlace ? frame : gst_buffer_ref(frame));
    if (out == nullptr) {
      state.SkipWithError("no frame came out");
      break;
    }
    if (inPlace)
      frame = out;
    else
      gst_buffer_unref(out);
  }
  gst_buffer_unref(frame);
  gst_harness_teardown(h);
  gst_object_unref(element);
}

TProcessingBlock Adjustments() {
  TProcessingBlock b;
  b.Brightness = 25, b.Contrast = 50, b.Saturation = 75, b.Hue = 25, b.ProcessingActive = 1;
  return b;
}

GstElement* OurGrabber(int bpp) {
  GstElement* e = nullptr;
  Filters().createGrabber(&e);
  gst_object_ref_sink(e);
  TGrabberParams* block = nullptr;
  Filters().getParams(e, gm_RGB, &block);
  block->RGBFormat = bpp == 4 ? gf_RGB32 : gf_RGB24;
  block->Processing = Adjustments();
  return e;
}

GstElement* OurTransform() {
  GstElement* e = nullptr;
  Filters().createTransform(&e);
  gst_object_ref_sink(e);
  TTransformParams p;
  p.Rotation = 1, p.SwapDimensions = 1;
  Filters().setParams(e, &p);
  return e;
}

GstElement* Peer(const char* factory) {
  Filters();
  GstElement* e = gst_element_factory_make(factory, nullptr);
  gst_object_ref_sink(e);
  return e;
}

void BM_Adjust_Ours(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  Drive(state, OurGrabber(bpp), bpp, true);
}

void BM_Adjust_Videobalance(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  GstElement* e = Peer("videobalance");
  g_object_set(e, "brightness", 0.1, "contrast", 1.2, "saturation", 1.3, "hue", 0.1, nullptr);
  Drive(state, e, bpp, true);
}

void BM_Rotate90_Ours(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  Drive(state, OurTransform(), bpp, false);
}

void BM_Rotate90_Videoflip(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  GstElement* e = Peer("videoflip");
  gst_util_set_object_arg(G_OBJECT(e), "video-direction", "90r");
  Drive(state, e, bpp, false);
}

// The engine's chain: the transform turns, the grabber adjusts the new frame.
void BM_FramePath_Ours(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  GstElement* transform = OurTransform();
  GstElement* grabber = OurGrabber(bpp);
  GstHarness* turn = gst_harness_new_with_element(transform, "sink", "src");
  gst_harness_set_src_caps_str(turn, Caps(bpp).c_str());
  GstHarness* adjust = gst_harness_new_with_element(grabber, "sink", "src");
  gst_harness_set_src_caps_str(adjust, (std::string("video/x-raw, format=(string)") + FormatName(bpp) +
                                        ", width=(int)1080, height=(int)1920, framerate=(fraction)30/1")
                                           .c_str());
  GstBuffer* frame = Frame(bpp);
  for (auto _ : state) {
    GstBuffer* turned = gst_harness_push_and_pull(turn, gst_buffer_ref(frame));
    GstBuffer* out = gst_harness_push_and_pull(adjust, turned);
    gst_buffer_unref(out);
  }
  gst_buffer_unref(frame);
  gst_harness_teardown(adjust);
  gst_harness_teardown(turn);
  gst_object_unref(grabber);
  gst_object_unref(transform);
}

void BM_AdjustRows(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(kWidth) * kHeight * bpp, 77);
  TPixelProcessor p;
  p.Configure(bpp, kWidth, kHeight);
  for (auto _ : state) {
    p.Process(Adjustments(), frame.data(), static_cast<std::ptrdiff_t>(kWidth) * bpp);
    benchmark::DoNotOptimize(frame.data());
  }
}

void BM_Rotate90Rows(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  std::vector<std::uint8_t> src(static_cast<std::size_t>(kWidth) * kHeight * bpp, 9), dst(src.size());
  for (auto _ : state) {
    TransformFrame({1, false}, src.data(), kWidth * bpp, kWidth, kHeight, dst.data(), kHeight * bpp, bpp);
    benchmark::DoNotOptimize(dst.data());
  }
}

// Every turn, mirror and half-size of the arithmetic alone, against a plain
// copy of the frame as the floor: args are the rotation code, bytes per pixel
// and half-size.
void BM_TurnRows(benchmark::State& state) {
  const TGeometry g{static_cast<int>(state.range(0)), state.range(2) != 0};
  const int bpp = static_cast<int>(state.range(1));
  int ow = 0, oh = 0;
  OutputSize(g, kWidth, kHeight, &ow, &oh);
  std::vector<std::uint8_t> src(static_cast<std::size_t>(kWidth) * kHeight * bpp, 9), dst(src.size());
  for (auto _ : state) {
    TransformFrame(g, src.data(), kWidth * bpp, kWidth, kHeight, dst.data(), ow * bpp, bpp);
    benchmark::DoNotOptimize(dst.data());
  }
}

// The half turn on each vector level (0 plain .. 3 AVX2), the fallbacks included.
void BM_HalfTurnByLevel(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  LimitVectorLevel(static_cast<TVectorLevel>(state.range(1)));
  std::vector<std::uint8_t> src(static_cast<std::size_t>(kWidth) * kHeight * bpp, 9), dst(src.size());
  for (auto _ : state) {
    TransformFrame({2, false}, src.data(), kWidth * bpp, kWidth, kHeight, dst.data(), kWidth * bpp, bpp);
    benchmark::DoNotOptimize(dst.data());
  }
  LimitVectorLevel(TVectorLevel::Avx2);
}

void BM_CopyRows(benchmark::State& state) {
  const int bpp = static_cast<int>(state.range(0));
  std::vector<std::uint8_t> src(static_cast<std::size_t>(kWidth) * kHeight * bpp, 9), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
  }
}

}  // namespace

#define FORMATS ArgName("bpp")->Arg(4)->Arg(3)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Adjust_Ours)->FORMATS;
BENCHMARK(BM_Adjust_Videobalance)->FORMATS;
BENCHMARK(BM_Rotate90_Ours)->FORMATS;
BENCHMARK(BM_Rotate90_Videoflip)->FORMATS;
BENCHMARK(BM_FramePath_Ours)->FORMATS;
BENCHMARK(BM_AdjustRows)->FORMATS;
BENCHMARK(BM_Rotate90Rows)->FORMATS;
BENCHMARK(BM_TurnRows)
    ->ArgNames({"rotation", "bpp", "half"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7}, {4, 3}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HalfTurnByLevel)
    ->ArgNames({"bpp", "level"})
    ->ArgsProduct({{4, 3}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyRows)->FORMATS;
