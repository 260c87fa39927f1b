#include "platform/media/testdevices/TestPattern.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvex::media::testdevices {

namespace {

struct Yuv {
  std::uint8_t y, u, v;
};

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// BT.601 at every size, as webcams send. Only called for whole spans (bars,
// the block), never per pixel.
Yuv ToYuv(Rgb c, bool fullRange) {
  const double kr = 0.299, kb = 0.114, kg = 1.0 - kr - kb;
  const double y = kr * c.r + kg * c.g + kb * c.b;
  const double pb = (c.b - y) / (2.0 * (1.0 - kb)), pr = (c.r - y) / (2.0 * (1.0 - kr));
  if (fullRange) return {Clamp8(y), Clamp8(128.0 + pb), Clamp8(128.0 + pr)};
  return {Clamp8(16.0 + y * 219.0 / 255.0), Clamp8(128.0 + pb * 224.0 / 255.0),
          Clamp8(128.0 + pr * 224.0 / 255.0)};
}

constexpr Rgb kWhite{255, 255, 255};

}  // namespace

const Rgb TestPattern::kBars[kBarCount] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                           {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {0, 0, 0}};

int TestPattern::Geometry::BarEdge(int i) const {
  return i >= kBarCount ? width : (i * width / kBarCount) & ~1;
}

int TestPattern::Geometry::BlockLeft(std::uint64_t frame) const {
  const int range = width - blockSize;
  if (range <= 0) return 0;
  // Back and forth across the picture.
  const auto p =
      static_cast<int>((frame * static_cast<std::uint64_t>(step)) % (2u * static_cast<unsigned>(range)));
  return (p < range ? p : 2 * range - p) & ~1;
}

int TestPattern::Geometry::RampOffset(std::uint64_t frame) const {
  return static_cast<int>((frame * static_cast<std::uint64_t>(step)) % static_cast<unsigned>(width));
}

std::uint8_t TestPattern::Geometry::Ramp(int x, int offset) const {
  return static_cast<std::uint8_t>(((x + offset) % width) * 256 / width);
}

TestPattern::Geometry TestPattern::Measure(int width, int height) {
  Geometry g;
  g.width = std::max(2, width & ~1);
  g.height = std::max(2, height & ~1);
  g.barsHeight = (g.height * 2 / 3) & ~1;
  g.blockSize = std::max(2, (g.height / 6) & ~1);
  g.blockTop = std::max(0, (g.barsHeight - g.blockSize) / 2) & ~1;
  g.step = std::max(2, (g.width / 80) & ~1);
  return g;
}

Rgb TestPattern::Expected(bool moving, std::uint64_t frame, int width, int height, int x, int y) {
  const Geometry g = Measure(width, height);
  if (y >= g.barsHeight) {
    const std::uint8_t v = g.Ramp(x, moving ? g.RampOffset(frame) : 0);
    return {v, v, v};
  }
  if (moving && y >= g.blockTop && y < g.blockTop + g.blockSize) {
    const int left = g.BlockLeft(frame);
    if (x >= left && x < left + g.blockSize) return kWhite;
  }
  int bar = 0;
  while (bar + 1 < kBarCount && x >= g.BarEdge(bar + 1)) ++bar;
  return kBars[bar];
}

void TestPattern::Configure(PixelLayout layout, int width, int height) {
  layout_ = layout;
  g_ = Measure(width, height);
  for (int v = 0; v < 256; ++v) limitedY_[v] = static_cast<std::uint8_t>(16 + (v * 219 + 127) / 255);

  for (int p = 0; p < 3; ++p) {
    size_t bytes = 0;
    if (p < PlaneCount()) {
      switch (layout_) {
        case PixelLayout::YUY2: bytes = static_cast<size_t>(g_.width) * 2; break;
        case PixelLayout::BGR: bytes = static_cast<size_t>(g_.width) * 3; break;
        case PixelLayout::BGRx: bytes = static_cast<size_t>(g_.width) * 4; break;
        case PixelLayout::Yuv420Full: bytes = static_cast<size_t>(p == 0 ? g_.width : g_.width / 2); break;
      }
    }
    barsRow_[p].assign(bytes, 0);
    blockRow_[p].assign(bytes, 0);
    rampRow_[p].assign(bytes, 0);
    if (bytes != 0) FillBars(p, barsRow_[p].data());
  }
}

