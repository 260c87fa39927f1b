#include "tests/imaging/TestPictures.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace orvex::test {

using imaging::TPixelLayout;

TestPicture::TestPicture(int width, int height, TPixelLayout layout, bool bottomUp, int padding)
    : width_(width),
      height_(height),
      layout_(layout),
      bottomUp_(bottomUp),
      stride_(static_cast<std::ptrdiff_t>(std::max(width, 0)) * (layout == TPixelLayout::Bgrx32 ? 4 : 3) +
              padding),
      bytes_(static_cast<std::size_t>(stride_) * std::max(height, 0), 0xA5) {}

imaging::TImageView TestPicture::View() const {
  return {bytes_.empty() ? nullptr : bytes_.data(), width_, height_, stride_, layout_, bottomUp_};
}

std::uint8_t* TestPicture::Pixel(int x, int y) {
  const int row = bottomUp_ ? height_ - 1 - y : y;
  return bytes_.data() + row * stride_ + x * (layout_ == TPixelLayout::Bgrx32 ? 4 : 3);
}

const std::uint8_t* TestPicture::Pixel(int x, int y) const {
  return const_cast<TestPicture*>(this)->Pixel(x, y);
}

Rgb TestPicture::Get(int x, int y) const {
  const std::uint8_t* p = Pixel(x, y);
  return {p[2], p[1], p[0]};
}

void TestPicture::Set(int x, int y, Rgb color) {
  std::uint8_t* p = Pixel(x, y);
  p[0] = color.b;
  p[1] = color.g;
  p[2] = color.r;
}

void TestPicture::Fill(Rgb color) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Set(x, y, color);
}

void TestPicture::FillNoise(unsigned seed) {
  std::mt19937 random(seed);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const unsigned v = random();
      Set(x, y,
          {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
           static_cast<std::uint8_t>(v >> 16)});
    }
}

void TestPicture::FillCameraLike(unsigned seed) {
  std::mt19937 random(seed);
  const double cx = width_ * 0.6, cy = height_ * 0.4, radius = std::min(width_, height_) * 0.25;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      double r = 40 + 150.0 * x / std::max(width_, 1), g = 60 + 120.0 * y / std::max(height_, 1), b = 110;
      if (std::hypot(x - cx, y - cy) < radius) r = 220, g = 180, b = 150;  // a face-like blob
      if (y > height_ * 3 / 4) r = 90, g = 70, b = 50;                     // a desk
      const auto clamp = [&](double v) {
        return static_cast<std::uint8_t>(std::clamp(v + static_cast<int>(random() % 9) - 4, 0.0, 255.0));
      };
      Set(x, y, {clamp(r), clamp(g), clamp(b)});
    }
}

TestPicture TestPicture::Converted(TPixelLayout layout, bool bottomUp, int padding) const {
  TestPicture copy(width_, height_, layout, bottomUp, padding);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) copy.Set(x, y, Get(x, y));
  return copy;
}

}  // namespace orvex::test
