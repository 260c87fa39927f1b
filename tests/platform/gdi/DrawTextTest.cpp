#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DrawText.h"
#include "platform/gdi/Font.h"

namespace orvex::gdi {
namespace {

constexpr COLORREF kPaper = RGB(0, 0, 90);
constexpr COLORREF kInk = RGB(250, 20, 20);

std::shared_ptr<const Font> MakeFont(int height, bool bold = false, const std::string& face = "DejaVu Sans") {
  LogFont lf;
  lf.faceName = face;
  lf.height = height;
  lf.weight = bold ? FW_BOLD : FW_NORMAL;
  std::string error;
  auto font = Font::Create(lf, &error);
  EXPECT_TRUE(font) << error;
  return font;
}

struct Canvas {
  Bitmap bitmap;
  DeviceContext dc;
  std::shared_ptr<const Font> font;
  Canvas(int w, int h, int fontHeight = -20, PixelFormat f = PixelFormat::Rgb32)
      : font(MakeFont(fontHeight)) {
    bitmap.Create(w, h, f, Orientation::TopDown);
    bitmap.Fill(kPaper);
    dc.SelectBitmap(&bitmap);
    dc.SelectFont(font.get());
    dc.SetTextColor(kInk);
    dc.SetBkMode(TRANSPARENT);
  }
  int LineHeight() const { return font->Metrics().height; }
  int Width(const std::string& s) const { return GetTextExtent(&dc, s).cx; }
  // Columns [first, last) holding something other than paper in rows [top, bottom).
  std::pair<int, int> InkColumns(int top, int bottom) const {
    int first = bitmap.Width(), last = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, bitmap.Height()); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        if (bitmap.Pixel(x, y) != kPaper) first = std::min(first, x), last = std::max(last, x + 1);
    return {first, last};
  }
  int InkRows() const {
    int top = bitmap.Height(), bottom = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        if (bitmap.Pixel(x, y) != kPaper) top = std::min(top, y), bottom = std::max(bottom, y + 1);
    return bottom - top;
  }
};

TEST(Font, MatchesFaceNamesAndFallsBackToASansFace) {
  auto dejavu = MakeFont(-12);
  EXPECT_EQ(dejavu->FamilyName(), "DejaVu Sans");
  auto classic = MakeFont(-12, false, "MS Sans Serif");
  ASSERT_TRUE(classic);
  EXPECT_FALSE(classic->FileName().empty());
  EXPECT_GT(classic->Metrics().height, 12);
  auto bold = MakeFont(-12, true, "MS Sans Serif");
  DeviceContext dc;
  dc.SelectFont(classic.get());
  const int regular = GetTextExtent(&dc, "Orvex Ziru 12:34").cx;
  dc.SelectFont(bold.get());
  EXPECT_GT(GetTextExtent(&dc, "Orvex Ziru 12:34").cx, regular);
  EXPECT_EQ(&DeviceContext().CurrentFont(), &Font::Stock());
}

TEST(Font, SharedFontsAreReusedWhileAlive) {
  LogFont lf = LogFont::FromPoints("DejaVu Sans", 10, true);
  auto first = Font::Shared(lf);
  auto second = Font::Shared(lf);
  EXPECT_EQ(first, second);
  lf.italic = true;
  EXPECT_NE(Font::Shared(lf), first);
  EXPECT_NE(Font::Create(lf), Font::Create(lf));
}

TEST(Font, HeightsFollowTheLogFontRules) {
  auto em20 = MakeFont(-20);
  EXPECT_EQ(em20->EmPixels(), 20);
  EXPECT_EQ(em20->Metrics().height, em20->Metrics().ascent + em20->Metrics().descent);
  EXPECT_GT(em20->Metrics().height, 20);  // the cell is taller than the em
  EXPECT_EQ(em20->Metrics().internalLeading, em20->Metrics().height - 20);
  auto cell20 = MakeFont(20);
  EXPECT_EQ(cell20->Metrics().height, 20);
  EXPECT_LT(cell20->EmPixels(), 20);
  EXPECT_EQ(LogFont::FromPoints("X", 8).height, -11);
  EXPECT_EQ(LogFont::FromPoints("X", 12).height, -16);
  EXPECT_EQ(LogFont::FromPoints("X", 15, true).weight, FW_BOLD);
  EXPECT_EQ(MakeFont(0)->EmPixels(), 11);
}

TEST(DrawText, TallerFontsDrawTallerGlyphs) {
  int previous = 0;
  for (int height : {-10, -20, -40}) {
    Canvas c(300, 80, height);
    RECT r{0, 0, 300, 80};
    DrawText(&c.dc, "H", &r, DT_LEFT | DT_NOCLIP);
    const int ink = c.InkRows();
    EXPECT_GT(ink, previous) << height;
    EXPECT_NEAR(ink, -height * 0.73, 2.5) << height;  // capital height of a sans face
    previous = ink;
  }
}

TEST(DrawText, CalcRectMeasuresLinesAndWraps) {
  Canvas c(10, 10);
  const int h = c.LineHeight();
  RECT r{5, 7, 500, 9};
  EXPECT_EQ(DrawText(&c.dc, "Hello", &r, DT_CALCRECT), h);
  EXPECT_EQ(r, (RECT{5, 7, 5 + c.Width("Hello"), 7 + h}));
  EXPECT_EQ(c.bitmap.Pixel(6, 8), kPaper);  // measuring draws nothing

  const int twoWords = c.Width("aaa aaa");
  r = RECT{0, 0, twoWords, 0};
  EXPECT_EQ(DrawText(&c.dc, "aaa aaa aaa", &r, DT_CALCRECT | DT_WORDBREAK), 2 * h);
  EXPECT_EQ(r.right, twoWords);
  r = RECT{0, 0, twoWords - 1, 0};
  EXPECT_EQ(DrawText(&c.dc, "aaa aaa aaa", &r, DT_CALCRECT | DT_WORDBREAK), 3 * h);
  EXPECT_EQ(r.right, c.Width("aaa"));
  // Spaces at a break belong to neither line; leading spaces of a paragraph stay.
  r = RECT{0, 0, twoWords, 0};
  EXPECT_EQ(DrawText(&c.dc, "  aaa     aaa", &r, DT_CALCRECT | DT_WORDBREAK), 2 * h);
  EXPECT_EQ(r.right, c.Width("  aaa"));
  // Without DT_WORDBREAK nothing wraps.
  r = RECT{0, 0, 10, 0};
  EXPECT_EQ(DrawText(&c.dc, "aaa bbb ccc", &r, DT_CALCRECT), h);
  EXPECT_EQ(r.right, c.Width("aaa bbb ccc"));
}

TEST(DrawText, AWordWiderThanTheRectangleKeepsALineOfItsOwn) {
  Canvas c(10, 10);
  const int h = c.LineHeight();
  RECT r{0, 0, c.Width("a b"), 0};
  EXPECT_EQ(DrawText(&c.dc, "a b verylongword c", &r, DT_CALCRECT | DT_WORDBREAK), 3 * h);
  EXPECT_EQ(r.right, c.Width("verylongword"));
  // DT_EDITCONTROL breaks it between characters instead.
  const int limit = c.Width("very");
  r = RECT{0, 0, limit, 0};
  const int height = DrawText(&c.dc, "verylongword", &r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_GE(height, 3 * h);
  EXPECT_LE(r.right, limit);
}

TEST(DrawText, LineBreaksOfEveryKind) {
  Canvas c(10, 10);
  const int h = c.LineHeight();
  auto lines = [&](const std::string& text, std::uint32_t format = 0) {
    RECT r{0, 0, 1000, 0};
    return DrawText(&c.dc, text, &r, format | DT_CALCRECT) / h;
  };
  EXPECT_EQ(lines("ab\r\ncd\nef\rgh"), 4);
  EXPECT_EQ(lines("ab\r\n"), 1);
  EXPECT_EQ(lines("ab\r\n\r\ncd"), 3);
  EXPECT_EQ(lines("\n"), 1);
  EXPECT_EQ(lines(""), 1);
  EXPECT_EQ(lines("ab\ncd", DT_SINGLELINE), 1);
  EXPECT_EQ(c.Width("ab\r\ncd"), c.Width("abcd"));
}

TEST(DrawText, OpaqueFillsEachLinesExtentAtItsAlignment) {
  const int left = 20, right = 300;
  for (std::uint32_t align : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
    Canvas c(340, 120);
    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(kInk);  // glyphs and background alike: each line shows as one box
    const int h = c.LineHeight();
    RECT r{left, 10, right, 0x7FFFFFFF};
    const std::vector<std::string> lines = {"HIH", "HH IIII", "I"};
    EXPECT_EQ(DrawText(&c.dc, "HIH\r\nHH IIII\nI", &r, align | DT_WORDBREAK | DT_NOCLIP), 3 * h);
    for (int k = 0; k < 3; ++k) {
      const int w = c.Width(lines[k]);
      const int x0 = align == DT_CENTER  ? left + (right - left - w) / 2
                     : align == DT_RIGHT ? right - w
                                         : left;
      const int top = 10 + k * h;
      EXPECT_EQ(c.InkColumns(top, top + h), (std::pair{x0, x0 + w})) << "align " << align << " line " << k;
      for (int y = top; y < top + h; ++y)
        for (int x = x0; x < x0 + w; ++x) ASSERT_EQ(c.bitmap.Pixel(x, y), kInk) << x << "," << y;
    }
    EXPECT_EQ(c.InkColumns(10 + 3 * h, 120), (std::pair{340, 0}));  // nothing below the text
    EXPECT_EQ(c.InkColumns(0, 10), (std::pair{340, 0}));
  }
}

TEST(DrawText, RightAlignmentEndsAtTheRectangleWhateverTheBitmapWidth) {
  Canvas c(640, 60);
  c.dc.SetBkMode(OPAQUE);
  c.dc.SetBkColor(RGB(255, 255, 255));
  RECT r{0, 0, 320, 0x7FFFFFFF};
  DrawText(&c.dc, "frame 1234", &r, DT_NOCLIP | DT_WORDBREAK | DT_RIGHT);
  EXPECT_EQ(c.InkColumns(0, 60), (std::pair{320 - c.Width("frame 1234"), 320}));
}

TEST(DrawText, TransparentModeTouchesOnlyGlyphPixels) {
  Canvas solid(300, 80), pattern(300, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 300; ++x) pattern.bitmap.SetPixel(x, y, RGB(x & 0xFF, y * 3, (x * y) & 0xFF));
  Bitmap before;
  before.Assign(pattern.bitmap);
  for (Canvas* c : {&solid, &pattern}) {
    c->dc.SetBkMode(TRANSPARENT);
    c->dc.SetBkColor(RGB(255, 255, 255));
    RECT r{4, 4, 296, 80};
    DrawText(&c->dc, "Orvex Ziru\nframe 1234", &r, DT_CENTER | DT_WORDBREAK);
  }
  int glyphPixels = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 300; ++x) {
      const bool glyph = solid.bitmap.Pixel(x, y) != kPaper;
      glyphPixels += glyph;
      if (!glyph) {
        ASSERT_EQ(pattern.bitmap.Pixel(x, y), before.Pixel(x, y)) << x << "," << y;
      }
      if (solid.bitmap.Pixel(x, y) == kInk) {
        ASSERT_EQ(pattern.bitmap.Pixel(x, y), kInk);
      }
    }
  EXPECT_GT(glyphPixels, 200);
}

TEST(DrawText, GlyphsBlendInTheTextColourAndKeepTheXByte) {
  Canvas c(120, 40, -30);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) c.bitmap.Scanline(y)[4 * x + 3] = 0x77;
  c.dc.SetBkMode(TRANSPARENT);
  RECT r{0, 0, 120, 40};
  DrawText(&c.dc, "HI", &r, 0);
  int full = 0, partial = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      const COLORREF p = c.bitmap.Pixel(x, y);
      full += p == kInk;
      partial += p != kInk && p != kPaper;
      ASSERT_EQ(c.bitmap.Scanline(y)[4 * x + 3], 0x77);
      // A blend of the two lies between them on each channel.
      ASSERT_GE(GetRValue(p), GetRValue(kPaper));
      ASSERT_LE(GetBValue(p), GetBValue(kPaper));
    }
  EXPECT_GT(full, 100);
  EXPECT_GT(partial, 0);
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClip) {
  for (bool noclip : {false, true}) {
    Canvas c(200, 100, -30);
    RECT r{50, 30, 70, 40};
    DrawText(&c.dc, "WWWW", &r, noclip ? DT_NOCLIP : 0);
    const auto [first, last] = c.InkColumns(0, 100);
    if (noclip) {
      EXPECT_GT(last, 70);
    } else {
      EXPECT_GE(first, 50);
      EXPECT_LE(last, 70);
      EXPECT_EQ(c.InkColumns(0, 30), (std::pair{200, 0}));
      EXPECT_EQ(c.InkColumns(40, 100), (std::pair{200, 0}));
    }
  }
}

