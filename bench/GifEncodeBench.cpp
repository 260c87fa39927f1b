// Saving a 1920x1080 snapshot as GIF: colour reduction plus LZW coding.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/GIFImage.h"

using namespace orvex::imaging;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A camera-like BGRX frame: lit gradients, a few objects with edges, and sensor noise,
// so the coder sees the mix of runs and changes a real snapshot gives it.
const std::vector<std::uint8_t>& Frame() {
  static const std::vector<std::uint8_t> frame = [] {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kWidth) * kHeight * 4);
    std::uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        int r = 50 + 160 * x / kWidth, g = 70 + 110 * y / kHeight, b = 120 - 40 * x / kWidth;
        const int dx = x - 1150, dy = y - 430;
        if (dx * dx + dy * dy < 260 * 260) r = 215, g = 170, b = 140;          // a face
        if (x > 200 && x < 520 && y > 300 && y < 900) r = 30, g = 40, b = 60;  // a dark door
        if (y > 860) r = 110 + (x / 40 % 2) * 30, g = 85, b = 60;              // a striped desk
        seed = seed * 1664525u + 1013904223u;
        const int noise = static_cast<int>(seed >> 28) - 8;
        std::uint8_t* p = bytes.data() + (static_cast<std::size_t>(y) * kWidth + x) * 4;
        p[0] = static_cast<std::uint8_t>(std::clamp(b + noise, 0, 255));
        p[1] = static_cast<std::uint8_t>(std::clamp(g + noise, 0, 255));
        p[2] = static_cast<std::uint8_t>(std::clamp(r + noise, 0, 255));
        p[3] = 0;
      }
    return bytes;
  }();
  return frame;
}

TImageView FrameView() { return {Frame().data(), kWidth, kHeight, kWidth * 4, TPixelLayout::Bgrx32, true}; }

void BM_GifSnapshot1080p(benchmark::State& state) {
  const TImageView view = FrameView();
  std::size_t size = 0;
  for (auto _ : state) {
    TGIFImage gif;
    gif.Assign(view);
    const std::vector<std::uint8_t> bytes = gif.SaveToBytes();
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_GifSnapshot1080p)->Unit(benchmark::kMillisecond);

void BM_GifColourReduction1080p(benchmark::State& state) {
  const TImageView view = FrameView();
  for (auto _ : state) {
    TGIFImage gif;
    gif.Assign(view);
    benchmark::DoNotOptimize(gif.Images()[0].Data().data());
  }
}
BENCHMARK(BM_GifColourReduction1080p)->Unit(benchmark::kMillisecond);

void BM_GifLzw1080p(benchmark::State& state) {
  TGIFImage gif;
  gif.Assign(FrameView());
  for (auto _ : state) {
    const std::vector<std::uint8_t> bytes = gif.SaveToBytes();
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_GifLzw1080p)->Unit(benchmark::kMillisecond);

}  // namespace
