// Where a headless job is asked to write: the reason in plain words before
// any device is started.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "app/OutputFolder.h"
#include "tests/support/TempDir.h"
#include "tests/support/TmpfsMount.h"

namespace {

namespace fs = std::filesystem;
using orvex::test::TempDir;
using orvex::test::TmpfsMount;

struct FolderCase {
  const char* name;
  // Prepares the place under `dir` and answers the file to write; empty to skip.
  std::function<fs::path(const TempDir& dir, std::unique_ptr<TmpfsMount>&)> place;
  std::string problem;  // with "DIR" for the test's folder
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class OutputFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(OutputFolder, NamesTheProblem) {
  TempDir dir;
  std::unique_ptr<TmpfsMount> mount;
  const fs::path file = GetParam().place(dir, mount);
  if (file.empty()) GTEST_SKIP() << "cannot make a read-only folder here";
  std::string expected = GetParam().problem;
  if (const auto at = expected.find("DIR"); at != std::string::npos) expected.replace(at, 3, dir.str());
  EXPECT_EQ(OutputFolderProblem(file), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, OutputFolder,
    ::testing::Values(FolderCase{"Writable", [](const TempDir& d, auto&) { return d / "clip.avi"; }, ""},
                      FolderCase{"MissingFolder",
                                 [](const TempDir& d, auto&) { return d / "gone" / "clip.avi"; },
                                 "the folder DIR/gone does not exist"},
                      FolderCase{"FolderIsAFile",
                                 [](const TempDir& d, auto&) {
                                   orvex::test::WriteFile(d / "file", "x");
                                   return d / "file" / "clip.avi";
                                 },
                                 "DIR/file is not a folder"},
                      FolderCase{"TargetIsAFolder",
                                 [](const TempDir& d, auto&) {
                                   fs::create_directory(d / "clip.avi");
                                   return d / "clip.avi";
                                 },
                                 "DIR/clip.avi is a folder"},
                      FolderCase{"ReadOnlyFolder",
                                 [](const TempDir& d, std::unique_ptr<TmpfsMount>& mount) -> fs::path {
                                   if (::geteuid() != 0) {
                                     fs::create_directory(d / "ro");
                                     ::chmod((d / "ro").c_str(), 0500);
                                     return d / "ro" / "clip.avi";
                                   }
                                   mount = std::make_unique<TmpfsMount>(d / "ro", "size=64k");
                                   return mount->MakeReadOnly() ? d / "ro" / "clip.avi" : fs::path();
                                 },
                                 ::geteuid() == 0
                                     ? "the folder DIR/ro cannot be written: Read-only file system"
                                     : "the folder DIR/ro cannot be written: Permission denied"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
