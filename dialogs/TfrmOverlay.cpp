#include "dialogs/TfrmOverlay.h"

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <exception>

#include "dialogs/OverlayPlacement.h"
#include "dialogs/TOverlayImageRow.h"
#include "dialogs/Utf8LengthValidator.h"
#include "engine/VOduduDudiviv.h"
#include "platform/kernel/UnhandledException.h"
#include "settings/OverlaySettings.h"

using orvex::dialogs::CommonDialogs;
using orvex::settings::kMaxOverlayTextBytes;
using orvex::settings::TOverlaySettings;

namespace {

const std::array<const char*, 6> kTextRadioNames = {"RadioButton1", "RadioButton5", "RadioButton2",
                                                    "RadioButton3", "RadioButton6", "RadioButton4"};

// The text box's hint names the placeholders, which are documented nowhere
// else a user looks while typing.
constexpr const char* kOverlayTextHint =
    "Overlay Text\n"
    "%frame_count%: frame number\n"
    "%time_full% %time_sec% %time_100ns%:\n"
    "time since the start\n"
    "%sys_time[dd/mm/yy hh:nn:ss]%:\n"
    "date and time\n"
    "%time_code% %dv_time[dd/mm/yy]%:\n"
    "from a DV camera";

QColor ToQColor(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

TFont ToEngineFont(const orvex::dialogs::FontChoice& choice) {
  TFont font;
  font.Name = choice.name.toStdString();
  font.SetSize(choice.sizePoints);
  font.Color = choice.color;
  font.Bold = choice.bold;
  font.Italic = choice.italic;
  font.Underline = choice.underline;
  font.StrikeOut = choice.strikeOut;
  return font;
}

orvex::dialogs::FontChoice ToFontChoice(const TFont& font) {
  orvex::dialogs::FontChoice choice;
  choice.name = QString::fromStdString(font.Name);
  choice.sizePoints = font.Size();
  choice.color = font.Color;
  choice.bold = font.Bold;
  choice.italic = font.Italic;
  choice.underline = font.Underline;
  choice.strikeOut = font.StrikeOut;
  return choice;
}

TfrmOverlay::TfrmOverlay(VOduduDudiviv& engine, TImageOverlaySlots& imageSlots)
    : TForm("Video Overlay", TBorderStyle::Single, /*minimizeBox=*/false),
      engine_(engine),
      slots_(imageSlots),
      store_([this] { SaveSettings(); },
             [this](std::exception_ptr error) {
               ShowOverlayError(this, QString::fromStdString(orvex::kernel::DescribeException(error)));
             }) {
  setObjectName("frmOverlay");
  SetClientSize(362, 529);
  OpenDialog1.title = "Load Image";
  OpenDialog1.filter = "Bitmap Images (*.BMP)|*.bmp|All Files (*.*)|*.*";
  OpenDialog1.defaultExt = ".bmp";

  // The window's size was chosen for a small dialog font.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  BuildTextGroup();
  BuildImageGroup();

  connect(Edit1, &QLineEdit::textChanged, this, &TfrmOverlay::Edit1Change);
  connect(Edit1, &QLineEdit::inputRejected, this, &TfrmOverlay::Edit1Rejected);
  connect(JvXPButton1, &QPushButton::clicked, this, &TfrmOverlay::JvXPButton1Click);
  connect(btnReset1, &QPushButton::clicked, this, &TfrmOverlay::btnReset1Click);
  connect(cbNegative, &QCheckBox::clicked, this, &TfrmOverlay::cbNegativeClick);
  connect(JvXPCheckbox1, &QCheckBox::clicked, this, &TfrmOverlay::JvXPCheckbox1Click);
  // A radio's click event comes when it becomes checked, by the user or by program.
  for (QRadioButton* radio : textRadios_)
    connect(radio, &QRadioButton::toggled, this, [this](bool on) {
      if (on) RadioButton1Click();
    });
  // A new frame size (another video size, a quarter turn) moves text and
  // images with the edges they are anchored to.
  connect(&engine_, &VOduduDudiviv::FrameSizeChanged, this, &TfrmOverlay::PlaceForFrameSize);

  LoadSettings();
  StoreOnChange();
}

// Text typed, a font or colour chosen, a box ticked, a position picked, an
// image loaded or cleared: stored shortly after. The buttons' own handlers
// run first, so the store sees their outcome.
void TfrmOverlay::StoreOnChange() {
  const auto request = [this] { store_.Request(); };
  connect(Edit1, &QLineEdit::textChanged, this, request);
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{JvXPButton1, btnReset1})
    connect(button, &QAbstractButton::clicked, this, request);
  for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{cbNegative, JvXPCheckbox1})
    connect(box, &QAbstractButton::toggled, this, request);
  for (QRadioButton* radio : textRadios_) connect(radio, &QRadioButton::toggled, this, request);
  for (auto& row : rows_) {
    for (QRadioButton* radio : row->Radios) connect(radio, &QRadioButton::toggled, this, request);
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{row->TransparentBox, row->VisibleBox})
      connect(box, &QAbstractButton::toggled, this, request);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{row->LoadButton, row->ClearButton})
      connect(button, &QAbstractButton::clicked, this, request);
  }
}

