#include <regex>

#include "engine/TLog.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& doc) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = doc.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(doc.substr(start, end - start));
  lines.push_back(doc.substr(start));
  return lines;
}

}  // namespace

TEST(DiagnosticLog, IsAnRtfDocumentRewrittenAfterEveryLine) {
  orvex::test::TempDir dir;
  const auto path = dir / "vodudulog.rtf";
  TLog& log = TLog::Instance();
  log.Open(path.string());
  log.Line("plain line");
  log.Line("ERROR: {braces} and \\backslash", TLog::lcRed);
  log.Banner("component initialized", '+');

  const std::string doc = orvex::test::ReadFile(path);
  EXPECT_EQ(doc, log.Document());
  const auto lines = Lines(doc);
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(lines[0], "{\\rtf1\\ansi\\ansicpg1252\\deff0");
  EXPECT_NE(lines[1].find("Courier New"), std::string::npos);
  EXPECT_EQ(lines[2],
            "{\\colortbl ;\\red128\\green128\\blue128;\\red0\\green0\\blue255;\\red0\\green128\\blue0;"
            "\\red255\\green0\\blue0;\\red128\\green0\\blue128;\\red255\\green255\\blue0;}");
  EXPECT_EQ(lines[3], "\\f0\\fs20\\b");
  // The opening banner: the first line has no time prefix, the rules are yellow.
  EXPECT_EQ(lines[4], "\\cf6 " + std::string(70, '=') + "\\par");
  EXPECT_TRUE(std::regex_match(
      lines[5],
      std::regex(
          R"(\\cf0 \d+\.\d{3} BEGIN VOduduDudiviv vv7\.2 \(build 7\.2\.4 rev n, March 14, 2005\) process log\\par)")));
  EXPECT_TRUE(std::regex_match(lines[7], std::regex(R"(\\cf0 \d\.\d{3} plain line\\par)")));
  EXPECT_TRUE(std::regex_match(
      lines[8], std::regex(R"(\\cf4 \d\.\d{3} ERROR: \\\{braces\\\} and \\\\backslash\\par)")));
  EXPECT_NE(lines[9].find(std::string(70, '+')), std::string::npos);
  EXPECT_NE(lines[10].find("component initialized"), std::string::npos);
  EXPECT_EQ(lines.back(), "}");

  log.Close();
  const std::string closed = orvex::test::ReadFile(path);
  EXPECT_NE(closed.find("freeing global resources"), std::string::npos);
  EXPECT_NE(closed.find("END VOduduDudiviv vv7.2 (build 7.2.4 rev n, March 14, 2005) process log"),
            std::string::npos);
  EXPECT_FALSE(log.Enabled());
}

TEST_F(EngineTest, ReportsAndRefreshesAreLoggedWhenTheLogIsOn) {
  orvex::test::TempDir dir;
  TLog::Instance().Open((dir / "vodudulog.rtf").string());
  probe().Report(true, sv_Error, "not recording", e_not_recording);
  probe().Report(false, sv_Error, "a check that passed", e_failed);
  probe().SetPreviewWanted(true);
  probe().AutoRefresh("dsvdev");
  const std::string doc = TLog::Instance().Document();
  TLog::Instance().Close();
  probe().SetPreviewWanted(false);
  EXPECT_NE(doc.find("\\cf4 "), std::string::npos);
  EXPECT_NE(doc.find(" 53 ERROR: not recording\\par"), std::string::npos);
  EXPECT_NE(doc.find(" 9 a check that passed\\par"), std::string::npos);
  EXPECT_NE(doc.find("REFRESHING PREVIEW FROM dsvdev"), std::string::npos);
}

TEST(DiagnosticLog, NonAsciiTextIsWrittenAsUnicodeEscapes) {
  orvex::test::TempDir dir;
  TLog& log = TLog::Instance();
  log.Open((dir / "log.rtf").string());
  log.Line("Kamera \xC3\xBC");  // u-umlaut
  const std::string doc = log.Document();
  log.Close();
  EXPECT_NE(doc.find("Kamera \\u252?"), std::string::npos);
}
