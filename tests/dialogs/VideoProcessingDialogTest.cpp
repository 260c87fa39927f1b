// The "Video Processing" window against an engine of its own: what it hands
// to the engine, how it restores and stores its group, and its layout.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/DeferredStore.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "engine/TSyncManager.h"
#include "engine/VOduduDudiviv.h"
#include "platform/kernel/UnhandledException.h"
#include "platform/registry/RegKey.h"
#include "platform/registry/Registry.h"
#include "settings/VideoProcessingSettings.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using orvex::settings::TVideoProcessingSettings;

namespace {

// The group as it lies in the store, without the corrections of a read;
// a missing value shows as -9999.
TVideoProcessingSettings Stored() {
  orvex::reg::TRegistry reg;
  reg.setRootKey(orvex::reg::Root::HKEY_LOCAL_MACHINE);
  TVideoProcessingSettings s;
  if (!reg.OpenKeyReadOnly("Software\\Brevantix\\Orvex")) return {-9999, -9999, -9999, -9999, -9999};
  const auto integer = [&](const char* name) { return reg.ReadInteger(name).value_or(-9999); };
  s.Brightness = integer("Brightness");
  s.Contrast = integer("Contrast");
  s.Hue = integer("Hue");
  s.Saturation = integer("Saturation");
  s.Rotation = integer("Rotation");
  s.Mirror = integer("Mirror") != 0;
  s.GrayScale = integer("GrayScale") != 0;
  s.InvertColors = integer("InvertColors") != 0;
  return s;
}

// Every save of the store fails just before its file would be replaced.
void FailSaves() {
  orvex::reg::SetBeforeReplaceHookForTesting(
      [](const std::filesystem::path& temp) { std::filesystem::remove(temp); });
}

class VideoProcessingDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
    TSyncManager::Free();
    engine = std::make_unique<VOduduDudiviv>();
    previousHandler = orvex::kernel::SetUnhandledExceptionHandler(
        [this](std::exception_ptr error) { errors.push_back(orvex::kernel::DescribeException(error)); });
  }
  void TearDown() override {
    dialog.reset();
    orvex::reg::SetBeforeReplaceHookForTesting(nullptr);
    engine.reset();
    TSyncManager::Free();
    orvex::kernel::SetUnhandledExceptionHandler(previousHandler);
  }

  TfrmVideoProcessing& Create() {
    dialog = std::make_unique<TfrmVideoProcessing>(*engine);
    return *dialog;
  }
  // Ends the dialog as the program's end does, which stores the group.
  void Destroy() { dialog.reset(); }

  // The adjustments as the engine holds them.
  TVideoProcessingSettings Engine() const {
    TVideoProcessingSettings s;
    s.Brightness = engine->VideoProcessing_Brightness();
    s.Contrast = engine->VideoProcessing_Contrast();
    s.Hue = engine->VideoProcessing_Hue();
    s.Saturation = engine->VideoProcessing_Saturation();
    s.GrayScale = engine->VideoProcessing_GrayScale();
    s.InvertColors = engine->VideoProcessing_InvertColors();
    return s;
  }
  int Rotation() const { return engine->VideoProcessing_Rotation(); }

  orvex::test::TempDir config;
  std::unique_ptr<VOduduDudiviv> engine;
  std::unique_ptr<TfrmVideoProcessing> dialog;
  std::vector<std::string> errors;
  orvex::kernel::UnhandledExceptionHandler previousHandler;
};

}  // namespace

TEST_F(VideoProcessingDialog, FirstStartShowsTheDefaultsAndWritesTheWholeGroup) {
  TfrmVideoProcessing& d = Create();
  for (QSlider* s : {d.slBrightness, d.slContrast, d.slHue, d.slSaturation}) EXPECT_EQ(s->value(), 0);
  EXPECT_TRUE(d.rb0->isChecked());
  for (QCheckBox* b : {d.cbGrayScale, d.cbNegative, d.cbMirror}) EXPECT_FALSE(b->isChecked());
  EXPECT_EQ(Stored(), TVideoProcessingSettings{}) << "every value of the group written";
  EXPECT_TRUE(errors.empty());
}