// The slots stay with the preview, empty and unplaced as a new window finds them.
TfrmOverlay::~TfrmOverlay() {
  TrySaveSettings();
  for (int i = 0; i < kImageRows; ++i) {
    slots_.Free(i);
    slots_.SetVisible(i, false);
    TImageOverlaySlot& slot = slots_[i];
    slot.X = 0;
    slot.Y = 0;
    slot.Transparent = false;
  }
}

void TfrmOverlay::BuildTextGroup() {
  auto* group = new QGroupBox(" Text Overlay ", this);
  auto* grid = new QGridLayout(group);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);

  grid->addWidget(new QLabel("Text:", group), 0, 0);
  Edit1 = new QLineEdit("Overlay Text", group);
  Edit1->setObjectName("Edit1");
  Edit1->setToolTip(kOverlayTextHint);
  // Every text the store holds fits whole (a UTF-8 byte is at least one
  // character), and none longer than it holds can be typed.
  Edit1->setMaxLength(static_cast<int>(kMaxOverlayTextBytes));
  Edit1->setValidator(new TUtf8LengthValidator(kMaxOverlayTextBytes, Edit1));
  grid->addWidget(Edit1, 0, 1, 1, 3);

  auto* look = new QHBoxLayout;
  JvXPButton1 = new QPushButton("Font", group);
  JvXPButton1->setObjectName("JvXPButton1");
  JvXPButton1->setToolTip("Text Font");
  btnReset1 = new QPushButton("Background Color", group);
  btnReset1->setObjectName("btnReset1");
  btnReset1->setToolTip("Text Background Color");
  Shape1 = new QFrame(group);
  Shape1->setObjectName("Shape1");
  Shape1->setToolTip("Text Background Color");
  Shape1->setFixedSize(17, 17);
  Shape1->setFrameShape(QFrame::Box);
  Shape1->setAutoFillBackground(true);
  cbNegative = new QCheckBox("Transparent", group);
  cbNegative->setObjectName("cbNegative");
  cbNegative->setToolTip("Transparent");
  look->addWidget(JvXPButton1);
  look->addWidget(btnReset1);
  look->addWidget(Shape1);
  look->addWidget(cbNegative);
  look->addStretch();
  grid->addLayout(look, 1, 0, 1, 4);

  grid->addWidget(new QLabel("Position:", group), 2, 0);
  for (int code = 0; code < kOverlayPositionCount; ++code) {
    auto* radio = new QRadioButton(kOverlayPositionCaptions[code], group);
    radio->setObjectName(kTextRadioNames[code]);
    radio->setToolTip(kOverlayPositionHints[code]);
    grid->addWidget(radio, 2 + code / 3, 1 + code % 3);
    textRadios_[code] = radio;
  }
  RadioButton1 = textRadios_[0];
  RadioButton5 = textRadios_[1];
  RadioButton2 = textRadios_[2];
  RadioButton3 = textRadios_[3];
  RadioButton6 = textRadios_[4];
  RadioButton4 = textRadios_[5];
  RadioButton1->setChecked(true);

  JvXPCheckbox1 = new QCheckBox("Visible", group);
  JvXPCheckbox1->setObjectName("JvXPCheckbox1");
  JvXPCheckbox1->setToolTip("Text Overlay Visible");
  grid->addWidget(JvXPCheckbox1, 4, 0, 1, 4);
  layout()->addWidget(group);
  SetShapeColor(ColorDialog1);
}

