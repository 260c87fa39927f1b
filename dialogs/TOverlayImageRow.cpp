#include "dialogs/TOverlayImageRow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <system_error>

#include "dialogs/OverlayPlacement.h"
#include "engine/VOduduDudiviv.h"
#include "engine/frames/BitmapImageView.h"
#include "imaging/BmpWriter.h"
#include "imaging/ImageFile.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/BmpReader.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/registry/RegKey.h"

using namespace orvex::gdi;

namespace {

constexpr int kThumbnailSize = 60;

struct RowNames {
  const char* caption;
  const char* thumbnail;
  std::array<const char*, 6> radios;  // by position code
  const char* load;
  const char* clear;
  const char* transparent;
  const char* visible;
  const char* file;
};

const std::array<RowNames, 3> kRows = {{
    {"Image 1",
     "Image1",
     {"RadioButton7", "RadioButton10", "RadioButton11", "RadioButton8", "RadioButton9", "RadioButton12"},
     "JvXPButton2",
     "JvXPButton5",
     "JvXPCheckbox2",
     "JvXPCheckbox3",
     "image1.bmp"},
    {"Image 2",
     "Image2",
     {"RadioButton13", "RadioButton15", "RadioButton17", "RadioButton14", "RadioButton16", "RadioButton18"},
     "JvXPButton3",
     "JvXPButton6",
     "JvXPCheckbox4",
     "JvXPCheckbox5",
     "image2.bmp"},
    {"Image 3",
     "Image3",
     {"RadioButton19", "RadioButton21", "RadioButton23", "RadioButton20", "RadioButton22", "RadioButton24"},
     "JvXPButton4",
     "JvXPButton7",
     "JvXPCheckbox6",
     "JvXPCheckbox7",
     "image3.bmp"},
}};

QRgb ToQRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The picture squeezed or stretched into the thumbnail, rows and columns
// picked like a stretched picture control does.
QPixmap ThumbnailOf(TBitmap& picture) {
  TBitmap small(kThumbnailSize, kThumbnailSize, PixelFormat::Rgb32, Orientation::TopDown);
  DeviceContext src(&picture), dst(&small);
  StretchBlt(&dst, 0, 0, kThumbnailSize, kThumbnailSize, &src, 0, 0, picture.Width(), picture.Height(),
             SRCCOPY);
  QImage image(kThumbnailSize, kThumbnailSize, QImage::Format_RGB32);
  for (int y = 0; y < kThumbnailSize; ++y)
    for (int x = 0; x < kThumbnailSize; ++x) image.setPixel(x, y, ToQRgb(small.Pixel(x, y)));
  return QPixmap::fromImage(image);
}

QPixmap BlankThumbnail() {
  QImage image(kThumbnailSize, kThumbnailSize, QImage::Format_RGB888);
  image.fill(QColor::fromRgb(ToQRgb(kOverlayFormColor)));
  return QPixmap::fromImage(image);
}

// "/x/a.bmp: the file is truncated" -> "the file is truncated".
QString Reason(const std::string& error, const std::string& path) {
  const std::string prefix = path + ": ";
  return QString::fromStdString(error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error);
}

}  // namespace

void ShowOverlayError(QWidget* parent, const QString& text) {
  orvex::dialogs::CommonDialogs().MessageBox(parent, "Orvex Ziru", text, orvex::dialogs::MsgIcon::Stop,
                                             orvex::dialogs::MsgButtons::Ok);
}

TOverlayImageRow::TOverlayImageRow(int index, QWidget* parent, TImageOverlaySlots& imageSlots,
                                   VOduduDudiviv& engine, const orvex::dialogs::FileDialogOptions& openDialog)
    : index_(index), slots_(imageSlots), engine_(engine), openDialog_(openDialog) {
  BuildControls(parent);
  connect(LoadButton, &QPushButton::clicked, this, &TOverlayImageRow::LoadClick);
  connect(ClearButton, &QPushButton::clicked, this, &TOverlayImageRow::ClearClick);
  connect(TransparentBox, &QCheckBox::clicked, this, &TOverlayImageRow::TransparentClick);
  connect(VisibleBox, &QCheckBox::clicked, this, &TOverlayImageRow::VisibleClick);
  // A radio's click event comes when it becomes checked, by the user or by program.
  for (QRadioButton* radio : Radios)
    connect(radio, &QRadioButton::toggled, this, [this](bool on) {
      if (on) RadioClick();
    });
}

