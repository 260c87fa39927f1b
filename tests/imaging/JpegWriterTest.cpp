#include <gtest/gtest.h>

#include <cmath>

#include "imaging/ImageFile.h"
#include "imaging/JpegWriter.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/TempDir.h"

using namespace orvex::imaging;
using orvex::test::TestPicture;

namespace {

// The start-of-frame markers a decoder looks for: SOF0 baseline, SOF2 progressive.
bool HasMarker(const std::vector<std::uint8_t>& file, std::uint8_t marker) {
  for (std::size_t i = 2; i + 1 < file.size();) {
    if (file[i] != 0xFF) return false;
    const std::uint8_t type = file[i + 1];
    if (type == marker) return true;
    if (type == 0xDA) return false;  // frame headers come before the first scan
    i += 2 + (static_cast<std::size_t>(file[i + 2]) << 8 | file[i + 3]);
  }
  return false;
}

struct Difference {
  double mean = 0;
  int max = 0;
};

// Saves, decodes with ffmpeg and measures the error against the source picture.
Difference RoundTrip(const TestPicture& picture, const TJpegOptions& options,
                     std::vector<std::uint8_t>* file) {
  orvex::test::TempDir dir;
  SaveJpegToFile(dir / "frame.jpg", picture.View(), options);
  const std::string bytes = orvex::test::ReadFile(dir / "frame.jpg");
  file->assign(bytes.begin(), bytes.end());
  const auto decoded = orvex::test::DecodeWithFfmpeg(dir / "frame.jpg");
  EXPECT_TRUE(decoded.ok()) << decoded.error;
  EXPECT_EQ(decoded.width, picture.width());
  EXPECT_EQ(decoded.height, picture.height());
  if (!decoded.ok() || decoded.width != picture.width() || decoded.height != picture.height())
    return {255, 255};
  Difference d;
  double sum = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const auto source = picture.Get(x, y);
      const std::uint8_t* got = decoded.At(x, y);
      for (int c = 0; c < 3; ++c) {
        const int e = std::abs(got[c] - (c == 0 ? source.r : c == 1 ? source.g : source.b));
        sum += e;
        d.max = std::max(d.max, e);
      }
    }
  d.mean = sum / (3.0 * picture.width() * picture.height());
  return d;
}

}  // namespace

TEST(JpegWriter, SnapshotDefaultsGiveAFaithfulBaselineFile) {
  TestPicture picture(385, 289, TPixelLayout::Bgrx32, true, 4);
  picture.FillCameraLike(21);
  std::vector<std::uint8_t> file;
  const Difference d = RoundTrip(picture, {}, &file);
  EXPECT_LT(d.mean, 3.0);
  EXPECT_LT(d.max, 80);  // ringing at the blob's hard edge
  ASSERT_GE(file.size(), 4u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1], 0xD8);
  EXPECT_TRUE(HasMarker(file, 0xC0));
  EXPECT_FALSE(HasMarker(file, 0xC2));
}

TEST(JpegWriter, ProgressiveAndFastSettingsStillDecode) {
  TestPicture picture(320, 240, TPixelLayout::Bgr24);
  picture.FillCameraLike(8);
  std::vector<std::uint8_t> progressive, fast, accurate;
  EXPECT_LT(RoundTrip(picture, {.Quality = 100, .Progressive = true}, &progressive).mean, 2.0);
  EXPECT_TRUE(HasMarker(progressive, 0xC2));
  EXPECT_FALSE(HasMarker(progressive, 0xC0));

  EXPECT_LT(RoundTrip(picture, {.Quality = 100}, &accurate).mean, 2.0);
  EXPECT_LT(RoundTrip(picture, {.Quality = 100, .Performance = TJpegPerformance::BestSpeed}, &fast).mean,
            2.5);
  EXPECT_NE(fast, accurate);  // the fast DCT really is used
}

TEST(JpegWriter, QualityTradesSizeForFidelity) {
  TestPicture picture(256, 256);
  picture.FillNoise(3);
  const auto low = EncodeJpeg(picture.View(), {.Quality = 1});
  const auto high = EncodeJpeg(picture.View(), {.Quality = 100});
  EXPECT_LT(low.size() * 4, high.size());
  EXPECT_EQ(EncodeJpeg(picture.Converted(TPixelLayout::Bgr24, false, 0).View(), {.Quality = 1}), low);
}

TEST(JpegWriter, BadInputIsReportedAndTheProcessGoesOn) {
  TestPicture picture(8, 8);
  for (int quality : {0, 101, -3})
    EXPECT_THROW(EncodeJpeg(picture.View(), {.Quality = quality}), EImageError);
  TestPicture empty(640, 0);
  EXPECT_THROW(EncodeJpeg(empty.View()), EImageError);

  // libjpeg itself refuses this size; its error must come back as ours.
  TestPicture tooWide(65501, 1, TPixelLayout::Bgr24);
  orvex::test::TempDir dir;
  try {
    SaveJpegToFile(dir / "wide.jpg", tooWide.View());
    ADD_FAILURE() << "a 65501 pixel wide JPEG was written";
  } catch (const EImageError& e) {
    EXPECT_NE(std::string(e.what()).find("65500"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_FALSE(EncodeJpeg(picture.View()).empty());  // the writer is still usable
}