void TfrmOverlay::BuildImageGroup() {
  auto* group = new QGroupBox(" Image Overlay ", this);
  auto* rows = new QVBoxLayout(group);
  rows->setSpacing(8);
  for (int i = 0; i < kImageRows; ++i) {
    rows_[i] = std::make_unique<TOverlayImageRow>(i, group, slots_, engine_, OpenDialog1);
    if (i > 0) rows->addStretch();
    rows->addWidget(rows_[i]->Panel);
  }
  // The image rows take the room the fixed window height leaves.
  static_cast<QVBoxLayout*>(layout())->addWidget(group, 1);
}

void TfrmOverlay::SetShapeColor(std::uint32_t color) {
  QPalette palette = Shape1->palette();
  palette.setColor(QPalette::Window, ToQColor(color));
  Shape1->setPalette(palette);
}

int TfrmOverlay::TextPositionCode() const {
  for (int code = 0; code < kOverlayPositionCount; ++code)
    if (textRadios_[code]->isChecked()) return code;
  return 0;
}

void TfrmOverlay::Edit1Change() { engine_.setTextOverlay_String(Edit1->text().toStdString()); }

void TfrmOverlay::Edit1Rejected() {
  QToolTip::showText(Edit1->mapToGlobal(QPoint(0, Edit1->height())), OverlayTextLimitText(), Edit1);
}

QString OverlayTextLimitText() {
  return QString(
             "The overlay text cannot be longer: at most %1 bytes are kept, and a letter beyond plain "
             "ASCII takes 2 to 4 of them.")
      .arg(kMaxOverlayTextBytes);
}

// Kept images that wait are read when the window is first seen, for their thumbnails.
void TfrmOverlay::showEvent(QShowEvent* event) {
  TForm::showEvent(event);
  for (auto& row : rows_) row->ReadWaitingImage();
}

void TfrmOverlay::JvXPButton1Click() {
  if (const auto choice = CommonDialogs().ChooseFont(this, FontDialog1)) {
    FontDialog1 = *choice;
    engine_.setTextOverlay_Font(ToEngineFont(FontDialog1));
  }
}

void TfrmOverlay::btnReset1Click() {
  if (const auto color = CommonDialogs().ChooseColor(this, ColorDialog1)) {
    ColorDialog1 = *color;
    SetShapeColor(ColorDialog1);
    engine_.setTextOverlay_BkColor(ColorDialog1);
  }
}

void TfrmOverlay::cbNegativeClick() { engine_.setTextOverlay_Transparent(cbNegative->isChecked()); }

void TfrmOverlay::RadioButton1Click() {
  const TTextPlacement p = TextPlacement(TextPositionCode(), engine_.FrameWidth(), engine_.FrameHeight());
  engine_.setTextOverlay_Top(p.Top);
  engine_.setTextOverlay_Left(p.Left);
  engine_.setTextOverlay_Right(p.Right);
  engine_.setTextOverlay_Align(p.Align);
}

void TfrmOverlay::PlaceForFrameSize() {
  RadioButton1Click();
  for (int i = 0; i < TImageOverlaySlots::kCount; ++i) ImageRow(i).RadioClick();
}

