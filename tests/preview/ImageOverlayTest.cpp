// The image overlay slots and the compositor that lays them onto frames.
// This program replaces the global operator new to check that a frame
// allocates nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <new>
#include <thread>

#include "platform/gdi/DeviceContext.h"
#include "preview/ImageOverlayCompositor.h"
#include "preview/ImageOverlaySlots.h"
#include "tests/support/AllocationWatch.h"

namespace {

using namespace orvex::gdi;
using PixelFn = std::function<COLORREF(int x, int y)>;

constexpr COLORREF kWhite = RGB(255, 255, 255);

COLORREF FramePattern(int x, int y) { return RGB(x & 0xFF, y & 0xFF, (x * 3 + y) & 0x7F); }
// Never white and never black, so key colour and blackening show.
COLORREF PicturePattern(int x, int y) { return RGB(40 + x % 200, 30 + y % 200, 200); }

void Paint(TBitmap& b, const PixelFn& fn) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, fn(x, y));
}

TBitmap* NewPicture(int w, int h, const PixelFn& fn) {
  auto* b = new TBitmap(w, h, PixelFormat::Rgb32);
  Paint(*b, fn);
  return b;
}

struct Frame {
  TBitmap bitmap;
  explicit Frame(PixelFormat format = PixelFormat::Rgb32, Orientation order = Orientation::TopDown,
                 int w = 320, int h = 240)
      : bitmap(w, h, format, order) {
    Paint(bitmap, FramePattern);
  }
};

// Checks every pixel of the frame against `expected`.
void ExpectFrame(const TBitmap& frame, const PixelFn& expected) {
  int wrong = 0;
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x)
      if (frame.Pixel(x, y) != expected(x, y) && ++wrong <= 3)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << frame.Pixel(x, y)
                      << " instead of " << expected(x, y);
  EXPECT_EQ(wrong, 0);
}

class ImageOverlay : public ::testing::Test {
 protected:
  TImageOverlaySlots overlays;
  TImageOverlayCompositor compositor{overlays};

  void Install(int slot, int w, int h, const PixelFn& fn, int x, int y, bool transparent,
               bool visible = true) {
    std::unique_ptr<TBitmap> picture(NewPicture(w, h, fn));
    ASSERT_TRUE(overlays.Install(slot, *picture, x, y, transparent, visible));
  }
  void Compose(TBitmap& frame) {
    DeviceContext dc(&frame);
    compositor.PaintFrameOverlay(TFrameInfo{}, &dc);
  }
};

TEST_F(ImageOverlay, PrepareKeysOnTheBottomLeftPixel) {
  // White in the bottom-left corner and in a diagonal; the top-left is white
  // too but only counts because it equals the corner.
  const auto picture = [](int x, int y) {
    return x == y || (x == 0 && y == 9) ? kWhite : PicturePattern(x, y);
  };
  Install(0, 12, 10, picture, 5, 6, true, false);
  const TImageOverlaySlot& s = overlays[0];
  EXPECT_EQ(s.Mask.Format(), PixelFormat::Mono1);
  EXPECT_EQ(s.Mask.Width(), 12);
  EXPECT_EQ(s.Sprite.Height(), 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool key = picture(x, y) == kWhite;
      EXPECT_EQ(s.Mask.Pixel(x, y), key ? kWhite : RGB(0, 0, 0)) << x << "," << y;
      EXPECT_EQ(s.Sprite.Pixel(x, y), key ? RGB(0, 0, 0) : picture(x, y)) << x << "," << y;
      EXPECT_EQ(s.Image.Pixel(x, y), picture(x, y));
    }
  EXPECT_EQ(s.X, 5);
  EXPECT_EQ(s.Y, 6);
  EXPECT_TRUE(s.Transparent);
  EXPECT_FALSE(s.Visible);
}

TEST_F(ImageOverlay, InstallOnlyFillsEmptySlotsAndFreeEmptiesThem) {
  TBitmap source(30, 20, PixelFormat::Rgb32);
  Paint(source, PicturePattern);
  ASSERT_TRUE(overlays.Install(1, source, 7, 8, true, true));
  // The slot keeps its own copy.
  source.Fill(kWhite);
  EXPECT_EQ(overlays[1].Image.Pixel(3, 3), PicturePattern(3, 3));
  // A filled slot is left alone.
  TBitmap other(5, 5, PixelFormat::Rgb32);
  EXPECT_TRUE(overlays.Install(1, other, 0, 0, false, false));
  EXPECT_EQ(overlays[1].Image.Width(), 30);
  EXPECT_EQ(overlays[1].X, 7);

  overlays.Free(1);
  const TImageOverlaySlot& s = overlays[1];
  EXPECT_FALSE(s.HasImage());
  EXPECT_TRUE(s.Mask.Empty());
  EXPECT_TRUE(s.Sprite.Empty());
  EXPECT_EQ(s.X, 0);
  EXPECT_EQ(s.Y, 0);
  EXPECT_FALSE(s.Transparent);
  EXPECT_FALSE(s.Visible);
  overlays.Free(1);  // nothing to do

  EXPECT_FALSE(overlays.Install(2, TBitmap(), 0, 0, false, true));
  EXPECT_FALSE(overlays[2].HasImage());
  EXPECT_FALSE(overlays[2].Visible);
}

