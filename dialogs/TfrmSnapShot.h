#pragma once
// The "SnapShot" window: the format and size of snapshots and the button that
// takes one. Its controls are its state: the preview window reads them when a
// captured frame arrives. Restores the snapshot settings while it is created,
// stores each change a moment after it was made, and again when it goes.

#include <QIcon>

#include "dialogs/DeferredStore.h"
#include "preview/SnapshotSaver.h"
#include "widgets/TForm.h"

class QFrame;
class QLineEdit;
class QRadioButton;
class TPictureButton;
class VOduduDudiviv;

class TfrmSnapShot : public TForm, public ISnapshotChoices {
  Q_OBJECT

 public:
  explicit TfrmSnapShot(VOduduDudiviv& engine);
  ~TfrmSnapShot() override;

  QRadioButton* rbBMP;
  QRadioButton* rbJPG;
  QRadioButton* rbGIF;
  QFrame* Panel1;  // holds the size group
  QRadioButton* rbVideo;
  QRadioButton* rbScreen;
  QRadioButton* rbCustom;
  QLineEdit* edWidth;
  QLineEdit* edHeight;
  TPictureButton* btnSnapShot;

  // Shared by the three size radios.
  void rbVideoClick();
  void btnSnapShotClick();

  // Reads the snapshot group, applies it to the controls and writes it back.
  void LoadSettings();
  // Writes the snapshot group; throws reg::ERegistryException when it cannot.
  void SaveSettings();

  TSnapshotFormat SnapshotFormat() const override;
  TSnapshotSizeMode SnapshotSizeMode() const override;
  std::string CustomWidthText() const override;
  std::string CustomHeightText() const override;

  // The snapshot button's pictures: up and held down.
  const QIcon& GlyphUp() const { return glyphUp_; }
  const QIcon& GlyphDown() const { return glyphDown_; }

 private:
  void BuildControls();
  void BuildSnapShotButton();
  // Saves, showing the error box instead of throwing.
  void TrySaveSettings();
  void ShowStoreError(std::exception_ptr error);
  // After the load: every change of a control is stored soon.
  void StoreOnChange();

  VOduduDudiviv& engine_;
  TDeferredStore store_;
  QIcon glyphUp_;
  QIcon glyphDown_;
};
