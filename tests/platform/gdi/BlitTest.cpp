#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"

namespace orvex::gdi {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void Randomize(Bitmap& b, std::mt19937& rng) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.SetPixel(x, y, rng() & 1 ? rng() & 0xFFFFFF : (rng() & 1) * 0xFFFFFF);
  if (b.Format() == PixelFormat::Rgb32)
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) b.Scanline(y)[4 * x + 3] = std::uint8_t(rng());
}

// A bitmap from rows of colours, top row first.
Bitmap* Make(std::vector<std::vector<COLORREF>> rows, PixelFormat format, Bitmap& b,
             Orientation o = Orientation::BottomUp) {
  b.Create(int(rows[0].size()), int(rows.size()), format, o);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, rows[y][x]);
  return &b;
}

std::vector<COLORREF> Row(const Bitmap& b, int y) {
  std::vector<COLORREF> r;
  for (int x = 0; x < b.Width(); ++x) r.push_back(b.Pixel(x, y));
  return r;
}

TEST(BitBlt, MaskAndSpriteLayAnImageWithItsKeyColourSeeThrough) {
  const COLORREF a = RGB(10, 20, 30), b = RGB(40, 50, 60), c = RGB(70, 80, 90), d = RGB(1, 2, 3);
  Bitmap frame, mask, sprite;
  Make({{a, a, a, a}, {a, b, c, a}, {a, d, b, a}}, PixelFormat::Rgb32, frame, Orientation::TopDown);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) frame.Scanline(y)[4 * x + 3] = 0x5A;
  // Key colour at the top-left and bottom-right of the 2x2 image.
  Make({{kWhite, kBlack}, {kBlack, kWhite}}, PixelFormat::Mono1, mask);
  const COLORREF s1 = RGB(200, 0, 0), s2 = RGB(0, 200, 9);
  Make({{kBlack, s1}, {s2, kBlack}}, PixelFormat::Rgb32, sprite);
  DeviceContext dc(&frame), maskDc(&mask), spriteDc(&sprite);
  ASSERT_TRUE(BitBlt(&dc, 1, 1, 2, 2, &maskDc, 0, 0, SRCAND));
  EXPECT_EQ(Row(frame, 1), (std::vector<COLORREF>{a, b, kBlack, a}));
  EXPECT_EQ(Row(frame, 2), (std::vector<COLORREF>{a, kBlack, b, a}));
  ASSERT_TRUE(BitBlt(&dc, 1, 1, 2, 2, &spriteDc, 0, 0, SRCPAINT));
  EXPECT_EQ(Row(frame, 0), (std::vector<COLORREF>{a, a, a, a}));
  EXPECT_EQ(Row(frame, 1), (std::vector<COLORREF>{a, b, s1, a}));
  EXPECT_EQ(Row(frame, 2), (std::vector<COLORREF>{a, s2, b, a}));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(frame.Scanline(y)[4 * x + 3], 0x5A) << "X byte changed";
}

TEST(BitBlt, MonoSourceExpandsThroughTheDestinationColours) {
  Bitmap mono, dst24, dst32;
  Make({{kBlack, kWhite, kWhite}}, PixelFormat::Mono1, mono);
  mono.SetColorTable(RGB(1, 1, 1), RGB(2, 2, 2));  // the table plays no part
  const COLORREF text = RGB(10, 20, 30), bk = RGB(200, 150, 100);
  for (Bitmap* dst : {&dst24, &dst32}) {
    Make({{RGB(0xF0, 0x0F, 0xFF), RGB(0xF0, 0x0F, 0xFF), RGB(0, 0, 0)}},
         dst == &dst24 ? PixelFormat::Rgb24 : PixelFormat::Rgb32, *dst);
    DeviceContext src(&mono), dc(dst);
    dc.SetTextColor(text);
    dc.SetBkColor(bk);
    src.SetTextColor(RGB(9, 9, 9));  // the source's colours play no part either
    src.SetBkColor(RGB(9, 9, 9));
    ASSERT_TRUE(BitBlt(&dc, 0, 0, 3, 1, &src, 0, 0, SRCAND));
    EXPECT_EQ(Row(*dst, 0), (std::vector<COLORREF>{RGB(0xF0 & 10, 0x0F & 20, 0xFF & 30),
                                                   RGB(0xF0 & 200, 0x0F & 150, 0xFF & 100), kBlack}));
    ASSERT_TRUE(BitBlt(&dc, 0, 0, 3, 1, &src, 0, 0, SRCCOPY));
    EXPECT_EQ(Row(*dst, 0), (std::vector<COLORREF>{text, bk, bk}));
    ASSERT_TRUE(BitBlt(&dc, 0, 0, 3, 1, &src, 0, 0, NOTSRCCOPY));
    EXPECT_EQ(Row(*dst, 0),
              (std::vector<COLORREF>{RGB(245, 235, 225), RGB(55, 105, 155), RGB(55, 105, 155)}));
  }
}

