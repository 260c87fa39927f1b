// The engine with a real sound server: a PulseAudio server of the test's own
// whose null sink's monitor is a microphone. It is listed, a recording from
// it holds the tone played into the sink, and taking it away while recording
// ends the recording cleanly with a message. The camera is the built-in test
// camera, which goes through the same device source as a real one.

#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>

#include "tests/engine/GraphFixture.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/PulseServer.h"

using orvex::test::PulseServer;
using orvex::test::WaitUntil;

namespace {

constexpr double kToneHz = 1234;
constexpr int kRate = 44100;

// One server per test process (ctest runs each test in its own): the device
// monitor connects to the server that runs when it starts.
PulseServer* g_server = nullptr;

class SoundServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { g_server = new PulseServer; }
  void TearDown() override {
    delete g_server;
    g_server = nullptr;
  }
};
[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new SoundServerEnvironment);

struct PipelineDeleter {
  void operator()(GstElement* pipeline) const {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
  }
};
using Pipeline = std::unique_ptr<GstElement, PipelineDeleter>;

// Plays a steady sine tone into the server's sink until destroyed.
Pipeline PlayTone() {
  const std::string description =
      "audiotestsrc is-live=true wave=sine volume=0.5 freq=" + std::to_string(kToneHz) +
      " ! audio/x-raw,rate=" + std::to_string(kRate) +
      ",channels=2 ! pulsesink device=" + PulseServer::kSinkName;
  Pipeline pipeline(gst_parse_launch(description.c_str(), nullptr));
  if (!pipeline || gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE ||
      gst_element_get_state(pipeline.get(), nullptr, nullptr, 10 * GST_SECOND) != GST_STATE_CHANGE_SUCCESS)
    return {};
  return pipeline;
}

// The first sound stream of `file`, mono, as ffmpeg decodes it.
std::vector<double> DecodeSound(const std::string& file) {
  int status = -1;
  const std::string raw =
      orvex::test::RunCommand("ffmpeg -v error -i " + orvex::test::ShellQuote(file) +
                                  " -map 0:a:0 -ac 1 -ar " + std::to_string(kRate) + " -f s16le -",
                              &status);
  std::vector<double> samples(status == 0 ? raw.size() / 2 : 0);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    std::int16_t s;
    std::memcpy(&s, raw.data() + 2 * i, 2);
    samples[i] = s / 32768.0;
  }
  return samples;
}

// The share of a block's energy at `hz` (Goertzel's single-bin transform):
// 1 for a pure tone of that frequency, near 0 for other tones.
double ShareAt(const double* x, std::size_t n, double hz) {
  const double c = 2 * std::cos(2 * std::numbers::pi * hz / kRate);
  double s1 = 0, s2 = 0, energy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double s0 = x[i] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
    energy += x[i] * x[i];
  }
  const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
  return 2 * power / (static_cast<double>(n) * energy);
}

// The share at `hz` in the median block of about 46 ms that is not silent
// (short blocks, so that the sound server's clock drifting against ours
// cannot smear the tone), and how many such blocks there are.
std::pair<double, std::size_t> MedianShareAt(const std::vector<double>& sound, double hz) {
  constexpr std::size_t kBlock = 2048;
  std::vector<double> shares;
  for (std::size_t at = 0; at + kBlock <= sound.size(); at += kBlock) {
    double energy = 0;
    for (std::size_t i = at; i < at + kBlock; ++i) energy += sound[i] * sound[i];
    if (energy / kBlock > 1e-4) shares.push_back(ShareAt(sound.data() + at, kBlock, hz));
  }
  if (shares.empty()) return {0, 0};
  std::nth_element(shares.begin(), shares.begin() + shares.size() / 2, shares.end());
  return {shares[shares.size() / 2], shares.size()};
}

// Frames the AVI's main header counts: 0 until the writer finished the file.
std::uint32_t HeaderFrames(const std::string& file) {
  const std::string head = orvex::test::ReadFile(file).substr(0, 8192);
  const std::size_t at = head.find("avih");
  if (at == std::string::npos || at + 28 > head.size()) return 0;
  std::uint32_t frames;
  std::memcpy(&frames, head.data() + at + 8 + 16, 4);  // dwTotalFrames
  return frames;
}

