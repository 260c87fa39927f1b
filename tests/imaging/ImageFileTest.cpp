#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "imaging/ImageFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TmpfsMount.h"

using namespace orvex::imaging;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string FailureOf(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  try {
    WriteImageFile(path, bytes);
  } catch (const EImageError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(ImageFile, ReplacesTheFileWhole) {
  orvex::test::TempDir dir;
  const fs::path path = dir / "snap.bmp";
  orvex::test::WriteFile(path, "an older and longer snapshot");
  WriteImageFile(path, Bytes("new"));
  EXPECT_EQ(orvex::test::ReadFile(path), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  // A link keeps pointing at the file, which receives the picture.
  fs::create_symlink(path, dir / "link.bmp");
  WriteImageFile(dir / "link.bmp", Bytes("through the link"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.bmp"));
  EXPECT_EQ(orvex::test::ReadFile(path), "through the link");

  // A name longer than the temporary name could carry whole.
  const std::string longName(240, 'n');
  WriteImageFile(dir / longName, Bytes("long"));
  EXPECT_EQ(orvex::test::ReadFile(dir / longName), "long");
}

// A new snapshot is as open as the umask says, a replaced one keeps its
// mode, and files among the settings stay the owner's.
TEST(ImageFile, NewFilesFollowTheUmaskAndReplacedOnesKeepTheirMode) {
  struct Row {
    const char* name;
    mode_t umask;
    int existingMode;  // -1: no file yet
    TFileAccess access;
    mode_t expected;
  } const rows[] = {{"new, umask 022", 022, -1, TFileAccess::Usual, 0644},
                    {"new, umask 002", 002, -1, TFileAccess::Usual, 0664},
                    {"new, umask 077", 077, -1, TFileAccess::Usual, 0600},
                    {"replaced 0640", 022, 0640, TFileAccess::Usual, 0640},
                    {"replaced 0666", 077, 0666, TFileAccess::Usual, 0666},
                    {"settings, new", 022, -1, TFileAccess::OwnerOnly, 0600},
                    {"settings, replaced 0644", 022, 0644, TFileAccess::OwnerOnly, 0600}};
  orvex::test::TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path path = dir / "snap.bmp";
    fs::remove(path);
    if (row.existingMode >= 0) {
      orvex::test::WriteFile(path, "old");
      ::chmod(path.c_str(), static_cast<mode_t>(row.existingMode));
    }
    const mode_t previous = ::umask(row.umask);
    WriteImageFile(path, Bytes("new"), row.access);
    ::umask(previous);
    struct stat written {};
    ASSERT_EQ(::stat(path.c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 07777, row.expected);
    EXPECT_EQ(orvex::test::ReadFile(path), "new");
  }
}

TEST(ImageFile, FailuresNameTheFileAndLeaveNothingBehind) {
  orvex::test::TempDir dir;
  const fs::path missing = dir / "no such folder" / "snap.gif";
  EXPECT_EQ(FailureOf(missing, Bytes("x")),
            "Cannot create file \"" + missing.string() + "\". No such file or directory");

  fs::create_directory(dir / "folder.gif");
  EXPECT_NE(FailureOf(dir / "folder.gif", Bytes("x")).find("Cannot create file"), std::string::npos);
  EXPECT_NE(FailureOf("", Bytes("x")), "");
  EXPECT_TRUE(fs::is_directory(dir / "folder.gif"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ImageFile, ReadOnlyFileOrFolderIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  orvex::test::TempDir dir;
  const fs::path path = dir / "keep.jpg";
  orvex::test::WriteFile(path, "keep me");
  fs::permissions(path, fs::perms::owner_read);
  EXPECT_NE(FailureOf(path, Bytes("x")).find("Permission denied"), std::string::npos);
  EXPECT_EQ(orvex::test::ReadFile(path), "keep me");

  fs::create_directory(dir / "locked");
  fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_NE(FailureOf(dir / "locked" / "snap.jpg", Bytes("x")).find("Permission denied"), std::string::npos);
}

TEST(ImageFile, FullDiskKeepsTheOldFileAndNoPartOfTheNew) {
  orvex::test::TempDir dir;
  const orvex::test::TmpfsMount disk(dir / "small", "size=64k");
  if (!disk.mounted()) GTEST_SKIP() << "needs root to mount a small tmpfs";
  const fs::path path = disk.path() / "snap.bmp";
  orvex::test::WriteFile(path, "old snapshot");
  const std::string failure = FailureOf(path, std::vector<std::uint8_t>(256 * 1024, 7));
  const std::string content = orvex::test::ReadFile(path);
  const auto entries = std::distance(fs::directory_iterator(disk.path()), fs::directory_iterator());
  EXPECT_EQ(failure, "Cannot write file \"" + path.string() + "\". No space left on device");
  EXPECT_EQ(content, "old snapshot");
  EXPECT_EQ(entries, 1);
}

TEST(ImageFile, StreamThatRefusesDataIsAnError) {
  std::ostringstream good;
  WriteImageStream(good, Bytes("GIF"));
  EXPECT_EQ(good.str(), "GIF");

  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  EXPECT_THROW(WriteImageStream(bad, Bytes("GIF")), EImageError);
}
