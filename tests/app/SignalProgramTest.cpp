// Ctrl-C, SIGTERM and SIGHUP on a headless recording of the real program:
// the file is finished as at a normal stop, with its header and index, and
// the exit code names the signal.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "platform/kernel/TerminationSignals.h"
#include "tests/app/ProgramRun.h"
#include "tests/support/MediaProbe.h"

namespace orvex::test {
namespace {

namespace fs = std::filesystem;
using orvex::kernel::SignalName;

// A frame's chunk in the file: the test camera at 160x120, recorded as the
// frame grabber hands it on (32 bits a pixel).
constexpr std::uintmax_t kFrameBytes = 160 * 120 * 4 + 8;
constexpr std::uintmax_t kThreeSeconds = 90 * kFrameBytes;

struct SignalCase {
  const char* name;
  int signo;
  int exitCode;
  int second = 0;  // sent right after the first, while the program finishes
};

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }

class SignalOnRecording : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalOnRecording, FinishesTheFileAndExitsWithTheSignalsCode) {
  const SignalCase& c = GetParam();
  ProgramRun run;
  // The first camera (the test camera) at its smallest size.
  WriteFile(run.Config() / "HKEY_LOCAL_MACHINE.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n"
            "\"SecondVideoSource\"=dword:00000001\n\"SecondVideoSize\"=dword:00000001\n");
  const fs::path file = run.Output() / "clip.avi";
  const auto program = run.Start({"--record", file.string(), "--seconds", "600"});
  ASSERT_TRUE(program->started());

  // Three seconds of frames in the file, however long a busy machine takes.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kProgramDeadlineMs);
  std::error_code ec;
  while (!(fs::exists(file, ec) && fs::file_size(file, ec) >= kThreeSeconds) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_GE(fs::file_size(file, ec), kThreeSeconds) << program->ErrSoFar();

  ASSERT_TRUE(program->Signal(c.signo));
  if (c.second) {
    ASSERT_TRUE(program->Signal(c.second));
  }
  const ChildResult result = program->Wait(kProgramDeadlineMs);
  ASSERT_FALSE(result.timedOut) << result.err;
  EXPECT_EQ(result.signal, 0) << "killed by the signal instead of finishing";
  // Two signals sent at once may reach two threads: either may count as
  // the first, the other is ignored.
  const auto stoppedBy = [&](int signo) {
    return result.err.find(std::string("orvex: stopped by ") + SignalName(signo)) != std::string::npos;
  };
  const int first = c.second && stoppedBy(c.second) ? c.second : c.signo;
  EXPECT_TRUE(stoppedBy(first)) << result.err;
  EXPECT_EQ(result.exitCode, c.second ? 128 + first : c.exitCode) << result.err;
  if (c.second) {
    EXPECT_NE(result.err.find("orvex: still finishing"), std::string::npos) << "the second one is ignored";
  }

  const ProbedFile probe = ProbeFile(file);
  ASSERT_TRUE(probe.error.empty()) << probe.error;
  const ProbedStream* video = probe.First("video");
  ASSERT_NE(video, nullptr);
  EXPECT_GE(video->frames, 75) << "at least 2.5 s of frames decode";
  EXPECT_EQ(video->declaredFrames, video->frames) << "the header counts every frame";
  EXPECT_GE(probe.duration, 2.5);
  EXPECT_NEAR(probe.duration, video->frames / 30.0, 0.1);
  EXPECT_EQ(DecodeErrors(file), "");
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalOnRecording,
                         ::testing::Values(SignalCase{"SIGINT", SIGINT, 130},
                                           SignalCase{"SIGTERM", SIGTERM, 143},
                                           SignalCase{"SIGHUP", SIGHUP, 129},
                                           SignalCase{"SIGTERMWhileFinishing", SIGINT, 130, SIGTERM}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace orvex::test
