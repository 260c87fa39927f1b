// The real program, started the way a script starts it: headless jobs that
// meet a broken settings file, an unwritable settings folder or an
// unreadable overlay image say so on one line and get their job done
// instead of waiting for a box nobody sees; wrong options and missing
// folders get one plain line and the right exit code.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "tests/app/ProgramRun.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/TmpfsMount.h"

namespace orvex::test {
namespace {

namespace fs = std::filesystem;

bool HasLine(const std::vector<std::string>& lines, const std::string& part) {
  for (const auto& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// What the settings folder holds before the run; false when the machine
// cannot set it up (skip).
using Setup = std::function<bool(ProgramRun&, std::unique_ptr<TmpfsMount>&)>;

bool BrokenProgramSettings(ProgramRun& run, std::unique_ptr<TmpfsMount>&) {
  WriteFile(run.Config() / "HKEY_LOCAL_MACHINE.reg", std::string("\x7f"
                                                                 "ELF\0\1garbage",
                                                                 13));
  return true;
}

bool BrokenDeviceSettings(ProgramRun& run, std::unique_ptr<TmpfsMount>&) {
  WriteFile(run.Config() / "HKEY_CURRENT_USER.reg",
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\x\n");
  return true;
}

bool UnreadableOverlayImage(ProgramRun& run, std::unique_ptr<TmpfsMount>&) {
  WriteFile(run.Config() / "image1.bmp", "BM this is no bitmap");
  return true;
}

// Root writes through permissions, so root gets a read-only file system.
bool UnwritableSettingsFolder(ProgramRun& run, std::unique_ptr<TmpfsMount>& mount) {
  const fs::path folder = run.Config() / "locked";
  if (::geteuid() == 0) {
    mount = std::make_unique<TmpfsMount>(folder, "size=64k,mode=0700");
    if (!mount->mounted() || !mount->MakeReadOnly()) return false;
  } else {
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0500);
  }
  run.environment["ORVEX_CONFIG_DIR"] = folder.string();
  return true;
}

struct TroubleCase {
  const char* name;
  Setup setup;
  std::vector<std::string> job;  // with "OUT" for the output file
  const char* output;            // the output file's name, or nullptr
  const char* line;              // part of the line on standard error
};

void PrintTo(const TroubleCase& c, std::ostream* os) { *os << c.name; }

class HeadlessTrouble : public ::testing::TestWithParam<TroubleCase> {};

TEST_P(HeadlessTrouble, SaysItOnOneLineAndGetsTheJobDone) {
  const TroubleCase& c = GetParam();
  ProgramRun run;
  std::unique_ptr<TmpfsMount> mount;
  if (!c.setup(run, mount)) GTEST_SKIP() << "cannot make an unwritable folder here";
  const fs::path output = c.output ? run.Output() / c.output : fs::path();
  std::vector<std::string> args;
  for (const auto& arg : c.job) args.push_back(arg == "OUT" ? output.string() : arg);

  const ChildResult result = run.Run(args);
  ASSERT_FALSE(result.timedOut) << "the program hung; it said:\n" << result.err;
  const auto lines = MessageLines(result.err);
  EXPECT_EQ(result.exitCode, 0) << Joined(lines);
  EXPECT_TRUE(HasLine(lines, c.line)) << Joined(lines);
  for (const auto& line : lines) EXPECT_EQ(line.rfind("orvex: ", 0), 0u) << line;
  if (c.output) {
    EXPECT_TRUE(fs::exists(output));
    const DecodedPicture picture = output.extension() == ".bmp" ? DecodeWithFfmpeg(output) : DecodedPicture{};
    EXPECT_TRUE(picture.ok()) << picture.error;
  }
}

INSTANTIATE_TEST_SUITE_P(Startup, HeadlessTrouble,
                         ::testing::Values(TroubleCase{"BrokenProgramSettings",
                                                       BrokenProgramSettings,
                                                       {"--snapshot", "OUT"},
                                                       "shot.bmp",
                                                       "HKEY_LOCAL_MACHINE.reg\" could not be read"},
                                           TroubleCase{"BrokenDeviceSettings",
                                                       BrokenDeviceSettings,
                                                       {"--list-devices"},
                                                       nullptr,
                                                       "HKEY_CURRENT_USER.reg\" could not be read"},
                                           TroubleCase{"UnreadableOverlayImage",
                                                       UnreadableOverlayImage,
                                                       {"--record", "OUT", "--seconds", "1"},
                                                       "clip.avi",
                                                       "image1.bmp\" is not a valid bitmap"},
                                           TroubleCase{"UnwritableSettingsFolder",
                                                       UnwritableSettingsFolder,
                                                       {"--snapshot", "OUT"},
                                                       "shot.bmp",
                                                       "cannot be written"}),
                         [](const auto& row) { return std::string(row.param.name); });

struct MisuseCase {
  const char* name;
  std::vector<std::string> args;
  int exitCode;
  std::string line;  // the whole first line
};

void PrintTo(const MisuseCase& c, std::ostream* os) { *os << c.name; }

class ProgramMisuse : public ::testing::TestWithParam<MisuseCase> {};

TEST_P(ProgramMisuse, OnePlainLineAndTheExitCode) {
  const MisuseCase& c = GetParam();
  ProgramRun run;
  const ChildResult result = run.Run(c.args);
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.signal, 0) << "no abort";
  EXPECT_EQ(result.exitCode, c.exitCode);
  const auto lines = MessageLines(result.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], c.line);
  if (c.exitCode == 2) {
    ASSERT_EQ(lines.size(), 2u) << Joined(lines);
    EXPECT_EQ(lines[1], "Try 'orvex --help' for the options.");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Options, ProgramMisuse,
    ::testing::Values(
        MisuseCase{
            "SecondsWithoutRecord", {"--seconds", "5"}, 2, "orvex: '--seconds' only goes with '--record'"},
        MisuseCase{"SingleDashHelp", {"-help"}, 2, "orvex: unknown option '-help' (did you mean '--help'?)"},
        MisuseCase{"RecordAndSnapshot",
                   {"--record", "a.avi", "--snapshot", "b.bmp"},
                   2,
                   "orvex: '--record' and '--snapshot' cannot be used together; give one of them"},
        MisuseCase{
            "MissingFolder",
            {"--record", "/nonexistent-orvex/y.avi"},
            1,
            "orvex: cannot record to /nonexistent-orvex/y.avi: the folder /nonexistent-orvex does not exist"},
        MisuseCase{"WindowsWithoutADisplay",
                   {},
                   1,
                   "orvex: there is no display to show the windows on (DISPLAY is not set); --list-devices, "
                   "--record and --snapshot work without one"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace orvex::test
