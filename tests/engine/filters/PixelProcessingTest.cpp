#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "FilterTestSupport.h"
#include "engine/filters/PixelProcessing.h"

namespace vdv_filters {
namespace {

using Pixel = std::array<std::uint8_t, 3>;  // B, G, R

Pixel Apply(const TColorSettings& s, Pixel p) {
  std::uint8_t px[4] = {p[0], p[1], p[2], 0x5A};
  BestColorRow(4)(BuildColorMatrix(s), px, 1);
  return {px[0], px[1], px[2]};
}

TProcessingBlock Active() {
  TProcessingBlock b;
  b.ProcessingActive = 1;
  return b;
}

// Every control at 0 leaves every byte as it was, also after other values
// were in use (the matrix is rebuilt from the block, not patched).
TEST(PixelProcessing, ZeroChangesNothingForEveryControl) {
  for (int bpp : {3, 4}) {
    const int w = 37, h = 5, stride = w * bpp + 3;
    const auto original = test::RandomBytes(static_cast<std::size_t>(stride) * h, 7);
    TPixelProcessor processor;
    processor.Configure(bpp, w, h);
    for (int control = 0; control < 6; ++control) {
      auto frame = original;
      TProcessingBlock block = Active();
      std::int32_t* values[] = {&block.Brightness, &block.Contrast, &block.Saturation, &block.Hue};
      if (control < 4) *values[control] = 99;
      if (control == 4) block.GrayScale = 1;
      if (control == 5) block.InvertColors = 1;
      processor.Process(block, frame.data(), stride);
      ASSERT_NE(frame, original) << "control " << control;
      frame = original;
      processor.Process(Active(), frame.data(), stride);
      EXPECT_EQ(frame, original) << "control " << control << " bpp " << bpp;
    }
  }
}

TEST(PixelProcessing, ExtremesOnKnownPixels) {
  const Pixel grey{100, 100, 100}, light{200, 200, 200}, red{0, 0, 255};
  EXPECT_EQ(Apply({.brightness = 255}, grey), (Pixel{255, 255, 255}));
  EXPECT_EQ(Apply({.brightness = -255}, light), (Pixel{0, 0, 0}));
  EXPECT_EQ(Apply({.brightness = 40}, grey), (Pixel{140, 140, 140}));
  EXPECT_EQ(Apply({.contrast = -255}, red), (Pixel{128, 128, 128}));  // flat
  EXPECT_EQ(Apply({.contrast = 255}, grey), (Pixel{0, 0, 0}));        // a threshold at 128
  EXPECT_EQ(Apply({.contrast = 255}, light), (Pixel{255, 255, 255}));
  EXPECT_EQ(Apply({.contrast = 128}, Pixel{128, 128, 128}), (Pixel{128, 128, 128}));  // the pivot stays
  // Saturation -255 is the grey picture; grey keeps grey levels and white.
  EXPECT_EQ(Apply({.saturation = -255}, red), (Pixel{76, 76, 76}));
  EXPECT_EQ(Apply({.grey = true}, red), (Pixel{76, 76, 76}));
  EXPECT_EQ(Apply({.grey = true}, Pixel{10, 20, 30}), (Pixel{22, 22, 22}));
  EXPECT_EQ(Apply({.grey = true}, Pixel{255, 255, 255}), (Pixel{255, 255, 255}));
  EXPECT_EQ(Apply({.negative = true}, Pixel{10, 20, 30}), (Pixel{245, 235, 225}));
  EXPECT_EQ(Apply({.grey = true, .negative = true}, red), (Pixel{179, 179, 179}));
  // Out-of-range values act as the nearest end.
  EXPECT_EQ(Apply({.brightness = 4000}, grey), Apply({.brightness = 255}, grey));
  EXPECT_EQ(Apply({.hue = -999}, red), Apply({.hue = -255}, red));
}

TEST(PixelProcessing, SaturationAndHueKeepGreyAndMoveColour) {
  for (int v : {-255, -128, 77, 128, 255}) {
    EXPECT_EQ(Apply({.saturation = v}, Pixel{90, 90, 90}), (Pixel{90, 90, 90})) << v;
    EXPECT_EQ(Apply({.hue = v}, Pixel{90, 90, 90}), (Pixel{90, 90, 90})) << v;
  }
  // More saturation pushes a muted red further from grey.
  const Pixel muted{80, 80, 160};
  const Pixel vivid = Apply({.saturation = 128}, muted);
  EXPECT_GT(vivid[2], muted[2]);
  EXPECT_LT(vivid[0], muted[0]);
  // Half a turn of hue gives red a blue-green cast; a quarter turn either way
  // turns it green-yellow (positive) or blue-violet (negative).
  const Pixel red{0, 0, 200};
  const Pixel opposite = Apply({.hue = 255}, red);
  EXPECT_LT(opposite[2], opposite[1]);
  EXPECT_LT(opposite[2], opposite[0]);
  const Pixel plus = Apply({.hue = 128}, red), minus = Apply({.hue = -128}, red);
  EXPECT_GT(plus[1], plus[0]);
  EXPECT_GT(minus[0], minus[1]);
}

// Every vector routine this machine runs must give exactly the bytes of the
// scalar reference, for every width (tails) and all kinds of settings, and keep X bytes.
TEST(PixelProcessing, VectorRowsEqualScalarReference) {
  const TColorSettings settings[] = {{.brightness = 30, .contrast = 60, .saturation = 50, .hue = 40},
                                     {.brightness = -200, .contrast = 255, .saturation = 255, .hue = -255},
                                     {.contrast = -180, .saturation = -90, .hue = 200, .negative = true},
                                     {.brightness = 12, .grey = true}};
  for (const auto& s : settings) {
    const TColorMatrix m = BuildColorMatrix(s);
    for (int width : {1, 7, 8, 15, 16, 17, 33, 385}) {
      for (int bpp : {3, 4}) {
        const auto original =
            test::RandomBytes(static_cast<std::size_t>(width) * bpp + 16, static_cast<unsigned>(width));
        auto expected = original;
        ColorRowScalar(m, expected.data(), width, bpp);
        for (const auto& variant : ColorRowVariants(bpp)) {
          auto row = original;
          variant.row(m, row.data(), width);
          ASSERT_EQ(row, expected) << variant.name << " width " << width << " bpp " << bpp;
        }
      }
    }
  }
}

// Rows a b c d e (3 pixels of one byte value each, BGR) with odd lines rebuilt.
TEST(PixelProcessing, FullSizeDeinterlaceFlipsAndTheirOrder) {
  const int w = 3, h = 5, bpp = 3, stride = 12;
  std::vector<std::uint8_t> frame(stride * h, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * bpp; ++i) frame[y * stride + i] = static_cast<std::uint8_t>(y * 40 + i);
  auto d = frame;
  DeinterlaceFullSize(d.data(), stride, w, h, bpp);
  for (int i = 0; i < w * bpp; ++i) {
    EXPECT_EQ(d[i], frame[i]);
    EXPECT_EQ(d[stride + i], (frame[i] + frame[2 * stride + i] + 1) / 2);
    EXPECT_EQ(d[3 * stride + i], (frame[2 * stride + i] + frame[4 * stride + i] + 1) / 2);
    EXPECT_EQ(d[4 * stride + i], frame[4 * stride + i]);
  }
  EXPECT_EQ(d[9], 0xEE);  // padding untouched
  auto even = frame;
  DeinterlaceFullSize(even.data(), stride, w, 4, bpp);  // a last odd line has nothing below: copied
  EXPECT_TRUE(
      std::equal(even.begin() + 3 * stride, even.begin() + 3 * stride + 9, even.begin() + 2 * stride));

  auto f = frame;
  FlipHorizontal(f.data(), stride, w, h, bpp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < bpp; ++c)
        EXPECT_EQ(f[y * stride + x * bpp + c], frame[y * stride + (w - 1 - x) * bpp + c]);
  f = frame;
  FlipVertical(f.data(), stride, w, h, bpp);
  for (int y = 0; y < h; ++y)
    EXPECT_TRUE(
        std::equal(f.begin() + y * stride, f.begin() + y * stride + 9, frame.begin() + (h - 1 - y) * stride));

  // The processor deinterlaces the frame as it came, before flipping it.
  TPixelProcessor processor;
  processor.Configure(bpp, w, h);
  TProcessingBlock block = Active();
  block.FullSizeDeinterlace = block.FlipVertical = 1;
  auto p = frame;
  processor.Process(block, p.data(), stride);
  FlipVertical(d.data(), stride, w, h, bpp);
  EXPECT_EQ(p, d);
  // A block that asks for nothing leaves the frame alone.
  p = frame;
  processor.Process(Active(), p.data(), stride);
  EXPECT_EQ(p, frame);
}

}  // namespace
}  // namespace vdv_filters