TEST_F(VideoProcessingDialog, StoredValuesAreCorrectedShownSentAndWrittenBack) {
  TVideoProcessingSettings stored;
  stored.Brightness = -400;
  stored.Contrast = 300;
  stored.Hue = 17;
  stored.Saturation = -255;
  stored.Rotation = 90;
  stored.Mirror = true;
  stored.GrayScale = true;
  stored.InvertColors = true;
  stored.Write();

  TfrmVideoProcessing& d = Create();
  EXPECT_EQ(d.slBrightness->value(), -255);
  EXPECT_EQ(d.slContrast->value(), 255);
  EXPECT_EQ(d.slHue->value(), 17);
  EXPECT_EQ(d.slSaturation->value(), -255);
  EXPECT_TRUE(d.rb90->isChecked());
  EXPECT_TRUE(d.cbMirror->isChecked());
  EXPECT_TRUE(d.cbGrayScale->isChecked());
  EXPECT_TRUE(d.cbNegative->isChecked());

  TVideoProcessingSettings sent = stored;
  sent.Brightness = -255;
  sent.Contrast = 255;
  sent.Rotation = 0;  // not an adjustment
  sent.Mirror = false;
  EXPECT_EQ(Engine(), sent);
  EXPECT_EQ(Rotation(), rt_90_deg_mirror);

  TVideoProcessingSettings written = stored;
  written.Brightness = -255;
  written.Contrast = 255;
  EXPECT_EQ(Stored(), written);
}

TEST_F(VideoProcessingDialog, EachStoredRotationRestoresItsButtonAndCode) {
  struct Row {
    int degrees;
    bool mirror;
    const char* button;
    int code;
    int writtenBack;
  };
  const Row rows[] = {{0, false, "rb0", rt_0_deg, 0},         {0, true, "rb0", rt_0_deg_mirror, 0},
                      {90, false, "rb90", rt_90_deg, 90},     {180, true, "rb180", rt_180_deg_mirror, 180},
                      {270, false, "rb270", rt_270_deg, 270}, {270, true, "rb270", rt_270_deg_mirror, 270},
                      {45, true, "rb0", rt_0_deg_mirror, 0},  {-90, false, "rb0", rt_0_deg, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.degrees << (row.mirror ? " mirrored" : ""));
    TVideoProcessingSettings stored;
    stored.Rotation = row.degrees;
    stored.Mirror = row.mirror;
    stored.Write();
    engine->setVideoProcessing_Rotation(rt_0_deg);
    TfrmVideoProcessing& d = Create();
    EXPECT_TRUE(d.findChild<QRadioButton*>(row.button)->isChecked());
    EXPECT_EQ(Rotation(), row.code);
    EXPECT_EQ(Stored().Rotation, row.writtenBack);
    Destroy();
  }
}

TEST_F(VideoProcessingDialog, RotationButtonsAndMirrorSendTheRotationCode) {
  TfrmVideoProcessing& d = Create();
  d.rb180->click();
  EXPECT_EQ(Rotation(), rt_180_deg);
  d.cbMirror->click();
  EXPECT_EQ(Rotation(), rt_180_deg_mirror);
  d.cbMirror->click();
  EXPECT_EQ(Rotation(), rt_180_deg);

  // Going from one button to the next, the old one has let go of its check
  // before the code is worked out.
  d.cbMirror->click();
  const std::vector<std::pair<QRadioButton*, int>> steps = {{d.rb90, rt_90_deg_mirror},
                                                            {d.rb270, rt_270_deg_mirror},
                                                            {d.rb0, rt_0_deg_mirror},
                                                            {d.rb180, rt_180_deg_mirror},
                                                            {d.rb90, rt_90_deg_mirror}};
  for (const auto& [button, code] : steps) {
    button->click();
    EXPECT_EQ(Rotation(), code) << button->objectName().toStdString();
  }
}

