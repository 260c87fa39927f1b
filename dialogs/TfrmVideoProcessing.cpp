#include "dialogs/TfrmVideoProcessing.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <exception>

#include "engine/VOduduDudiviv.h"
#include "platform/kernel/UnhandledException.h"
#include "settings/VideoProcessingSettings.h"
#include "widgets/Pictures.h"

using orvex::settings::TVideoProcessingSettings;

namespace {

constexpr int kClientWidth = 227;
constexpr int kClientHeight = 404;
constexpr int kGroupLeft = 6;
constexpr int kGroupWidth = kClientWidth - 2 * kGroupLeft;

// " Color Adjust ": four slider columns, the check boxes below them.
constexpr int kColorTop = 4;
constexpr int kColorHeight = 238;
constexpr int kColumnLeft = 10;
constexpr int kColumnWidth = 49;
constexpr int kIconTop = 22;
constexpr int kSliderTop = 42;
constexpr int kSliderWidth = 26;
constexpr int kSliderHeight = 130;
constexpr int kCheckTop = 182;
constexpr int kCheckStep = 26;

// " Image Adjust ": the rotation compass, the mirror box to its right.
constexpr int kImageTop = kColorTop + kColorHeight + 6;
constexpr int kImageHeight = kClientHeight - kImageTop - 6;
constexpr int kCompassX = 78;  // centre of the rotation icon
constexpr int kCompassY = 80;
constexpr int kCompassIcon = 32;
constexpr int kCompassGap = 4;
constexpr int kMirrorLeft = 148;

constexpr int kRowHeight = 22;
constexpr int kResetWidth = 64;
constexpr int kResetHeight = 26;
constexpr int kSmallIcon = 16;

// The icons are drawn at build time, at 1x and 2x, into the program's pictures.
QPixmap Icon(const char* name) { return orvex::widgets::Picture(name, qApp->devicePixelRatio()); }

int RotationDegrees(const TfrmVideoProcessing& d) {
  if (d.rb90->isChecked()) return 90;
  if (d.rb180->isChecked()) return 180;
  if (d.rb270->isChecked()) return 270;
  return 0;
}

}  // namespace

TfrmVideoProcessing::TfrmVideoProcessing(VOduduDudiviv& engine)
    : TForm("Video Processing", TBorderStyle::Single, /*minimizeBox=*/false),
      engine_(engine),
      store_([this] { SaveSettings(); }, orvex::kernel::HandleUnhandledException) {
  setObjectName("frmVideoProcessing");
  SetClientSize(kClientWidth, kClientHeight);
  BuildColorGroup();
  BuildImageGroup();
  // The write-back comes last, so a store that cannot be written is
  // reported while the restored values already show and apply.
  try {
    LoadSettings();
  } catch (...) {
    orvex::kernel::HandleUnhandledException(std::current_exception());
  }
  StoreOnChange();
}

// The user's changes, and the resets, reach the store shortly after; a
// dragged slider is stored once it rests.
void TfrmVideoProcessing::StoreOnChange() {
  const auto request = [this] { store_.Request(); };
  for (QSlider* slider : {slBrightness, slContrast, slHue, slSaturation})
    connect(slider, &QSlider::valueChanged, this, request);
  for (QAbstractButton* button :
       std::initializer_list<QAbstractButton*>{cbGrayScale, cbNegative, cbMirror, rb0, rb90, rb180, rb270})
    connect(button, &QAbstractButton::toggled, this, request);
}

// A destructor must not throw: a failed save is reported and the program
// goes on closing.
TfrmVideoProcessing::~TfrmVideoProcessing() {
  try {
    SaveSettings();
  } catch (...) {
    orvex::kernel::HandleUnhandledException(std::current_exception());
  }
}

QLabel* TfrmVideoProcessing::AddIcon(QGroupBox* group, const QPixmap& icon, const QString& hint) {
  auto* label = new QLabel(group);
  label->setPixmap(icon);
  label->setToolTip(hint);
  label->resize(icon.isNull() ? QSize(kSmallIcon, kSmallIcon) : icon.deviceIndependentSize().toSize());
  return label;
}

QSlider* TfrmVideoProcessing::AddSlider(int column, const QString& hint, const QPixmap& icon,
                                        const char* name) {
  const int left = kColumnLeft + column * kColumnWidth;
  AddIcon(GroupBox1, icon, hint)->move(left + (kColumnWidth - kSmallIcon) / 2, kIconTop);
  auto* slider = new QSlider(Qt::Vertical, GroupBox1);
  slider->setObjectName(name);
  slider->setToolTip(hint);
  slider->setRange(-255, 255);
  slider->setSingleStep(1);
  slider->setValue(0);
  // Marks at both ends and at the unchanged middle.
  slider->setTickPosition(QSlider::TicksBothSides);
  slider->setTickInterval(255);
  slider->setGeometry(left + (kColumnWidth - kSliderWidth) / 2, kSliderTop, kSliderWidth, kSliderHeight);
  return slider;
}