void TOverlayImageRow::BuildControls(QWidget* parent) {
  const RowNames& names = kRows[static_cast<std::size_t>(index_)];
  Panel = new QWidget(parent);
  auto* grid = new QGridLayout(Panel);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);

  Caption = new QLabel(names.caption, Panel);
  Thumbnail = new QLabel(Panel);
  Thumbnail->setObjectName(names.thumbnail);
  Thumbnail->setToolTip(names.caption);
  Thumbnail->setFixedSize(kThumbnailSize, kThumbnailSize);
  Thumbnail->setScaledContents(true);
  Thumbnail->setPixmap(BlankThumbnail());
  grid->addWidget(Caption, 0, 0);
  grid->addWidget(Thumbnail, 1, 0, 3, 1, Qt::AlignTop);

  grid->addWidget(new QLabel("Position:", Panel), 0, 1, 1, 3);
  // The row's radios are a group of their own: their parent is the panel.
  for (int code = 0; code < kOverlayPositionCount; ++code) {
    auto* radio = new QRadioButton(kOverlayPositionCaptions[code], Panel);
    radio->setObjectName(names.radios[code]);
    radio->setToolTip(kOverlayPositionHints[code]);
    grid->addWidget(radio, 1 + code / 3, 1 + code % 3);
    Radios[code] = radio;
  }
  Radios[0]->setChecked(true);

  auto* actions = new QHBoxLayout;
  LoadButton = new QPushButton("Load", Panel);
  LoadButton->setObjectName(names.load);
  LoadButton->setToolTip("Load Image");
  ClearButton = new QPushButton("Clear", Panel);
  ClearButton->setObjectName(names.clear);
  ClearButton->setToolTip("Clear Image");
  TransparentBox = new QCheckBox("Transparent", Panel);
  TransparentBox->setObjectName(names.transparent);
  TransparentBox->setToolTip("Transparent");
  VisibleBox = new QCheckBox("Visible", Panel);
  VisibleBox->setObjectName(names.visible);
  VisibleBox->setToolTip(QString("%1 Visible").arg(names.caption));
  for (QPushButton* button : {LoadButton, ClearButton}) button->setFixedWidth(46);
  actions->setSpacing(2);
  actions->addWidget(LoadButton);
  actions->addWidget(ClearButton);
  actions->addWidget(TransparentBox);
  actions->addWidget(VisibleBox);
  actions->addStretch();
  grid->addLayout(actions, 3, 1, 1, 3);
  grid->setColumnStretch(3, 1);
}

std::filesystem::path TOverlayImageRow::File() const {
  return orvex::reg::ConfigFolder() / kRows[static_cast<std::size_t>(index_)].file;
}

int TOverlayImageRow::PositionCode() const {
  for (int code = 0; code < kOverlayPositionCount; ++code)
    if (Radios[code]->isChecked()) return code;
  return 0;
}

void TOverlayImageRow::CheckPosition(int code) {
  if (code < 0 || code >= kOverlayPositionCount) code = 0;
  Radios[code]->setChecked(true);
}

bool TOverlayImageRow::HoldsImage() const { return waiting_ || slots_[index_].HasImage(); }

void TOverlayImageRow::RadioClick() {
  TImageOverlaySlot& slot = Slot();
  if (!HoldsImage()) return;
  const int width = slot.HasImage() ? slot.Image.Width() : waiting_->width;
  const int height = slot.HasImage() ? slot.Image.Height() : waiting_->height;
  const TImagePlacement p =
      ImagePlacement(PositionCode(), engine_.FrameWidth(), engine_.FrameHeight(), width, height);
  if (waiting_) {
    waiting_->x = p.X;
    waiting_->y = p.Y;
    return;
  }
  slot.X = p.X;
  slot.Y = p.Y;
}

void TOverlayImageRow::TransparentClick() {
  if (Slot().HasImage()) Slot().Transparent = TransparentBox->isChecked();
}