TEST_F(VideoProcessingDialog, ProgramChangesRaiseClicksOnlyForRotationButtonsNotYetChecked) {
  TfrmVideoProcessing& d = Create();
  d.cbGrayScale->setChecked(true);
  d.cbNegative->setChecked(true);
  d.cbMirror->setChecked(true);
  EXPECT_EQ(Engine(), TVideoProcessingSettings{}) << "a check box set by program raises no click";
  EXPECT_EQ(Rotation(), rt_0_deg);

  d.rb270->setChecked(true);
  EXPECT_EQ(Rotation(), rt_270_deg_mirror) << "checking an unchecked button raises its click";
  engine->setVideoProcessing_Rotation(rt_90_deg);
  d.rb270->setChecked(true);
  EXPECT_EQ(Rotation(), rt_90_deg) << "checking it again raises nothing";

  d.cbGrayScale->click();
  EXPECT_FALSE(engine->VideoProcessing_GrayScale()) << "a user's click sends the state after the toggle";
  d.cbGrayScale->click();
  EXPECT_TRUE(engine->VideoProcessing_GrayScale());
  d.cbNegative->click();
  EXPECT_FALSE(engine->VideoProcessing_InvertColors());
}

TEST_F(VideoProcessingDialog, ADraggedSliderSendsEveryValueItPassesBeforeTheRelease) {
  TfrmVideoProcessing& d = Create();
  const std::vector<std::pair<QSlider*, int (VOduduDudiviv::*)() const>> sliders = {
      {d.slBrightness, &VOduduDudiviv::VideoProcessing_Brightness},
      {d.slContrast, &VOduduDudiviv::VideoProcessing_Contrast},
      {d.slHue, &VOduduDudiviv::VideoProcessing_Hue},
      {d.slSaturation, &VOduduDudiviv::VideoProcessing_Saturation}};
  for (const auto& [slider, property] : sliders) {
    SCOPED_TRACE(slider->objectName().toStdString());
    slider->setSliderDown(true);
    for (int v = 0; v >= -260; v -= 1) {
      slider->setSliderPosition(v);
      ASSERT_EQ(((*engine).*property)(), std::max(v, -255)) << "at " << v;
    }
    for (int v = -255; v <= 255; v += 37) {
      slider->setSliderPosition(v);
      ASSERT_EQ(((*engine).*property)(), v);
    }
    slider->setSliderDown(false);
    EXPECT_EQ(((*engine).*property)(), slider->value());
  }
}

TEST_F(VideoProcessingDialog, EachResetLeavesTheOtherGroupAlone) {
  TfrmVideoProcessing& d = Create();
  d.slBrightness->setValue(40);
  d.slContrast->setValue(-30);
  d.slHue->setValue(200);
  d.slSaturation->setValue(-255);
  d.cbGrayScale->click();
  d.rb270->click();
  d.cbMirror->click();
  const TVideoProcessingSettings colours = Engine();
  const TVideoProcessingSettings stored = Stored();

  d.btnReset2->click();
  EXPECT_TRUE(d.rb0->isChecked());
  EXPECT_FALSE(d.cbMirror->isChecked());
  EXPECT_EQ(Rotation(), rt_0_deg);
  EXPECT_EQ(Engine(), colours);
  EXPECT_EQ(d.slHue->value(), 200);
  EXPECT_TRUE(d.cbGrayScale->isChecked());

  d.rb270->click();
  d.cbMirror->click();
  d.cbNegative->click();
  d.btnReset1->click();
  for (QSlider* s : {d.slBrightness, d.slContrast, d.slHue, d.slSaturation}) EXPECT_EQ(s->value(), 0);
  EXPECT_FALSE(d.cbGrayScale->isChecked());
  EXPECT_FALSE(d.cbNegative->isChecked());
  EXPECT_EQ(Engine(), TVideoProcessingSettings{});
  EXPECT_EQ(Rotation(), rt_270_deg_mirror) << "a 270 degree mirrored picture stays so";
  EXPECT_TRUE(d.rb270->isChecked());
  EXPECT_TRUE(d.cbMirror->isChecked());
  EXPECT_EQ(Stored(), stored) << "stored a moment later, not at once";

  // With rb0 checked already the image reset still sends the code, for
  // the mirror alone was on.
  d.btnReset2->click();
  d.cbMirror->click();
  ASSERT_EQ(Rotation(), rt_0_deg_mirror);
  d.btnReset2->click();
  EXPECT_EQ(Rotation(), rt_0_deg);
}