TEST(BitBlt, ColourSourceBecomesMonoByTheSourceBackground) {
  const COLORREF key = RGB(12, 34, 56);
  for (PixelFormat f : {PixelFormat::Rgb24, PixelFormat::Rgb32}) {
    Bitmap colour, mono;
    Make({{key, RGB(12, 34, 57), key, kWhite}}, f, colour);
    mono.Create(4, 1, PixelFormat::Mono1);
    DeviceContext src(&colour), dst(&mono);
    src.SetBkColor(key);
    dst.SetBkColor(RGB(12, 34, 57));  // the destination's colour plays no part
    ASSERT_TRUE(BitBlt(&dst, 0, 0, 4, 1, &src, 0, 0, SRCCOPY));
    EXPECT_EQ(Row(mono, 0), (std::vector<COLORREF>{kWhite, kBlack, kWhite, kBlack}));
    // Mono to mono copies bits: SRCPAINT of 1,0,1,0 onto 0,0,1,1.
    Bitmap other;
    Make({{kBlack, kBlack, kWhite, kWhite}}, PixelFormat::Mono1, other);
    DeviceContext otherDc(&other);
    ASSERT_TRUE(BitBlt(&otherDc, 0, 0, 4, 1, &dst, 0, 0, SRCPAINT));
    EXPECT_EQ(Row(other, 0), (std::vector<COLORREF>{kWhite, kBlack, kWhite, kWhite}));
    ASSERT_TRUE(BitBlt(&otherDc, 0, 0, 4, 1, nullptr, 0, 0, DSTINVERT));
    EXPECT_EQ(Row(other, 0), (std::vector<COLORREF>{kBlack, kWhite, kBlack, kBlack}));
  }
}

TEST(BitBlt, EachOperationOnColourPixels) {
  const COLORREF d = RGB(0x12, 0x34, 0x56), s = RGB(0x0F, 0xF0, 0x3C);
  struct Case {
    std::uint32_t rop;
    COLORREF expected;
  };
  for (Case c : {Case{SRCCOPY, s}, Case{SRCAND, d & s}, Case{SRCPAINT, d | s}, Case{SRCINVERT, d ^ s},
                 Case{NOTSRCCOPY, ~s & 0xFFFFFF}, Case{DSTINVERT, ~d & 0xFFFFFF}, Case{BLACKNESS, kBlack},
                 Case{WHITENESS, kWhite}}) {
    for (PixelFormat sf : {PixelFormat::Rgb24, PixelFormat::Rgb32})
      for (PixelFormat df : {PixelFormat::Rgb24, PixelFormat::Rgb32}) {
        Bitmap src, dst;
        Make({{s}}, sf, src);
        Make({{d}}, df, dst);
        DeviceContext sdc(&src), ddc(&dst);
        ASSERT_TRUE(BitBlt(&ddc, 0, 0, 1, 1, &sdc, 0, 0, c.rop));
        EXPECT_EQ(dst.Pixel(0, 0), c.expected) << std::hex << c.rop;
      }
  }
}

