#include <gtest/gtest.h>

#include "platform/dialogs/FileFilter.h"

using namespace orvex::dialogs;

TEST(FileFilter, PipeFilterBecomesQtFilterWithEveryFileMatchingAll) {
  EXPECT_EQ(ToQtFilter("AVI Files (*.AVI)|*.avi|All Files (*.*)|*.*"),
            "AVI Files (*.AVI) (*.avi);;All Files (*.*) (*)");
  EXPECT_EQ(ToQtFilter("Pictures|*.bmp;*.jpg"), "Pictures (*.bmp *.jpg)");
  // A dangling description without patterns is dropped.
  EXPECT_EQ(ToQtFilter("Bitmaps|*.bmp|Broken"), "Bitmaps (*.bmp)");
}

TEST(FileFilter, EntryByOneBasedIndex) {
  const QString filter = "Bitmap|*.bmp|JPEG|*.jpg|GIF|*.gif";
  EXPECT_EQ(QtFilterAt(filter, 2), "JPEG (*.jpg)");
  EXPECT_TRUE(QtFilterAt(filter, 0).isEmpty());
  EXPECT_TRUE(QtFilterAt(filter, 4).isEmpty());
}

TEST(FileFilter, DefaultExtensionOnlyForNamesWithoutOne) {
  EXPECT_EQ(WithDefaultExtension("/tmp/clip", ".avi"), "/tmp/clip.avi");
  EXPECT_EQ(WithDefaultExtension("/tmp/clip", "avi"), "/tmp/clip.avi");
  EXPECT_EQ(WithDefaultExtension("/tmp/clip.AVI", ".avi"), "/tmp/clip.AVI");
  EXPECT_EQ(WithDefaultExtension("/tmp/my.folder/clip", ".avi"), "/tmp/my.folder/clip.avi");
  EXPECT_EQ(WithDefaultExtension("", ".avi"), "");
}
