// The pictures a recording holds stay the same, bit for bit, whatever is
// rebuilt underneath: the real program records the test camera's still bars
// uncompressed with one group of processing settings, and one frame of the
// file must equal the reference picture stored beside this test.
//
// After a change that is meant to alter the pictures, rewrite the references
// with ORVEX_REWRITE_PICTURE_REFERENCES=1 (the test then stores what it got
// and passes), look at them, and commit them with the change.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/app/ProgramRun.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/MediaProbe.h"

namespace orvex::test {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(ORVEX_TESTS_DATA_DIR) / "picture-guard";
// Far enough into the file that a picture arriving late would show.
constexpr int kFrameCompared = 10;

// The test camera's SVideo input (still bars) at 320x240, uncompressed, no sound.
constexpr char kCapture[] =
    "\"SecondVideoSource\"=dword:00000001\n\"SecondVideoInput\"=dword:00000001\n"
    "\"SecondVideoSize\"=dword:00000002\n\"SecondVideoCompression\"=dword:00000000\n"
    "\"SecondAudioSource\"=dword:00000000\n";
constexpr char kAdjustments[] =
    "\"Brightness\"=dword:00000028\n\"Contrast\"=dword:0000001e\n"
    "\"Hue\"=dword:ffffffd8\n\"Saturation\"=dword:00000032\n";
constexpr char kTurned[] = "\"Rotation\"=dword:000000b4\n\"Mirror\"=dword:00000001\n";
// A fixed text (no time in it) on an opaque background, bottom centre.
constexpr char kText[] =
    "\"OverlayText\"=\"Orvex 0123 guard\"\n\"OverlayFontName\"=\"DejaVu Sans\"\n"
    "\"OverlayFontSize\"=dword:0000000c\n\"OverlayFontBold\"=dword:00000001\n"
    "\"OverlayFontColor\"=dword:000000ff\n\"OverlayBackColor\"=dword:0000ffff\n"
    "\"OverlayBackTransparent\"=dword:00000000\n\"OverlayTextPosition\"=dword:00000004\n"
    "\"OverlayTextVisible\"=dword:00000001\n";
// Top left, top right (transparent), bottom right.
constexpr char kImages[] =
    "\"Image1Position\"=dword:00000000\n\"Image2Position\"=dword:00000002\n"
    "\"Image3Position\"=dword:00000005\n\"Image2Transparent\"=dword:00000001\n"
    "\"Image1Visible\"=dword:00000001\n\"Image2Visible\"=dword:00000001\n"
    "\"Image3Visible\"=dword:00000001\n";

struct GuardCase {
  const char* name;  // also the reference file's name
  std::string values;
};

void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.name; }

std::string Settings(const std::string& values) {
  return std::string(
             "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n") +
         kCapture + values;
}

// Where the two pictures differ, in words; empty when they are the same.
std::string Difference(const DecodedPicture& got, const DecodedPicture& want) {
  if (got.width != want.width || got.height != want.height)
    return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) + " instead of " +
           std::to_string(want.width) + "x" + std::to_string(want.height);
  long differing = 0;
  std::ostringstream first;
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x) {
      const std::uint8_t *a = got.At(x, y), *b = want.At(x, y);
      if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
      if (differing++ == 0)
        first << " (first at " << x << "," << y << ": RGB " << int(a[0]) << "," << int(a[1]) << ","
              << int(a[2]) << " instead of " << int(b[0]) << "," << int(b[1]) << "," << int(b[2]) << ")";
    }
  return differing == 0 ? "" : std::to_string(differing) + " pixels differ" + first.str();
}

// Stores frame `kFrameCompared` of `avi` as the reference picture `png`.
void RewriteReference(const fs::path& avi, const fs::path& png) {
  int status = 0;
  RunCommand("ffmpeg -nostdin -v error -y -i " + ShellQuote(avi.string()) + " -vf " +
                 ShellQuote("select=eq(n\\," + std::to_string(kFrameCompared) + ")") +
                 " -frames:v 1 -pix_fmt rgb24 " + ShellQuote(png.string()) + " 2>&1",
             &status);
  ASSERT_EQ(status, 0) << "could not write " << png;
}

class PictureGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(PictureGuard, ARawRecordingOfTheStillBarsMatchesTheStoredPicture) {
  ProgramRun run;
  WriteFile(run.Config() / "HKEY_LOCAL_MACHINE.reg", Settings(GetParam().values));
  for (const char* image : {"image1.bmp", "image2.bmp", "image3.bmp"})
    fs::copy_file(kData / image, run.Config() / image);
  const fs::path avi = run.Output() / "guard.avi";

  const ChildResult result = run.Run({"--record", avi.string(), "--seconds", "1.5"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const ProbedFile probed = ProbeFile(avi);
  const ProbedStream* video = probed.First("video");
  ASSERT_NE(video, nullptr) << probed.error;
  ASSERT_EQ(video->codecName, "rawvideo");
  ASSERT_GT(video->frames, kFrameCompared);

  const fs::path reference = kData / (std::string(GetParam().name) + ".png");
  if (std::getenv("ORVEX_REWRITE_PICTURE_REFERENCES") != nullptr) {
    RewriteReference(avi, reference);
    return;
  }
  ASSERT_TRUE(fs::exists(reference)) << reference
                                     << " is missing; ORVEX_REWRITE_PICTURE_REFERENCES=1 makes it";
  // Read from a copy: the decoder leaves its log beside the file it reads.
  const fs::path wanted = run.Output() / "reference.png";
  fs::copy_file(reference, wanted);
  const DecodedPicture got = DecodeWithFfmpeg(avi, kFrameCompared);
  const DecodedPicture want = DecodeWithFfmpeg(wanted);
  ASSERT_TRUE(got.ok()) << got.error;
  ASSERT_TRUE(want.ok()) << want.error;
  EXPECT_EQ(Difference(got, want), "")
      << "frame " << kFrameCompared << " of the recording against " << reference
      << " (ORVEX_REWRITE_PICTURE_REFERENCES=1 rewrites it when the change is meant)";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, PictureGuard,
    ::testing::Values(GuardCase{"everything", std::string(kAdjustments) +
                                                  "\"InvertColors\"=dword:00000001\n" + kTurned + kText +
                                                  kImages},
                      GuardCase{"adjustments", kAdjustments},
                      GuardCase{"grey", "\"GrayScale\"=dword:00000001\n\"Brightness\"=dword:00000014\n"},
                      GuardCase{"negative", "\"InvertColors\"=dword:00000001\n"},
                      GuardCase{"turned-mirrored", kTurned},
                      GuardCase{"quarter-turn", "\"Rotation\"=dword:0000005a\n"}, GuardCase{"text", kText},
                      GuardCase{"images", kImages}),
    [](const ::testing::TestParamInfo<GuardCase>& row) {
      std::string name = row.param.name;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

}  // namespace
}  // namespace orvex::test
