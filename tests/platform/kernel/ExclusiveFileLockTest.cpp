#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/kernel/ExclusiveFileLock.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;
using orvex::kernel::ExclusiveFileLock;

// What a second writer, a missing folder or a read-only one get, and that
// nothing is ever truncated on the way.
TEST(ExclusiveFileLock, AnswersWhyAFileCannotBeWrittenAndTruncatesNothing) {
  orvex::test::TempDir dir;
  orvex::test::WriteFile(dir / "taken.avi", "first recording");
  orvex::test::WriteFile(dir / "plain", "a file");
  fs::create_directory(dir / "readonly");
  fs::permissions(dir / "readonly", fs::perms::owner_read | fs::perms::owner_exec);
  ExclusiveFileLock holder;
  ASSERT_EQ(holder.Acquire((dir / "taken.avi").string()), 0);
  EXPECT_FALSE(holder.Created());

  struct Row {
    fs::path path;
    int error;
    bool created;
  } const rows[] = {{dir / "new.avi", 0, true},
                    {dir / "taken.avi", EWOULDBLOCK, false},
                    {dir / "missing" / "x.avi", ENOENT, false},
                    {dir / "plain" / "x.avi", ENOTDIR, false},
                    {dir.path(), EISDIR, false},
                    {dir / "readonly" / "x.avi", EACCES, false},
                    {"/dev/null", 0, false}};
  orvex::test::WithoutPermissionOverride asAnyUser;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path.string());
    ExclusiveFileLock lock;
    EXPECT_EQ(lock.Acquire(row.path.string()), row.error);
    EXPECT_EQ(lock.Created(), row.created);
  }
  EXPECT_EQ(orvex::test::ReadFile(dir / "taken.avi"), "first recording");
  EXPECT_TRUE(fs::exists(dir / "new.avi"));
  holder.Release();
  ExclusiveFileLock next;
  EXPECT_EQ(next.Acquire((dir / "taken.avi").string()), 0) << "free again once the first writer is done";
}
