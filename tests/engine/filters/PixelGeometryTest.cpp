#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
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

// Frames against the plain definition, to catch the blocked and vector paths
// and stride mistakes. Widths straddle the vector blocks (4 and 8 pixels of
// four bytes, 16 of three); frames without row padding put the first and last
// rows at the buffer's ends, where the sanitizer sees a read or write past them.
struct TFrameShape {
  int width, height, srcPadding, dstPadding;
};

void PrintTo(const TFrameShape& f, std::ostream* os) {
  *os << f.width << "x" << f.height << " padded " << f.srcPadding << "/" << f.dstPadding;
}

class PixelGeometryShapes : public ::testing::TestWithParam<TFrameShape> {};

// The source pixel of output (x, y), undoing the mirror and then the turn.
const std::uint8_t* PlainSource(const TGeometry& g, const std::uint8_t* src, int stride, int w, int h,
                                int bpp, int x, int y) {
  int ow = 0, oh = 0;
  OutputSize(g, w, h, &ow, &oh);
  const int hw = g.halfSize ? (w + 1) / 2 : w, hh = g.halfSize ? (h + 1) / 2 : h, step = g.halfSize ? 2 : 1;
  const int mx = g.rotation >= 4 ? ow - 1 - x : x;
  int sx = mx, sy = y;
  switch (g.rotation & 3) {
    case 1: sx = y, sy = hh - 1 - mx; break;
    case 2: sx = hw - 1 - mx, sy = hh - 1 - y; break;
    case 3: sx = hw - 1 - y, sy = mx; break;
  }
  return src + static_cast<std::ptrdiff_t>(sy) * step * stride + sx * step * bpp;
}

// Transforms `src` and counts the output pixels that differ from the plain
// definition and the padding bytes written; the first of them is reported.
int WrongBytes(const TGeometry& g, const std::vector<std::uint8_t>& src, int stride, int w, int h, int bpp,
               int dstPadding) {
  int ow = 0, oh = 0;
  OutputSize(g, w, h, &ow, &oh);
  const int dstStride = ow * bpp + dstPadding;
  std::vector<std::uint8_t> dst(static_cast<std::size_t>(dstStride) * oh, 0xA5);
  TransformFrame(g, src.data(), stride, w, h, dst.data(), dstStride, bpp);
  int wrong = 0;
  for (int y = 0; y < oh; ++y) {
    const std::uint8_t* row = &dst[static_cast<std::size_t>(y) * dstStride];
    for (int x = 0; x < ow; ++x) {
      const std::uint8_t* s = PlainSource(g, src.data(), stride, w, h, bpp, x, y);
      if (!std::equal(s, s + bpp, row + x * bpp) && wrong++ == 0)
        ADD_FAILURE() << "first wrong pixel at " << x << "," << y;
    }
    for (int i = ow * bpp; i < dstStride; ++i)
      if (row[i] != 0xA5 && wrong++ == 0) ADD_FAILURE() << "padding written in row " << y;
  }
  return wrong;
}

// Each vector level in turn (those this processor lacks fall back), so the
// plain paths are checked on a machine that would never take them.
struct TVectorLevelGuard {
  ~TVectorLevelGuard() { LimitVectorLevel(TVectorLevel::Avx2); }
};

TEST_P(PixelGeometryShapes, MatchThePlainDefinition) {
  const auto [w, h, srcPadding, dstPadding] = GetParam();
  const TVectorLevelGuard restore;
  for (TVectorLevel level :
       {TVectorLevel::Scalar, TVectorLevel::Sse2, TVectorLevel::Ssse3, TVectorLevel::Avx2}) {
    LimitVectorLevel(level);
    for (int bpp : {1, 3, 4}) {  // 1: a plane of I420
      const int stride = w * bpp + srcPadding;
      const auto src = test::RandomBytes(static_cast<std::size_t>(stride) * h, 3);
      for (int code = 0; code < 8; ++code)
        for (bool half : {false, true})
          EXPECT_EQ(WrongBytes({code, half}, src, stride, w, h, bpp, dstPadding), 0)
              << w << "x" << h << " code " << code << " half " << half << " bpp " << bpp << " vector level "
              << static_cast<int>(level);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PixelGeometryShapes,
                         ::testing::Values(TFrameShape{385, 289, 7, 3}, TFrameShape{1, 1, 0, 0},
                                           TFrameShape{1, 5, 0, 0}, TFrameShape{1, 5, 1, 0},
                                           TFrameShape{1, 4, 3, 1}, TFrameShape{3, 2, 0, 0},
                                           TFrameShape{5, 3, 0, 0}, TFrameShape{7, 4, 0, 0},
                                           TFrameShape{8, 3, 0, 0}, TFrameShape{15, 2, 0, 0},
                                           TFrameShape{16, 3, 0, 0}, TFrameShape{17, 5, 0, 0},
                                           TFrameShape{31, 2, 0, 0}, TFrameShape{33, 3, 1, 2},
                                           TFrameShape{1921, 3, 0, 0}, TFrameShape{1920, 5, 0, 0}),
                         [](const ::testing::TestParamInfo<TFrameShape>& shape) {
                           const TFrameShape& f = shape.param;
                           return std::to_string(f.width) + "x" + std::to_string(f.height) +
                                  (f.srcPadding || f.dstPadding ? "Padded" : "");
                         });

}  // namespace
}  // namespace vdv_filters
