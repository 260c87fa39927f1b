#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "imaging/GIFImage.h"
#include "imaging/ImageFile.h"
#include "imaging/LZWEncoder.h"
#include "tests/imaging/GifReader.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/AllocationWatch.h"
#include "tests/support/TempDir.h"

using namespace orvex::imaging;
using orvex::test::GifFile;
using orvex::test::ReadGif;
using orvex::test::Rgb;
using orvex::test::TestPicture;

namespace {

// Each channel's level starts at these values.
int LevelOf(int value) {
  const int starts[] = {0, 48, 99, 150, 201, 252};
  int level = 0;
  while (level < 5 && value >= starts[level + 1]) ++level;
  return level;
}

std::vector<std::uint8_t> Gif(const TestPicture& picture) {
  TGIFImage gif;
  gif.Assign(picture.View());
  return gif.SaveToBytes();
}

// Every pair of symbols 0..k-1 exactly once (a de Bruijn sequence of order 2).
std::vector<std::uint8_t> EveryPairOnce(int k) {
  std::vector<std::uint8_t> sequence;
  for (int a = 0; a < k; ++a) {
    sequence.push_back(static_cast<std::uint8_t>(a));
    for (int b = a + 1; b < k; ++b) {
      sequence.push_back(static_cast<std::uint8_t>(a));
      sequence.push_back(static_cast<std::uint8_t>(b));
    }
  }
  sequence.push_back(0);
  return sequence;
}

}  // namespace

TEST(GIFImage, ChannelsFallToSixLevelsWithoutDithering) {
  for (int v = 0; v < 256; ++v) EXPECT_EQ(FixedPaletteLevel(static_cast<std::uint8_t>(v)), LevelOf(v)) << v;

  TestPicture picture(4, 2);
  picture.Fill({255, 255, 255});
  picture.Set(1, 0, {47, 47, 47});
  picture.Set(2, 0, {48, 48, 48});
  picture.Set(3, 0, {252, 0, 98});
  TGIFImage gif;
  gif.Assign(picture.View());
  ASSERT_EQ(gif.Images().size(), 1u);
  const TGIFSubImage& image = gif.Images()[0];
  EXPECT_EQ(image.Data(), (std::vector<std::uint8_t>{215, 0, 43, 36 * 5 + 1, 215, 215, 215, 215}));

  const TGIFColorMap& map = image.ColorMap();
  ASSERT_EQ(map.Count(), 256);
  EXPECT_EQ(map.BitsPerPixel(), 8);
  EXPECT_EQ(map[43], (TGIFColor{51, 51, 51}));
  EXPECT_EQ(map[215], (TGIFColor{255, 255, 255}));
  EXPECT_EQ(map[36 * 2 + 6 * 3 + 4], (TGIFColor{102, 153, 204}));
  for (int i = 216; i < 256; ++i) EXPECT_EQ(map[i], TGIFColor{}) << i;
  EXPECT_TRUE(gif.Header().ColorMap.Count() == 0);
}

