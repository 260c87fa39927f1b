#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "platform/gdi/BmpReader.h"
#include "tests/platform/gdi/BmpFiles.h"
#include "tests/support/TempDir.h"

namespace orvex::gdi {
namespace {

using test::BmpSpec;
using test::MakeBmp;
using test::PackRows;

constexpr int kW = 37, kH = 23;  // odd sizes, so every row has padding

COLORREF Picture(int x, int y) { return RGB(x * 7 & 0xFF, y * 11 & 0xFF, (x * y) & 0xFF); }

std::vector<COLORREF> Palette(int n) {
  std::vector<COLORREF> p;
  for (int i = 0; i < n; ++i) p.push_back(RGB(i * 37 & 0xFF, 255 - i, i * 91 & 0xFF));
  return p;
}

bool Load(const std::string& file, Bitmap& out, std::string* error = nullptr,
          PixelFormat format = PixelFormat::Rgb32) {
  return LoadBitmapFromMemory(file.data(), file.size(), out, error, format);
}

void ExpectPicture(const Bitmap& b, const std::function<COLORREF(int, int)>& expected, int w = kW,
                   int h = kH) {
  ASSERT_EQ(b.Width(), w);
  ASSERT_EQ(b.Height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(b.Pixel(x, y), expected(x, y)) << "at " << x << "," << y;
}

TEST(BmpReader, IndexedDepthsThroughTheirColourTables) {
  for (int bits : {1, 4, 8}) {
    for (bool topDown : {false, true}) {
      const int n = 1 << bits;
      BmpSpec spec{.width = kW, .height = topDown ? -kH : kH, .bitCount = bits, .palette = Palette(n)};
      auto index = [n](int x, int y) { return std::uint32_t((x * 3 + y * 5) % n); };
      Bitmap b;
      std::string error;
      ASSERT_TRUE(Load(MakeBmp(spec, PackRows(kW, kH, bits, topDown, index)), b, &error)) << error;
      EXPECT_EQ(b.Format(), PixelFormat::Rgb32);
      ExpectPicture(b, [&](int x, int y) { return spec.palette[index(x, y)]; });
    }
  }
}

TEST(BmpReader, ShortColourTablesAndIndexesBeyondThem) {
  // 8 bits with 20 colours in use: indexes past the table read as black.
  BmpSpec spec{.width = kW, .height = kH, .bitCount = 8, .colorsUsed = 20, .palette = Palette(20)};
  auto index = [](int x, int y) { return std::uint32_t((x + y) % 30); };
  Bitmap b;
  ASSERT_TRUE(Load(MakeBmp(spec, PackRows(kW, kH, 8, false, index)), b));
  ExpectPicture(b, [&](int x, int y) { return index(x, y) < 20 ? spec.palette[index(x, y)] : RGB(0, 0, 0); });
}

TEST(BmpReader, SixteenBitsAs555AndThroughMasks) {
  auto expand5 = [](std::uint32_t v) { return (v << 3) | (v >> 2); };
  auto expand6 = [](std::uint32_t v) { return (v << 2) | (v >> 4); };
  auto value = [](int x, int y) { return std::uint32_t((x * 977 + y * 131) & 0xFFFF); };
  Bitmap b;
  std::string error;
  BmpSpec plain{.width = kW, .height = kH, .bitCount = 16};
  ASSERT_TRUE(Load(MakeBmp(plain, PackRows(kW, kH, 16, false, value)), b, &error)) << error;
  ExpectPicture(b, [&](int x, int y) {
    const std::uint32_t v = value(x, y);
    return RGB(expand5((v >> 10) & 31), expand5((v >> 5) & 31), expand5(v & 31));
  });
  for (int header : {40, 108, 124}) {
    BmpSpec spec{.headerSize = header,
                 .width = kW,
                 .height = -kH,
                 .bitCount = 16,
                 .compression = BI_BITFIELDS,
                 .masks = {0xF800, 0x07E0, 0x001F}};
    ASSERT_TRUE(Load(MakeBmp(spec, PackRows(kW, kH, 16, true, value)), b, &error)) << error;
    ExpectPicture(b, [&](int x, int y) {
      const std::uint32_t v = value(x, y);
      return RGB(expand5(v >> 11), expand6((v >> 5) & 63), expand5(v & 31));
    });
  }
  EXPECT_EQ(b.Pixel(0, 0), RGB(0, 0, 0));
}

TEST(BmpReader, TwentyFourAndThirtyTwoBits) {
  auto bgr = [](int x, int y) {
    const COLORREF c = Picture(x, y);
    return std::uint32_t(GetBValue(c) | (GetGValue(c) << 8) | (GetRValue(c) << 16));
  };
  Bitmap b;
  for (int header : {12, 40, 108, 124})
    for (bool topDown : {false, true}) {
      if (header == 12 && topDown) continue;
      BmpSpec spec{.headerSize = header, .width = kW, .height = topDown ? -kH : kH, .bitCount = 24};
      std::string error;
      ASSERT_TRUE(Load(MakeBmp(spec, PackRows(kW, kH, 24, topDown, bgr)), b, &error, PixelFormat::Rgb24))
          << header << " " << error;
      EXPECT_EQ(b.Format(), PixelFormat::Rgb24);
      ExpectPicture(b, Picture);
    }
  BmpSpec plain{.width = kW, .height = kH, .bitCount = 32};
  ASSERT_TRUE(Load(
      MakeBmp(plain, PackRows(kW, kH, 32, false, [&](int x, int y) { return bgr(x, y) | 0xAB000000; })), b));
  ExpectPicture(b, Picture);
  EXPECT_EQ(b.Scanline(3)[3], 0);  // the file's fourth byte is not kept
  // Masks in an unusual order: R in the low byte, B in the high one.
  BmpSpec odd{.width = kW,
              .height = kH,
              .bitCount = 32,
              .compression = BI_BITFIELDS,
              .masks = {0x000000FF, 0x0000FF00, 0xFF000000}};
  auto rgbx = [](int x, int y) {
    const COLORREF c = Picture(x, y);
    return std::uint32_t(GetRValue(c) | (GetGValue(c) << 8) | (GetBValue(c) << 24));
  };
  ASSERT_TRUE(Load(MakeBmp(odd, PackRows(kW, kH, 32, false, rgbx)), b));
  ExpectPicture(b, Picture);
}

TEST(BmpReader, CoreHeaderWithThreeByteColourTable) {
  BmpSpec spec{.headerSize = 12, .width = kW, .height = kH, .bitCount = 8, .palette = Palette(256)};
  auto index = [](int x, int y) { return std::uint32_t((x * y + 3) & 0xFF); };
  Bitmap b;
  std::string error;
  ASSERT_TRUE(Load(MakeBmp(spec, PackRows(kW, kH, 8, false, index)), b, &error)) << error;
  ExpectPicture(b, [&](int x, int y) { return spec.palette[index(x, y)]; });
}

// RLE streams written by hand; the comment shows the picture, top row first
// (the stream starts at the bottom row). '.' is colour 0.
TEST(BmpReader, Rle8RunsAbsoluteRunsDeltasAndEnds) {
  const std::string stream =
      std::string{3, 1,              // bottom row: 1 1 1
                  0, 3, 2, 3, 4, 0,  // absolute run of 3 (padded): 2 3 4  -> row 0 full: 1 1 1 2 3 4
                  0, 0,              // end of line
                  0, 2, 2, 1,        // delta: right 2, up 1 -> row 2, column 2
                  2, 5,              // 5 5
                  0, 0,              // end of line
                  7, 6,              // row 3: 6 6 6 6 6 6 (the seventh does not fit and is dropped)
                  0, 1};             // end of bitmap
  BmpSpec spec{.width = 6, .height = 4, .bitCount = 8, .compression = BI_RLE8, .palette = Palette(8)};
  // Row 1 is skipped by the delta and takes colour 0.
  const int picture[4][6] = {{6, 6, 6, 6, 6, 6}, {0, 0, 5, 5, 0, 0}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}};
  Bitmap b;
  std::string error;
  ASSERT_TRUE(Load(MakeBmp(spec, stream), b, &error)) << error;
  ExpectPicture(
      b, [&](int x, int y) { return spec.palette[picture[y][x]]; }, 6, 4);
}

TEST(BmpReader, Rle4AlternatesNibbles) {
  const std::string stream = std::string{5, 0x12,              // 1 2 1 2 1
                                         0, 0,                 // end of line
                                         0, 3,    0x34, 0x50,  // absolute 3: 3 4 5 (2 bytes, already even)
                                         2, 0x7F,              // 7 15
                                         0, 1};
  BmpSpec spec{.width = 5, .height = 2, .bitCount = 4, .compression = BI_RLE4, .palette = Palette(16)};
  const int picture[2][5] = {{3, 4, 5, 7, 15}, {1, 2, 1, 2, 1}};
  Bitmap b;
  std::string error;
  ASSERT_TRUE(Load(MakeBmp(spec, stream), b, &error)) << error;
  ExpectPicture(
      b, [&](int x, int y) { return spec.palette[picture[y][x]]; }, 5, 2);
}

struct Damaged {
  const char* name;
  std::string file;
  const char* message;
};

std::vector<Damaged> DamagedFiles() {
  const BmpSpec rgb{.width = kW, .height = kH, .bitCount = 24};
  const std::string pixels = PackRows(kW, kH, 24, false, [](int x, int) { return std::uint32_t(x); });
  const std::string good = MakeBmp(rgb, pixels);
  std::vector<Damaged> cases;
  cases.push_back({"empty", "", "not a Windows bitmap file"});
  cases.push_back({"other signature", "PK" + good.substr(2), "not a Windows bitmap file"});
  cases.push_back({"header cut", good.substr(0, 30), "truncated in its header"});
  cases.push_back({"pixels cut", good.substr(0, good.size() - 200), "truncated in its pixel data"});
  std::string offset = good;
  test::Set32(offset, 10, 1u << 30);
  cases.push_back({"offset past the end", offset, "past the end of the file"});
  test::Set32(offset, 10, 20);
  cases.push_back({"offset inside the header", offset, "inside the header"});
  test::Set32(offset, 10, std::uint32_t(good.size() - 10));
  cases.push_back({"offset too late for the rows", offset, "truncated in its pixel data"});
  std::string header = good;
  test::Set32(header, 14, 7);
  cases.push_back({"unknown header size", header, "unknown header size 7"});
  auto with = [&](BmpSpec spec, const std::string& data = std::string(64, '\0')) {
    return MakeBmp(spec, data);
  };
  cases.push_back({"huge", with({.width = 100000, .height = 100000}), "too large"});
  cases.push_back({"many pixels", with({.width = 60000, .height = 60000, .bitCount = 1}), "too large"});
  cases.push_back({"big but short", with({.width = 8000, .height = 8000, .bitCount = 32}), "truncated"});
  cases.push_back({"big RLE", with({.width = 8000, .height = 8000, .bitCount = 8, .compression = BI_RLE8}),
                   "too large for its compressed data"});
  cases.push_back({"negative width", with({.width = -5, .height = 5}), "is not valid"});
  cases.push_back({"zero height", with({.width = 5, .height = 0}), "is not valid"});
  cases.push_back({"lowest height", with({.width = 5, .height = INT32_MIN}), "too large"});
  cases.push_back({"odd depth", with({.width = 5, .height = 5, .bitCount = 7}), "7 bits per pixel"});
  cases.push_back({"RLE8 on 4 bits", with({.width = 5, .height = 5, .bitCount = 4, .compression = BI_RLE8}),
                   "RLE8 compression needs 8 bits"});
  cases.push_back({"JPEG inside", with({.width = 5, .height = 5, .compression = BI_JPEG}),
                   "compression 4 (JPEG) is not supported"});
  cases.push_back({"gappy masks",
                   with({.width = 5,
                         .height = 5,
                         .bitCount = 16,
                         .compression = BI_BITFIELDS,
                         .masks = {0xF00F, 0x00F0, 0x0F00}}),
                   "not contiguous"});
  cases.push_back({"wide masks",
                   with({.width = 5,
                         .height = 5,
                         .bitCount = 16,
                         .compression = BI_BITFIELDS,
                         .masks = {0xFF0000, 0xFF00, 0xFF}}),
                   "do not fit 16-bit"});
  const BmpSpec rle{.width = 6, .height = 4, .bitCount = 8, .compression = BI_RLE8, .palette = Palette(4)};
  cases.push_back(
      {"RLE run cut", MakeBmp(rle, std::string{3, 1, 0, 9, 1, 2}), "truncated in its compressed"});
  cases.push_back(
      {"RLE without end", MakeBmp(rle, std::string{3, 1, 0, 0, 3, 1}), "truncated in its compressed"});
  cases.push_back({"RLE delta cut", MakeBmp(rle, std::string{0, 2, 1}), "truncated in its compressed"});
  return cases;
}

TEST(BmpReader, DamagedFilesAreRefusedWithAReasonAndLeaveTheBitmapAlone) {
  for (const Damaged& c : DamagedFiles()) {
    Bitmap b(3, 3, PixelFormat::Rgb24);
    b.Fill(RGB(1, 2, 3));
    std::string error;
    EXPECT_FALSE(Load(c.file, b, &error)) << c.name;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(b.Width(), 3) << c.name;
    EXPECT_EQ(b.Pixel(2, 2), RGB(1, 2, 3)) << c.name;
  }
}

// Reading only the size refuses what a load refuses, up to the pixel data,
// which it does not read.
TEST(BmpReader, ReadingTheSizeChecksAllButThePixels) {
  orvex::test::TempDir dir;
  const std::string path = (dir / "a.bmp").string();
  for (const Damaged& c : DamagedFiles()) {
    orvex::test::WriteFile(path, c.file);
    int width = -1, height = -1;
    std::string error;
    const bool pixelsOnly = std::string(c.message) == "truncated in its compressed";
    EXPECT_EQ(ReadBitmapFileSize(path, width, height, &error), pixelsOnly) << c.name << ": " << error;
    if (!pixelsOnly) {
      EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
  }
  const BmpSpec big{
      .width = 16384, .height = 4096, .bitCount = 8, .compression = BI_RLE8, .palette = Palette(2)};
  orvex::test::WriteFile(path, MakeBmp(big, std::string{0, 1} + std::string(300000, '\0')));
  int width = 0, height = 0;
  ASSERT_TRUE(ReadBitmapFileSize(path, width, height, nullptr));
  EXPECT_EQ(width, 16384);
  EXPECT_EQ(height, 4096);
}

TEST(BmpReader, RleThatRunsOffTheEdgesIsClipped) {
  // Runs past the row end, deltas past the last row: drawn where they fit.
  const BmpSpec rle{.width = 3, .height = 2, .bitCount = 8, .compression = BI_RLE8, .palette = Palette(4)};
  Bitmap b;
  ASSERT_TRUE(Load(
      MakeBmp(rle, std::string{char(255), 1, 0, 2, char(200), 0, 0, 5, 2, 2, 2, 2, 2, 0, 0, 2, 0, 5}), b));
  ExpectPicture(
      b, [&](int, int y) { return rle.palette[y == 1 ? 1 : 0]; }, 3, 2);
}

TEST(BmpReader, FilesOnDiskAndTheirErrorsNameThePath) {
  orvex::test::TempDir dir;
  const std::string path = (dir / "logo.bmp").string();
  BmpSpec spec{.width = 2, .height = 1, .bitCount = 24};
  orvex::test::WriteFile(path, MakeBmp(spec, std::string{1, 2, 3, 4, 5, 6, 0, 0}));
  Bitmap b;
  std::string error;
  ASSERT_TRUE(LoadBitmapFromFile(path, b, &error)) << error;
  EXPECT_EQ(b.Pixel(1, 0), RGB(6, 5, 4));
  EXPECT_FALSE(LoadBitmapFromFile((dir / "missing.bmp").string(), b, &error));
  EXPECT_NE(error.find("missing.bmp: "), std::string::npos) << error;
  orvex::test::WriteFile(dir / "text.bmp", "hello");
  EXPECT_FALSE(LoadBitmapFromFile((dir / "text.bmp").string(), b, &error));
  EXPECT_EQ(error, (dir / "text.bmp").string() + ": not a Windows bitmap file");
  EXPECT_FALSE(LoadBitmapFromFile(dir.str(), b, &error));
  EXPECT_FALSE(LoadBitmapFromMemory(nullptr, 10, b, &error));
  EXPECT_FALSE(LoadBitmapFromMemory("BM", 2, b, &error, PixelFormat::Mono1));
  EXPECT_EQ(b.Width(), 2);
}

// Mutated copies of valid files of every kind: each either loads with a sane
// size or is refused; none may read out of bounds (the sanitizers watch).
TEST(BmpReader, MutatedFilesNeverCrash) {
  std::vector<std::string> seeds;
  auto value = [](int x, int y) { return std::uint32_t(x * 2654435761u ^ y * 40503u); };
  for (int bits : {1, 4, 8, 16, 24, 32})
    seeds.push_back(MakeBmp({.width = 13,
                             .height = 7,
                             .bitCount = bits,
                             .palette = bits <= 8 ? Palette(1 << bits) : std::vector<COLORREF>{}},
                            PackRows(13, 7, bits, false, value)));
  seeds.push_back(MakeBmp({.headerSize = 12, .width = 9, .height = 5, .bitCount = 4, .palette = Palette(16)},
                          PackRows(9, 5, 4, false, value)));
  seeds.push_back(MakeBmp({.headerSize = 124,
                           .width = 9,
                           .height = -5,
                           .bitCount = 16,
                           .compression = BI_BITFIELDS,
                           .masks = {0xF800, 0x07E0, 0x001F}},
                          PackRows(9, 5, 16, true, value)));
  seeds.push_back(
      MakeBmp({.width = 6, .height = 4, .bitCount = 8, .compression = BI_RLE8, .palette = Palette(8)},
              std::string{3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1, 2, 5, 0, 0, 6, 6, 0, 1}));
  seeds.push_back(
      MakeBmp({.width = 5, .height = 2, .bitCount = 4, .compression = BI_RLE4, .palette = Palette(16)},
              std::string{5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x7F, 0, 1}));
  std::mt19937 rng(20240601);
  int loaded = 0;
  for (int i = 0; i < 6000; ++i) {
    std::string file = seeds[i % seeds.size()];
    const int edits = 1 + int(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = rng() % file.size();
      switch (rng() % 4) {
        case 0: file[at] = char(rng()); break;
        case 1: file[at] = char(file[at] ^ (1 << (rng() % 8))); break;
        case 2: file[at] = char(rng() % 2 ? 0xFF : 0x00); break;
        default: file.resize(std::max<std::size_t>(at, 2)); break;
      }
    }
    Bitmap b;
    if (Load(file, b)) {
      ++loaded;
      ASSERT_GT(b.Width(), 0);
      ASSERT_LE(std::int64_t(b.Width()) * b.Height(), kMaxBmpPixels);
      b.Pixel(b.Width() - 1, b.Height() - 1);
    }
  }
  EXPECT_GT(loaded, 100);  // the mutations also leave many files readable
}

// An independent writer and reader: ffmpeg writes BMP variants of a picture
// and decodes each back; both readings must agree.
TEST(BmpReader, AgreesWithFfmpegOnTheFilesItWrites) {
  if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  orvex::test::TempDir dir;
  std::string ppm = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const COLORREF c = Picture(x, y);
      ppm += {char(GetRValue(c)), char(GetGValue(c)), char(GetBValue(c))};
    }
  orvex::test::WriteFile(dir / "in.ppm", ppm);
  for (const char* format : {"bgr24", "bgra", "rgb565le", "rgb555le", "pal8", "monob", "rgb4_byte", "rgb8"}) {
    const std::string bmp = (dir / (std::string(format) + ".bmp")).string();
    const std::string raw = (dir / (std::string(format) + ".raw")).string();
    const std::string make = "ffmpeg -loglevel error -y -i " + (dir / "in.ppm").string() + " -pix_fmt " +
                             format + " " + bmp + " && ffmpeg -loglevel error -y -i " + bmp +
                             " -f rawvideo -pix_fmt rgb24 " + raw;
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    Bitmap b;
    std::string error;
    ASSERT_TRUE(LoadBitmapFromFile(bmp, b, &error)) << format << ": " << error;
    const std::string theirs = orvex::test::ReadFile(raw);
    ASSERT_EQ(theirs.size(), std::size_t(kW * kH * 3));
    const int tolerance = std::string(format).starts_with("rgb5") ? 4 : 0;  // their widening of 5/6 bits
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(theirs.data()) + 3 * (y * kW + x);
        const COLORREF ours = b.Pixel(x, y);
        ASSERT_NEAR(GetRValue(ours), p[0], tolerance) << format << " at " << x << "," << y;
        ASSERT_NEAR(GetGValue(ours), p[1], tolerance) << format << " at " << x << "," << y;
        ASSERT_NEAR(GetBValue(ours), p[2], tolerance) << format << " at " << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace orvex::gdi