// Changes the store has not taken yet (their moment has not come) are
// stored when the window goes.
TEST_F(VideoProcessingDialog, ChangesNotYetStoredAreStoredWhenTheWindowIsDestroyed) {
  TfrmVideoProcessing& d = Create();
  d.slHue->setValue(-99);
  d.cbGrayScale->click();
  d.rb180->click();
  d.cbMirror->click();
  d.show();
  d.hide();
  EXPECT_EQ(Stored(), TVideoProcessingSettings{})
      << "showing and hiding store nothing, and no moment has come";

  Destroy();
  TVideoProcessingSettings expected;
  expected.Hue = -99;
  expected.GrayScale = true;
  expected.Rotation = 180;
  expected.Mirror = true;
  EXPECT_EQ(Stored(), expected);
  EXPECT_TRUE(errors.empty());
}

TEST_F(VideoProcessingDialog, FailedWritesAreReportedAndTheRestoredValuesStillApply) {
  TVideoProcessingSettings stored;
  stored.Brightness = 77;
  stored.Rotation = 270;
  stored.Write();
  FailSaves();
  TfrmVideoProcessing& d = Create();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("cannot save the settings file"), std::string::npos) << errors[0];
  EXPECT_EQ(d.slBrightness->value(), 77);
  EXPECT_EQ(engine->VideoProcessing_Brightness(), 77);
  EXPECT_EQ(Rotation(), rt_270_deg);

  d.slBrightness->setValue(5);
  Destroy();  // must not throw out of the destructor
  EXPECT_EQ(errors.size(), 2u);
}

// A settings folder that cannot be written is reported once, not at every
// change made while it stays so, and again once it failed after working.
TEST_F(VideoProcessingDialog, AStoreThatKeepsFailingIsReportedOnceUntilItWorksAgain) {
  FailSaves();
  TfrmVideoProcessing& d = Create();
  ASSERT_EQ(errors.size(), 1u) << "the write-back of the load";
  const auto settle = [] { orvex::test::PumpEvents(3 * TDeferredStore::kDelayMs); };
  d.slHue->setValue(10);
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return errors.size() == 2; }, 5000));
  d.cbGrayScale->click();
  settle();
  d.slHue->setValue(20);
  settle();
  EXPECT_EQ(errors.size(), 2u) << "one box, not one per change";

  orvex::reg::SetBeforeReplaceHookForTesting(nullptr);
  d.slHue->setValue(30);
  ASSERT_TRUE(orvex::test::WaitUntil([&] { return Stored().Hue == 30; }, 5000));
  FailSaves();
  d.slHue->setValue(40);
  EXPECT_TRUE(orvex::test::WaitUntil([&] { return errors.size() == 3; }, 5000));
}

// Nothing overlaps, nothing sticks out of its group or the window, and no
// caption is cut short, at the fixed client size.
TEST_F(VideoProcessingDialog, LayoutFitsTheFixedClientArea) {
  TfrmVideoProcessing& d = Create();
  d.show();
  EXPECT_EQ(d.size(), QSize(227, 404));
  EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "the client area is fixed";
  for (QGroupBox* group : {d.GroupBox1, d.GroupBox2}) {
    EXPECT_TRUE(d.rect().contains(group->geometry())) << group->title().toStdString();
    const QList<QWidget*> children = group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(children.isEmpty());
    // Below the title, inside the frame.
    const int title = group->fontMetrics().height();
    const QRect inside(2, title, group->width() - 4, group->height() - title - 2);
    for (int i = 0; i < children.size(); ++i) {
      const QWidget* a = children[i];
      const std::string name =
          a->objectName().isEmpty() ? a->toolTip().toStdString() : a->objectName().toStdString();
      EXPECT_TRUE(inside.contains(a->geometry())) << name;
      // A push button's hint asks for a minimum width of the style's, not for room for its text.
      if (auto* push = qobject_cast<const QPushButton*>(a)) {
        EXPECT_GE(push->width(), push->fontMetrics().horizontalAdvance(push->text()) + 16) << name;
      } else if (auto* button = qobject_cast<const QAbstractButton*>(a)) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << name << " is cut short";
        EXPECT_GE(button->height(), button->sizeHint().height()) << name << " is cut short";
      }
      for (int j = i + 1; j < children.size(); ++j)
        EXPECT_FALSE(a->geometry().intersects(children[j]->geometry()))
            << name << " overlaps " << children[j]->objectName().toStdString()
            << children[j]->toolTip().toStdString();
    }
  }
  EXPECT_FALSE(d.GroupBox1->geometry().intersects(d.GroupBox2->geometry()));
}
