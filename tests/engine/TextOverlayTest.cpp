#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <set>
#include <thread>

#include "engine/DateTimePattern.h"
#include "engine/frames/TextOverlay.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DrawText.h"
#include "platform/gdi/Font.h"
#include "tests/engine/EngineFixture.h"

namespace {

using namespace orvex::gdi;

// The frame clock's fields at a time since the start of the run.
TFrameInfo FrameAt(std::int64_t frameTime, int frameNumber = 1) {
  TFrameInfo info;
  info.FrameNumber = frameNumber;
  info.FrameTime = frameTime;
  info.TotalHundredths = frameTime / 100000;
  info.WholeSeconds = info.TotalHundredths / 100;
  info.Hundredths = int(info.TotalHundredths % 100);
  info.TotalMinutes = int(info.WholeSeconds / 60);
  info.Seconds = int(info.WholeSeconds % 60);
  info.Hours = info.TotalMinutes / 60;
  info.Minutes = info.TotalMinutes % 60;
  return info;
}

std::string Expand(const std::string& templ, const TFrameInfo& info = FrameAt(0)) {
  TTextOverlay overlay;
  EXPECT_TRUE(overlay.SetTemplate(templ));
  std::string out;
  overlay.ExpandText(info, out);
  return out;
}

constexpr std::int64_t k1h2m3s45 = ((1 * 60 + 2) * 60 + 3) * 10000000LL + 45 * 100000LL;

TEST(TextOverlayTemplateTest, FrameValues) {
  TTextOverlay overlay;
  ASSERT_TRUE(overlay.SetTemplate("frame %frame_count%"));
  std::string first, second;
  overlay.ExpandText(FrameAt(0, 1), first);
  overlay.ExpandText(FrameAt(333333, 2), second);
  EXPECT_EQ(first, "frame 1");
  EXPECT_EQ(second, "frame 2");

  TFrameInfo info = FrameAt(k1h2m3s45);
  EXPECT_EQ(Expand("%time_full%|%time_sec%|%time_100ns%/%time_100ns%", info),
            "01:02:03 45|3723.45|37234500000/37234500000");
  EXPECT_EQ(Expand("tc %time_code%.", info), "tc .");  // no time code: the text around it stays
  const std::int32_t timeCode[5] = {1, 1, 2, 3, 4};
  std::copy(timeCode, timeCode + 5, info.TimeCode);
  EXPECT_EQ(Expand("tc %time_code%.", info), "tc 01:02:03:04.");
  EXPECT_EQ(Expand("%time_sec%", FrameAt(3000000000LL * 10000000LL)), "3000000000.00");  // 64-bit seconds
}

TEST(TextOverlayTemplateTest, UnknownOpenAndCustomPlaceholders) {
  EXPECT_EQ(Expand("a %foo% b"), "a %foo% b");
  EXPECT_EQ(Expand("100%% sure"), "100%% sure");
  EXPECT_EQ(Expand("%Frame_Count%|%frame_count %|%custom10%"), "%Frame_Count%|%frame_count %|%custom10%");
  EXPECT_EQ(Expand("n=%frame_count% rest %frame_count and more"), "n=1 rest ");
  EXPECT_EQ(Expand("50%"), "50");
  EXPECT_EQ(Expand("[%custom0%%custom9%]"), "[]");
  TTextOverlay overlay;
  ASSERT_TRUE(overlay.SetTemplate("x%custom7%"));
  const std::vector<TTextOverlay::Segment> expected = {{tk_Literal, "x"}, {tk_Custom0 + 7, ""}};
  EXPECT_EQ(overlay.Segments(), expected);
}

TEST(TextOverlayTemplateTest, FortyPercentSignsAtMost) {
  std::string templ, expected;
  for (int i = 0; i < 20; ++i) templ += "x%frame_count%", expected += "x7";
  templ += "dropped%frame_count%";
  EXPECT_EQ(Expand(templ, FrameAt(0, 7)), expected);
  EXPECT_EQ(Expand(std::string(42, '%') + "tail"), std::string(40, '%'));
  TTextOverlay overlay;
  ASSERT_TRUE(overlay.SetTemplate(templ));
  EXPECT_EQ(overlay.Segments().size(), 40u);
}

TEST(TextOverlayTemplateTest, DateAndTimePlaceholders) {
  const TDateTimeParts before = TDateTimeParts::Now();
  const std::string text = Expand("at %sys_time[hh:nn:ss]%");
  const TDateTimeParts after = TDateTimeParts::Now();
  EXPECT_TRUE(text == "at " + FormatDateTime("hh:nn:ss", before) ||
              text == "at " + FormatDateTime("hh:nn:ss", after))
      << text;

  TTextOverlay overlay;
  ASSERT_TRUE(overlay.SetTemplate("%sys_time[hh:nn%%dv_time[dd]%%sys_time[%"));
  const std::vector<TTextOverlay::Segment> expected = {{tk_Literal, ""}, {tk_SysTime, "hh:n"},
                                                       {tk_Literal, ""}, {tk_DvTime, "dd"},
                                                       {tk_Literal, ""}, {tk_SysTime, ""}};
  EXPECT_EQ(overlay.Segments(), expected);

  TFrameInfo info = FrameAt(0);
  const std::string dv = "dv %dv_time[yyyy-mm-dd hh:nn:ss]%.";
  EXPECT_EQ(Expand(dv, info), "dv .");  // a device without DV dates
  const std::int32_t date[7] = {1, 2024, 2, 29, 23, 59, 58};
  std::copy(date, date + 7, info.DVDateTime);
  EXPECT_EQ(Expand(dv, info),
            "dv " + FormatDateTime("yyyy-mm-dd hh:nn:ss", {2024, 2, 29, 23, 59, 58, 0, 4}) + ".");
  info.DVDateTime[4] = 24;
  EXPECT_EQ(Expand(dv, info), "dv .");
  info.DVDateTime[4] = 23, info.DVDateTime[3] = 30;  // 30 February
  EXPECT_EQ(Expand(dv, info), "dv .");
}

TEST(TextOverlayTemplateTest, NothingUntilATemplateIsSet) {
  TTextOverlay overlay;
  std::string out;
  overlay.ExpandText(FrameAt(0), out);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(overlay.Segments().empty());
}

// --- drawing through the engine ---

constexpr COLORREF kPaper = RGB(40, 40, 40);
constexpr COLORREF kRed = RGB(255, 0, 0);
const TFont kFont{"DejaVu Sans", -20, clAqua, /*Bold=*/true};

class TextOverlayDrawTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    frame.Create(640, 120, PixelFormat::Rgb32, Orientation::BottomUp);
    frame.Fill(kPaper);
    engine->setTextOverlay_Font(kFont);
    engine->setTextOverlay_Enabled(true);
    engine->setTextOverlay_Left(10);
    engine->setTextOverlay_Top(5);
    engine->setTextOverlay_String("HI\r\nWIDER LINE");
    LogFont lf;
    lf.faceName = kFont.Name, lf.height = kFont.Height, lf.weight = FW_BOLD;
    font = Font::Shared(lf);
    ASSERT_TRUE(font);
  }
  void Draw(int frameNumber = 1) { probe().DrawOverlays(frame, FrameAt(0, frameNumber)); }
  int Width(const std::string& text) {
    DeviceContext dc;
    dc.SelectFont(font.get());
    return GetTextExtent(&dc, text).cx;
  }
  int LineHeight() const { return font->Metrics().height; }
  bool Paper(int x, int y) const { return frame.Pixel(x, y) == kPaper; }
  // Every changed pixel lies in [left, right) x [top, bottom).
  bool ChangesWithin(int left, int top, int right, int bottom) const {
    for (int y = 0; y < frame.Height(); ++y)
      for (int x = 0; x < frame.Width(); ++x)
        if (!Paper(x, y) && (x < left || x >= right || y < top || y >= bottom)) return false;
    return true;
  }

  Bitmap frame;
  std::shared_ptr<const Font> font;
};

