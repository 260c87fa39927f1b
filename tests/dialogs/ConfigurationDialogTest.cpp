// The capture settings dialog against scripted devices: the lists it fills,
// how they cascade, and what OK, Cancel and the close box keep.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "dialogs/TfrmConfiguration.h"
#include "engine/TSyncManager.h"
#include "platform/kernel/UnhandledException.h"
#include "platform/registry/RegKey.h"
#include "platform/registry/Registry.h"
#include "preview/RecordingStatusView.h"
#include "preview/TfrmPreview.h"
#include "settings/CaptureSettings.h"
#include "tests/support/FakeDeviceSource.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using orvex::media::DeviceCategory;
using orvex::settings::TCaptureSettings;

namespace {

constexpr const char* kCamCaps =
    "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
    "video/x-raw,format=YUY2,width=160,height=120,framerate=30/1;"
    "video/x-raw,format=YUY2,width=352,height=288,framerate=30/1;"
    "image/jpeg,width=1280,height=720,framerate=30/1";

struct FakeMainWindow : IRecordingStatusView {
  void SetStatusText(const QString&) override {}
  void SetConfigurationEnabled(bool) override {}
};

QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

QStringList Lines(const std::string& text) {
  QStringList lines = QString::fromStdString(text).split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
  return lines;
}

// What the store holds, without any list correcting it.
TCaptureSettings Stored() { return TCaptureSettings::Read({1000, 1000, 1000, 1000}); }

// Picks an item the way a user does, so the change handler runs.
void Choose(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
}

class ConfigurationDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
    TSyncManager::Free();
    previousHandler = orvex::kernel::SetUnhandledExceptionHandler(
        [this](std::exception_ptr error) { errors.push_back(orvex::kernel::DescribeException(error)); });
  }
  void TearDown() override {
    orvex::reg::SetBeforeReplaceHookForTesting(nullptr);
    dialog.reset();
    preview.reset();
    TSyncManager::Free();
    orvex::kernel::SetUnhandledExceptionHandler(previousHandler);
  }

  // "Cam" has three inputs and four sizes, "Other Cam" no inputs and one size.
  void AddDevices() {
    source.AddCamera("Cam", kCamCaps).inputs = {{"in1", 2}, {"in2", 2}, {"in3", 3}};
    source.AddCamera("Other Cam", "video/x-raw,format=I420,width=320,height=240");
    source.Add(DeviceCategory::AudioInput, "Mic").inputs = {{"Microphone"}, {"Line In"}};
    source.Add(DeviceCategory::VideoCompressor, "JPEG encoder");
    source.Add(DeviceCategory::VideoCompressor, "MPEG-4 encoder");
    source.Add(DeviceCategory::VideoCompressor, "Theora encoder");
    source.Add(DeviceCategory::AudioCompressor, "MP3 encoder");
  }

  TfrmConfiguration& Create() {
    preview = std::make_unique<TfrmPreview>(mainWindow);
    dialog = std::make_unique<TfrmConfiguration>(*preview->VOduduDudiviv1);
    return *dialog;
  }
  VOduduDudiviv& Engine() { return *preview->VOduduDudiviv1; }

  orvex::test::TempDir config;
  orvex::test::FakeDeviceSource source;
  FakeMainWindow mainWindow;
  std::unique_ptr<TfrmPreview> preview;
  std::unique_ptr<TfrmConfiguration> dialog;
  std::vector<std::string> errors;
  orvex::kernel::UnhandledExceptionHandler previousHandler;
};

}  // namespace