class SoundServerTest : public GraphTest {
 protected:
  void SetUp() override {
    if (!g_server || !g_server->Running())
      GTEST_SKIP() << "no PulseAudio server could be started: " << (g_server ? g_server->Error() : "");
    GraphTest::SetUp();
    monitor = IndexOf(engine->AudioDevicesCount(), [this](int i) {
      engine->setAudioDevice(i);
      return engine->AudioDeviceName() == PulseServer::kMonitorName;
    });
    engine->setAudioDevice(-1);
    engine->setOnRecordingCompleted(
        [this](VOduduDudiviv*, const std::string& f, bool ok) { completed.emplace_back(f, ok); });
    engine->setOnDeviceLost([this](VOduduDudiviv*) { ++lost; });
    engine->setFrameGrabber(fg_BothStreams);
  }
  void TearDown() override {
    GraphTest::TearDown();
    if (sinkRemoved) g_server->AddSink();  // for the next test of this process
  }

  // Records from the server's microphone; answers whether the recording started.
  bool StartRecording(const std::string& file) {
    engine->setAudioDevice(monitor);
    engine->setAudioRecording(true);
    engine->setAudioFormat(af_44100_16b_2ch);
    engine->setRecordingFileName(file);
    return engine->StartRecording();
  }

  int monitor = -1;
  std::vector<std::pair<std::string, bool>> completed;
  int lost = 0;
  bool sinkRemoved = false;
};

TEST_F(SoundServerTest, TheServersMicrophoneIsListedBeforeTheTestMicrophone) {
  ASSERT_GE(monitor, 0) << "\"" << PulseServer::kMonitorName << "\" is not among the audio devices";
  EXPECT_LT(monitor, microphone) << "real devices come first";
  engine->setAudioDevice(monitor);
  EXPECT_FALSE(engine->AudioFormats().empty());
}

TEST_F(SoundServerTest, ARecordingHoldsTheToneThatWasPlayedIntoTheServer) {
  ASSERT_GE(monitor, 0);
  const Pipeline tone = PlayTone();
  ASSERT_TRUE(tone) << "cannot play into the server's sink";
  const std::string file = (storage / "tone.avi").string();
  ASSERT_TRUE(StartRecording(file));
  ASSERT_TRUE(WaitUntil([&] { return engine->RecordingElapsedSeconds() >= 2.0; }, 20000));
  engine->StopRecording();
  ASSERT_TRUE(WaitUntil([&] { return !completed.empty(); }, 10000));
  EXPECT_TRUE(completed[0].second);

  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_TRUE(probe.error.empty()) << probe.error;
  const auto* audio = probe.First("audio");
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->sampleRate, kRate);
  const std::vector<double> sound = DecodeSound(file);
  const auto [share, blocks] = MedianShareAt(sound, kToneHz);
  EXPECT_GE(blocks * 2048, static_cast<std::size_t>(kRate)) << "at least a second of sound";
  EXPECT_GT(share, 0.8) << "the tone is what was recorded";
  for (double other : {440.0, 880.0, 617.0, 2468.0})
    EXPECT_LT(MedianShareAt(sound, other).first, 0.01) << other << " Hz";
}

TEST_F(SoundServerTest, TakingTheMicrophoneAwayEndsTheRecordingCleanlyWithAMessage) {
  ASSERT_GE(monitor, 0);
  const Pipeline tone = PlayTone();
  const std::string file = (storage / "cut.avi").string();
  ASSERT_TRUE(StartRecording(file));
  ASSERT_TRUE(WaitUntil([&] { return engine->RecordingElapsedSeconds() >= 1.0; }, 20000));
  ASSERT_TRUE(sinkRemoved = g_server->RemoveSink());

  ASSERT_TRUE(WaitUntil([&] { return !completed.empty() && lost > 0; }, 20000)) << "the recording went on";
  EXPECT_EQ(completed[0], std::make_pair(file, false))
      << "ended short of what was asked; " << ::testing::PrintToString(reports);
  EXPECT_NE(engine->EngineState(), es_Recording);
  ASSERT_TRUE(engine->RecordingFailure().has_value());
  EXPECT_EQ(engine->RecordingFailure()->Name, PulseServer::kMonitorName);
  EXPECT_EQ(engine->RecordingFailure()->FileName, file);
  EXPECT_TRUE(HasReport("ERROR: " + std::string(PulseServer::kMonitorName) +
                        " is no longer there: the recording to " + file +
                        " ended and keeps what was recorded until then"))
      << ::testing::PrintToString(reports);

  EXPECT_GT(HeaderFrames(file), 0u) << "the writer finished the file";
  const auto probe = orvex::test::ProbeFile(file);
  ASSERT_TRUE(probe.error.empty()) << probe.error;
  ASSERT_NE(probe.First("audio"), nullptr);
  ASSERT_NE(probe.First("video"), nullptr);
  EXPECT_GE(probe.First("video")->frames, 20) << "about a second at 30 frames per second";
  EXPECT_EQ(orvex::test::DecodeErrors(file), "");
}

}  // namespace