TEST(GIFImage, OnePixelFileIsExact) {
  TestPicture picture(1, 1);
  picture.Fill({255, 255, 255});
  const std::vector<std::uint8_t> bytes = Gif(picture);

  std::vector<std::uint8_t> expected = {'G', 'I',  'F', '8', '7', 'a', 1, 0, 1, 0, 0x77, 0,
                                        0,   0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0x87};
  for (int i = 0; i < 256; ++i) {
    const int r = i < 216 ? i / 36 * 51 : 0, g = i < 216 ? i / 6 % 6 * 51 : 0, b = i < 216 ? i % 6 * 51 : 0;
    expected.insert(expected.end(), {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
  }
  // Clear 256, pixel 215, end 257, nine bits each, least significant bit first.
  expected.insert(expected.end(), {8, 4, 0x00, 0xAF, 0x05, 0x04, 0, 0x3B});
  EXPECT_EQ(bytes, expected);
}

TEST(GIFImage, FileLayoutAndLengthForEverySize) {
  for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 37}, {300, 1}, {17, 13}, {320, 240}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    TestPicture picture(w, h);
    picture.FillNoise(static_cast<unsigned>(w * 1000 + h));
    const std::vector<std::uint8_t> bytes = Gif(picture);
    const GifFile gif = ReadGif(bytes);
    ASSERT_EQ(gif.error, "");
    EXPECT_EQ(gif.signature, "GIF87a");
    EXPECT_EQ(gif.screenWidth, w);
    EXPECT_EQ(gif.screenHeight, h);
    EXPECT_EQ(gif.screenFields, 0x77);
    EXPECT_EQ(std::tie(gif.left, gif.top, gif.width, gif.height), std::make_tuple(0, 0, w, h));
    EXPECT_EQ(gif.imageFields, 0x87);
    EXPECT_EQ(gif.colorTable.size(), 768u);
    EXPECT_EQ(gif.minCodeSize, 8);
    EXPECT_EQ(gif.bytesAfterTrailer, 0u);

    std::size_t blocks = 0;
    for (std::size_t i = 0; i < gif.blockLengths.size(); ++i) {
      if (i + 1 < gif.blockLengths.size()) {
        EXPECT_EQ(gif.blockLengths[i], 255);
      }
      blocks += 1 + gif.blockLengths[i];
    }
    EXPECT_EQ(bytes.size(), 6 + 7 + 10 + 768 + (1 + blocks + 1) + 1);

    std::vector<std::uint8_t> expected;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Rgb c = picture.Get(x, y);
        expected.push_back(static_cast<std::uint8_t>(36 * LevelOf(c.r) + 6 * LevelOf(c.g) + LevelOf(c.b)));
      }
    EXPECT_EQ(gif.indices, expected);
  }
}

TEST(GIFImage, ClearFollowsTheMissAfterCode4094AndCodingRestartsAtNineBits) {
  // Pairs that never repeat make every pixel a miss, so the dictionary fills fast.
  const std::vector<std::uint8_t> sequence = EveryPairOnce(216);
  TestPicture picture(static_cast<int>(sequence.size()), 1);
  for (int x = 0; x < picture.width(); ++x) {
    const TGIFColor c = FixedPaletteColor(sequence[static_cast<std::size_t>(x)]);
    picture.Set(x, 0, {c.Red, c.Green, c.Blue});
  }
  const GifFile gif = ReadGif(Gif(picture));
  ASSERT_EQ(gif.error, "");
  EXPECT_EQ(gif.indices, sequence);

  int clears = 0;
  for (std::size_t i = 0; i < gif.codes.size(); ++i) {
    const orvex::test::GifCode& code = gif.codes[i];
    EXPECT_LT(code.code, 4095);
    if (code.code != 256) continue;
    ++clears;
    if (i == 0) continue;
    SCOPED_TRACE("clear at code " + std::to_string(i));
    // The decoder has just entered code 4094 for the literal before the clear.
    EXPECT_EQ(code.nextFree, 4095);
    EXPECT_EQ(code.width, 12);
    EXPECT_EQ(gif.codes[i - 3839].code, 256);  // 3838 literals since the last clear
    ASSERT_LT(i + 1, gif.codes.size());
    EXPECT_EQ(gif.codes[i + 1].width, 9);
    EXPECT_LT(gif.codes[i + 1].code, 256);
  }
  EXPECT_EQ(clears, 1 + static_cast<int>((sequence.size() - 1) / 3838));
}

TEST(GIFImage, EveryMemoryLayoutGivesTheSameFile) {
  TestPicture reference(385, 289);
  reference.FillCameraLike(7);
  const std::vector<std::uint8_t> expected = Gif(reference);
  EXPECT_EQ(Gif(reference.Converted(TPixelLayout::Bgrx32, true, 12)), expected);
  EXPECT_EQ(Gif(reference.Converted(TPixelLayout::Bgr24, false, 1)), expected);
  EXPECT_EQ(Gif(reference.Converted(TPixelLayout::Bgr24, true, 3)), expected);
}

