#include <gtest/gtest.h>

#include "platform/kernel/DiskSpace.h"
#include "tests/support/TempDir.h"

TEST(DiskSpace, AFolderHasFreeSpaceAndAKind) {
  orvex::test::TempDir dir;
  const auto info = orvex::kernel::QueryDrive(dir.str());
  ASSERT_TRUE(info.freeBytes.has_value());
  EXPECT_GT(*info.freeBytes, 0u);
  EXPECT_NE(info.kind, orvex::kernel::DriveKind::Unknown);
}

TEST(DiskSpace, AFileNotYetWrittenIsJudgedByItsFolder) {
  orvex::test::TempDir dir;
  const auto info = orvex::kernel::QueryDrive((dir / "not" / "there" / "clip.avi").string());
  EXPECT_TRUE(info.freeBytes.has_value());
}

TEST(DiskSpace, TestsCanPretendAFullDisk) {
  orvex::kernel::SetDriveQueryForTesting([](const std::string&) {
    return orvex::kernel::DriveInfo{123, orvex::kernel::DriveKind::CdRom};
  });
  const auto info = orvex::kernel::QueryDrive("/anything");
  orvex::kernel::SetDriveQueryForTesting(nullptr);
  EXPECT_EQ(info.freeBytes, 123u);
  EXPECT_EQ(info.kind, orvex::kernel::DriveKind::CdRom);
}
