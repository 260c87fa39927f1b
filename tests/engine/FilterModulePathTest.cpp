// Where the engine loads its filter module from: beside the program in a
// build tree, from the private library folder of an installed tree, never
// from the current folder.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <ostream>
#include <vector>

#include "engine/FilterModule.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct ModuleLayout {
  const char* name;
  std::vector<const char*> files;  // relative to the temporary root
  const char* programFolder;       // relative to the root
  const char* loadedFrom;          // relative to the root
};

void PrintTo(const ModuleLayout& layout, std::ostream* out) { *out << layout.name; }

class FilterModuleLayout : public ::testing::TestWithParam<ModuleLayout> {};

TEST_P(FilterModuleLayout, LoadsTheProgramsOwnModule) {
  const ModuleLayout& layout = GetParam();
  orvex::test::TempDir root;
  for (const char* file : layout.files) {
    fs::create_directories((root / file).parent_path());
    orvex::test::WriteFile(root / file, "module");
  }
  const fs::path previous = fs::current_path();
  fs::current_path(root.path());
  const std::string path = filter_module::ModulePathFor((root / layout.programFolder).string());
  fs::current_path(previous);
  EXPECT_EQ(path, (root / layout.loadedFrom).string());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FilterModuleLayout,
    ::testing::Values(
        ModuleLayout{"build tree", {"bin/orvex", "bin/liborvexfilters.so"}, "bin", "bin/liborvexfilters.so"},
        ModuleLayout{"installed",
                     {"usr/bin/orvex", "usr/lib/orvex/liborvexfilters.so"},
                     "usr/bin",
                     "usr/lib/orvex/liborvexfilters.so"},
        ModuleLayout{
            "missing, named beside the program", {"usr/bin/orvex"}, "usr/bin", "usr/bin/liborvexfilters.so"},
        ModuleLayout{"only in the current folder",
                     {"usr/bin/orvex", "liborvexfilters.so", "lib/orvex/liborvexfilters.so"},
                     "usr/bin",
                     "usr/bin/liborvexfilters.so"}),
    [](const ::testing::TestParamInfo<ModuleLayout>& row) {
      std::string name = row.param.name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

}  // namespace
