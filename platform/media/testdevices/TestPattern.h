#pragma once
// The test camera's picture: colour bars over a grey ramp, with a white block
// that moves across the bars. The moving picture changes in every frame; the
// still picture is the same bars and ramp without the block, byte for byte
// the same every time. Every pixel layout shows the same picture, so frames
// of different formats can be compared after conversion.

#include <cstdint>
#include <vector>

namespace orvex::media::testdevices {

enum class PixelLayout {
  YUY2,       // packed 4:2:2, limited range (BT.601 up to 576 lines, BT.709 above)
  BGR,        // 3 bytes per pixel
  BGRx,       // 4 bytes per pixel, the fourth 0xFF
  Yuv420Full  // three planes, full range BT.601, as JPEG (JFIF) holds it
};

struct Rgb {
  std::uint8_t r, g, b;
};

class TestPattern {
 public:
  // Prepares the row templates for one layout and size; sizes must be even.
  void Configure(PixelLayout layout, int width, int height);

  // Writes a whole frame. `planes`/`strides`: one plane for the packed
  // layouts, Y, Cb, Cr for Yuv420Full. `moving` false gives the still picture.
  void Render(bool moving, std::uint64_t frame, std::uint8_t* const planes[3], const int strides[3]);

  // The picture as RGB at (x, y), for checking converted frames.
  static Rgb Expected(bool moving, std::uint64_t frame, int width, int height, int x, int y);

  // The eight 75% bars, left to right.
  static constexpr int kBarCount = 8;
  static const Rgb kBars[kBarCount];

 private:
  struct Geometry {
    int width = 0, height = 0;
    int barsHeight = 0;  // rows of bars above the ramp
    int blockSize = 0;   // the moving block's side
    int blockTop = 0;
    int step = 0;  // pixels the block and the ramp move per frame
    int BarEdge(int i) const;
    int BlockLeft(std::uint64_t frame) const;
    int RampOffset(std::uint64_t frame) const;
    std::uint8_t Ramp(int x, int offset) const;
  };
  static Geometry Measure(int width, int height);

  int PlaneCount() const { return layout_ == PixelLayout::Yuv420Full ? 3 : 1; }
  void FillBars(int plane, std::uint8_t* row) const;
  void FillSpan(int plane, std::uint8_t* row, int x0, int x1, Rgb colour) const;
  void FillRamp(int plane, std::uint8_t* row, int offset) const;

  PixelLayout layout_ = PixelLayout::BGRx;
  Geometry g_;
  std::uint8_t limitedY_[256] = {};  // grey level to limited-range luma
  // Per plane: the bars row (fixed), the bars row with the block, the ramp row.
  std::vector<std::uint8_t> barsRow_[3], blockRow_[3], rampRow_[3];
};

}  // namespace orvex::media::testdevices