void TfrmOverlay::JvXPCheckbox1Click() { engine_.setTextOverlay_Enabled(JvXPCheckbox1->isChecked()); }

void TfrmOverlay::LoadSettings() {
  const TOverlaySettings s = TOverlaySettings::Read();
  Edit1->setText(QString::fromStdString(s.OverlayText));
  if (!s.OverlayFontName.empty()) FontDialog1.name = QString::fromStdString(s.OverlayFontName);
  FontDialog1.sizePoints = s.OverlayFontSize;
  FontDialog1.color = static_cast<std::uint32_t>(s.OverlayFontColor);
  FontDialog1.bold = s.OverlayFontBold;
  FontDialog1.italic = s.OverlayFontItalic;
  FontDialog1.underline = s.OverlayFontUnderline;
  FontDialog1.strikeOut = s.OverlayFontStrikeOut;
  ColorDialog1 = static_cast<std::uint32_t>(s.OverlayBackColor);
  SetShapeColor(ColorDialog1);
  cbNegative->setChecked(s.OverlayBackTransparent);
  textRadios_[static_cast<std::size_t>(s.OverlayTextPosition)]->setChecked(true);
  JvXPCheckbox1->setChecked(s.OverlayTextVisible);

  Edit1Change();
  engine_.setTextOverlay_Font(ToEngineFont(FontDialog1));
  engine_.setTextOverlay_BkColor(ColorDialog1);
  cbNegativeClick();
  RadioButton1Click();
  JvXPCheckbox1Click();

  const int positions[] = {s.Image1Position, s.Image2Position, s.Image3Position};
  const bool transparent[] = {s.Image1Transparent, s.Image2Transparent, s.Image3Transparent};
  const bool visible[] = {s.Image1Visible, s.Image2Visible, s.Image3Visible};
  for (int i = 0; i < kImageRows; ++i) {
    rows_[i]->CheckPosition(positions[i]);
    rows_[i]->TransparentBox->setChecked(transparent[i]);
    rows_[i]->VisibleBox->setChecked(visible[i]);
  }
  for (auto& row : rows_) row->ClearClick();
  // A kept image that cannot be read is reported and skipped; the other rows
  // and the settings still come back.
  for (auto& row : rows_) row->Restore();
  TrySaveSettings();
}

void TfrmOverlay::SaveSettings() {
  TOverlaySettings s;
  s.OverlayText = Edit1->text().toStdString();
  const TFont& font = engine_.TextOverlay_Font();
  s.OverlayFontName = font.Name;
  s.OverlayFontSize = font.Size();
  s.OverlayFontColor = static_cast<int>(font.Color);
  s.OverlayBackColor = static_cast<int>(engine_.TextOverlay_BkColor());
  s.OverlayTextPosition = TextPositionCode();
  s.Image1Position = rows_[0]->PositionCode();
  s.Image2Position = rows_[1]->PositionCode();
  s.Image3Position = rows_[2]->PositionCode();
  s.OverlayFontBold = font.Bold;
  s.OverlayFontItalic = font.Italic;
  s.OverlayFontUnderline = font.Underline;
  s.OverlayFontStrikeOut = font.StrikeOut;
  s.OverlayBackTransparent = cbNegative->isChecked();
  s.OverlayTextVisible = JvXPCheckbox1->isChecked();
  s.Image1Transparent = rows_[0]->TransparentBox->isChecked();
  s.Image2Transparent = rows_[1]->TransparentBox->isChecked();
  s.Image3Transparent = rows_[2]->TransparentBox->isChecked();
  s.Image1Visible = rows_[0]->VisibleBox->isChecked();
  s.Image2Visible = rows_[1]->VisibleBox->isChecked();
  s.Image3Visible = rows_[2]->VisibleBox->isChecked();
  s.Write();
}

void TfrmOverlay::TrySaveSettings() {
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    ShowOverlayError(this, QString::fromStdString(e.what()));
  }
}
