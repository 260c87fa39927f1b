#include <gtest/gtest.h>

#include "engine/TVdvWorker.h"

TEST(CaptureFileNames, TheExtensionFollowsTheDestination) {
  EXPECT_EQ(NormaliseCaptureFileName("snap", "jpg"), "snap.jpg");
  EXPECT_EQ(NormaliseCaptureFileName("snap.png", "jpg"), "snap.jpg");
  EXPECT_EQ(NormaliseCaptureFileName("snap.JPG", "jpg"), "snap.JPG");
  EXPECT_EQ(NormaliseCaptureFileName("/tmp/my.folder/snap", "jpg"), "/tmp/my.folder/snap.jpg");
  EXPECT_EQ(NormaliseCaptureFileName("/tmp/shots/snap.bmp", "bmp"), "/tmp/shots/snap.bmp");
  EXPECT_EQ(NormaliseCaptureFileName("a.b.c", "bmp"), "a.b.bmp");
}
