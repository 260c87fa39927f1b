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