TEST(BitBlt, RefusesWhatItCannotDo) {
  Bitmap b(2, 2, PixelFormat::Rgb32);
  DeviceContext dc(&b), empty;
  EXPECT_FALSE(BitBlt(&dc, 0, 0, 1, 1, &dc, 0, 0, 0x00BB0226));  // MERGEPAINT is not offered
  EXPECT_FALSE(BitBlt(&dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(&dc, 0, 0, 1, 1, &empty, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(&empty, 0, 0, 1, 1, &dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 1, 1, &dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(&dc, 0, 0, 0, 5, &dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(&dc, 0, 0, -3, 5, &dc, 0, 0, SRCCOPY));
}

// What a transfer must give, pixel by pixel, written without the shortcuts.
COLORREF Expected(const Bitmap& src, const DeviceContext& sdc, const Bitmap& dst, const DeviceContext& ddc,
                  int sx, int sy, COLORREF old, std::uint32_t rop) {
  const COLORREF srcPixel = src.Pixel(sx, sy);
  const bool srcMono = src.Format() == PixelFormat::Mono1;
  if (dst.Format() == PixelFormat::Mono1) {
    const COLORREF one = dst.ColorTable()[1];
    const std::uint32_t s = srcMono ? srcPixel == src.ColorTable()[1] : srcPixel == sdc.GetBkColor();
    const std::uint32_t d = old == one;
    const std::uint32_t r = rop == SRCCOPY ? s : rop == SRCAND ? (d & s) : rop == SRCPAINT ? (d | s) : !s;
    return r ? one : dst.ColorTable()[0];
  }
  const COLORREF s =
      srcMono ? (srcPixel == src.ColorTable()[1] ? ddc.GetBkColor() : ddc.GetTextColor()) : srcPixel;
  const COLORREF r = rop == SRCCOPY ? s : rop == SRCAND ? (old & s) : rop == SRCPAINT ? (old | s) : ~s;
  return r & 0xFFFFFF;
}

// Every pair of formats over odd sizes and mixed row orders, at offsets that
// clip on every side, against the plain per-pixel rule.
TEST(BitBlt, OddSizesAndAllFormatPairsMatchThePixelRule) {
  std::mt19937 rng(9);
  const PixelFormat formats[] = {PixelFormat::Mono1, PixelFormat::Rgb24, PixelFormat::Rgb32};
  const std::uint32_t rops[] = {SRCCOPY, SRCAND, SRCPAINT, NOTSRCCOPY};
  struct Place {
    int x, y, x1, y1, cx, cy;
  };
  const Place places[] = {{0, 0, 0, 0, 385, 289},     {-37, -5, 0, 0, 200, 100},
                          {300, 250, 3, 7, 200, 100}, {13, 9, -21, -3, 150, 90},
                          {5, 3, 200, 180, 300, 200}, {-50, 40, 17, -60, 500, 400}};
  for (PixelFormat sf : formats)
    for (PixelFormat df : formats) {
      Bitmap src(211, 173, sf, Orientation::BottomUp);
      Bitmap dst(385, 289, df, Orientation::TopDown);
      Randomize(src, rng);
      DeviceContext sdc(&src), ddc(&dst);
      sdc.SetBkColor(src.Pixel(5, 5));
      ddc.SetTextColor(RGB(11, 22, 33));
      ddc.SetBkColor(RGB(250, 128, 3));
      for (std::uint32_t rop : rops)
        for (const Place& p : places) {
          Randomize(dst, rng);
          Bitmap before;
          before.Assign(dst);
          ASSERT_TRUE(BitBlt(&ddc, p.x, p.y, p.cx, p.cy, &sdc, p.x1, p.y1, rop));
          int wrong = 0;
          for (int y = 0; y < dst.Height() && wrong < 3; ++y)
            for (int x = 0; x < dst.Width() && wrong < 3; ++x) {
              const int sx = x - p.x + p.x1, sy = y - p.y + p.y1;
              const bool inside = x >= p.x && x < p.x + p.cx && y >= p.y && y < p.y + p.cy && sx >= 0 &&
                                  sy >= 0 && sx < src.Width() && sy < src.Height();
              const COLORREF want =
                  inside ? Expected(src, sdc, dst, ddc, sx, sy, before.Pixel(x, y), rop) : before.Pixel(x, y);
              if (dst.Pixel(x, y) != want) {
                ++wrong;
                ADD_FAILURE() << BitsPerPixel(sf) << "->" << BitsPerPixel(df) << " rop " << std::hex << rop
                              << std::dec << " at " << x << "," << y << ": " << std::hex << dst.Pixel(x, y)
                              << " want " << want;
              }
              if (df == PixelFormat::Rgb32 && dst.Scanline(y)[4 * x + 3] != before.Scanline(y)[4 * x + 3])
                ADD_FAILURE() << "X byte changed at " << x << "," << y, ++wrong;
            }
        }
    }
}

TEST(BitBlt, OverlappingAreasOfOneBitmapMoveLikeMemmove) {
  std::mt19937 rng(4);
  for (PixelFormat f : {PixelFormat::Mono1, PixelFormat::Rgb24, PixelFormat::Rgb32}) {
    for (auto [dx, dy] : {std::pair{3, 0}, {-3, 0}, {0, 2}, {0, -2}, {300, 1}, {-2, -1}}) {
      Bitmap b(390, 7, f);
      Randomize(b, rng);
      Bitmap before;
      before.Assign(b);
      DeviceContext dc(&b);
      ASSERT_TRUE(BitBlt(&dc, 1 + dx, 2 + dy, 385, 4, &dc, 1, 2, SRCCOPY));
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 390; ++x) {
          const int sx = x - dx, sy = y - dy;
          const bool moved = x >= 1 + dx && x < 386 + dx && y >= 2 + dy && y < 6 + dy;
          ASSERT_EQ(b.Pixel(x, y), moved ? before.Pixel(sx, sy) : before.Pixel(x, y))
              << BitsPerPixel(f) << " shift " << dx << "," << dy << " at " << x << "," << y;
        }
    }
  }
}

TEST(BitBlt, WrappedFrameMemoryWithItsOwnStride) {
  // A 3x2 RGB32 frame whose rows are 20 bytes apart, bottom row stored first.
  std::vector<std::uint8_t> memory(40, 0xEE);
  Bitmap frame;
  ASSERT_TRUE(frame.Wrap(memory.data(), 3, 2, PixelFormat::Rgb32, 20, Orientation::BottomUp));
  Bitmap image;
  Make({{RGB(1, 2, 3), RGB(4, 5, 6)}}, PixelFormat::Rgb24, image);
  DeviceContext dc(&frame), src(&image);
  ASSERT_TRUE(BitBlt(&dc, 1, 0, 5, 5, &src, 0, 0, SRCCOPY));
  // Picture row 0 is the second stored row.
  EXPECT_EQ(std::vector<std::uint8_t>(memory.begin() + 24, memory.begin() + 32),
            (std::vector<std::uint8_t>{3, 2, 1, 0xEE, 6, 5, 4, 0xEE}));
  EXPECT_EQ(memory[12], 0xEE);  // padding of the first stored row untouched
  EXPECT_EQ(memory[36], 0xEE);
}

}  // namespace
}  // namespace orvex::gdi