void TOverlayImageRow::VisibleClick() {
  // A waiting image is read now, and shown with the boxes as they are.
  if (waiting_ && VisibleBox->isChecked()) ReadWaitingImage();
  if (Slot().HasImage()) slots_.SetVisible(index_, VisibleBox->isChecked());
}

void TOverlayImageRow::LoadClick() {
  const std::optional<QString> chosen =
      orvex::dialogs::CommonDialogs().OpenFile(Panel->window(), openDialog_);
  if (chosen) LoadFile(*chosen);
}

bool TOverlayImageRow::LoadFile(const QString& path) {
  const std::string file = path.toStdString();
  TBitmap picture;
  std::string error;
  if (!LoadBitmapFromFile(file, picture, &error)) {
    ShowOverlayError(Panel->window(),
                     QString("\"%1\" is not a valid bitmap: %2.").arg(path, Reason(error, file)));
    return false;
  }
  ClearClick();
  if (!Install(picture)) return false;
  bool kept = true;
  try {
    std::error_code ignored;
    std::filesystem::create_directories(File().parent_path(), ignored);
    orvex::imaging::SaveBmpToFile(File(), ImageViewOf(picture), orvex::imaging::TBmpBitsPerPixel::Bpp24,
                                  orvex::imaging::TFileAccess::OwnerOnly);
  } catch (const std::exception& e) {
    // The image stays for this run; the user learns it will not come back.
    ShowOverlayError(Panel->window(), QString::fromStdString(e.what()));
    kept = false;
  }
  ApplyPlacementAndBoxes();
  return kept;
}

void TOverlayImageRow::ClearClick() {
  if (!HoldsImage()) return;
  waiting_.reset();
  slots_.Free(index_);
  ShowThumbnail(nullptr);
  std::error_code ignored;
  std::filesystem::remove(File(), ignored);
}

namespace {
void ShowKeptImageError(QWidget* window, const std::filesystem::path& file, const std::string& error) {
  ShowOverlayError(window, QString("The kept image \"%1\" is not a valid bitmap: %2.")
                               .arg(QString::fromStdString(file.string()), Reason(error, file.string())));
}
}  // namespace

bool TOverlayImageRow::Restore() {
  const std::filesystem::path file = File();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return true;
  WaitingImage kept;
  std::string error;
  if (!ReadBitmapFileSize(file.string(), kept.width, kept.height, &error)) {
    ShowKeptImageError(Panel->window(), file, error);
    return false;
  }
  if (!VisibleBox->isChecked()) {
    waiting_ = kept;
    RadioClick();
    return true;
  }
  TBitmap picture;
  if (!LoadBitmapFromFile(file.string(), picture, &error)) {
    ShowKeptImageError(Panel->window(), file, error);
    return false;
  }
  if (!Install(picture)) return false;
  ApplyPlacementAndBoxes();
  return true;
}

bool TOverlayImageRow::ReadWaitingImage() {
  if (!waiting_) return true;
  const WaitingImage kept = *waiting_;
  waiting_.reset();
  const std::filesystem::path file = File();
  TBitmap picture;
  std::string error;
  if (!LoadBitmapFromFile(file.string(), picture, &error)) {
    ShowKeptImageError(Panel->window(), file, error);
    return false;
  }
  if (!Install(picture)) return false;
  if (picture.Width() == kept.width && picture.Height() == kept.height) {
    // Placed when it was last placed, not at the frame size of this moment.
    Slot().X = kept.x;
    Slot().Y = kept.y;
  } else {
    RadioClick();  // the file changed meanwhile
  }
  TransparentClick();
  VisibleClick();
  return true;
}

bool TOverlayImageRow::Install(TBitmap& picture) {
  if (!slots_.Install(index_, picture, 0, 0, false, false)) {
    ShowOverlayError(Panel->window(), "There is not enough memory for this image.");
    return false;
  }
  ShowThumbnail(&picture);
  return true;
}

void TOverlayImageRow::ApplyPlacementAndBoxes() {
  RadioClick();
  TransparentClick();
  VisibleClick();
}

void TOverlayImageRow::ShowThumbnail(TBitmap* picture) {
  Thumbnail->setPixmap(picture ? ThumbnailOf(*picture) : BlankThumbnail());
}
