// The drawing layer's per-frame work on 1920x1080 RGB32 frames: the image
// overlay compositor's mask and sprite transfers, and the text overlay's
// DrawText, plus the snapshot's stretch for reference.

#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DrawText.h"
#include "platform/gdi/Font.h"

namespace {

using namespace orvex::gdi;

constexpr int kFrameW = 1920, kFrameH = 1080;

void Pattern(Bitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, RGB(x * 3, y * 5, (x ^ y) & 0xFF));
}

// One image overlay slot prepared the way the overlay dialog does it: the
// mask is white on the key colour (the bottom-left pixel), the sprite black there.
struct Slot {
  Bitmap image, mask, sprite;
  int x = 0, y = 0;

  Slot(int seed, int px, int py) : x(px), y(py) {
    image.Create(200, 100, PixelFormat::Rgb32);
    for (int j = 0; j < 100; ++j)
      for (int i = 0; i < 200; ++i) {
        const bool key = ((i / 20) + (j / 20) + seed) % 3 == 0;
        image.SetPixel(i, j, key ? RGB(255, 255, 255) : RGB(i + seed * 40, j * 2, 128));
      }
    image.SetPixel(0, 99, RGB(255, 255, 255));
    mask.Create(200, 100, PixelFormat::Mono1);
    sprite.Assign(image);
    DeviceContext imageDc(&image), maskDc(&mask), spriteDc(&sprite);
    imageDc.SetBkColor(image.Pixel(0, 99));
    BitBlt(&maskDc, 0, 0, 200, 100, &imageDc, 0, 0, SRCCOPY);
    BitBlt(&maskDc, 0, 0, 200, 100, nullptr, 0, 0, DSTINVERT);
    BitBlt(&spriteDc, 0, 0, 200, 100, &maskDc, 0, 0, SRCAND);
    BitBlt(&maskDc, 0, 0, 200, 100, nullptr, 0, 0, DSTINVERT);
  }

  void Draw(DeviceContext& frame, bool transparent) {
    std::scoped_lock lock(image, mask, sprite);
    if (transparent) {
      DeviceContext maskDc(&mask), spriteDc(&sprite);
      BitBlt(&frame, x, y, mask.Width(), mask.Height(), &maskDc, 0, 0, SRCAND);
      BitBlt(&frame, x, y, sprite.Width(), sprite.Height(), &spriteDc, 0, 0, SRCPAINT);
    } else {
      DeviceContext imageDc(&image);
      BitBlt(&frame, x, y, image.Width(), image.Height(), &imageDc, 0, 0, SRCCOPY);
    }
  }
};

void Compositor(benchmark::State& state, bool transparent) {
  Bitmap frame(kFrameW, kFrameH, PixelFormat::Rgb32, Orientation::TopDown);
  Pattern(frame);
  Slot slots[3] = {{0, 0, 0}, {1, (kFrameW - 200) / 2, kFrameH - 100}, {2, kFrameW - 200, 0}};
  for (auto _ : state) {
    DeviceContext dc(&frame);
    for (Slot& slot : slots) slot.Draw(dc, transparent);
    benchmark::DoNotOptimize(frame.Bits());
    benchmark::ClobberMemory();
  }
}
void BM_CompositorThreeTransparentImages(benchmark::State& s) { Compositor(s, true); }
void BM_CompositorThreeOpaqueImages(benchmark::State& s) { Compositor(s, false); }
BENCHMARK(BM_CompositorThreeTransparentImages)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompositorThreeOpaqueImages)->Unit(benchmark::kMicrosecond);

void Text(benchmark::State& state, bool opaque, int right) {
  Bitmap frame(kFrameW, kFrameH, PixelFormat::Rgb32, Orientation::TopDown);
  Pattern(frame);
  LogFont lf;
  lf.height = -20;
  lf.weight = FW_BOLD;
  const std::shared_ptr<const Font> font = Font::Create(lf);
  const std::string text = "12:34:56\r\nframe 1234\r\nOrvex Ziru";
  for (auto _ : state) {
    DeviceContext dc(&frame);  // the engine makes one per frame
    dc.SetBkMode(opaque ? OPAQUE : TRANSPARENT);
    dc.SetBkColor(RGB(255, 255, 255));
    dc.SetTextColor(RGB(0, 255, 255));
    dc.SelectFont(font.get());
    RECT r{0, 0, right, 0x7FFFFFFF};
    DrawText(&dc, text, &r, DT_NOCLIP | DT_WORDBREAK | DT_CENTER);
    benchmark::DoNotOptimize(frame.Bits());
    benchmark::ClobberMemory();
  }
}
void BM_DrawTextThreeLinesTransparent(benchmark::State& s) { Text(s, false, 320); }
void BM_DrawTextThreeLinesOpaque(benchmark::State& s) { Text(s, true, 320); }
void BM_DrawTextThreeLinesOpaqueFullWidth(benchmark::State& s) { Text(s, true, kFrameW); }
BENCHMARK(BM_DrawTextThreeLinesTransparent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawTextThreeLinesOpaque)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawTextThreeLinesOpaqueFullWidth)->Unit(benchmark::kMicrosecond);

// A snapshot: the 640x480 frame stretched onto a 1920x1080 working bitmap.
void BM_SnapshotStretch640To1080p(benchmark::State& state) {
  Bitmap frame(640, 480, PixelFormat::Rgb32, Orientation::TopDown);
  Pattern(frame);
  Bitmap shot(kFrameW, kFrameH, PixelFormat::Rgb32);
  DeviceContext src(&frame), dst(&shot);
  for (auto _ : state) {
    StretchBlt(&dst, 0, 0, kFrameW, kFrameH, &src, 0, 0, 640, 480, SRCCOPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SnapshotStretch640To1080p)->Unit(benchmark::kMicrosecond);

}  // namespace
