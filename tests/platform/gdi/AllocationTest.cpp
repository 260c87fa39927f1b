// The per-frame drawing must not allocate once a font's glyphs are cached.
// This file replaces the global operator new of the test program to count
// the allocations a thread makes while it is being watched.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DrawText.h"
#include "platform/gdi/Font.h"
#include "tests/support/AllocationWatch.h"

namespace orvex::gdi {
namespace {

using Watch = orvex::test::AllocationWatch;

TEST(Allocation, TheWatchSeesAllocations) {
  Watch watch;
  auto p = std::make_unique<int>(3);
  EXPECT_EQ(watch.Count(), 1);
}

TEST(Allocation, AFrameOfTextAndImageOverlaysAllocatesNothing) {
  Bitmap frame(1920, 1080, PixelFormat::Rgb32, Orientation::TopDown);
  Bitmap image(200, 100, PixelFormat::Rgb32), mask(200, 100, PixelFormat::Mono1),
      sprite(200, 100, PixelFormat::Rgb32);
  LogFont lf;
  lf.height = -20;
  lf.weight = FW_BOLD;
  auto font = Font::Create(lf);
  ASSERT_TRUE(font);
  const std::string text = "12:34:56\r\nframe 1234 with a few words that wrap\r\nOrvex Ziru Grüße";
  auto drawFrame = [&] {
    DeviceContext dc(&frame);
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(RGB(255, 255, 255));
    dc.SetTextColor(RGB(0, 255, 255));
    const Font* previous = dc.SelectFont(font.get());
    RECT r{0, 0, 320, 0x7FFFFFFF};
    DrawText(&dc, text, &r, DT_NOCLIP | DT_WORDBREAK | DT_CENTER);
    dc.SelectFont(previous);
    for (int slot = 0; slot < 3; ++slot) {
      std::scoped_lock lock(image, mask, sprite);
      DeviceContext maskDc(&mask), spriteDc(&sprite), imageDc(&image);
      BitBlt(&dc, -50 + slot * 900, 1000, 200, 100, &maskDc, 0, 0, SRCAND);
      BitBlt(&dc, -50 + slot * 900, 1000, 200, 100, &spriteDc, 0, 0, SRCPAINT);
      BitBlt(&dc, slot * 300, 500, 200, 100, &imageDc, 0, 0, SRCCOPY);
    }
  };
  drawFrame();  // renders the glyphs once
  Watch watch;
  for (int i = 0; i < 3; ++i) drawFrame();
  EXPECT_EQ(watch.Count(), 0);
}

}  // namespace
}  // namespace orvex::gdi