TEST_F(TextOverlayDrawTest, TransparentTextInTheFontColourOnly) {
  Draw();
  const int h = LineHeight();
  EXPECT_TRUE(ChangesWithin(10, 5, 10 + Width("WIDER LINE") + 2, 5 + 2 * h));
  int changed = 0, full = 0;
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) {
      const COLORREF c = frame.Pixel(x, y);
      if (c == kPaper) continue;
      ++changed;
      full += c == clAqua;
      // A blend of the paper towards aqua: red falls, green and blue rise together.
      ASSERT_TRUE(GetRValue(c) <= 40 && GetGValue(c) == GetBValue(c)) << x << "," << y;
    }
  EXPECT_GT(full, 50);
  EXPECT_LT(changed, (Width("HI") + Width("WIDER LINE")) * h / 2);  // glyphs, no background
}

TEST_F(TextOverlayDrawTest, OpaqueBackgroundBehindEachLine) {
  engine->setTextOverlay_Transparent(false);
  engine->setTextOverlay_BkColor(kRed);
  Draw();
  const int h = LineHeight(), w1 = Width("HI"), w2 = Width("WIDER LINE");
  EXPECT_EQ(frame.Pixel(10, 5), kRed);
  EXPECT_EQ(frame.Pixel(10 + w1 - 1, 5 + h - 1), kRed);
  EXPECT_TRUE(Paper(10 + w1, 5)) << "the first line's background ends with its text";
  EXPECT_EQ(frame.Pixel(10 + w2 - 1, 5 + h), kRed);
  EXPECT_TRUE(Paper(10 + w2, 5 + h));
  EXPECT_TRUE(ChangesWithin(10, 5, 10 + w2, 5 + 2 * h));
}