// A thread's coder keeps its tables: a second save allocates its file's
// bytes alone, and what an earlier picture left in the tables changes nothing.
TEST(GIFImage, ASaveReusesTheCodersTablesAndCodesAsAFreshCoder) {
  TestPicture earlier(640, 480);
  earlier.FillCameraLike(3);
  TestPicture picture(385, 289);
  picture.FillCameraLike(7);
  std::vector<std::uint8_t> fresh;
  std::thread([&] { fresh = Gif(picture); }).join();

  Gif(earlier);
  TGIFImage gif;
  gif.Assign(picture.View());
  std::vector<std::uint8_t> reused;
  long allocations = 0;
  {
    const orvex::test::AllocationWatch watch;
    reused = gif.SaveToBytes();
    allocations = watch.Count();
  }
  EXPECT_EQ(allocations, 1) << "the coder's tables were allocated anew";
  EXPECT_EQ(reused, fresh);
}

TEST(GIFImage, EmptyBitmapHasNoImageAndSavesNothing) {
  orvex::test::TempDir dir;
  const auto path = dir / "snap.gif";
  orvex::test::WriteFile(path, "previous snapshot");

  TGIFImage gif;
  TestPicture full(2, 2);
  gif.Assign(full.View());
  for (auto [w, h] : {std::pair{0, 480}, {640, 0}, {-5, 10}}) {
    TestPicture empty(w, h);
    gif.Assign(empty.View());
    EXPECT_TRUE(gif.Empty());
    try {
      gif.SaveToFile(path);
      ADD_FAILURE() << "saving an empty GIF succeeded";
    } catch (const EImageError& e) {
      EXPECT_STREQ(e.what(), "Unsupported GIF version");
    }
  }
  EXPECT_EQ(orvex::test::ReadFile(path), "previous snapshot");
  std::ostringstream stream;
  EXPECT_THROW(gif.SaveToStream(stream), EImageError);
  EXPECT_TRUE(stream.str().empty());
}

TEST(GIFImage, SidesBeyondTheFormatAreRefused) {
  TestPicture wide(65536, 1);
  TGIFImage gif;
  EXPECT_THROW(gif.Assign(wide.View()), EImageError);
  TestPicture widest(65535, 1);
  gif.Assign(widest.View());
  EXPECT_EQ(ReadGif(gif.SaveToBytes()).width, 65535);
}

TEST(GIFImage, SavesToStreamAndFile) {
  TestPicture picture(33, 20);
  picture.FillCameraLike(3);
  TGIFImage gif;
  gif.Assign(picture.View());
  const std::vector<std::uint8_t> bytes = gif.SaveToBytes();

  std::ostringstream stream;
  gif.SaveToStream(stream);
  EXPECT_EQ(stream.str(), std::string(bytes.begin(), bytes.end()));

  orvex::test::TempDir dir;
  gif.SaveToFile(dir / "snap.gif");
  EXPECT_EQ(orvex::test::ReadFile(dir / "snap.gif"), std::string(bytes.begin(), bytes.end()));
  EXPECT_THROW(gif.SaveToFile(dir / "missing" / "snap.gif"), EImageError);
}

TEST(LZWEncoder, SmallTablesRaiseTheCodeSizeAndRejectForeignIndices) {
  TLZWEncoder encoder;
  std::vector<std::uint8_t> out;
  const std::vector<std::uint8_t> indices = {0, 1, 1, 0, 1, 1, 1, 1, 0};
  encoder.Encode(indices, 1, 2, out);
  EXPECT_EQ(out[0], 2);  // minimum code size 2 even for two colours

  // Wrap the data in a minimal file for the reader: 2-colour local table.
  std::vector<std::uint8_t> file = {'G', 'I', 'F', '8', '7', 'a', 9, 0,    1, 0, 0, 0,   0,   0x2C, 0,
                                    0,   0,   0,   9,   0,   1,   0, 0x80, 0, 0, 0, 255, 255, 255};
  // GCC 12 at -O2 and above misreads the vector's growth as a copy out of bounds (its bug 107852).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overread"
  file.insert(file.end(), out.begin(), out.end());
#pragma GCC diagnostic pop
  file.push_back(0x3B);
  const GifFile gif = ReadGif(file);
  ASSERT_EQ(gif.error, "");
  EXPECT_EQ(gif.indices, indices);

  out.clear();
  try {
    encoder.Encode(std::vector<std::uint8_t>{0, 1, 2}, 1, 2, out);
    ADD_FAILURE() << "index 2 of a 2-colour table accepted";
  } catch (const EImageError& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
}
