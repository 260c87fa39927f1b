// Every GIF we write must open in an ordinary decoder with the palette colours we expect.

#include <gtest/gtest.h>

#include "imaging/GIFImage.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/TempDir.h"

using namespace orvex::imaging;
using orvex::test::DecodedPicture;
using orvex::test::Rgb;
using orvex::test::TestPicture;

namespace {

std::uint8_t PaletteValue(std::uint8_t value) {
  const int starts[] = {0, 48, 99, 150, 201, 252};
  int level = 0;
  while (level < 5 && value >= starts[level + 1]) ++level;
  return static_cast<std::uint8_t>(level * 51);
}

// Saves `picture` as GIF, decodes it with ffmpeg and compares every pixel.
void ExpectDecodesToPalette(const TestPicture& picture, const std::string& name) {
  SCOPED_TRACE(name);
  orvex::test::TempDir dir;
  TGIFImage gif;
  gif.Assign(picture.View());
  gif.SaveToFile(dir / (name + ".gif"));

  const DecodedPicture decoded = orvex::test::DecodeWithFfmpeg(dir / (name + ".gif"));
  ASSERT_TRUE(decoded.ok()) << decoded.error;
  ASSERT_EQ(decoded.width, picture.width());
  ASSERT_EQ(decoded.height, picture.height());
  int wrong = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const Rgb source = picture.Get(x, y);
      const std::uint8_t* got = decoded.At(x, y);
      const Rgb expected{PaletteValue(source.r), PaletteValue(source.g), PaletteValue(source.b)};
      if (Rgb{got[0], got[1], got[2]} != expected && ++wrong <= 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " decodes to " << int(got[0]) << "," << int(got[1])
                      << "," << int(got[2]);
    }
  EXPECT_EQ(wrong, 0);
}

}  // namespace

// Noise makes nearly every pixel a miss, so the larger ones clear the dictionary many times.
TEST(GIFDecode, RandomPicturesOfEveryShape) {
  unsigned seed = 11;
  for (auto [w, h] : {std::pair{1, 1}, {1, 2000}, {2000, 1}, {3, 5}, {255, 3}, {800, 600}}) {
    TestPicture picture(w, h);
    picture.FillNoise(seed++);
    ExpectDecodesToPalette(picture, "noise_" + std::to_string(w) + "x" + std::to_string(h));
  }
}

TEST(GIFDecode, LargeCameraPictureAndFlatColour) {
  TestPicture camera(1920, 1080, TPixelLayout::Bgr24, true);
  camera.FillCameraLike(5);
  ExpectDecodesToPalette(camera, "camera_1920x1080");

  TestPicture flat(1280, 720);
  flat.Fill({48, 200, 47});
  ExpectDecodesToPalette(flat, "flat_1280x720");
}
