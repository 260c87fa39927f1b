#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/media/testdevices/TestDevices.h"
#include "tests/platform/media/testdevices/PipelineCapture.h"

namespace orvex::media::testdevices {
namespace {

using test::PipelineCapture;
using test::Sample;

// The first channel of S16LE or U8 samples, centred on zero.
std::vector<int> FirstChannel(const Sample& s, bool u8) {
  std::vector<int> out;
  const size_t width = u8 ? 1 : 2, frame = width * static_cast<size_t>(s.channels);
  for (size_t i = 0; i + frame <= s.bytes.size(); i += frame)
    out.push_back(u8 ? s.bytes[i] - 128 : static_cast<std::int16_t>(s.bytes[i] | (s.bytes[i + 1] << 8)));
  return out;
}

// Frequency from the upward zero crossings in about `seconds` of sound.
double MeasureHz(PipelineCapture& capture, bool u8, double seconds, int* rate = nullptr,
                 int* channels = nullptr) {
  std::vector<int> samples;
  int r = 0;
  while (r == 0 || samples.size() < static_cast<size_t>(seconds * r)) {
    const auto s = capture.Pull();
    if (!s) return 0;
    r = s->rate;
    if (rate) *rate = s->rate;
    if (channels) *channels = s->channels;
    const auto more = FirstChannel(*s, u8);
    samples.insert(samples.end(), more.begin(), more.end());
  }
  int up = 0;
  for (size_t i = 1; i < samples.size(); ++i) up += samples[i - 1] < 0 && samples[i] >= 0;
  return up * static_cast<double>(r) / static_cast<double>(samples.size());
}

struct ToneCase {
  const char* name;
  const char* caps;
  bool u8;
  int input, rate, channels, hz;
};

class TestTone : public ::testing::TestWithParam<ToneCase> {};

TEST_P(TestTone, FrequencyFollowsTheInputInEveryFormat) {
  const ToneCase& c = GetParam();
  PipelineCapture capture("orvextesttonesrc input=" + std::to_string(c.input) + " ! audioconvert ! " +
                          c.caps + " ! appsink name=sink sync=false");
  int rate = 0, channels = 0;
  EXPECT_NEAR(MeasureHz(capture, c.u8, 0.25, &rate, &channels), c.hz, c.hz * 0.03);
  EXPECT_EQ(rate, c.rate);
  EXPECT_EQ(channels, c.channels);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TestTone,
    ::testing::Values(
        ToneCase{"Mic48kMono16", "audio/x-raw,format=S16LE,rate=48000,channels=1", false, 0, 48000, 1, 440},
        ToneCase{"LineIn8kStereo8", "audio/x-raw,format=U8,rate=8000,channels=2", true, 1, 8000, 2, 880},
        ToneCase{"Mic11kStereo16", "audio/x-raw,format=S16LE,rate=11025,channels=2", false, 0, 11025, 2,
                 440}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(TestToneInput, SwitchesWhilePlaying) {
  PipelineCapture capture(
      "orvextesttonesrc name=mic ! audio/x-raw,format=S16LE,rate=16000,channels=1 ! appsink name=sink "
      "sync=false");
  EXPECT_NEAR(MeasureHz(capture, false, 0.15), 440, 15);
  g_object_set(capture.Get("mic"), kInputProperty, kInputLineIn, nullptr);
  // Sound made before the switch may still be queued; the new tone comes within a second.
  double hz = 0;
  for (int i = 0; i < 10 && std::abs(hz - 880) > 25; ++i) hz = MeasureHz(capture, false, 0.1);
  EXPECT_NEAR(hz, 880, 25);
  int input = -1;
  g_object_get(capture.Get("mic"), kInputProperty, &input, nullptr);
  EXPECT_EQ(input, kInputLineIn);
}

}  // namespace
}  // namespace orvex::media::testdevices
