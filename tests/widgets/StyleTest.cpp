// The program's style: it keeps Fusion's sizes, on which the fixed window
// layouts rest, and draws check boxes, radio buttons and sliders so that
// their state shows: checked, disabled, and where a slider stands.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <memory>

#include "widgets/TOrvexStyle.h"

namespace {

QImage Grab(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Pixels of the accent colour, give or take a little antialiasing.
int AccentPixels(const QImage& image, const QRect& area) {
  const QColor accent = TOrvexStyle::Accent();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - accent.red()) + std::abs(c.green() - accent.green()) +
              std::abs(c.blue() - accent.blue()) <
          30)
        ++count;
    }
  return count;
}

class Style : public ::testing::Test {
 protected:
  template <typename W>
  W* Styled(W* w) {
    w->setStyle(&style);
    w->setPalette(style.standardPalette());
    owned.emplace_back(w);
    return w;
  }
  TOrvexStyle style;
  std::vector<std::unique_ptr<QWidget>> owned;
};

}  // namespace

TEST_F(Style, KeepsFusionsSizes) {
  std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
  for (const auto metric :
       {QStyle::PM_IndicatorWidth, QStyle::PM_IndicatorHeight, QStyle::PM_ExclusiveIndicatorWidth,
        QStyle::PM_ExclusiveIndicatorHeight, QStyle::PM_SliderLength, QStyle::PM_SliderThickness,
        QStyle::PM_SliderControlThickness, QStyle::PM_CheckBoxLabelSpacing,
        QStyle::PM_RadioButtonLabelSpacing})
    EXPECT_EQ(style.pixelMetric(metric), fusion->pixelMetric(metric)) << metric;
  auto* box = Styled(new QCheckBox("Gray Scale"));
  QCheckBox plain("Gray Scale");
  plain.setStyle(fusion.get());
  EXPECT_EQ(box->sizeHint(), plain.sizeHint());
}

TEST_F(Style, CheckBoxesAndRadiosShowCheckedAndDisabled) {
  for (const bool radio : {false, true}) {
    SCOPED_TRACE(radio ? "radio" : "check box");
    QAbstractButton* b = radio ? static_cast<QAbstractButton*>(Styled(new QRadioButton("90°")))
                               : Styled(new QCheckBox("Mirror"));
    b->setAutoExclusive(false);  // so the radio can be unchecked again
    b->resize(b->sizeHint());
    const QImage off = Grab(*b);
    b->setChecked(true);
    const QImage on = Grab(*b);
    b->setEnabled(false);
    const QImage onDisabled = Grab(*b);
    b->setChecked(false);
    const QImage offDisabled = Grab(*b);
    EXPECT_NE(off, on);
    EXPECT_NE(on, onDisabled);
    EXPECT_NE(off, offDisabled);
    EXPECT_NE(onDisabled, offDisabled) << "a disabled box still tells its state";
    EXPECT_GT(AccentPixels(on, on.rect()), 4) << "checked in the accent colour";
    EXPECT_EQ(AccentPixels(onDisabled, onDisabled.rect()), 0) << "disabled in grey";
  }
}

// A vertical slider has its minimum at the foot; the track fills from there
// up to the handle, which stands where Fusion's hit test looks for it.
TEST_F(Style, ASliderFillsFromItsMinimumToItsHandle) {
  QSlider* slider = Styled(new QSlider(Qt::Vertical));
  slider->setRange(-255, 255);
  slider->setTickPosition(QSlider::TicksBothSides);
  slider->setTickInterval(255);
  slider->resize(26, 130);
  const QRect upper(0, 0, slider->width(), slider->height() / 2 - 10);
  const QRect lower(0, slider->height() / 2 + 10, slider->width(), slider->height() / 2 - 10);

  slider->setValue(255);
  QImage image = Grab(*slider);
  EXPECT_GT(AccentPixels(image, upper), 20);
  EXPECT_GT(AccentPixels(image, lower), 20);
  slider->setValue(-255);
  image = Grab(*slider);
  EXPECT_EQ(AccentPixels(image, upper), 0);
  slider->setValue(0);
  image = Grab(*slider);
  EXPECT_EQ(AccentPixels(image, upper), 0);
  EXPECT_GT(AccentPixels(image, lower), 20);

  slider->setEnabled(false);
  EXPECT_EQ(AccentPixels(Grab(*slider), slider->rect()), 0) << "disabled in grey";
}

TEST_F(Style, DisabledTextIsGreyButReadable) {
  const QPalette p = style.standardPalette();
  const QColor text = p.color(QPalette::Disabled, QPalette::WindowText);
  const QColor form = p.color(QPalette::Active, QPalette::Window);
  EXPECT_NE(text, p.color(QPalette::Active, QPalette::WindowText));
  EXPECT_GT(std::abs(qGray(text.rgb()) - qGray(form.rgb())), 60) << "still stands out from the window";
  EXPECT_EQ(form, TOrvexStyle::FormColor());
}
