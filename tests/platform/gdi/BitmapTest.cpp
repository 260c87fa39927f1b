#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"

namespace orvex::gdi {
namespace {

TEST(Bitmap, OwnedRowsAreDibRowsInStorageOrder) {
  for (Orientation o : {Orientation::BottomUp, Orientation::TopDown}) {
    Bitmap b(5, 3, PixelFormat::Rgb24, o);
    ASSERT_FALSE(b.Empty());
    EXPECT_EQ(b.Stride(), 16);  // 15 bytes padded to 4
    const std::uint8_t* first = b.Bits();
    const std::uint8_t* last = first + 2 * 16;
    EXPECT_EQ(b.Scanline(0), o == Orientation::TopDown ? first : last);
    EXPECT_EQ(b.Scanline(2), o == Orientation::TopDown ? last : first);
  }
  EXPECT_EQ(DibStride(33, PixelFormat::Mono1), 8);
  EXPECT_EQ(DibStride(7, PixelFormat::Rgb32), 28);
}

TEST(Bitmap, DibSectionDescribesTheMemory) {
  Bitmap down(385, 289, PixelFormat::Rgb32, Orientation::TopDown);
  DIBSECTION ds = down.DibSection();
  EXPECT_EQ(ds.dsBm.bmWidth, 385);
  EXPECT_EQ(ds.dsBm.bmHeight, 289);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 385 * 4);
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
  EXPECT_EQ(ds.dsBm.bmBits, down.Bits());
  EXPECT_EQ(ds.dsBmih.biSize, 40u);
  EXPECT_EQ(ds.dsBmih.biHeight, -289);
  EXPECT_EQ(ds.dsBmih.biSizeImage, 385u * 4 * 289);

  Bitmap up(385, 289, PixelFormat::Rgb24);
  ds = up.DibSection();
  EXPECT_EQ(ds.dsBmih.biHeight, 289);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 1156);  // 1155 padded
  EXPECT_EQ(ds.dsBmih.biBitCount, 24);
}

TEST(Bitmap, WrapsForeignMemoryWithoutCopying) {
  std::vector<std::uint8_t> frame(4 * 6 * 2, 0);
  Bitmap b;
  ASSERT_TRUE(b.Wrap(frame.data(), 4, 2, PixelFormat::Rgb32, 24, Orientation::TopDown));
  EXPECT_FALSE(b.OwnsMemory());
  b.SetPixel(1, 1, RGB(10, 20, 30));
  EXPECT_EQ(frame[24 + 4], 30);  // B, G, R order
  EXPECT_EQ(frame[24 + 5], 20);
  EXPECT_EQ(frame[24 + 6], 10);

  // A frame described by its DIB header: bottom-up, so row 0 is stored last.
  BITMAPINFOHEADER h;
  h.biWidth = 4;
  h.biHeight = 2;
  h.biBitCount = 24;
  std::vector<std::uint8_t> dib(12 * 2, 0);
  ASSERT_TRUE(b.WrapDib(h, dib.data()));
  b.SetPixel(0, 0, RGB(1, 2, 3));
  EXPECT_EQ(dib[12], 3);
  EXPECT_EQ(b.InfoHeader().biHeight, 2);

  EXPECT_FALSE(b.Wrap(frame.data(), 4, 2, PixelFormat::Rgb32, 15, Orientation::TopDown));  // stride too short
  EXPECT_TRUE(b.Empty());
  h.biBitCount = 8;
  EXPECT_FALSE(b.WrapDib(h, dib.data()));
}

TEST(Bitmap, RefusesSizesItCannotHold) {
  Bitmap b;
  EXPECT_FALSE(b.Create(0, 10, PixelFormat::Rgb32));
  EXPECT_FALSE(b.Create(10, -1, PixelFormat::Rgb32));
  EXPECT_FALSE(b.Create(65536, 1, PixelFormat::Rgb32));
  EXPECT_FALSE(b.Create(60000, 60000, PixelFormat::Rgb32));  // over the byte limit, nothing allocated
  EXPECT_TRUE(b.Empty());
  EXPECT_TRUE(b.Create(1, 1, PixelFormat::Mono1));
}

