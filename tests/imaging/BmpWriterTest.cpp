#include <gtest/gtest.h>

#include "imaging/BmpWriter.h"
#include "imaging/ImageFile.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/TempDir.h"

using namespace orvex::imaging;
using orvex::test::Rgb;
using orvex::test::TestPicture;

namespace {

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return v;
}

}  // namespace

TEST(BmpWriter, HeadersRowOrderAndPadding) {
  TestPicture picture(5, 3);
  picture.FillNoise(1);
  for (auto bits : {TBmpBitsPerPixel::Bpp24, TBmpBitsPerPixel::Bpp32}) {
    const int bytes = static_cast<int>(bits) / 8;
    const std::uint32_t row = bytes == 3 ? 16 : 20;
    SCOPED_TRACE(bytes);
    const std::vector<std::uint8_t> file = EncodeBmp(picture.View(), bits);
    ASSERT_EQ(file.size(), 54 + 3 * row);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le(file, 2, 4), file.size());
    EXPECT_EQ(Le(file, 6, 4), 0u);
    EXPECT_EQ(Le(file, 10, 4), 54u);
    EXPECT_EQ(Le(file, 14, 4), 40u);
    EXPECT_EQ(Le(file, 18, 4), 5u);
    EXPECT_EQ(Le(file, 22, 4), 3u);  // positive: bottom-up
    EXPECT_EQ(Le(file, 26, 2), 1u);
    EXPECT_EQ(Le(file, 28, 2), static_cast<std::uint32_t>(bits));
    EXPECT_EQ(Le(file, 30, 4), 0u);  // BI_RGB
    EXPECT_EQ(Le(file, 34, 4), 3 * row);

    for (int y = 0; y < 3; ++y) {
      const std::size_t start = 54 + (2 - y) * row;  // the bottom row comes first
      for (int x = 0; x < 5; ++x) {
        const std::uint8_t* p = file.data() + start + x * bytes;
        EXPECT_EQ((Rgb{p[2], p[1], p[0]}), picture.Get(x, y)) << x << "," << y;
        if (bytes == 4) {
          EXPECT_EQ(p[3], 0);
        }
      }
      for (std::size_t pad = 5 * bytes; pad < row; ++pad) EXPECT_EQ(file[start + pad], 0);
    }
  }
}

TEST(BmpWriter, IndependentDecoderReadsEveryLayoutExactly) {
  TestPicture reference(385, 289);
  reference.FillCameraLike(4);
  orvex::test::TempDir dir;
  int n = 0;
  for (const TestPicture& picture : {reference.Converted(TPixelLayout::Bgrx32, true, 8),
                                     reference.Converted(TPixelLayout::Bgr24, false, 1)}) {
    for (auto bits : {TBmpBitsPerPixel::Bpp24, TBmpBitsPerPixel::Bpp32}) {
      const auto path = dir / ("frame" + std::to_string(n++) + ".bmp");
      SCOPED_TRACE(path.string());
      SaveBmpToFile(path, picture.View(), bits);
      const auto decoded = orvex::test::DecodeWithFfmpeg(path);
      ASSERT_TRUE(decoded.ok()) << decoded.error;
      ASSERT_EQ(decoded.width, 385);
      ASSERT_EQ(decoded.height, 289);
      int wrong = 0;
      for (int y = 0; y < 289; ++y)
        for (int x = 0; x < 385; ++x) {
          const std::uint8_t* p = decoded.At(x, y);
          if (Rgb{p[0], p[1], p[2]} != reference.Get(x, y)) ++wrong;
        }
      EXPECT_EQ(wrong, 0);
    }
  }
}

TEST(BmpWriter, EmptyOrBrokenPicturesAreRefused) {
  orvex::test::TempDir dir;
  TestPicture empty(0, 480);
  EXPECT_THROW(SaveBmpToFile(dir / "empty.bmp", empty.View(), TBmpBitsPerPixel::Bpp32), EImageError);
  EXPECT_FALSE(std::filesystem::exists(dir / "empty.bmp"));

  TestPicture picture(4, 4);
  TImageView view = picture.View();
  view.stride = 8;  // smaller than a row
  EXPECT_THROW(EncodeBmp(view, TBmpBitsPerPixel::Bpp24), EImageError);
  view = picture.View();
  view.pixels = nullptr;
  EXPECT_THROW(EncodeBmp(view, TBmpBitsPerPixel::Bpp24), EImageError);
}
