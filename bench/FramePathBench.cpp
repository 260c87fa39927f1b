// The whole per-frame work of a recording with every setting on, at 1920x1080,
// frame for frame beside GStreamer's elements doing the same in the same run.
// Ours as the engine runs it for a compressed recording: I420 turned by the
// transform, then the grabber converts to RGB, adjusts, hands the frame to a
// callback that draws the text and three images as the engine's does, and
// converts back. GStreamer's, on I420 throughout: videoflip, videobalance,
// textoverlay and three gdkpixbufoverlay, each through a harness.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/filters/FilterInterfaces.h"
#include "engine/frames/TextOverlay.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "preview/ImageOverlayCompositor.h"
#include "preview/ImageOverlaySlots.h"

namespace {

using namespace orvex::gdi;
using namespace vdv_filters;

constexpr int kW = 1920, kH = 1080, kImageW = 200, kImageH = 100;
// As a webcam's MJPG decodes: full-range BT.601.
constexpr const char* kCaps =
    "video/x-raw,format=I420,width=1920,height=1080,framerate=30/1,colorimetry=1:4:0:0";
constexpr const char* kText = "Cam 1 %sys_time[hh:nn:ss]%";
const int kPlaces[3][2] = {{0, 0}, {kW - kImageW, 0}, {kW - kImageW, kH - kImageH}};

GstBuffer* Frame() {
  GstBuffer* b = gst_buffer_new_allocate(nullptr, std::size_t(kW) * kH * 3 / 2, nullptr);
  GstMapInfo map;
  gst_buffer_map(b, &map, GST_MAP_WRITE);
  for (std::size_t i = 0; i < map.size; ++i) map.data[i] = std::uint8_t((i * 7) ^ (i >> 11));
  gst_buffer_unmap(b, &map);
  return b;
}

void Picture(TBitmap& b, int seed) {
  b.Create(kImageW, kImageH, PixelFormat::Rgb32);
  for (int y = 0; y < kImageH; ++y)
    for (int x = 0; x < kImageW; ++x) b.SetPixel(x, y, RGB(x + seed * 40, y * 2, 128));
}

// A 24-bit BMP of the same picture for gdkpixbufoverlay.
std::string PictureFile(int seed) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("orvex-bench-image" + std::to_string(seed) + ".bmp"))
          .string();
  const int row = kImageW * 3, size = 54 + row * kImageH;
  std::vector<std::uint8_t> f(size);
  auto put = [&](int at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f[at + i] = std::uint8_t(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put(2, size, 4), put(10, 54, 4), put(14, 40, 4), put(18, kImageW, 4), put(22, kImageH, 4);
  put(26, 1, 2), put(28, 24, 2), put(34, row * kImageH, 4);
  for (int y = 0; y < kImageH; ++y)
    for (int x = 0; x < kImageW; ++x) {
      std::uint8_t* p = &f[54 + (kImageH - 1 - y) * row + x * 3];
      p[0] = 128, p[1] = std::uint8_t(y * 2), p[2] = std::uint8_t(x + seed * 40);
    }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), size);
  return path;
}

// What the engine's frame callback does on a frame: the text, then the images.
struct Overlays {
  TTextOverlay text;
  TImageOverlaySlots slots;
  TImageOverlayCompositor compositor{slots};
  TFrameInfo info;

  Overlays() {
    text.SetTemplate(kText);
    text.SyncFont(TFont{"DejaVu Sans", -16, clWhite, false});
    for (int i = 0; i < 3; ++i) {
      TBitmap picture;
      Picture(picture, i);
      slots.Install(i, picture, kPlaces[i][0], kPlaces[i][1], /*transparent=*/false, /*visible=*/true);
    }
  }
  static void OnFrame(TGrabberParams* block, std::int64_t, std::uint32_t, std::uint32_t, void*, std::int32_t,
                      void*, void*, const TFrameDescription* frame) {
    auto* self = static_cast<Overlays*>(block->Context);
    Bitmap bitmap;
    bitmap.Wrap(frame->Pixels, frame->Dib.dsBm.bmWidth, frame->Dib.dsBm.bmHeight, PixelFormat::Rgb32,
                frame->Dib.dsBm.bmWidthBytes, Orientation::TopDown);
    ++self->info.FrameNumber;
    DeviceContext dc(&bitmap);
    self->text.Draw(dc, self->info, TTextOverlayStyle{0, kH - 30, kW, tf_Center, clBlack, true});
    self->compositor.PaintFrameOverlay(self->info, &dc);
  }
};

struct Ours {
  Overlays overlays;
  GstHarness* turn = nullptr;
  GstHarness* grab = nullptr;

