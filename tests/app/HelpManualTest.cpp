// Where the Help button looks for the manual: beside the program in a build
// tree, under the install prefix in an installed one, never in the current
// folder.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

#include "app/HelpManual.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct Layout {
  const char* name;
  std::vector<const char*> files;  // relative to the temporary root
  const char* programFolder;       // relative to the root
  std::optional<const char*> found;
  bool folderGivenRelative = false;  // pass programFolder as it stands
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class HelpManualLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(HelpManualLayout, FindsTheProgramsOwnManual) {
  const Layout& layout = GetParam();
  orvex::test::TempDir root;
  for (const char* file : layout.files) {
    fs::create_directories((root / file).parent_path());
    orvex::test::WriteFile(root / file, "<html></html>");
  }
  const fs::path previous = fs::current_path();
  fs::current_path(root.path());  // a manual here must not count
  const QString folder = layout.folderGivenRelative
                             ? QString(layout.programFolder)
                             : QString::fromStdString((root / layout.programFolder).string());
  const std::optional<QString> manual = help_manual::FindManual(folder);
  fs::current_path(previous);

  if (!layout.found) {
    EXPECT_FALSE(manual) << manual->toStdString();
    return;
  }
  ASSERT_TRUE(manual);
  EXPECT_EQ(manual->toStdString(), (root / *layout.found).string());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, HelpManualLayout,
    ::testing::Values(
        Layout{"build tree", {"bin/orvex", "bin/manual/index.html"}, "bin", "bin/manual/index.html"},
        Layout{"installed",
               {"usr/bin/orvex", "usr/share/doc/orvex/manual/index.html"},
               "usr/bin",
               "usr/share/doc/orvex/manual/index.html"},
        Layout{"the build tree's own first",
               {"bin/manual/index.html", "share/doc/orvex/manual/index.html"},
               "bin",
               "bin/manual/index.html"},
        Layout{
            "missing", {"usr/bin/orvex", "usr/share/doc/orvex/manual/other.html"}, "usr/bin", std::nullopt},
        Layout{"only in the current folder", {"manual/index.html", "usr/bin/orvex"}, "usr/bin", std::nullopt},
        Layout{"a relative program folder", {"bin/manual/index.html"}, "bin", std::nullopt, true}),
    [](const ::testing::TestParamInfo<Layout>& row) {
      std::string name = row.param.name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(HelpManual, TheInstalledPlaceIsUnderThePrefix) {
  EXPECT_EQ(help_manual::InstalledManualPage("/usr/bin"), "/usr/share/doc/orvex/manual/index.html");
  EXPECT_EQ(help_manual::InstalledManualPage("/opt/orvex/bin"),
            "/opt/orvex/share/doc/orvex/manual/index.html");
}

}  // namespace