TEST(DrawText, TextRunningOffTheBitmapIsCutAtItsEdges) {
  Canvas c(50, 30, -20, PixelFormat::Rgb24);
  c.dc.SetBkMode(OPAQUE);
  c.dc.SetBkColor(kInk);
  RECT r{-30, 10, 0x7FFFFFFF, 0x7FFFFFFF};
  const std::string text = "long line one\nline two\nline three\nline four";
  EXPECT_EQ(DrawText(&c.dc, text, &r, DT_NOCLIP | DT_WORDBREAK), 4 * c.LineHeight());
  RECT far{-5000, -5000, -4000, -4990};
  DrawText(&c.dc, text, &far, DT_NOCLIP | DT_WORDBREAK);
  EXPECT_EQ(c.bitmap.Pixel(0, 0), kPaper);
  EXPECT_EQ(c.bitmap.Pixel(49, 29), kInk);
}

TEST(DrawText, SingleLineVerticalPlacement) {
  Canvas c(200, 100);
  c.dc.SetBkMode(OPAQUE);
  c.dc.SetBkColor(kInk);
  const int h = c.LineHeight();
  RECT r{0, 0, 200, 100};
  EXPECT_EQ(DrawText(&c.dc, "HI", &r, DT_SINGLELINE | DT_BOTTOM), 100);
  EXPECT_EQ(c.bitmap.Pixel(0, 100 - h), kInk);
  EXPECT_EQ(c.bitmap.Pixel(0, 99 - h), kPaper);
  c.bitmap.Fill(kPaper);
  EXPECT_EQ(DrawText(&c.dc, "HI", &r, DT_SINGLELINE | DT_VCENTER), (100 - h) / 2 + h);
  EXPECT_EQ(c.bitmap.Pixel(0, (100 - h) / 2), kInk);
  EXPECT_EQ(c.bitmap.Pixel(0, (100 - h) / 2 - 1), kPaper);
}

