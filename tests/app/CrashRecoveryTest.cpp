// The program killed (SIGKILL) while it records, for each kind of recording;
// the next start, or --repair, repairs the file so that ffprobe reads it
// without a warning and ffmpeg decodes every second that was recorded.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <regex>
#include <sstream>
#include <thread>

#include "engine/recovery/AviHeader.h"
#include "engine/recovery/AviScan.h"
#include "engine/recovery/RecordingJournal.h"
#include "tests/support/MediaProbe.h"
#include "tests/support/TempDir.h"

extern "C" const char* __lsan_default_suppressions();
extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The program run as a process of its own; killed and reaped however the test ends.
class Program {
 public:
  Program(const std::vector<std::string>& args, const fs::path& folder)
      : out_(folder / "out.txt"), err_(folder / "err.txt") {
    std::vector<std::string> env{"ORVEX_CONFIG_DIR=" + (folder / "settings").string(),
                                 "LSAN_OPTIONS=suppressions=" + (folder / "lsan.supp").string()};
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "ORVEX_CONFIG_DIR=", 17) != 0 && std::strncmp(*e, "LSAN_OPTIONS=", 13) != 0)
        env.push_back(*e);
    std::vector<char*> argv{const_cast<char*>(ORVEX_BINARY)}, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, ORVEX_BINARY, &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Program() { Kill(); }

  bool Running() {
    if (pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
  }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    pid_ = -1;
  }
  // Waits for the end; the exit code, or -1 when it had to be killed.
  int Wait(std::chrono::seconds deadline) {
    const auto until = Clock::now() + deadline;
    while (Running() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Running()) {
      Kill();
      return -1;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  std::string Out() const { return orvex::test::ReadFile(out_); }
  std::string Err() const { return orvex::test::ReadFile(err_); }

 private:
  fs::path out_, err_;
  pid_t pid_ = -1;
  int status_ = 0;
};

struct Devices {
  int camera = -1, microphone = -1, mjpeg = -1, fullHd = -1;
};

// The indexes the capture settings give the test devices, as --list-devices prints them.
Devices ListDevices(const fs::path& folder) {
  Program list({"--test-devices", "--list-devices"}, folder);
  EXPECT_EQ(list.Wait(std::chrono::seconds(120)), 0) << list.Err();
  Devices d;
  std::istringstream lines(list.Out());
  bool inCamera = false;
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, std::regex(R"(\s+(\d+)\s+(.*))"))) continue;
    const int index = std::stoi(m[1]);
    const std::string name = m[2];
    if (name == "Test Pattern Camera (WDM)") d.camera = index;
    if (name == "Test Tone Microphone") d.microphone = index;
    if (name == "libav MJPEG (Motion JPEG) encoder") d.mjpeg = index;
    if (line.rfind("   ", 0) == 0 && line[3] != ' ') inCamera = name == "Test Pattern Camera (WDM)";
    if (inCamera && name == "1920x1080") d.fullHd = index;
  }
  return d;
}

long RecordedFrames(const std::string& file) {
  orvex::recovery::TAviFile avi;
  std::string why;
  if (!avi.Open(file, false, why)) return 0;
  const auto header = orvex::recovery::ReadAviHeader(avi, why);
  const auto scan = header ? orvex::recovery::ScanAviData(avi, *header, why) : std::nullopt;
  long frames = 0;
  if (scan)
    for (const auto& part : scan->parts) frames += static_cast<long>(part.counts[0].chunks);
  return frames;
}

struct CrashCase {
  const char* name;
  bool mjpeg;
  bool sound;
  bool fullHd;
  int seconds;     // recorded before the kill
  bool byCommand;  // repaired by --repair rather than by the next start
};