TEST_F(ConfigurationDialog, WithoutAnyDeviceEveryListSaysNoneAndTheStoreGetsZeros) {
  TfrmConfiguration& d = Create();
  for (QComboBox* list : {d.cbSVVideoSource, d.cbSVVideoInput, d.cbSVVideoSize, d.cbSVVideoCompression,
                          d.cbSVAudioSource, d.cbSVAudioInput, d.cbSVAudioFormat, d.cbSVAudioCompression}) {
    EXPECT_EQ(Items(list), QStringList{"-None-"}) << list->objectName().toStdString();
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_FALSE(list->isEditable()) << "pick only";
  }
  EXPECT_TRUE(d.JvXPButton1->isDefault());
  for (QToolButton* b : {d.btnVideoDialog, d.btnAudioDialog, d.btnVCompressorDialog, d.btnACompressorDialog})
    EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
  EXPECT_EQ(Engine().VideoDevice(), -1);
  EXPECT_EQ(Engine().AudioDevice(), -1);
  EXPECT_EQ(Stored(), TCaptureSettings{});
  orvex::reg::TRegistry reg;
  reg.setRootKey(orvex::reg::Root::HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Brevantix\\Orvex"));
  EXPECT_EQ(reg.GetValueNames().size(), 8u) << "the write-back stores all eight values";
}

TEST_F(ConfigurationDialog, TheStoredSecondCameraIsRestoredWithItsInputsAndSizes) {
  AddDevices();
  TCaptureSettings stored;
  stored.SecondVideoSource = 2;
  stored.SecondAudioSource = 1;
  stored.SecondAudioInput = 1;
  stored.SecondAudioFormat = 7;
  stored.Write();

  TfrmConfiguration& d = Create();
  EXPECT_EQ(Items(d.cbSVVideoSource), (QStringList{"-None-", "Cam (WDM)", "Other Cam (WDM)"}));
  EXPECT_EQ(d.cbSVVideoSource->currentIndex(), 2);
  EXPECT_EQ(Engine().VideoDevice(), 1);
  EXPECT_EQ(Items(d.cbSVVideoInput), QStringList{"-Default-"}) << "a device without inputs";
  EXPECT_EQ(Items(d.cbSVVideoSize), Lines(Engine().VideoSizes()));
  EXPECT_EQ(d.cbSVVideoSize->itemText(0), "default");
  EXPECT_TRUE(d.btnVideoDialog->isEnabled());

  EXPECT_EQ(Items(d.cbSVAudioInput), (QStringList{"Microphone", "Line In"}));
  EXPECT_EQ(d.cbSVAudioInput->currentIndex(), 1);
  EXPECT_EQ(Engine().AudioInput(), 1);
  EXPECT_EQ(Items(d.cbSVAudioFormat), Lines(Engine().AudioFormats()));
  EXPECT_EQ(d.cbSVAudioFormat->currentIndex(), 7);
  EXPECT_EQ(Items(d.cbSVVideoCompression), QStringList{"-None-"} + Lines(Engine().VideoCompressors()));
  EXPECT_EQ(d.cbSVVideoCompression->count(), 4);
  EXPECT_EQ(Stored(), stored);
}

TEST_F(ConfigurationDialog, StoredIndexesBeyondTheirListsFallBackToTheFirstEntry) {
  AddDevices();
  TCaptureSettings stored;
  stored.SecondVideoSource = 1;
  stored.SecondVideoInput = 2;
  stored.SecondVideoSize = 3;
  stored.SecondVideoCompression = 4;  // one past the list
  stored.SecondAudioSource = 2;       // one past the list
  stored.Write();
  TfrmConfiguration& d = Create();
  EXPECT_EQ(d.cbSVVideoInput->currentIndex(), 2);
  EXPECT_EQ(Engine().VideoInput(), 2);
  EXPECT_EQ(d.cbSVVideoSize->currentIndex(), 3);
  EXPECT_EQ(d.cbSVVideoCompression->currentIndex(), 0);
  EXPECT_EQ(d.cbSVAudioSource->currentIndex(), 0);
  EXPECT_EQ(Stored().SecondVideoCompression, 0) << "the correction is written back";

  stored.SecondVideoInput = 3;
  stored.SecondVideoSize = 99;
  stored.Write();
  d.LoadSettings();
  EXPECT_EQ(d.cbSVVideoInput->currentIndex(), 0);
  EXPECT_EQ(d.cbSVVideoSize->currentIndex(), 0);
}

TEST_F(ConfigurationDialog, ChoosingACompressorSelectsItInTheEngineAndEnablesItsPages) {
  AddDevices();
  TfrmConfiguration& d = Create();
  Choose(d.cbSVVideoCompression, 3);
  EXPECT_EQ(Engine().VideoCompressor(), 2);
  EXPECT_TRUE(d.btnVCompressorDialog->isEnabled());
  Choose(d.cbSVVideoCompression, 0);
  EXPECT_EQ(Engine().VideoCompressor(), -1);
  EXPECT_FALSE(d.btnVCompressorDialog->isEnabled());

  Choose(d.cbSVAudioCompression, 1);
  EXPECT_EQ(Engine().AudioCompressor(), 0);
  EXPECT_TRUE(d.btnACompressorDialog->isEnabled());
}

TEST_F(ConfigurationDialog, ChangingTheDeviceResetsInputAndSize) {
  AddDevices();
  TfrmConfiguration& d = Create();
  Choose(d.cbSVVideoSource, 1);
  EXPECT_EQ(Engine().VideoDevice(), 0);
  EXPECT_EQ(Items(d.cbSVVideoInput), Lines(Engine().VideoInputs()));
  EXPECT_EQ(d.cbSVVideoInput->count(), 3);
  Choose(d.cbSVVideoInput, 2);
  EXPECT_EQ(Engine().VideoInput(), 2);
  d.cbSVVideoSize->setCurrentIndex(3);

  Choose(d.cbSVVideoSource, 2);
  EXPECT_EQ(Engine().VideoDevice(), 1);
  EXPECT_EQ(d.cbSVVideoInput->currentIndex(), 0);
  EXPECT_EQ(d.cbSVVideoSize->currentIndex(), 0);
  Choose(d.cbSVVideoSource, 1);
  EXPECT_EQ(d.cbSVVideoInput->currentIndex(), 0);
  EXPECT_EQ(d.cbSVVideoSize->currentIndex(), 0) << "the earlier size is not carried over";

  Choose(d.cbSVVideoSource, 0);
  EXPECT_EQ(Engine().VideoDevice(), -1);
  EXPECT_EQ(Items(d.cbSVVideoInput), QStringList{"-None-"});
  EXPECT_EQ(Items(d.cbSVVideoSize), QStringList{"-None-"});
  EXPECT_FALSE(d.btnVideoDialog->isEnabled());
  Choose(d.cbSVAudioSource, 0);
  EXPECT_EQ(Items(d.cbSVAudioFormat), QStringList{"-None-"});
  EXPECT_FALSE(d.btnAudioDialog->isEnabled());
}

TEST_F(ConfigurationDialog, OkStoresTheChoicesAndCancelBringsTheStoredOnesBack) {
  AddDevices();
  TCaptureSettings stored;
  stored.SecondVideoSource = 1;
  stored.Write();
  TfrmConfiguration& d = Create();

  // Cancel: the list and the engine go back to the stored camera.
  QTimer::singleShot(0, [&] {
    Choose(d.cbSVVideoSource, 2);
    EXPECT_EQ(Engine().VideoDevice(), 1);
    d.JvXPButton2->click();
  });
  EXPECT_EQ(d.ShowModal(), mrCancel);
  EXPECT_EQ(d.cbSVVideoSource->currentIndex(), 1);
  EXPECT_EQ(Engine().VideoDevice(), 0);
  EXPECT_EQ(Stored(), stored);

  // OK: stored as chosen.
  QTimer::singleShot(0, [&] {
    Choose(d.cbSVVideoSource, 2);
    Choose(d.cbSVAudioSource, 1);
    d.JvXPButton1->click();
  });
  EXPECT_EQ(d.ShowModal(), mrOk);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(Stored().SecondVideoSource, 2);
  EXPECT_EQ(Stored().SecondAudioSource, 1);

  // The close box: Cancel's result, but the unsaved choice stays in the
  // list and the engine, and the store is not written.
  QTimer::singleShot(0, [&] {
    Choose(d.cbSVVideoSource, 1);
    d.close();
  });
  EXPECT_EQ(d.ShowModal(), mrCancel);
  EXPECT_EQ(d.cbSVVideoSource->currentIndex(), 1);
  EXPECT_EQ(Engine().VideoDevice(), 0);
  EXPECT_EQ(Stored().SecondVideoSource, 2);
  EXPECT_TRUE(errors.empty());
}

// Devices plugged in while the program runs appear the next time the
// dialog shows; what was chosen stays chosen, inputs and sizes too, and the
// engine keeps its device.
TEST_F(ConfigurationDialog, EachShowingListsTheDevicesPluggedInSince) {
  AddDevices();
  TCaptureSettings stored;
  stored.SecondVideoSource = 1;
  stored.SecondVideoInput = 2;
  stored.SecondVideoSize = 3;
  stored.SecondAudioSource = 1;
  stored.Write();
  TfrmConfiguration& d = Create();
  const QString size = d.cbSVVideoSize->currentText();

  source.AddCamera("Late Cam", "video/x-raw,format=YUY2,width=320,height=240");
  source.Add(DeviceCategory::AudioInput, "Late Mic");
  source.onChange(true, source.devices[DeviceCategory::VideoInput].back().monikerDisplayName);
  source.onChange(true, source.devices[DeviceCategory::AudioInput].back().monikerDisplayName);
  ASSERT_TRUE(orvex::test::WaitUntil(
      [&] { return Engine().VideoDevicesCount() == 3 && Engine().AudioDevicesCount() == 2; }, 8000))
      << "the engine's rescan";

  std::string videoShown, audioShown;
  QTimer::singleShot(0, [&] {
    videoShown = Items(d.cbSVVideoSource).join(", ").toStdString();
    audioShown = Items(d.cbSVAudioSource).join(", ").toStdString();
    d.JvXPButton2->click();
  });
  EXPECT_EQ(d.ShowModal(), mrCancel);
  EXPECT_EQ(videoShown, "-None-, Cam (WDM), Other Cam (WDM), Late Cam (WDM)");
  EXPECT_EQ(audioShown, "-None-, Mic, Late Mic");
  EXPECT_EQ(d.cbSVVideoSource->currentText(), "Cam (WDM)");
  EXPECT_EQ(d.cbSVVideoInput->currentIndex(), 2);
  EXPECT_EQ(d.cbSVVideoSize->currentText(), size);
  EXPECT_EQ(d.cbSVAudioSource->currentText(), "Mic");
  EXPECT_EQ(Engine().VideoDevice(), 0);
  EXPECT_EQ(Engine().AudioDevice(), 0);
}

TEST_F(ConfigurationDialog, EnterConfirmsAndEscapeCancels) {
  AddDevices();
  TfrmConfiguration& d = Create();
  QTimer::singleShot(0, [&] {
    Choose(d.cbSVVideoSource, 1);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&d, &enter);
  });
  EXPECT_EQ(d.ShowModal(), mrOk);
  EXPECT_EQ(Stored().SecondVideoSource, 1);
  QTimer::singleShot(0, [&] {
    Choose(d.cbSVVideoSource, 2);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&d, &escape);
  });
  EXPECT_EQ(d.ShowModal(), mrCancel);
  EXPECT_EQ(d.cbSVVideoSource->currentIndex(), 1);
}

