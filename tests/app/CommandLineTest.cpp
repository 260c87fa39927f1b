#include "app/CommandLine.h"

#include <gtest/gtest.h>

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
}

TEST(CommandLine, VersionNamesProgramAndEngine) {
  EXPECT_EQ(VersionText(),
            "Orvex Ziru v1.4\nVOduduDudiviv v7.2 (build 7.2.4 rev n, March 14, 2005)\n");
}

TEST(CommandLine, RecordAndSnapshotTakeTheirValues) {
  const TCommandLine record = ParseCommandLine({"--test-devices", "--record", "out.avi", "--seconds", "2.5"});
  EXPECT_TRUE(record.error.empty()) << record.error;
  EXPECT_EQ(record.recordFile, "out.avi");
  EXPECT_DOUBLE_EQ(record.seconds, 2.5);
  EXPECT_TRUE(record.Headless());
  EXPECT_EQ(ParseCommandLine({"--snapshot", "shot.jpg"}).snapshotFile, "shot.jpg");
  EXPECT_FALSE(ParseCommandLine({"--test-devices"}).Headless());
}

TEST(CommandLine, MissingOrBadValuesAreErrors) {
  EXPECT_NE(ParseCommandLine({"--record"}).error.find("'--record' needs a value"), std::string::npos);
  EXPECT_NE(ParseCommandLine({"--record", "--seconds", "3"}).error.find("needs a value"), std::string::npos);
  for (const char* bad : {"0", "-1", "abc", "3x", "nan", "99999999"})
    EXPECT_FALSE(ParseCommandLine({"--record", "a.avi", "--seconds", bad}).error.empty()) << bad;
}

TEST(CommandLine, RepairTakesOneFileAndNoOtherJob) {
  const TCommandLine repair = ParseCommandLine({"--repair", "clip.avi"});
  EXPECT_TRUE(repair.error.empty()) << repair.error;
  EXPECT_EQ(repair.repairFile, "clip.avi");
  EXPECT_TRUE(repair.Headless());
  EXPECT_NE(ParseCommandLine({"--repair"}).error.find("'--repair' needs a value"), std::string::npos);
  EXPECT_NE(ParseCommandLine({"--repair", "a.avi", "--record", "b.avi"}).error.find("'--repair'"), std::string::npos);
}