TEST_F(ImageOverlay, EmptyAndInvisibleSlotsLeaveTheFrameAlone) {
  Frame frame;
  Compose(frame.bitmap);
  ExpectFrame(frame.bitmap, FramePattern);

  Install(0, 50, 40, PicturePattern, 10, 10, false, false);
  Install(2, 50, 40, PicturePattern, 100, 10, true, false);
  Compose(frame.bitmap);
  ExpectFrame(frame.bitmap, FramePattern);
}

// Opaque image 100x50 at (220, 190) on 320x240 frames of every layout.
TEST_F(ImageOverlay, AnOpaqueImageReplacesExactlyItsRectangle) {
  Install(0, 100, 50, PicturePattern, 220, 190, false);
  const auto expected = [](int x, int y) {
    return x >= 220 && y >= 190 ? PicturePattern(x - 220, y - 190) : FramePattern(x, y);
  };
  for (PixelFormat format : {PixelFormat::Rgb32, PixelFormat::Rgb24})
    for (Orientation order : {Orientation::TopDown, Orientation::BottomUp}) {
      SCOPED_TRACE(testing::Message() << int(format) << "/" << int(order));
      Frame frame(format, order);
      Compose(frame.bitmap);
      ExpectFrame(frame.bitmap, expected);
    }
}

TEST_F(ImageOverlay, ATransparentImageShowsTheFrameWhereItHasTheKeyColour) {
  // White squares in a checkerboard; the bottom-left corner is white.
  const auto picture = [](int x, int y) {
    return ((x / 8) + (y / 8)) % 2 == 1 ? kWhite : PicturePattern(x, y);
  };
  ASSERT_EQ(picture(0, 47), kWhite);
  Install(1, 64, 48, picture, 30, 20, true);
  Frame frame;
  Compose(frame.bitmap);
  ExpectFrame(frame.bitmap, [&](int x, int y) {
    const bool inside = x >= 30 && x < 94 && y >= 20 && y < 68;
    return inside && picture(x - 30, y - 20) != kWhite ? picture(x - 30, y - 20) : FramePattern(x, y);
  });

  // Unchecked, the whole rectangle is copied, white included.
  overlays[1].Transparent = false;
  Frame plain;
  Compose(plain.bitmap);
  ExpectFrame(plain.bitmap, [&](int x, int y) {
    const bool inside = x >= 30 && x < 94 && y >= 20 && y < 68;
    return inside ? picture(x - 30, y - 20) : FramePattern(x, y);
  });
}

TEST_F(ImageOverlay, KeyColourDecidesWhatIsSeeThrough) {
  // All key colour: nothing changes.
  Install(
      0, 40, 30, [](int, int) { return RGB(10, 200, 30); }, 5, 5, true);
  // Only the corner is key coloured: everything but that corner is covered.
  const auto picture = [](int x, int y) { return x == 0 && y == 29 ? RGB(1, 2, 3) : PicturePattern(x, y); };
  Install(1, 40, 30, picture, 100, 100, true);
  Frame frame;
  Compose(frame.bitmap);
  ExpectFrame(frame.bitmap, [&](int x, int y) {
    const bool inside = x >= 100 && x < 140 && y >= 100 && y < 130;
    return inside && !(x == 100 && y == 129) ? PicturePattern(x - 100, y - 100) : FramePattern(x, y);
  });
}

TEST_F(ImageOverlay, ImagesAreClippedAtTheFrameEdges) {
  // White on diagonals through the bottom-left corner of the 100x100 picture.
  const auto picture = [](int x, int y) { return (x + y + 1) % 5 == 0 ? kWhite : PicturePattern(x, y); };
  Install(0, 400, 300, picture, -80, -60, false);
  Frame frame;
  Compose(frame.bitmap);
  ExpectFrame(frame.bitmap, [&](int x, int y) { return picture(x + 80, y + 60); });

  // Transparent, hanging over the bottom-right corner.
  overlays.Free(0);
  Install(0, 100, 100, picture, 270, 200, true);
  Frame corner;
  Compose(corner.bitmap);
  ExpectFrame(corner.bitmap, [&](int x, int y) {
    const bool inside = x >= 270 && y >= 200;
    return inside && picture(x - 270, y - 200) != kWhite ? picture(x - 270, y - 200) : FramePattern(x, y);
  });
}