TEST(Bitmap, MonoPixelsGoThroughTheColourTable) {
  Bitmap m(10, 2, PixelFormat::Mono1);
  EXPECT_EQ(m.Pixel(3, 1), RGB(0, 0, 0));
  m.SetPixel(3, 1, RGB(255, 255, 255));
  EXPECT_EQ(m.Scanline(1)[0], 0x10);     // most significant bit first
  m.SetPixel(9, 0, RGB(200, 200, 200));  // nearer to white
  EXPECT_EQ(m.Scanline(0)[1], 0x40);
  m.SetColorTable(RGB(255, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(m.Pixel(3, 1), RGB(0, 0, 255));
  EXPECT_EQ(m.Pixel(2, 1), RGB(255, 0, 0));
  EXPECT_EQ(m.Pixel(10, 0), CLR_INVALID);
  EXPECT_EQ(m.Pixel(-1, 0), CLR_INVALID);
}

TEST(Bitmap, FillAndFillRectStayInsideAndKeepTheXByte) {
  Bitmap b(7, 5, PixelFormat::Rgb32, Orientation::TopDown);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) b.Scanline(y)[4 * x + 3] = 0xAB;
  b.FillRect(RECT{-3, 3, 2, 99}, RGB(1, 2, 3));
  EXPECT_EQ(b.Pixel(0, 3), RGB(1, 2, 3));
  EXPECT_EQ(b.Pixel(1, 4), RGB(1, 2, 3));
  EXPECT_EQ(b.Pixel(2, 4), RGB(0, 0, 0));
  EXPECT_EQ(b.Pixel(0, 2), RGB(0, 0, 0));
  EXPECT_EQ(b.Scanline(4)[3], 0xAB);

  Bitmap m(13, 2, PixelFormat::Mono1);
  m.Scanline(0)[1] = 0x07;  // padding bits beyond column 12 keep their value
  m.Fill(RGB(255, 255, 255));
  EXPECT_EQ(m.Scanline(0)[0], 0xFF);
  EXPECT_EQ(m.Scanline(0)[1], 0xFF);
  m.Fill(RGB(0, 0, 0));
  EXPECT_EQ(m.Scanline(0)[1], 0x07);
}

TEST(Bitmap, AssignCopiesAndSwapExchanges) {
  Bitmap a(3, 2, PixelFormat::Mono1, Orientation::TopDown);
  a.SetColorTable(RGB(9, 9, 9), RGB(8, 8, 8));
  a.SetPixel(2, 1, RGB(8, 8, 8));
  Bitmap b;
  ASSERT_TRUE(b.Assign(a));
  EXPECT_NE(b.Bits(), a.Bits());
  EXPECT_EQ(b.RowOrder(), Orientation::TopDown);
  EXPECT_EQ(b.Pixel(2, 1), RGB(8, 8, 8));
  EXPECT_EQ(b.Pixel(1, 1), RGB(9, 9, 9));

  Bitmap c(5, 5, PixelFormat::Rgb24);
  c.Swap(b);
  EXPECT_EQ(c.Width(), 3);
  EXPECT_EQ(b.Width(), 5);
  Bitmap empty;
  c.Assign(empty);
  EXPECT_TRUE(c.Empty());
}

TEST(DeviceContext, ABitmapIsSelectedIntoOneContextAtATime) {
  Bitmap b(4, 4, PixelFormat::Rgb32);
  DeviceContext first(&b);
  EXPECT_EQ(first.SelectedBitmap(), &b);
  EXPECT_EQ(b.SelectedInto(), &first);
  DeviceContext second;
  EXPECT_FALSE(second.SelectBitmap(&b));
  EXPECT_EQ(second.SelectedBitmap(), nullptr);
  EXPECT_TRUE(first.SelectBitmap(nullptr));
  EXPECT_TRUE(second.SelectBitmap(&b));
  {
    Bitmap gone(2, 2, PixelFormat::Rgb32);
    EXPECT_TRUE(first.SelectBitmap(&gone));
  }
  EXPECT_EQ(first.SelectedBitmap(), nullptr);  // the destroyed bitmap deselected itself
  {
    DeviceContext scoped(&b);  // taken by `second`
    EXPECT_EQ(scoped.SelectedBitmap(), nullptr);
  }
  EXPECT_EQ(b.SelectedInto(), &second);
}

}  // namespace
}  // namespace orvex::gdi