TEST_F(ConfigurationDialog, AFailedSaveOnOkIsReportedAndTheDialogStaysOpen) {
  AddDevices();
  TfrmConfiguration& d = Create();
  bool openAfterOk = false;
  QTimer::singleShot(0, [&] {
    Choose(d.cbSVVideoSource, 2);
    // Every save of the store now fails just before its file is replaced.
    orvex::reg::SetBeforeReplaceHookForTesting(
        [](const std::filesystem::path& temp) { std::filesystem::remove(temp); });
    d.JvXPButton1->click();
    openAfterOk = d.isVisible() && d.IsModal();
    orvex::reg::SetBeforeReplaceHookForTesting(nullptr);
    d.JvXPButton1->click();
  });
  EXPECT_EQ(d.ShowModal(), mrOk);
  EXPECT_TRUE(openAfterOk);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("cannot save the settings file"), std::string::npos) << errors[0];
  EXPECT_EQ(Stored().SecondVideoSource, 2) << "the second OK stored the choice";
}

TEST_F(ConfigurationDialog, AFailedWriteBackAtCreationIsReportedAndTheChoicesStillApply) {
  AddDevices();
  TCaptureSettings stored;
  stored.SecondVideoSource = 2;
  stored.Write();
  orvex::reg::SetBeforeReplaceHookForTesting(
      [](const std::filesystem::path& temp) { std::filesystem::remove(temp); });
  TfrmConfiguration& d = Create();
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(d.cbSVVideoSource->currentIndex(), 2);
  EXPECT_EQ(Engine().VideoDevice(), 1);
}
