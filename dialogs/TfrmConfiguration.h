#pragma once
// The "Program Settings" window: capture devices, inputs, sizes, audio
// format and compressors. The lists' item indexes are the capture settings;
// the main window reads them when it configures the engine.

#include "widgets/TForm.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class VOduduDudiviv;

class TfrmConfiguration : public TForm {
  Q_OBJECT

 public:
  // Fills the lists from the engine and restores the stored choices.
  explicit TfrmConfiguration(VOduduDudiviv& engine);
  ~TfrmConfiguration() override;

  QGroupBox* GroupBox1;  // " Video Settings "
  QComboBox* cbSVVideoSource;
  QToolButton* btnVideoDialog;
  QComboBox* cbSVVideoInput;
  QComboBox* cbSVVideoSize;
  QComboBox* cbSVVideoCompression;
  QToolButton* btnVCompressorDialog;

  QGroupBox* GroupBox2;  // " Audio Settings "
  QComboBox* cbSVAudioSource;
  QToolButton* btnAudioDialog;
  QComboBox* cbSVAudioInput;
  QComboBox* cbSVAudioFormat;
  QComboBox* cbSVAudioCompression;
  QToolButton* btnACompressorDialog;

  QPushButton* JvXPButton1;  // OK, the default button
  QPushButton* JvXPButton2;  // Cancel

  // Change handlers; selecting an item by hand runs them too.
  void cbSVVideoSourceChange();
  void cbSVVideoInputChange();
  void cbSVVideoCompressionChange();
  void cbSVAudioSourceChange();
  void cbSVAudioInputChange();
  void cbSVAudioCompressionChange();

  void btnVideoDialogClick();
  void btnVCompressorDialogClick();
  void btnAudioDialogClick();
  void btnACompressorDialogClick();

  void JvXPButton1Click();
  void JvXPButton2Click();

  // Restores the lists from the store and writes the group back; throws
  // orvex::reg::ERegistryException when that write fails.
  void LoadSettings();
  // Writes the eight item indexes; throws like LoadSettings.
  void SaveSettings();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Each time the dialog shows, devices plugged in since appear in it.
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  QGroupBox* AddGroup(const QString& title, int top);
  QComboBox* AddList(QGroupBox* group, int row, const QString& label, const QString& hint, const char* name);
  QToolButton* AddDialogButton(QGroupBox* group, int row, const QString& hint, const char* name);
  void FillLists();
  void RefillLists();
  void RefillList(QComboBox* list, const std::string& names, void (TfrmConfiguration::*changed)());

  VOduduDudiviv& engine_;
};