  Ours() {
    void* h = dlopen(ORVEX_FILTER_MODULE_PATH, RTLD_NOW | RTLD_NODELETE);
    if (!h) std::fprintf(stderr, "%s\n", dlerror()), std::abort();
    auto create = [&](const char* name) {
      GstElement* e = nullptr;
      reinterpret_cast<TCreateInstance>(dlsym(h, name))(&e);
      return e;
    };
    GstElement* transform = create(kCreateTransform);
    TTransformParams turnParams;
    turnParams.Rotation = 2;  // 180 degrees
    reinterpret_cast<TTransformSetParams>(dlsym(h, kTransformSetParams))(transform, &turnParams);
    GstElement* grabber = create(kCreateGrabber);
    TGrabberParams* block = nullptr;
    reinterpret_cast<TFrameSampleGetParams>(dlsym(h, kFrameSampleGetParams))(grabber, gm_RGB, &block);
    block->Context = &overlays;
    block->FrameCallback = &Overlays::OnFrame;
    block->RGBFormat = gf_RGB32;
    block->PixelUse = pu_ReadWrite;
    block->Processing = {20, 25, 25, 15, 0, 0, 0, 0, 0, 1, {0, 0}};
    turn = gst_harness_new_with_element(transform, "sink", "src");
    grab = gst_harness_new_with_element(grabber, "sink", "src");
    gst_harness_set_src_caps_str(turn, kCaps);
    gst_harness_set_src_caps_str(grab, kCaps);
  }
  ~Ours() {
    gst_harness_teardown(grab);
    gst_harness_teardown(turn);
  }
  void Run(GstBuffer* frame) {
    gst_buffer_unref(gst_harness_push_and_pull(grab, gst_harness_push_and_pull(turn, gst_buffer_ref(frame))));
  }
};

struct Peer {
  std::vector<GstHarness*> chain;

  // Configured before the harness starts it: gdkpixbufoverlay reads its file when it starts.
  template <typename Configure>
  void Add(const char* factory, Configure configure) {
    GstElement* e = gst_element_factory_make(factory, nullptr);
    GstHarness* h = nullptr;
    if (e) {
      configure(e);
      const bool text = std::string(factory) == "textoverlay";
      h = gst_harness_new_with_element(e, text ? "video_sink" : "sink", "src");
      gst_harness_set_caps_str(h, kCaps, kCaps);
    }
    chain.push_back(h);
  }

  Peer() {
    Add("videoflip", [](GstElement* e) { gst_util_set_object_arg(G_OBJECT(e), "video-direction", "180"); });
    Add("videobalance", [](GstElement* e) {
      g_object_set(e, "brightness", 0.08, "contrast", 1.1, "saturation", 1.1, "hue", 0.08, nullptr);
    });
    Add("textoverlay", [](GstElement* e) {
      g_object_set(e, "font-desc", "DejaVu Sans 16px", "valignment", 1, "halignment", 1, nullptr);
    });
    for (int i = 0; i < 3; ++i)
      Add("gdkpixbufoverlay", [i](GstElement* e) {
        g_object_set(e, "location", PictureFile(i).c_str(), "offset-x", kPlaces[i][0], "offset-y",
                     kPlaces[i][1], nullptr);
      });
  }
  ~Peer() {
    for (GstHarness* h : chain)
      if (h) gst_harness_teardown(h);
  }
  bool Complete() const {
    for (GstHarness* h : chain)
      if (!h) return false;
    return true;
  }
  void Run(GstBuffer* frame, std::uint64_t n) {
    char clock[16];
    std::snprintf(clock, sizeof clock, "Cam 1 %02d:%02d:%02d", int(n / 3600 % 24), int(n / 60 % 60),
                  int(n % 60));
    g_object_set(chain[2]->element, "text", clock, nullptr);
    GstBuffer* b = gst_buffer_copy(frame);  // ours gets a new frame from the turn too
    GST_BUFFER_PTS(b) = n * GST_SECOND / 30;
    GST_BUFFER_DURATION(b) = GST_SECOND / 30;
    for (GstHarness* h : chain) b = gst_harness_push_and_pull(h, b);
    gst_buffer_unref(b);
  }
};

void BM_FramePathSideBySide(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  gst_init(nullptr, nullptr);
  Ours ours;
  Peer peer;
  if (!peer.Complete()) return state.SkipWithError("a GStreamer element is missing");
  GstBuffer* frame = Frame();
  Clock::duration oursTime{}, peerTime{};
  std::uint64_t n = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    ours.Run(frame);
    const auto t1 = Clock::now();
    peer.Run(frame, ++n);
    peerTime += Clock::now() - t1;
    oursTime += t1 - t0;
  }
  gst_buffer_unref(frame);
  const double iterations = double(state.iterations());
  const double oursMs = std::chrono::duration<double, std::milli>(oursTime).count() / iterations;
  const double peerMs = std::chrono::duration<double, std::milli>(peerTime).count() / iterations;
  state.counters["orvex_ms"] = oursMs;
  state.counters["gstreamer_ms"] = peerMs;
  state.counters["gstreamer_per_orvex"] = peerMs / oursMs;
}
BENCHMARK(BM_FramePathSideBySide)->Unit(benchmark::kMillisecond);

}  // namespace
