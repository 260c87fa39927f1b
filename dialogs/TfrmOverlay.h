#pragma once
// The "Video Overlay" window: the engine's one line of text and the three
// image overlays. Restores both from the overlay settings and the kept image
// files while it is created, stores each change a moment after it was made,
// and stores the settings again when it goes.
//
// It edits the image overlay slots that the preview owns and draws; going,
// it empties them.

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "dialogs/DeferredStore.h"
#include "engine/EngineEnums.h"
#include "platform/dialogs/CommonDialogs.h"
#include "preview/ImageOverlaySlots.h"
#include "widgets/TForm.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TOverlayImageRow;
class VOduduDudiviv;
struct TFont;

class TfrmOverlay : public TForm {
  Q_OBJECT

 public:
  static constexpr int kImageRows = TImageOverlaySlots::kCount;

  TfrmOverlay(VOduduDudiviv& engine, TImageOverlaySlots& imageSlots);
  ~TfrmOverlay() override;

  TImageOverlaySlots& ImageSlots() { return slots_; }
  // Image rows 1..3 as indexes 0..2.
  TOverlayImageRow& ImageRow(int index) { return *rows_.at(static_cast<std::size_t>(index)); }

  // Group " Text Overlay ".
  QLineEdit* Edit1;
  QPushButton* JvXPButton1;  // "Font"
  QPushButton* btnReset1;    // "Background Color"
  QFrame* Shape1;
  QCheckBox* cbNegative;       // "Transparent"
  QRadioButton* RadioButton1;  // Top Left
  QRadioButton* RadioButton5;  // Top
  QRadioButton* RadioButton2;  // Top Right
  QRadioButton* RadioButton3;  // Bottom Left
  QRadioButton* RadioButton6;  // Bottom
  QRadioButton* RadioButton4;  // Bottom Right
  QCheckBox* JvXPCheckbox1;    // "Visible"

  orvex::dialogs::FontChoice FontDialog1;
  std::uint32_t ColorDialog1 = clWhite;  // the colour dialog's colour, 0x00BBGGRR
  orvex::dialogs::FileDialogOptions OpenDialog1;

  // The code of the checked text radio; 0 when none is.
  int TextPositionCode() const;

  // Handlers of the text group.
  void Edit1Change();
  void Edit1Rejected();  // typing beyond the longest text the store holds
  void JvXPButton1Click();
  void btnReset1Click();
  void cbNegativeClick();
  void RadioButton1Click();  // text placement, shared by the six text radios
  // Places text and images again for the engine's frame size of this moment.
  void PlaceForFrameSize();
  void JvXPCheckbox1Click();

  // Reads the overlay group, applies it to the controls, the engine and the
  // slots, restores the kept images and writes the group back.
  void LoadSettings();
  // Writes the overlay group; throws reg::ERegistryException when it cannot.
  void SaveSettings();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildTextGroup();
  void BuildImageGroup();
  void SetShapeColor(std::uint32_t color);
  // Saves, showing the error box instead of throwing.
  void TrySaveSettings();
  // After the load: every change of a control is stored soon.
  void StoreOnChange();

  VOduduDudiviv& engine_;
  TImageOverlaySlots& slots_;
  TDeferredStore store_;
  std::array<QRadioButton*, 6> textRadios_{};  // by position code
  std::array<std::unique_ptr<TOverlayImageRow>, kImageRows> rows_;
};

// What the user is told when the overlay text cannot grow any longer.
QString OverlayTextLimitText();

// The engine's font for a font dialog choice, and back.
TFont ToEngineFont(const orvex::dialogs::FontChoice& choice);
orvex::dialogs::FontChoice ToFontChoice(const TFont& font);