TEST(DrawText, UnderlineAndStrikeOutSpanTheWholeLine) {
  LogFont lf;
  lf.faceName = "DejaVu Sans";
  lf.height = -24;
  lf.underline = true;
  lf.strikeOut = true;
  auto font = Font::Create(lf);
  ASSERT_TRUE(font);
  Canvas c(200, 60);
  c.dc.SelectFont(font.get());
  c.dc.SetBkMode(TRANSPARENT);
  RECT r{10, 5, 200, 60};
  DrawText(&c.dc, "H  H", &r, 0);
  const int width = GetTextExtent(&c.dc, "H  H").cx;
  const int baseline = 5 + font->Metrics().ascent;
  for (int offset : {font->UnderlineOffset(), font->StrikeOutOffset()})
    for (int x = 10; x < 10 + width; ++x) ASSERT_EQ(c.bitmap.Pixel(x, baseline + offset), kInk) << x;
  EXPECT_GT(font->UnderlineOffset(), 0);
  EXPECT_LT(font->StrikeOutOffset(), 0);
}

TEST(DrawText, Utf8AndBadBytes) {
  Canvas c(300, 40);
  EXPECT_GT(c.Width("Grüße"), c.Width("Gre"));
  EXPECT_EQ(c.Width("\xC3\xBC"), c.Width("ü"));
  EXPECT_EQ(c.Width("\xFF"), c.Width("\xEF\xBF\xBD"));  // a stray byte shows as U+FFFD
  EXPECT_EQ(c.Width("\xE2\x82"), 2 * c.Width("\xEF\xBF\xBD"));
  RECT r{0, 0, 300, 40};
  DrawText(&c.dc, "\xF0\x9F\x98\x80 \xC0\xAF a&b", &r, 0);
  EXPECT_EQ(c.Width("a&b"), c.Width("a") + c.Width("&") + c.Width("b"));  // '&' is no prefix
}