class CrashRecovery : public ::testing::TestWithParam<CrashCase> {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "settings");
    orvex::test::WriteFile(dir / "lsan.supp", __lsan_default_suppressions());
  }
  void Settings(int videoSize, int compressor, int microphone) {
    char text[512];
    std::snprintf(
        text, sizeof text,
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\r\n"
        "\"SecondVideoSource\"=dword:%08x\r\n\"SecondVideoSize\"=dword:%08x\r\n"
        "\"SecondVideoCompression\"=dword:%08x\r\n\"SecondAudioSource\"=dword:%08x\r\n",
        devices.camera, videoSize, compressor, microphone);
    orvex::test::WriteFile(dir / "settings" / "HKEY_LOCAL_MACHINE.reg", text);
  }
  // What the next start (or --repair) said about the file.
  std::string Repair(const std::string& file, bool byCommand) {
    Program program(byCommand ? std::vector<std::string>{"--repair", file}
                              : std::vector<std::string>{"--test-devices", "--list-devices"},
                    dir.path());
    EXPECT_EQ(program.Wait(std::chrono::seconds(120)), 0) << program.Err();
    return byCommand ? program.Out() : program.Err();
  }

  orvex::test::TempDir dir;
  static Devices devices;
};

Devices CrashRecovery::devices;

TEST_P(CrashRecovery, TheNextStartRepairsWhatWasRecorded) {
  const CrashCase& c = GetParam();
  if (devices.camera < 0) devices = ListDevices(dir.path());
  ASSERT_GE(devices.camera, 0);
  ASSERT_TRUE(!c.sound || devices.microphone >= 0);
  if (c.mjpeg && devices.mjpeg < 0) GTEST_SKIP() << "no MJPEG encoder installed";
  Settings(c.fullHd ? devices.fullHd : 0, c.mjpeg ? devices.mjpeg : 0, c.sound ? devices.microphone : 0);
  const std::string file = (dir / "clip.avi").string();

  {
    Program recording({"--test-devices", "--record", file, "--seconds", "600"}, dir.path());
    const long wanted = c.seconds * 30L;
    const auto until = Clock::now() + std::chrono::seconds(180);
    while (RecordedFrames(file) < wanted && recording.Running() && Clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(recording.Running()) << "the recording ended by itself: " << recording.Err();
    ASSERT_GE(RecordedFrames(file), wanted) << "the recording did not get far enough in time";
    ASSERT_TRUE(fs::exists(file + ".journal"));
    recording.Kill();
  }
  if (c.fullHd) {
    ASSERT_GT(fs::file_size(file), 1ull << 30) << "past 1 GB, as an OpenDML file";
  }

  const std::string said = Repair(file, c.byCommand);
  std::smatch kept;
  ASSERT_TRUE(std::regex_search(
      said, kept,
      std::regex("The recording " + file + R"( was not finished; it was repaired \(00:00:(\d\d) kept\))")))
      << said;
  EXPECT_GE(std::stoi(kept[1]), c.seconds - 1);
  EXPECT_FALSE(fs::exists(file + ".journal"));
  EXPECT_TRUE(orvex::recovery::ListedJournals((dir / "settings").string()).empty());

  EXPECT_EQ(orvex::test::ProbeWarnings(file), "");
  const auto decoded = orvex::test::DecodeStreams(file);
  EXPECT_GE(decoded.videoSeconds, c.seconds - 1);
  if (c.sound) {
    EXPECT_GE(decoded.audioSeconds, c.seconds - 1);
    EXPECT_NEAR(decoded.audioSeconds, decoded.videoSeconds, 0.1);
  }
  EXPECT_EQ(Repair(file, false).find("was not finished"), std::string::npos) << "told once";
}

INSTANTIATE_TEST_SUITE_P(Recordings, CrashRecovery,
                         ::testing::Values(CrashCase{"RawRgb", false, false, false, 3, false},
                                           CrashCase{"Mjpeg", true, false, false, 3, true},
                                           CrashCase{"MjpegWithMicrophone", true, true, false, 3, false},
                                           CrashCase{"RawFullHdPastOneGigabyte", false, false, true, 5,
                                                     true}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
