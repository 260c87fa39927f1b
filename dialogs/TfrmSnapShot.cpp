#include "dialogs/TfrmSnapShot.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <exception>

#include "engine/VOduduDudiviv.h"
#include "platform/dialogs/CommonDialogs.h"
#include "platform/kernel/UnhandledException.h"
#include "settings/SnapShotSettings.h"
#include "widgets/Pictures.h"
#include "widgets/TPictureButton.h"

using orvex::settings::TSnapShotSettings;

namespace {

constexpr int kGlyphSize = 32;
constexpr int kButtonSize = 44;
constexpr int kIndent = 8;  // radios and edits under their labels

QRadioButton* Radio(const char* name, const QString& caption, const QString& hint, QWidget* parent) {
  auto* radio = new QRadioButton(caption, parent);
  radio->setObjectName(name);
  radio->setToolTip(hint);
  return radio;
}

QLineEdit* Edit(const char* name, const QString& text, const QString& hint, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  edit->setToolTip(hint);
  edit->setFixedWidth(64);
  return edit;
}

}  // namespace

TfrmSnapShot::TfrmSnapShot(VOduduDudiviv& engine)
    : TForm("SnapShot", TBorderStyle::Single, /*minimizeBox=*/false),
      engine_(engine),
      store_([this] { SaveSettings(); }, [this](std::exception_ptr error) { ShowStoreError(error); }) {
  setObjectName("frmSnapShot");
  SetClientSize(218, 205);
  // The window's size was chosen for a small dialog font.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  BuildControls();

  // A radio's click event comes when it becomes checked, by the user or by program.
  for (QRadioButton* radio : {rbVideo, rbScreen, rbCustom})
    connect(radio, &QRadioButton::toggled, this, [this](bool on) {
      if (on) rbVideoClick();
    });
  connect(btnSnapShot, &TPictureButton::clicked, this, &TfrmSnapShot::btnSnapShotClick);

  LoadSettings();
  StoreOnChange();
}

TfrmSnapShot::~TfrmSnapShot() { TrySaveSettings(); }

// A format or size chosen, a size typed: stored shortly after.
void TfrmSnapShot::StoreOnChange() {
  const auto request = [this] { store_.Request(); };
  for (QRadioButton* radio : {rbBMP, rbJPG, rbGIF, rbVideo, rbScreen, rbCustom})
    connect(radio, &QRadioButton::toggled, this, request);
  for (QLineEdit* edit : {edWidth, edHeight}) connect(edit, &QLineEdit::textChanged, this, request);
}

// Format and size side by side, the custom size under them, the button at the foot.
void TfrmSnapShot::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->setSpacing(4);
  auto* choices = new QGridLayout;
  choices->setHorizontalSpacing(12);
  choices->setVerticalSpacing(2);
  layout->addLayout(choices);

  choices->addWidget(new QLabel("Image Format:", this), 0, 0);
  rbBMP = Radio("rbBMP", "BMP", "Bitmap Format", this);
  rbJPG = Radio("rbJPG", "JPG", "Jpeg Format", this);
  rbGIF = Radio("rbGIF", "GIF", "Gif Format", this);
  auto* formats = new QVBoxLayout;
  formats->setContentsMargins(kIndent, 0, 0, 0);
  formats->setSpacing(2);
  for (QRadioButton* radio : {rbBMP, rbJPG, rbGIF}) formats->addWidget(radio);
  choices->addLayout(formats, 1, 0, Qt::AlignTop);
  rbBMP->setChecked(true);

  choices->addWidget(new QLabel("Image Size:", this), 0, 1);
  // The size radios sit on their own panel, which makes them a group of their own.
  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  auto* sizes = new QVBoxLayout(Panel1);
  sizes->setContentsMargins(kIndent, 0, 0, 0);
  sizes->setSpacing(2);
  rbVideo = Radio("rbVideo", "Video", "Current Video Size", Panel1);
  rbScreen = Radio("rbScreen", "Screen", "Current Screen Size", Panel1);
  rbCustom = Radio("rbCustom", "Custom", "Custom Size", Panel1);
  for (QRadioButton* radio : {rbVideo, rbScreen, rbCustom}) sizes->addWidget(radio);
  choices->addWidget(Panel1, 1, 1, Qt::AlignTop);
  rbVideo->setChecked(true);

  layout->addSpacing(6);
  layout->addWidget(new QLabel("Custom Size:", this));
  auto* custom = new QHBoxLayout;
  custom->setContentsMargins(kIndent, 0, 0, 0);
  edWidth = Edit("edWidth", "640", "Custom Width", this);
  edHeight = Edit("edHeight", "480", "Custom Height", this);
  custom->addWidget(edWidth);
  custom->addWidget(new QLabel("X", this));
  custom->addWidget(edHeight);
  custom->addStretch();
  layout->addLayout(custom);

  layout->addStretch();
  BuildSnapShotButton();
  layout->addWidget(btnSnapShot, 0, Qt::AlignHCenter);
}