TEST(DrawText, TabsExpandToStopsOnlyWhenAsked) {
  Canvas c(10, 10);
  const int stop = 8 * c.font->Metrics().aveCharWidth;
  RECT r{0, 0, 1000, 0};
  DrawText(&c.dc, "a\tb", &r, DT_CALCRECT | DT_EXPANDTABS);
  EXPECT_EQ(r.right, stop + c.Width("b"));
  EXPECT_EQ(c.Width("a\tb"), c.Width("a b"));
}

TEST(DrawText, MonochromeTargetsGetThresholdedGlyphs) {
  Bitmap mono(100, 30, PixelFormat::Mono1);
  DeviceContext dc(&mono);
  auto font = MakeFont(-20);
  dc.SelectFont(font.get());
  dc.SetTextColor(RGB(255, 255, 255));
  dc.SetBkMode(TRANSPARENT);
  RECT r{0, 0, 100, 30};
  DrawText(&dc, "HI", &r, 0);
  int set = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) set += mono.Pixel(x, y) == RGB(255, 255, 255);
  EXPECT_GT(set, 50);
}

TEST(DrawText, ThreadsShareAFontWhileOthersAreMade) {
  auto font = MakeFont(-17, true);
  const std::string text = "Überall 0123456789 àéîõü ĀĒĪŌŪ ΑΒΓΔ Привет";
  auto render = [&](Bitmap& b) {
    b.Create(600, 30, PixelFormat::Rgb32);
    DeviceContext dc(&b);
    dc.SelectFont(font.get());
    dc.SetTextColor(kInk);
    dc.SetBkMode(TRANSPARENT);
    RECT r{0, 0, 600, 30};
    for (int i = 0; i < 20; ++i) DrawText(&dc, text, &r, 0);
  };
  Bitmap a, b, reference;
  std::thread first([&] { render(a); });
  std::thread second([&] { render(b); });
  std::thread maker([] {
    for (int i = 0; i < 10; ++i) MakeFont(-8 - i, i % 2 == 1, i % 3 ? "DejaVu Serif" : "MS Sans Serif");
  });
  first.join();
  second.join();
  maker.join();
  render(reference);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 600; ++x) {
      ASSERT_EQ(a.Pixel(x, y), reference.Pixel(x, y));
      ASSERT_EQ(b.Pixel(x, y), reference.Pixel(x, y));
    }
}

}  // namespace
}  // namespace orvex::gdi