TEST_F(ImageOverlay, LaterImagesLieOnTopOfEarlierOnes) {
  const auto red = [](int, int) { return RGB(200, 0, 0); };
  const auto blue = [](int x, int y) { return x == 0 && y == 59 ? kWhite : RGB(0, 0, 200); };
  Install(2, 60, 60, blue, 40, 40, true);
  Install(0, 60, 60, red, 0, 0, false);
  Frame frame;
  Compose(frame.bitmap);
  ExpectFrame(frame.bitmap, [&](int x, int y) {
    if (x >= 40 && x < 100 && y >= 40 && y < 100 && !(x == 40 && y == 99)) return RGB(0, 0, 200);
    if (x < 60 && y < 60) return RGB(200, 0, 0);
    return FramePattern(x, y);
  });
}

TEST_F(ImageOverlay, TheMaskWorksWhateverColoursTheContextHoldsAndKeepsThem) {
  const auto picture = [](int x, int y) { return x < 10 ? kWhite : PicturePattern(x, y); };
  Install(0, 20, 20, picture, 0, 0, true);
  Frame frame;
  DeviceContext dc(&frame.bitmap);
  dc.SetTextColor(RGB(0, 255, 255));
  dc.SetBkColor(RGB(255, 0, 0));
  compositor.PaintFrameOverlay(TFrameInfo{}, &dc);
  EXPECT_EQ(dc.GetTextColor(), RGB(0, 255, 255));
  EXPECT_EQ(dc.GetBkColor(), RGB(255, 0, 0));
  ExpectFrame(frame.bitmap, [&](int x, int y) {
    return x >= 10 && x < 20 && y < 20 ? PicturePattern(x, y) : FramePattern(x, y);
  });
}

TEST_F(ImageOverlay, AFrameAllocatesNothingAndNoDcIsNoFrame) {
  Install(
      0, 200, 100, [](int x, int y) { return x < 20 ? kWhite : PicturePattern(x, y); }, 0, 0, true);
  Install(1, 200, 100, PicturePattern, 50, 50, false);
  Frame frame;
  DeviceContext dc(&frame.bitmap);
  long allocations = 0;
  {
    orvex::test::AllocationWatch watch;
    for (int i = 0; i < 10; ++i) compositor.PaintFrameOverlay(TFrameInfo{}, &dc);
    allocations = watch.Count();
  }
  EXPECT_EQ(allocations, 0);

  compositor.PaintFrameOverlay(TFrameInfo{}, nullptr);
  DeviceContext empty;
  compositor.PaintFrameOverlay(TFrameInfo{}, &empty);
}

// Slots filled and emptied on one thread while frames are composited on
// another: every frame shows a whole image or none, never a torn one, and no
// frame reads pixels that were already freed.
TEST_F(ImageOverlay, FillingAndEmptyingSlotsWhileFramesAreDrawn) {
  constexpr int kW = 160, kH = 120, kAt = 10;
  const COLORREF red = RGB(200, 10, 10), green = RGB(10, 200, 10), black = RGB(0, 0, 0);
  const auto a = [&](int x, int y) { return x == 0 && y == kH - 1 ? kWhite : red; };
  const auto b = [&](int, int) { return green; };
  std::unique_ptr<TBitmap> pa(NewPicture(kW, kH, a)), pb(NewPicture(kW, kH, b));
  std::atomic<bool> done{false};
  std::atomic<int> frames{0}, torn{0};
  std::thread streaming([&] {
    Frame frame;
    DeviceContext dc(&frame.bitmap);
    const RECT area{kAt, kAt, kAt + kW, kAt + kH};
    while (!done) {
      frame.bitmap.FillRect(area, black);
      compositor.PaintFrameOverlay(TFrameInfo{}, &dc);
      // Image a goes through its mask, whose key is its bottom-left pixel.
      const COLORREF seen = frame.bitmap.Pixel(kAt + kW - 1, kAt);
      const bool keyHole = seen == red;
      for (int y = kAt; y < kAt + kH; y += 7)
        if (frame.bitmap.Pixel(kAt + y % kW, y) != seen) ++torn;
      if (frame.bitmap.Pixel(kAt, kAt + kH - 1) != (keyHole ? black : seen)) ++torn;
      if (frame.bitmap.Pixel(0, 0) != FramePattern(0, 0)) ++torn;
      ++frames;
    }
  });
  // Each image stays until a frame has been drawn with it; the next frame is
  // then usually under way while the slot is emptied.
  const auto nextFrame = [&] {
    const int seen = frames;
    for (int spins = 0; frames == seen && spins < 100000; ++spins)
      std::this_thread::sleep_for(std::chrono::microseconds(20));
  };
  for (int i = 0; i < 400; ++i) {
    overlays.Install(0, *pa, kAt, kAt, true, true);
    nextFrame();
    overlays.Free(0);
    overlays.Install(0, *pb, kAt, kAt, false, i % 3 != 0);
    nextFrame();
    overlays.Free(0);
  }
  done = true;
  streaming.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
