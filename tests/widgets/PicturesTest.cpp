// The built-in pictures: every one the windows ask for is there twice, the
// second drawing exactly twice the size, and the helpers hand out the one
// that suits the screen.

#include <gtest/gtest.h>

#include <QImage>

#include "widgets/Pictures.h"

using namespace orvex::widgets;

namespace {

const char* const kPictures[] = {
    "background",         "btnConfiguration", "btnStart",    "btnStop", "btnPreview",
    "btnVideoProcessing", "btnOverlay",       "btnSnapShot", "btnHelp", "SnapShotUp",
    "SnapShotDown",       "Brightness",       "Contrast",    "Hue",     "Saturation",
    "GrayScale",          "Negative",         "Rotation",    "Mirror",  "Configure"};

// Mean absolute difference per channel of two images of one size.
double Difference(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_ARGB32);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col) {
      const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
             std::abs(qAlpha(p) - qAlpha(q));
    }
  return sum / (4.0 * x.width() * x.height());
}

}  // namespace

TEST(Pictures, EachIsDrawnAtItsSizeAndAtTwiceItsSize) {
  for (const char* name : kPictures) {
    SCOPED_TRACE(name);
    const QImage once(PicturePath(name));
    const QImage twice(QString(":/pictures/%1@2x.png").arg(name));
    ASSERT_FALSE(once.isNull());
    ASSERT_FALSE(twice.isNull());
    EXPECT_EQ(twice.size(), once.size() * 2);
    // The same drawing: shrunk, the large one matches the small one, while
    // the small one blown up is visibly coarser than the large one.
    const QImage shrunk = twice.scaled(once.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(Difference(shrunk, once), 12.0);
    EXPECT_GT(Difference(once.scaled(twice.size()), twice), 0.0);
  }
  const QImage background(PicturePath("background"));
  EXPECT_EQ(background.size(), QSize(kBackgroundWidth, kBackgroundHeight));
}

TEST(Pictures, TheScreenChoosesTheDrawingAndTheLogicalSizeStays) {
  const QPixmap normal = Picture("btnStart", 1.0);
  const QPixmap sharp = Picture("btnStart", 2.0);
  ASSERT_FALSE(normal.isNull());
  ASSERT_FALSE(sharp.isNull());
  EXPECT_EQ(normal.size(), QSize(40, 40));
  EXPECT_EQ(sharp.size(), QSize(80, 80));
  EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  EXPECT_EQ(sharp.deviceIndependentSize(), normal.deviceIndependentSize());
  EXPECT_EQ(Picture("btnStart", 1.25).size(), QSize(40, 40)) << "below 1.5 the small drawing is nearer";

  const QIcon icon = PictureIcon("btnStart");
  EXPECT_EQ(icon.pixmap(QSize(40, 40), 1.0).size(), QSize(40, 40));
  EXPECT_EQ(icon.pixmap(QSize(40, 40), 2.0).size(), QSize(80, 80)) << "drawn, not blown up";
  EXPECT_EQ(icon.pixmap(QSize(40, 40), 2.0).toImage().convertToFormat(QImage::Format_ARGB32),
            sharp.toImage().convertToFormat(QImage::Format_ARGB32));

  EXPECT_TRUE(Picture("no such picture", 2.0).isNull());
  EXPECT_TRUE(PictureIcon("no such picture").isNull());
}

TEST(Pictures, TheApplicationIconComesInTheSizesDesktopsAskFor) {
  const QIcon icon = ApplicationIcon();
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  for (const int size : {16, 24, 32, 48, 64, 128, 256})
    EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}
