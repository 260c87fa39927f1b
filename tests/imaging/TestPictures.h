#pragma once
// Pictures owned by a test, seen through the writers' view in any memory layout.

#include <cstdint>
#include <vector>

#include "imaging/ImageView.h"

namespace orvex::test {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class TestPicture {
 public:
  // Rows carry `padding` extra bytes, and every X byte holds garbage, so stride and
  // layout mistakes show.
  TestPicture(int width, int height, imaging::TPixelLayout layout = imaging::TPixelLayout::Bgrx32,
              bool bottomUp = false, int padding = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  imaging::TImageView View() const;

  Rgb Get(int x, int y) const;  // y from the top
  void Set(int x, int y, Rgb color);
  void Fill(Rgb color);
  // Every pixel random.
  void FillNoise(unsigned seed);
  // Smooth gradients and shapes with a little sensor noise, like a camera frame.
  void FillCameraLike(unsigned seed);
  // The same picture in another layout.
  TestPicture Converted(imaging::TPixelLayout layout, bool bottomUp, int padding) const;

 private:
  std::uint8_t* Pixel(int x, int y);
  const std::uint8_t* Pixel(int x, int y) const;

  int width_, height_;
  imaging::TPixelLayout layout_;
  bool bottomUp_;
  std::ptrdiff_t stride_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace orvex::test
