#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FilterTestSupport.h"
#include "engine/filters/PixelGeometry.h"

namespace vdv_filters {
namespace {

// A 3x2 frame of distinct pixels, each pixel's bytes all equal to its letter:
//   a b c
//   d e f
std::vector<std::uint8_t> Letters(int bpp, int stride) {
  std::vector<std::uint8_t> f(static_cast<std::size_t>(stride) * 2, '.');
  const char* rows[] = {"abc", "def"};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      for (int c = 0; c < bpp; ++c) f[y * stride + x * bpp + c] = static_cast<std::uint8_t>(rows[y][x]);
  return f;
}

// The output as rows of letters separated by '/'.
std::string Turned(const TGeometry& g, const std::vector<std::uint8_t>& src, int srcStride, int w, int h,
                   int bpp) {
  int ow = 0, oh = 0;
  OutputSize(g, w, h, &ow, &oh);
  const int dstStride = ow * bpp + 5;
  std::vector<std::uint8_t> dst(static_cast<std::size_t>(dstStride) * oh, '#');
  TransformFrame(g, src.data(), srcStride, w, h, dst.data(), dstStride, bpp);
  std::string out;
  for (int y = 0; y < oh; ++y) {
    if (y) out += '/';
    for (int x = 0; x < ow; ++x) {
      const std::uint8_t* p = &dst[y * dstStride + x * bpp];
      for (int c = 1; c < bpp; ++c) EXPECT_EQ(p[c], p[0]) << "pixel bytes kept together";
      out += static_cast<char>(p[0]);
    }
    EXPECT_EQ(dst[y * dstStride + ow * bpp], '#') << "padding untouched";
  }
  return out;
}

// Turns are clockwise; the mirror flips the turned picture left to right.
TEST(PixelGeometry, AllEightCodesOnAnAsymmetricFrame) {
  const char* expected[8] = {"abc/def", "da/eb/fc", "fed/cba", "cf/be/ad",
                             "cba/fed", "ad/be/cf", "def/abc", "fc/eb/da"};
  for (int bpp : {3, 4}) {
    const int stride = 3 * bpp + 2;
    const auto src = Letters(bpp, stride);
    for (int code = 0; code < 8; ++code) {
      const TGeometry g{code, false};
      EXPECT_EQ(Turned(g, src, stride, 3, 2, bpp), expected[code]) << "code " << code << " bpp " << bpp;
      int ow = 0, oh = 0;
      OutputSize(g, 3, 2, &ow, &oh);
      EXPECT_EQ(ow, code & 1 ? 2 : 3);
      EXPECT_EQ(oh, code & 1 ? 3 : 2);
    }
  }
}

TEST(PixelGeometry, HalfSizeTakesTheEvenField) {
  // 5x3: a..e / f..j / k..o -> a c e / k m o (odd sizes round up).
  const int w = 5, h = 3, bpp = 4, stride = w * bpp;
  std::vector<std::uint8_t> src(static_cast<std::size_t>(stride) * h);
  for (int i = 0; i < w * h; ++i)
    for (int c = 0; c < bpp; ++c) src[i * bpp + c] = static_cast<std::uint8_t>('a' + i);
  EXPECT_EQ(Turned({0, true}, src, stride, w, h, bpp), "ace/kmo");
  EXPECT_EQ(Turned({1, true}, src, stride, w, h, bpp), "ka/mc/oe");  // halved, then turned
  int ow = 0, oh = 0;
  OutputSize({0, true}, 1, 1, &ow, &oh);
  EXPECT_EQ(ow, 1);
  EXPECT_EQ(oh, 1);
}

// Large odd frames against the plain definition, to catch the blocked and
// vector paths and stride mistakes.
TEST(PixelGeometry, OddSizesMatchThePlainDefinition) {
  const int w = 385, h = 289;
  for (int bpp : {3, 4}) {
    const int stride = w * bpp + 7;
    const auto src = test::RandomBytes(static_cast<std::size_t>(stride) * h, 3);
    for (int code = 0; code < 8; ++code) {
      for (bool half : {false, true}) {
        const TGeometry g{code, half};
        int ow = 0, oh = 0;
        OutputSize(g, w, h, &ow, &oh);
        const int dstStride = ow * bpp + 3;
        std::vector<std::uint8_t> dst(static_cast<std::size_t>(dstStride) * oh);
        TransformFrame(g, src.data(), stride, w, h, dst.data(), dstStride, bpp);
        const int hw = half ? (w + 1) / 2 : w, hh = half ? (h + 1) / 2 : h, step = half ? 2 : 1;
        bool same = true;
        for (int y = 0; y < oh && same; ++y) {
          for (int x = 0; x < ow && same; ++x) {
            const int mx = code >= 4 ? ow - 1 - x : x;  // undo the mirror
            int sx = mx, sy = y;                        // then the turn
            switch (code & 3) {
              case 1: sx = y, sy = hh - 1 - mx; break;
              case 2: sx = hw - 1 - mx, sy = hh - 1 - y; break;
              case 3: sx = hw - 1 - y, sy = mx; break;
            }
            const std::uint8_t* s = &src[sy * step * stride + sx * step * bpp];
            same = std::equal(s, s + bpp, &dst[y * dstStride + x * bpp]);
            EXPECT_TRUE(same) << "code " << code << " half " << half << " bpp " << bpp << " at " << x << ","
                              << y;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace vdv_filters
