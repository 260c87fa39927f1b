#include <gtest/gtest.h>

#include "app/CommandLine.h"

TEST(CommandLine, KnownOptions) {
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"--version"}).version);
  const TCommandLine both = ParseCommandLine({"--test-devices", "--version"});
  EXPECT_TRUE(both.testDevices);
  EXPECT_TRUE(both.version);
  EXPECT_TRUE(both.error.empty());
}

TEST(CommandLine, UnknownDoubleDashOptionIsAnErrorNamingIt) {
  const TCommandLine parsed = ParseCommandLine({"--test-devices", "--recrod"});
  EXPECT_NE(parsed.error.find("'--recrod'"), std::string::npos);
}

TEST(CommandLine, QtsOwnOptionsAreLeftAlone) {
  const TCommandLine parsed = ParseCommandLine({"-platform", "offscreen", "--test-devices"});
  EXPECT_TRUE(parsed.error.empty());
  EXPECT_TRUE(parsed.testDevices);
  EXPECT_TRUE(parsed.qtPlatformGiven);
  EXPECT_TRUE(ParseCommandLine({"-style", "fusion", "-reverse", "-display", ":1"}).error.empty());
}

TEST(CommandLine, VersionNamesProgramAndEngine) {
  EXPECT_EQ(VersionText(), "Orvex Ziru v1.4\nVOduduDudiviv v7.2 (build 7.2.4 rev n, March 14, 2005)\n");
}

TEST(CommandLine, RecordAndSnapshotTakeTheirValues) {
  const TCommandLine record = ParseCommandLine({"--test-devices", "--record", "out.avi", "--seconds", "2.5"});
  EXPECT_TRUE(record.error.empty()) << record.error;
  EXPECT_EQ(record.recordFile, "out.avi");
  EXPECT_DOUBLE_EQ(record.seconds, 2.5);
  EXPECT_TRUE(record.Headless());
  EXPECT_EQ(ParseCommandLine({"--snapshot", "shot.jpg"}).snapshotFile, "shot.jpg");
  EXPECT_FALSE(ParseCommandLine({"--test-devices"}).Headless());
  const TCommandLine attached = ParseCommandLine({"--record=clip.AVI", "--seconds=.5"});
  EXPECT_TRUE(attached.error.empty()) << attached.error;
  EXPECT_EQ(attached.recordFile, "clip.AVI");
  EXPECT_DOUBLE_EQ(attached.seconds, 0.5);
  EXPECT_DOUBLE_EQ(ParseCommandLine({"--record", "a.avi", "--seconds", "604800"}).seconds, 604800);
}

struct Misuse {
  std::vector<std::string> args;
  std::string error;  // the whole message
};

class CommandLineMisuse : public ::testing::TestWithParam<Misuse> {};

// Every misuse is refused with one line that says what is wrong; nothing is
// ignored or read in a way the user did not mean.
TEST_P(CommandLineMisuse, IsRefusedWithOneClearLine) {
  const TCommandLine parsed = ParseCommandLine(GetParam().args);
  EXPECT_EQ(parsed.error, GetParam().error);
  EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
}