TEST_F(TextOverlayDrawTest, RightAlignedToTheRightEdgeWhateverTheFrameWidth) {
  engine->setTextOverlay_Left(0);
  engine->setTextOverlay_Right(320);
  engine->setTextOverlay_Align(tf_Right);
  engine->setTextOverlay_Align(TTextOverlayAlign(3));  // ignored
  EXPECT_EQ(engine->TextOverlay_Align(), tf_Right);
  engine->setTextOverlay_Transparent(false);
  engine->setTextOverlay_BkColor(kRed);
  Draw();
  const int h = LineHeight();
  int row = 5;
  for (const char* line : {"HI", "WIDER LINE"}) {
    EXPECT_EQ(frame.Pixel(320 - Width(line), row + 1), kRed) << line;
    EXPECT_TRUE(Paper(320 - Width(line) - 1, row + 1)) << line;
    EXPECT_EQ(frame.Pixel(319, row + 1), kRed) << line;
    row += h;
  }
  EXPECT_TRUE(ChangesWithin(0, 5, 320, 5 + 2 * h));
}

TEST_F(TextOverlayDrawTest, WrapsInsideLeftRightAndRunsOffTheBottom) {
  engine->setTextOverlay_Right(10 + Width("WIDER") + 4);
  engine->setTextOverlay_Transparent(false);
  engine->setTextOverlay_BkColor(kRed);
  const int h = LineHeight(), top = 120 - 2 * h;
  engine->setTextOverlay_Top(top);
  Draw();
  // "WIDER LINE" wraps: "WIDER" on the frame's last line, "LINE" below the frame, cut.
  EXPECT_EQ(frame.Pixel(10 + Width("WIDER") - 1, top + h + 1), kRed);
  EXPECT_TRUE(Paper(10 + Width("WIDER"), top + h + 1));
  EXPECT_EQ(frame.Pixel(10, 119), kRed);
  EXPECT_TRUE(ChangesWithin(10, top, 10 + Width("WIDER"), 120));
}

