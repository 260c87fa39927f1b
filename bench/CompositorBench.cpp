// The image overlay compositor on 1920x1080 RGB32 frames: three 200x100
// images, each through its mask and sprite (transparent) or copied (opaque),
// exactly as the frame path calls it.

#include <benchmark/benchmark.h>

#include "platform/gdi/DeviceContext.h"
#include "preview/ImageOverlayCompositor.h"
#include "preview/ImageOverlaySlots.h"

namespace {

using namespace orvex::gdi;

constexpr int kFrameW = 1920, kFrameH = 1080;
constexpr int kImageW = 200, kImageH = 100;

void FillFrame(TBitmap& frame) {
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) frame.SetPixel(x, y, RGB(x * 3, y * 5, (x ^ y) & 0xFF));
}

// A picture with white (its key colour, in the bottom-left corner) in a third
// of its squares, so the mask matters.
void PaintPicture(TBitmap& b, int seed) {
  b.Create(kImageW, kImageH, PixelFormat::Rgb32);
  for (int y = 0; y < kImageH; ++y)
    for (int x = 0; x < kImageW; ++x) {
      const bool key = (x / 20 + y / 20 + seed) % 3 == 0;
      b.SetPixel(x, y, key ? RGB(255, 255, 255) : RGB(x + seed * 40, y * 2, 128));
    }
  b.SetPixel(0, kImageH - 1, RGB(255, 255, 255));
}

void Compose(benchmark::State& state, bool transparent) {
  TBitmap frame(kFrameW, kFrameH, PixelFormat::Rgb32, Orientation::TopDown);
  FillFrame(frame);
  TImageOverlaySlots slots;
  const int places[3][2] = {{0, 0}, {(kFrameW - kImageW) / 2, kFrameH - kImageH}, {kFrameW - kImageW, 0}};
  for (int i = 0; i < 3; ++i) {
    TBitmap picture;
    PaintPicture(picture, i);
    slots.Install(i, picture, places[i][0], places[i][1], transparent, /*visible=*/true);
  }
  TImageOverlayCompositor compositor(slots);
  const TFrameInfo info;
  for (auto _ : state) {
    DeviceContext dc(&frame);  // the engine makes one per frame
    compositor.PaintFrameOverlay(info, &dc);
    benchmark::DoNotOptimize(frame.Bits());
    benchmark::ClobberMemory();
  }
}

void BM_CompositorThreeTransparent200x100On1080p(benchmark::State& s) { Compose(s, true); }
void BM_CompositorThreeOpaque200x100On1080p(benchmark::State& s) { Compose(s, false); }
BENCHMARK(BM_CompositorThreeTransparent200x100On1080p)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompositorThreeOpaque200x100On1080p)->Unit(benchmark::kMicrosecond);

}  // namespace
