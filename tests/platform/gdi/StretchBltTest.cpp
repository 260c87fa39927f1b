#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"

namespace orvex::gdi {
namespace {

// Column x holds RGB(x, 0, 0) and row y RGB(., y, 0), so a pixel names its source.
void Label(Bitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, RGB(x & 0xFF, y & 0xFF, (x >> 8) | ((y >> 8) << 4)));
}
int SourceColumn(COLORREF c) { return GetRValue(c) | ((GetBValue(c) & 0x0F) << 8); }
int SourceRow(COLORREF c) { return GetGValue(c) | ((GetBValue(c) >> 4) << 8); }

std::vector<int> Columns(const Bitmap& b, int y, int from = 0, int to = -1) {
  std::vector<int> cols;
  for (int x = from; x < (to < 0 ? b.Width() : to); ++x) cols.push_back(SourceColumn(b.Pixel(x, y)));
  return cols;
}

TEST(StretchBlt, ShrinkingDropsColumnsEvenlyAndGrowingRepeatsThem) {
  Bitmap src(4, 3, PixelFormat::Rgb32);
  Label(src);
  DeviceContext sdc(&src);
  Bitmap half(2, 3, PixelFormat::Rgb32);
  DeviceContext hdc(&half);
  ASSERT_TRUE(StretchBlt(&hdc, 0, 0, 2, 3, &sdc, 0, 0, 4, 3, SRCCOPY));
  EXPECT_EQ(Columns(half, 0), (std::vector<int>{1, 3}));

  Bitmap twice(8, 6, PixelFormat::Rgb24);
  DeviceContext tdc(&twice);
  ASSERT_TRUE(StretchBlt(&tdc, 0, 0, 8, 6, &sdc, 0, 0, 4, 3, SRCCOPY));
  EXPECT_EQ(Columns(twice, 0), (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
  std::vector<int> rows;
  for (int y = 0; y < 6; ++y) rows.push_back(SourceRow(twice.Pixel(0, y)));
  EXPECT_EQ(rows, (std::vector<int>{0, 0, 1, 1, 2, 2}));

  Bitmap three(3, 1, PixelFormat::Rgb32), two(2, 1, PixelFormat::Rgb32);
  Label(three);
  DeviceContext threeDc(&three), twoDc(&two);
  ASSERT_TRUE(StretchBlt(&twoDc, 0, 0, 2, 1, &threeDc, 0, 0, 3, 1, SRCCOPY));
  EXPECT_EQ(Columns(two, 0), (std::vector<int>{0, 2}));
}

TEST(StretchBlt, HalfTheColumnsOfAFrameKeepingEveryRow) {
  Bitmap frame(640, 480, PixelFormat::Rgb32, Orientation::TopDown);
  Label(frame);
  Bitmap shot(320, 480, PixelFormat::Rgb32);
  DeviceContext src(&frame), dst(&shot);
  ASSERT_EQ(dst.SetStretchBltMode(COLORONCOLOR), COLORONCOLOR);
  ASSERT_TRUE(StretchBlt(&dst, 0, 0, 320, 480, &src, 0, 0, 640, 480, SRCCOPY));
  for (int y = 0; y < 480; y += 7)
    for (int x = 0; x < 320; ++x) {
      ASSERT_EQ(SourceColumn(shot.Pixel(x, y)), 2 * x + 1);
      ASSERT_EQ(SourceRow(shot.Pixel(x, y)), y);
    }
}

TEST(StretchBlt, SameSizeIsAPlainCopy) {
  Bitmap frame(385, 289, PixelFormat::Rgb24);
  Label(frame);
  Bitmap shot(385, 289, PixelFormat::Rgb32);
  DeviceContext src(&frame), dst(&shot);
  ASSERT_TRUE(StretchBlt(&dst, 0, 0, 385, 289, &src, 0, 0, 385, 289, SRCCOPY));
  for (int y = 0; y < 289; ++y)
    for (int x = 0; x < 385; ++x) ASSERT_EQ(shot.Pixel(x, y), frame.Pixel(x, y));
}

TEST(StretchBlt, ClipsBothSidesWithoutShiftingTheMapping) {
  Bitmap src(10, 1, PixelFormat::Rgb32);
  Label(src);
  Bitmap dst(6, 1, PixelFormat::Rgb32);
  dst.Fill(RGB(0, 0, 0xFF));
  DeviceContext sdc(&src), ddc(&dst);
  // 20 columns (each source column twice) from x = -4: columns 2, 2, 3, 3, 4, 4 land.
  ASSERT_TRUE(StretchBlt(&ddc, -4, 0, 20, 1, &sdc, 0, 0, 10, 1, SRCCOPY));
  EXPECT_EQ(Columns(dst, 0), (std::vector<int>{2, 2, 3, 3, 4, 4}));
  // A source rectangle starting left of the bitmap leaves those columns alone.
  dst.Fill(RGB(0, 0, 0xFF));
  ASSERT_TRUE(StretchBlt(&ddc, 0, 0, 6, 1, &sdc, -2, 0, 3, 1, SRCCOPY));
  // Destination columns 0..5 sample source columns -2, -2, -1, -1, 0, 0.
  for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Pixel(x, 0), RGB(0, 0, 0xFF));
  EXPECT_EQ(Columns(dst, 0, 4), (std::vector<int>{0, 0}));
}

TEST(StretchBlt, WithinOneBitmapReadsTheOriginalPixels) {
  Bitmap b(8, 1, PixelFormat::Rgb32);
  Label(b);
  DeviceContext dc(&b);
  ASSERT_TRUE(StretchBlt(&dc, 0, 0, 8, 1, &dc, 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(Columns(b, 0), (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
}

TEST(StretchBlt, RefusesMirroringAndOtherModes) {
  Bitmap a(4, 4, PixelFormat::Rgb32), b(4, 4, PixelFormat::Rgb32);
  DeviceContext adc(&a), bdc(&b);
  EXPECT_FALSE(StretchBlt(&adc, 3, 0, -4, 4, &bdc, 0, 0, 4, 4, SRCCOPY));
  EXPECT_TRUE(StretchBlt(&adc, 0, 0, 4, 4, &bdc, 0, 0, 0, 4, SRCCOPY));  // nothing to draw
  EXPECT_EQ(adc.SetStretchBltMode(BLACKONWHITE), 0);
}

}  // namespace
}  // namespace orvex::gdi