void TfrmSnapShot::BuildSnapShotButton() {
  btnSnapShot = new TPictureButton(this);
  btnSnapShot->setObjectName("btnSnapShot");
  btnSnapShot->setToolTip("Take SnapShot");
  btnSnapShot->setMinimumSize(kButtonSize, kButtonSize);
  btnSnapShot->setIconSize(QSize(kGlyphSize, kGlyphSize));
  // The glyphs are drawn at build time into the program's resources.
  glyphUp_ = orvex::widgets::PictureIcon("SnapShotUp");
  glyphDown_ = orvex::widgets::PictureIcon("SnapShotDown");
  // Without its pictures (a build without resources) the button still says what it does.
  if (glyphUp_.isNull()) btnSnapShot->setText("Snap");
  btnSnapShot->SetGlyphs(glyphUp_, glyphDown_);
}

void TfrmSnapShot::rbVideoClick() {
  const bool custom = rbCustom->isChecked();
  edWidth->setEnabled(custom);
  edHeight->setEnabled(custom);
}

// Whether the engine takes the request is its own decision; a refusal shows nothing.
void TfrmSnapShot::btnSnapShotClick() { engine_.CaptureFrame(fc_TBitmap, ""); }

void TfrmSnapShot::LoadSettings() {
  const TSnapShotSettings s = TSnapShotSettings::Read();
  (s.SnapShotFormat == 2 ? rbGIF : s.SnapShotFormat == 1 ? rbJPG : rbBMP)->setChecked(true);
  (s.SnapShotSize == 2 ? rbCustom : s.SnapShotSize == 1 ? rbScreen : rbVideo)->setChecked(true);
  edWidth->setText(QString::number(s.SnapShotCustomW));
  edHeight->setText(QString::number(s.SnapShotCustomH));
  rbVideoClick();
  TrySaveSettings();
}

void TfrmSnapShot::SaveSettings() {
  TSnapShotSettings s;
  s.SnapShotFormat = SnapshotFormat();
  s.SnapShotSize = SnapshotSizeMode();
  // Sizes are stored as typed; only text that is no number falls back.
  s.SnapShotCustomW = ParseWholeNumber(CustomWidthText()).value_or(640);
  s.SnapShotCustomH = ParseWholeNumber(CustomHeightText()).value_or(480);
  s.Write();
}

void TfrmSnapShot::TrySaveSettings() {
  try {
    SaveSettings();
  } catch (...) {
    ShowStoreError(std::current_exception());
  }
}

void TfrmSnapShot::ShowStoreError(std::exception_ptr error) {
  orvex::dialogs::CommonDialogs().MessageBox(this, "Orvex Ziru",
                                             QString::fromStdString(orvex::kernel::DescribeException(error)),
                                             orvex::dialogs::MsgIcon::Stop, orvex::dialogs::MsgButtons::Ok);
}

TSnapshotFormat TfrmSnapShot::SnapshotFormat() const {
  if (rbGIF->isChecked()) return sf_GIF;
  if (rbJPG->isChecked()) return sf_JPG;
  return sf_BMP;
}

TSnapshotSizeMode TfrmSnapShot::SnapshotSizeMode() const {
  if (rbVideo->isChecked()) return ss_Video;
  if (rbScreen->isChecked()) return ss_Screen;
  return ss_Custom;
}

std::string TfrmSnapShot::CustomWidthText() const { return edWidth->text().toStdString(); }
std::string TfrmSnapShot::CustomHeightText() const { return edHeight->text().toStdString(); }