const Misuse kMisuses[] = {
    {{"--record"}, "'--record' needs a file name"},
    {{"--record", "--seconds", "3"}, "'--record' needs a file name"},
    {{"--record", ""}, "'--record' needs a file name"},
    {{"--snapshot="}, "'--snapshot' needs a file name"},
    {{"--record", "a.avi", "--seconds"}, "'--seconds' needs a number of seconds"},
    {{"--record", "a.avi", "--seconds", "0"},
     "'--seconds 0': the time must be more than 0 seconds and at most a week (604800 seconds)"},
    {{"--record", "a.avi", "--seconds", "0.0"},
     "'--seconds 0.0': the time must be more than 0 seconds and at most a week (604800 seconds)"},
    {{"--record", "a.avi", "--seconds", "604800.5"},
     "'--seconds 604800.5': the time must be more than 0 seconds and at most a week (604800 seconds)"},
    {{"--record", "a.avi", "--seconds", "99999999"},
     "'--seconds 99999999': the time must be more than 0 seconds and at most a week (604800 seconds)"},
    {{"--record", "a.avi", "--seconds", "0x10"},
     "'--seconds 0x10': give the time in seconds as a plain number, such as 10 or 2.5"},
    {{"--record", "a.avi", "--seconds", "-1"},
     "'--seconds -1': give the time in seconds as a plain number, such as 10 or 2.5"},
    {{"--record", "a.avi", "--seconds", "abc"},
     "'--seconds abc': give the time in seconds as a plain number, such as 10 or 2.5"},
    {{"--record", "a.avi", "--seconds", "3x"},
     "'--seconds 3x': give the time in seconds as a plain number, such as 10 or 2.5"},
    {{"--record", "a.avi", "--seconds", "nan"},
     "'--seconds nan': give the time in seconds as a plain number, such as 10 or 2.5"},
    {{"--record", "a.avi", "--seconds", "1e3"},
     "'--seconds 1e3': give the time in seconds as a plain number, such as 10 or 2.5"},
    {{"--record", "a.avi", "--seconds", " 5"},
     "'--seconds  5': give the time in seconds as a plain number, such as 10 or 2.5"},
    {{"--seconds", "5"}, "'--seconds' only goes with '--record'"},
    {{"--snapshot", "a.bmp", "--seconds", "5"}, "'--seconds' only goes with '--record'"},
    {{"--record", "a.avi", "--snapshot", "b.bmp"},
     "'--record' and '--snapshot' cannot be used together; give one of them"},
    {{"--list-devices", "--snapshot", "b.bmp"},
     "'--list-devices' and '--snapshot' cannot be used together; give one of them"},
    {{"--record", "a.avi", "--record", "b.avi"}, "'--record' is given twice"},
    {{"--record", "a.avi", "--seconds", "2", "--seconds=3"}, "'--seconds' is given twice"},
    {{"--record", "clip.mp4"},
     "'--record clip.mp4': recordings are AVI files; give a name that ends in .avi"},
    {{"--snapshot", "shot.png"}, "'--snapshot shot.png': give a name that ends in .bmp, .jpg or .gif"},
    {{"-help"}, "unknown option '-help' (did you mean '--help'?)"},
    {{"-record", "a.avi"}, "unknown option '-record' (did you mean '--record'?)"},
    {{"-x"}, "unknown option '-x'"},
    {{"--recrod"}, "unknown option '--recrod'"},
    {{"--help=yes"}, "'--help' takes no value"},
    {{"clip.avi"}, "unexpected argument 'clip.avi'; the options start with --"},
    {{"-platform"}, "'-platform' needs a value"},
};

INSTANTIATE_TEST_SUITE_P(Table, CommandLineMisuse, ::testing::ValuesIn(kMisuses));

TEST(CommandLine, HelpAndVersionWinOverTheRest) {
  EXPECT_TRUE(ParseCommandLine({"--seconds", "5", "--help"}).error.empty());
  EXPECT_TRUE(ParseCommandLine({"--record", "a.avi", "--snapshot", "b.bmp", "--version"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--help", "--bogus"}).error.empty()) << "an unknown option is still named";
}

TEST(CommandLine, RepairTakesOneFileAndNoOtherJob) {
  const TCommandLine repair = ParseCommandLine({"--repair", "clip.avi"});
  EXPECT_TRUE(repair.error.empty()) << repair.error;
  EXPECT_EQ(repair.repairFile, "clip.avi");
  EXPECT_TRUE(repair.Headless());
  EXPECT_NE(ParseCommandLine({"--repair"}).error.find("'--repair' needs a file name"), std::string::npos);
  EXPECT_NE(ParseCommandLine({"--repair", "a.avi", "--record", "b.avi"}).error.find("'--repair'"),
            std::string::npos);
}
