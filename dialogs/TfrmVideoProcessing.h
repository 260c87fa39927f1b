#pragma once
// The "Video Processing" window: brightness, contrast, hue, saturation, grey
// scale, negative, quarter turns and mirror of the live picture. The controls
// are the state; every change goes to the engine at once and is stored a
// moment later; the group is also stored when the window is created and when
// it is destroyed.

#include "dialogs/DeferredStore.h"
#include "widgets/TForm.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPixmap;
class QPushButton;
class QRadioButton;
class QSlider;
class VOduduDudiviv;

class TfrmVideoProcessing : public TForm {
  Q_OBJECT

 public:
  // Restores the stored group into the controls and the engine.
  explicit TfrmVideoProcessing(VOduduDudiviv& engine);
  // Stores the group as the controls show it.
  ~TfrmVideoProcessing() override;

  QGroupBox* GroupBox1;  // " Color Adjust "
  QSlider* slBrightness;
  QSlider* slContrast;
  QSlider* slHue;
  QSlider* slSaturation;
  QCheckBox* cbGrayScale;
  QCheckBox* cbNegative;
  QPushButton* btnReset1;

  QGroupBox* GroupBox2;  // " Image Adjust "
  QRadioButton* rb0;
  QRadioButton* rb90;
  QRadioButton* rb180;
  QRadioButton* rb270;
  QCheckBox* cbMirror;
  QPushButton* btnReset2;

  // A slider reports every value it takes, whether the user or the program
  // moves it.
  void slBrightnessChange();
  void slContrastChange();
  void slHueChange();
  void slSaturationChange();
  // Check boxes report only the user's clicks, after the state has changed.
  void cbGrayScaleClick();
  void cbNegativeClick();
  // Shared by the four rotation buttons and the mirror box. A rotation
  // button checked by the program runs it too, when it was not checked.
  void rb0Click();
  void btnReset1Click();
  void btnReset2Click();

  // Reads the group, shows it, hands every value to the engine and writes
  // the group back; throws orvex::reg::ERegistryException when that write
  // fails.
  void LoadSettings();
  // Writes the group from the controls; throws like LoadSettings.
  void SaveSettings();

 private:
  void BuildColorGroup();
  void BuildImageGroup();
  QSlider* AddSlider(int column, const QString& hint, const QPixmap& icon, const char* name);
  QCheckBox* AddCheckBox(QGroupBox* group, int left, int top, const QString& caption, const QString& hint,
                         const QPixmap& icon, const char* name);
  QRadioButton* AddRotationButton(const QString& degrees, const char* name);
  QPushButton* AddResetButton(QGroupBox* group, const char* name);
  QLabel* AddIcon(QGroupBox* group, const QPixmap& icon, const QString& hint);
  // After the load: every change of a control is stored soon.
  void StoreOnChange();

  VOduduDudiviv& engine_;
  TDeferredStore store_;
};
