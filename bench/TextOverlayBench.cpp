// The text overlay's drawing step on 1920x1080 RGB32 frames, beside GStreamer's
// textoverlay element drawing the same three lines on the same frames in the
// same run. Both get a new text on every frame (time and frame count), both
// draw on the calling thread: ours into the frame's DC, textoverlay through a
// harness that pushes the frame in and takes it back out.

#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "engine/frames/TextOverlay.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

namespace {

using namespace orvex::gdi;

constexpr int kFrameW = 1920, kFrameH = 1080;
constexpr const char* kTemplate = "Orvex Ziru\r\ntime %sys_time[hh:nn:ss]%\r\nframe %frame_count%";
// The application's settings: bold, 20 pixels, aqua, centred in 0..320, transparent.
const TFont kFont{"MS Sans Serif", -20, clAqua, /*Bold=*/true};
const TTextOverlayStyle kStyle{0, 0, 320, tf_Center, clWhite, true};

void Pattern(std::uint8_t* bits, std::int64_t stride) {
  for (int y = 0; y < kFrameH; ++y)
    for (int x = 0; x < kFrameW; ++x) {
      std::uint8_t* p = bits + y * stride + x * 4;
      p[0] = std::uint8_t(x * 3), p[1] = std::uint8_t(y * 5), p[2] = std::uint8_t(x ^ y), p[3] = 0;
    }
}

struct Ours {
  TTextOverlay overlay;
  Bitmap frame{kFrameW, kFrameH, PixelFormat::Rgb32, Orientation::TopDown};
  TFrameInfo info;
  std::string family;

  Ours() {
    overlay.SetTemplate(kTemplate);
    overlay.SyncFont(kFont);
    family = Font::Shared({kFont.Name, kFont.Height, FW_BOLD})->FamilyName();
    Pattern(frame.Bits(), frame.Stride());
  }
  void DrawFrame() {
    ++info.FrameNumber;
    DeviceContext dc(&frame);  // the drawing step makes one per frame
    overlay.Draw(dc, info, kStyle);
    benchmark::DoNotOptimize(frame.Bits());
    benchmark::ClobberMemory();
  }
};

// textoverlay set up to do the same work: no shadow or outline, a fixed
// 20-pixel bold face of the family our font matched, top left, centred lines.
struct Peer {
  GstHarness* harness = nullptr;
  GstBuffer* buffer = nullptr;
  TTextOverlay text;
  TFrameInfo info;
  std::string expanded;
  bool drew = false;

  explicit Peer(const std::string& family) {
    gst_init(nullptr, nullptr);
    harness = gst_harness_new_with_padnames("textoverlay", "video_sink", "src");
    if (!harness) return;
    const std::string font = family + " Bold 20px";
    g_object_set(harness->element, "font-desc", font.c_str(), "auto-resize", FALSE, "draw-shadow", FALSE,
                 "draw-outline", FALSE, "halignment", 0, "valignment", 2, "line-alignment", 1, "xpad", 0,
                 "ypad", 0, "color", 0xFF00FFFFu, nullptr);
    const char* caps = "video/x-raw,format=BGRx,width=1920,height=1080,framerate=30/1";
    gst_harness_set_caps_str(harness, caps, caps);  // plain caps out: the element blends itself
    buffer = gst_buffer_new_allocate(nullptr, std::size_t(kFrameW) * kFrameH * 4, nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    Pattern(map.data, kFrameW * 4);
    gst_buffer_unmap(buffer, &map);
    text.SetTemplate(kTemplate);
  }
  ~Peer() {
    if (buffer) gst_buffer_unref(buffer);
    if (harness) gst_harness_teardown(harness);
  }
  std::uint64_t Sum() const {
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_READ);
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < map.size; i += 64) sum += map.data[i] * (i + 1);
    gst_buffer_unmap(buffer, &map);
    return sum;
  }
  bool DrawFrame() {
    ++info.FrameNumber;
    expanded.clear();
    text.ExpandText(info, expanded);
    // Pango breaks lines at LF; CR would draw as a box.
    for (char& c : expanded)
      if (c == '\r') c = ' ';
    g_object_set(harness->element, "text", expanded.c_str(), nullptr);
    GST_BUFFER_PTS(buffer) = GstClockTime(info.FrameNumber) * GST_SECOND / 30;
    GST_BUFFER_DURATION(buffer) = GST_SECOND / 30;
    if (gst_harness_push(harness, buffer) != GST_FLOW_OK) return buffer = nullptr, false;
    buffer = gst_harness_pull(harness);  // the same buffer, blended in place
    return buffer != nullptr;
  }
  // One frame outside the timing: the element must really draw into the frame.
  bool Check() {
    if (!harness) return false;
    const std::uint64_t before = Sum();
    return DrawFrame() && Sum() != before;
  }
};

void BM_TextOverlayDrawingStep(benchmark::State& state) {
  Ours ours;
  for (auto _ : state) ours.DrawFrame();
}
BENCHMARK(BM_TextOverlayDrawingStep)->Unit(benchmark::kMillisecond);

void BM_GstTextOverlayElement(benchmark::State& state) {
  Ours ours;  // for the font family only
  Peer peer(ours.family);
  if (!peer.Check()) return state.SkipWithError("textoverlay did not draw into the frame");
  for (auto _ : state)
    if (!peer.DrawFrame()) return state.SkipWithError("textoverlay refused a frame");
}
BENCHMARK(BM_GstTextOverlayElement)->Unit(benchmark::kMillisecond);

// Both, frame for frame, so the two figures come from the same moments.
void BM_SideBySide(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Ours ours;
  Peer peer(ours.family);
  if (!peer.Check()) return state.SkipWithError("textoverlay did not draw into the frame");
  Clock::duration oursTime{}, peerTime{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    ours.DrawFrame();
    const auto t1 = Clock::now();
    if (!peer.DrawFrame()) return state.SkipWithError("textoverlay refused a frame");
    peerTime += Clock::now() - t1;
    oursTime += t1 - t0;
  }
  const double n = double(state.iterations());
  const double oursMs = std::chrono::duration<double, std::milli>(oursTime).count() / n;
  const double peerMs = std::chrono::duration<double, std::milli>(peerTime).count() / n;
  state.counters["orvex_ms"] = oursMs;
  state.counters["textoverlay_ms"] = peerMs;
  state.counters["textoverlay_per_orvex"] = peerMs / oursMs;
}
BENCHMARK(BM_SideBySide)->Unit(benchmark::kMillisecond);

}  // namespace