void TestPattern::FillBars(int plane, std::uint8_t* row) const {
  for (int i = 0; i < kBarCount; ++i) FillSpan(plane, row, g_.BarEdge(i), g_.BarEdge(i + 1), kBars[i]);
}

void TestPattern::FillSpan(int plane, std::uint8_t* row, int x0, int x1, Rgb c) const {
  if (x1 <= x0) return;
  switch (layout_) {
    case PixelLayout::YUY2: {
      const Yuv yuv = ToYuv(c, false);
      for (int x = x0; x < x1; x += 2) {
        std::uint8_t* px = row + 2 * x;
        px[0] = yuv.y, px[1] = yuv.u, px[2] = yuv.y, px[3] = yuv.v;
      }
      break;
    }
    case PixelLayout::BGR:
      for (int x = x0; x < x1; ++x) row[3 * x] = c.b, row[3 * x + 1] = c.g, row[3 * x + 2] = c.r;
      break;
    case PixelLayout::BGRx:
      for (int x = x0; x < x1; ++x)
        row[4 * x] = c.b, row[4 * x + 1] = c.g, row[4 * x + 2] = c.r, row[4 * x + 3] = 255;
      break;
    case PixelLayout::Yuv420Full: {
      const Yuv yuv = ToYuv(c, true);
      if (plane == 0)
        std::memset(row + x0, yuv.y, static_cast<size_t>(x1 - x0));
      else
        std::memset(row + x0 / 2, plane == 1 ? yuv.u : yuv.v, static_cast<size_t>(x1 - x0) / 2);
      break;
    }
  }
}

void TestPattern::FillRamp(int plane, std::uint8_t* row, int offset) const {
  const int w = g_.width;
  switch (layout_) {
    case PixelLayout::YUY2:
      for (int x = 0; x < w; ++x) {
        row[2 * x] = limitedY_[g_.Ramp(x, offset)];
        row[2 * x + 1] = 128;
      }
      break;
    case PixelLayout::BGR:
      for (int x = 0; x < w; ++x) std::memset(row + 3 * x, g_.Ramp(x, offset), 3);
      break;
    case PixelLayout::BGRx:
      for (int x = 0; x < w; ++x) {
        std::memset(row + 4 * x, g_.Ramp(x, offset), 3);
        row[4 * x + 3] = 255;
      }
      break;
    case PixelLayout::Yuv420Full:
      if (plane != 0) {
        std::memset(row, 128, static_cast<size_t>(w / 2));
      } else {
        for (int x = 0; x < w; ++x) row[x] = g_.Ramp(x, offset);
      }
      break;
  }
}

void TestPattern::Render(bool moving, std::uint64_t frame, std::uint8_t* const planes[3],
                         const int strides[3]) {
  const int blockLeft = moving ? g_.BlockLeft(frame) : 0;
  const int offset = moving ? g_.RampOffset(frame) : 0;
  for (int p = 0; p < PlaneCount(); ++p) {
    // Chroma planes of 4:2:0 have one row per two picture rows.
    const int shift = (layout_ == PixelLayout::Yuv420Full && p > 0) ? 1 : 0;
    FillRamp(p, rampRow_[p].data(), offset);
    if (moving) {
      blockRow_[p] = barsRow_[p];
      FillSpan(p, blockRow_[p].data(), blockLeft, std::min(g_.width, blockLeft + g_.blockSize), kWhite);
    }
    const size_t bytes = barsRow_[p].size();
    for (int y = 0; y < g_.height >> shift; ++y) {
      const int pictureRow = y << shift;
      const std::uint8_t* src = rampRow_[p].data();
      if (pictureRow < g_.barsHeight) {
        const bool inBlock = moving && pictureRow >= g_.blockTop && pictureRow < g_.blockTop + g_.blockSize;
        src = inBlock ? blockRow_[p].data() : barsRow_[p].data();
      }
      std::memcpy(planes[p] + static_cast<std::ptrdiff_t>(y) * strides[p], src, bytes);
    }
  }
}

}  // namespace orvex::media::testdevices