TEST_F(TextOverlayDrawTest, HookGetsTheFrameAfterTheText) {
  HDC seenDc = nullptr;
  Bitmap* seenBitmap = nullptr;
  int seenFrame = 0;
  bool textBefore = false;
  engine->setOnFrameOverlayUsingDC([&](VOduduDudiviv* sender, const TFrameInfo& info, HDC dc) {
    EXPECT_EQ(sender, engine.get());
    seenDc = dc, seenBitmap = dc->SelectedBitmap(), seenFrame = info.FrameNumber;
    textBefore = !ChangesWithin(0, 0, 0, 0);
    SetPixel(dc, 600, 100, kRed);
  });
  Draw(42);
  EXPECT_NE(seenDc, nullptr);
  EXPECT_EQ(seenBitmap, &frame);
  EXPECT_EQ(seenFrame, 42);
  EXPECT_TRUE(textBefore);
  EXPECT_EQ(frame.Pixel(600, 100), kRed);
  EXPECT_EQ(frame.SelectedInto(), nullptr);

  // Without text, and with a frame that cannot be selected, the hook still runs.
  engine->setTextOverlay_Enabled(false);
  frame.Fill(kPaper);
  DeviceContext holder(&frame);
  seenDc = nullptr;
  Draw(43);
  EXPECT_NE(seenDc, nullptr);
  EXPECT_EQ(seenBitmap, nullptr);
  EXPECT_EQ(seenFrame, 43);
  EXPECT_TRUE(ChangesWithin(0, 0, 0, 0));

  probe().SetStopping(true);  // a stopping engine raises no events
  Draw(44);
  probe().SetStopping(false);
  EXPECT_EQ(seenFrame, 43);
}

TEST_F(TextOverlayDrawTest, FontChangesShowAtTheNextFrame) {
  engine->TextOverlay_Font().Color = kRed;
  QEventLoop loop;  // the main loop hands the changed font on before it waits
  QTimer::singleShot(0, &loop, &QEventLoop::quit);
  loop.exec();
  Draw();
  bool red = false;
  for (int x = 0; x < 200 && !red; ++x)
    for (int y = 0; y < 60 && !red; ++y) red = frame.Pixel(x, y) == kRed;
  EXPECT_TRUE(red);

  engine->setTextOverlay_Font(TFont{"DejaVu Sans", -40, clAqua});
  frame.Fill(kPaper);
  Draw();
  EXPECT_FALSE(ChangesWithin(0, 0, 640, 5 + 2 * LineHeight()));  // taller lines now
}

TEST_F(EngineTest, TextOverlayStartsWithTheDemoTemplateUnparsed) {
  EXPECT_EQ(engine->TextOverlay_String(), kDefaultTextOverlayTemplate);
  engine->setTextOverlay_Enabled(true);
  Bitmap frame(320, 240, PixelFormat::Rgb24);
  probe().DrawOverlays(frame, FrameAt(0));
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) ASSERT_EQ(frame.Pixel(x, y), RGB(0, 0, 0));
  engine->setTextOverlay_String("new %frame_count%");
  EXPECT_EQ(engine->TextOverlay_String(), "new %frame_count%");
}

// The main thread keeps changing the template and the font while a streaming
// thread draws: every frame shows one whole template, never a mix. The
// literals live on the heap, so a record rebuilt under a reader would also
// show as a use after free.
TEST_F(TextOverlayDrawTest, SettersRaceTheRenderer) {
  std::string a, b;
  for (int i = 0; i < 19; ++i)
    a += "alpha literal text %frame_count%", b += "the longer beta literal %time_sec%";
  engine->setTextOverlay_String(a);
  // Empty: a frame that found its record being rebuilt three times in a row.
  const std::set<std::string> allowed = {Expand(a), Expand(b), ""};
  std::atomic<bool> stop{false};
  std::atomic<int> frames{0}, bad{0};
  std::thread renderer([&] {
    Bitmap own(320, 240, PixelFormat::Rgb32);
    std::string text;
    for (int i = 0; !stop; ++i) {
      text.clear();
      probe().ExpandText(FrameAt(0), text);
      if (!allowed.count(text)) ++bad;
      if (i % 64 == 0) probe().DrawOverlays(own, FrameAt(0)), ++frames;
    }
  });
  for (int i = 0; (i < 5000 || frames < 20) && i < 10000000; ++i) {
    engine->setTextOverlay_String(i % 2 ? a : b);
    if (i % 250 == 0) engine->setTextOverlay_Font(TFont{"DejaVu Sans", -12 - i % 20, TColor(i)});
  }
  stop = true;
  renderer.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(engine->TextOverlay_String(), a);
}

}  // namespace
