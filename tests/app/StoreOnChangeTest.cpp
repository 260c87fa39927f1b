// The three modeless windows store their group a moment after the user
// changed it, not only when the program ends, so a crash or a killed
// program never costs the choices made since the start; a burst of changes
// costs one write.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <functional>

#include "app/Forms.h"
#include "app/TApplication.h"
#include "dialogs/DeferredStore.h"
#include "dialogs/TfrmOverlay.h"
#include "dialogs/TfrmSnapShot.h"
#include "dialogs/TfrmVideoProcessing.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/registry/RegKey.h"
#include "settings/OverlaySettings.h"
#include "settings/SnapShotSettings.h"
#include "settings/VideoProcessingSettings.h"
#include "tests/app/SettingsFolder.h"
#include "tests/support/Wait.h"

using orvex::settings::TOverlaySettings;
using orvex::settings::TSnapShotSettings;
using orvex::settings::TVideoProcessingSettings;

namespace {

TApplication& App() { return *static_cast<TApplication*>(QCoreApplication::instance()); }

struct ChangeCase {
  const char* name;
  std::function<void(orvex::dialogs::ScriptedDialogs&)> change;  // as the user makes it
  std::function<bool()> stored;                                  // the change is in the store
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class StoreOnChange : public ::testing::TestWithParam<ChangeCase> {
 protected:
  void SetUp() override {
    App().CreateForms();
    // Counted from here: the program's settings file rewritten.
    orvex::reg::SetBeforeReplaceHookForTesting([this](const std::filesystem::path& temp) {
      if (temp.filename().string().rfind("HKEY_LOCAL_MACHINE", 0) == 0) ++writes;
    });
  }
  void TearDown() override {
    orvex::reg::SetBeforeReplaceHookForTesting(nullptr);
    App().DestroyForms();
  }

  SettingsFolder settings;
  orvex::dialogs::ScriptedDialogs script;
  int writes = 0;
};

TEST_P(StoreOnChange, IsStoredAMomentLaterWithOneWrite) {
  GetParam().change(script);
  EXPECT_EQ(writes, 0) << "stored at once, not after the burst";
  EXPECT_FALSE(GetParam().stored());
  EXPECT_TRUE(orvex::test::WaitUntil(GetParam().stored, 5000)) << "not stored while the program runs";
  orvex::test::PumpEvents(2 * TDeferredStore::kDelayMs);
  EXPECT_EQ(writes, 1);
}

void DragHue() {
  QSlider* slider = frmVideoProcessing->slHue;
  slider->setSliderDown(true);
  for (int v = 0; v <= 150; ++v) slider->setSliderPosition(v);
  slider->setSliderDown(false);
}

constexpr std::uint32_t kNavy = 0x00800000;  // 0x00BBGGRR

INSTANTIATE_TEST_SUITE_P(
    Windows, StoreOnChange,
    ::testing::Values(ChangeCase{"SliderDragged", [](auto&) { DragHue(); },
                                 [] { return TVideoProcessingSettings::Read().Hue == 150; }},
                      ChangeCase{"BoxTickedAndTurned",
                                 [](auto&) {
                                   frmVideoProcessing->cbGrayScale->click();
                                   frmVideoProcessing->rb90->click();
                                 },
                                 [] {
                                   const auto s = TVideoProcessingSettings::Read();
                                   return s.GrayScale && s.Rotation == 90;
                                 }},
                      ChangeCase{"FormatChosen", [](auto&) { frmSnapShot->rbJPG->click(); },
                                 [] { return TSnapShotSettings::Read().SnapShotFormat == 1; }},
                      ChangeCase{"SizeTyped",
                                 [](auto&) {
                                   frmSnapShot->rbCustom->click();
                                   frmSnapShot->edWidth->setText("8");
                                   frmSnapShot->edWidth->setText("80");
                                   frmSnapShot->edWidth->setText("800");
                                 },
                                 [] {
                                   const auto s = TSnapShotSettings::Read();
                                   return s.SnapShotSize == 2 && s.SnapShotCustomW == 800;
                                 }},
                      ChangeCase{"TextTyped", [](auto&) { frmOverlay->Edit1->setText("Hello"); },
                                 [] { return TOverlaySettings::Read().OverlayText == "Hello"; }},
                      ChangeCase{"ColourChosen",
                                 [](orvex::dialogs::ScriptedDialogs& script) {
                                   script.QueueColor(kNavy);
                                   frmOverlay->btnReset1->click();
                                 },
                                 [] {
                                   return static_cast<std::uint32_t>(
                                              TOverlaySettings::Read().OverlayBackColor) == kNavy;
                                 }},
                      ChangeCase{"ImageRowPlaced",
                                 [](auto&) {
                                   frmOverlay->findChild<QRadioButton*>("RadioButton12")->click();
                                   frmOverlay->findChild<QCheckBox*>("JvXPCheckbox3")->click();
                                 },
                                 [] {
                                   const auto s = TOverlaySettings::Read();
                                   return s.Image1Position == 5 && s.Image1Visible;
                                 }}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