QCheckBox* TfrmVideoProcessing::AddCheckBox(QGroupBox* group, int left, int top, const QString& caption,
                                            const QString& hint, const QPixmap& icon, const char* name) {
  AddIcon(group, icon, hint)->move(left, top + (kRowHeight - kSmallIcon) / 2);
  auto* box = new QCheckBox(caption, group);
  box->setObjectName(name);
  box->setToolTip(hint);
  box->setGeometry(left + kSmallIcon + 6, top, box->sizeHint().width(), kRowHeight);
  return box;
}

QPushButton* TfrmVideoProcessing::AddResetButton(QGroupBox* group, const char* name) {
  auto* button = new QPushButton("Reset", group);
  button->setObjectName(name);
  button->setToolTip("Reset All");
  button->setGeometry(kGroupWidth - 10 - kResetWidth, group->height() - 10 - kResetHeight, kResetWidth,
                      kResetHeight);
  return button;
}

void TfrmVideoProcessing::BuildColorGroup() {
  GroupBox1 = new QGroupBox(" Color Adjust ", this);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(kGroupLeft, kColorTop, kGroupWidth, kColorHeight);
  slBrightness = AddSlider(0, "Brightness", Icon("Brightness"), "slBrightness");
  slContrast = AddSlider(1, "Contrast", Icon("Contrast"), "slContrast");
  slHue = AddSlider(2, "Hue", Icon("Hue"), "slHue");
  slSaturation = AddSlider(3, "Saturation", Icon("Saturation"), "slSaturation");
  cbGrayScale = AddCheckBox(GroupBox1, kColumnLeft, kCheckTop, "Gray Scale", "Gray Scale", Icon("GrayScale"),
                            "cbGrayScale");
  cbNegative = AddCheckBox(GroupBox1, kColumnLeft, kCheckTop + kCheckStep, "Negative", "Negative",
                           Icon("Negative"), "cbNegative");
  btnReset1 = AddResetButton(GroupBox1, "btnReset1");

  // Tracking stays on, so the picture follows a slider while it is dragged.
  connect(slBrightness, &QSlider::valueChanged, this, &TfrmVideoProcessing::slBrightnessChange);
  connect(slContrast, &QSlider::valueChanged, this, &TfrmVideoProcessing::slContrastChange);
  connect(slHue, &QSlider::valueChanged, this, &TfrmVideoProcessing::slHueChange);
  connect(slSaturation, &QSlider::valueChanged, this, &TfrmVideoProcessing::slSaturationChange);
  // clicked, unlike toggled, comes only from the user.
  connect(cbGrayScale, &QCheckBox::clicked, this, &TfrmVideoProcessing::cbGrayScaleClick);
  connect(cbNegative, &QCheckBox::clicked, this, &TfrmVideoProcessing::cbNegativeClick);
  connect(btnReset1, &QPushButton::clicked, this, &TfrmVideoProcessing::btnReset1Click);
}

QRadioButton* TfrmVideoProcessing::AddRotationButton(const QString& degrees, const char* name) {
  auto* button = new QRadioButton(degrees + QStringLiteral("\u00B0"), GroupBox2);
  button->setObjectName(name);
  button->setToolTip(QStringLiteral("Rotate %1\u00B0").arg(degrees));
  return button;
}

void TfrmVideoProcessing::BuildImageGroup() {
  GroupBox2 = new QGroupBox(" Image Adjust ", this);
  GroupBox2->setObjectName("GroupBox2");
  GroupBox2->setGeometry(kGroupLeft, kImageTop, kGroupWidth, kImageHeight);

  // The compass: 0 above the icon, 90 right, 180 below, 270 left.
  constexpr int half = kCompassIcon / 2;
  AddIcon(GroupBox2, Icon("Rotation"), "Image Rotation")->move(kCompassX - half, kCompassY - half);
  rb0 = AddRotationButton("0", "rb0");
  rb90 = AddRotationButton("90", "rb90");
  rb180 = AddRotationButton("180", "rb180");
  rb270 = AddRotationButton("270", "rb270");
  rb270->setLayoutDirection(Qt::RightToLeft);  // its text stands left of the button
  const auto place = [](QRadioButton* b, int left, int top) {
    b->setGeometry(left, top, b->sizeHint().width(), kRowHeight);
  };
  place(rb0, kCompassX - rb0->sizeHint().width() / 2, kCompassY - half - kCompassGap - kRowHeight);
  place(rb180, kCompassX - rb180->sizeHint().width() / 2, kCompassY + half + kCompassGap);
  place(rb90, kCompassX + half + kCompassGap, kCompassY - kRowHeight / 2);
  place(rb270, kCompassX - half - kCompassGap - rb270->sizeHint().width(), kCompassY - kRowHeight / 2);
  rb0->setChecked(true);

  AddIcon(GroupBox2, Icon("Mirror"), "Mirror Image")
      ->move(kMirrorLeft + 2, kCompassY - kRowHeight / 2 - 4 - kSmallIcon);
  cbMirror = new QCheckBox("Mirror", GroupBox2);
  cbMirror->setObjectName("cbMirror");
  cbMirror->setToolTip("Mirror Image");
  cbMirror->setGeometry(kMirrorLeft, kCompassY - kRowHeight / 2, cbMirror->sizeHint().width(), kRowHeight);
  btnReset2 = AddResetButton(GroupBox2, "btnReset2");

  // Checking a rotation button, by hand or by program, raises its click;
  // the button that loses the check has let go of it by then.
  for (QRadioButton* button : {rb0, rb90, rb180, rb270}) {
    connect(button, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked) rb0Click();
    });
  }
  connect(cbMirror, &QCheckBox::clicked, this, &TfrmVideoProcessing::rb0Click);
  connect(btnReset2, &QPushButton::clicked, this, &TfrmVideoProcessing::btnReset2Click);
}

void TfrmVideoProcessing::slBrightnessChange() {
  engine_.setVideoProcessing_Brightness(slBrightness->value());
}
void TfrmVideoProcessing::slContrastChange() { engine_.setVideoProcessing_Contrast(slContrast->value()); }
void TfrmVideoProcessing::slHueChange() { engine_.setVideoProcessing_Hue(slHue->value()); }
void TfrmVideoProcessing::slSaturationChange() {
  engine_.setVideoProcessing_Saturation(slSaturation->value());
}

void TfrmVideoProcessing::cbGrayScaleClick() {
  engine_.setVideoProcessing_GrayScale(cbGrayScale->isChecked());
}
void TfrmVideoProcessing::cbNegativeClick() {
  engine_.setVideoProcessing_InvertColors(cbNegative->isChecked());
}

// Mirroring goes through the rotation code rather than the engine's flips.
void TfrmVideoProcessing::rb0Click() {
  int code = rt_0_deg;
  if (rb90->isChecked()) {
    code = rt_90_deg;
  } else if (rb180->isChecked()) {
    code = rt_180_deg;
  } else if (rb270->isChecked()) {
    code = rt_270_deg;
  }
  if (cbMirror->isChecked()) code += rt_0_deg_mirror;
  engine_.setVideoProcessing_Rotation(static_cast<TVideoRotation>(code));
}

// Rotation and mirror stay as they are.
void TfrmVideoProcessing::btnReset1Click() {
  for (QSlider* slider : {slBrightness, slContrast, slHue, slSaturation}) slider->setValue(0);
  cbGrayScale->setChecked(false);
  cbNegative->setChecked(false);
  engine_.setVideoProcessing_Brightness(0);
  engine_.setVideoProcessing_Contrast(0);
  engine_.setVideoProcessing_Hue(0);
  engine_.setVideoProcessing_Saturation(0);
  engine_.setVideoProcessing_GrayScale(false);
  engine_.setVideoProcessing_InvertColors(false);
}

// The colour values stay as they are. The mirror goes first, so checking
// rb0 never sends a code in between and a running preview is rebuilt once.
void TfrmVideoProcessing::btnReset2Click() {
  cbMirror->setChecked(false);
  rb0->setChecked(true);
  rb0Click();
}

void TfrmVideoProcessing::LoadSettings() {
  const TVideoProcessingSettings s = TVideoProcessingSettings::Read();
  // The sliders keep their values inside -255..255 themselves.
  slBrightness->setValue(s.Brightness);
  slContrast->setValue(s.Contrast);
  slHue->setValue(s.Hue);
  slSaturation->setValue(s.Saturation);
  cbGrayScale->setChecked(s.GrayScale);
  cbNegative->setChecked(s.InvertColors);
  // Mirror before the rotation button, whose click then sends the final code.
  cbMirror->setChecked(s.Mirror);
  QRadioButton* rotation = rb0;
  if (s.Rotation == 90) {
    rotation = rb90;
  } else if (s.Rotation == 180) {
    rotation = rb180;
  } else if (s.Rotation == 270) {
    rotation = rb270;
  }
  rotation->setChecked(true);

  engine_.setVideoProcessing_Brightness(slBrightness->value());
  engine_.setVideoProcessing_Contrast(slContrast->value());
  engine_.setVideoProcessing_Hue(slHue->value());
  engine_.setVideoProcessing_Saturation(slSaturation->value());
  engine_.setVideoProcessing_GrayScale(cbGrayScale->isChecked());
  engine_.setVideoProcessing_InvertColors(cbNegative->isChecked());
  rb0Click();

  SaveSettings();
}

void TfrmVideoProcessing::SaveSettings() {
  TVideoProcessingSettings s;
  s.Brightness = slBrightness->value();
  s.Contrast = slContrast->value();
  s.Hue = slHue->value();
  s.Saturation = slSaturation->value();
  s.Rotation = RotationDegrees(*this);
  s.Mirror = cbMirror->isChecked();
  s.GrayScale = cbGrayScale->isChecked();
  s.InvertColors = cbNegative->isChecked();
  s.Write();
}
