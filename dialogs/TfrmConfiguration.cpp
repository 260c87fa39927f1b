#include "dialogs/TfrmConfiguration.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <exception>
#include <string>

#include "engine/TextLines.h"
#include "engine/VOduduDudiviv.h"
#include "platform/kernel/UnhandledException.h"
#include "settings/CaptureSettings.h"
#include "widgets/Pictures.h"

using orvex::settings::IndexInList;
using orvex::settings::TCaptureListSizes;
using orvex::settings::TCaptureSettings;

namespace {

constexpr int kClientWidth = 332;
constexpr int kClientHeight = 311;
constexpr int kGroupLeft = 8;
constexpr int kGroupWidth = kClientWidth - 2 * kGroupLeft;
constexpr int kGroupHeight = 132;
constexpr int kRowTop = 20;
constexpr int kRowStep = 27;
constexpr int kRowHeight = 24;
constexpr int kListLeft = 84;
constexpr int kListWidth = 192;

const QString kNone = QStringLiteral("-None-");
const QString kDefault = QStringLiteral("-Default-");

// The engine's lists are text, one entry per line.
void AddLines(QComboBox* list, const std::string& text) {
  for (const std::string& line : TextLines(text)) list->addItem(QString::fromStdString(line));
}

void Select(QComboBox* list, int index) { list->setCurrentIndex(index < list->count() ? index : -1); }

}  // namespace

TfrmConfiguration::TfrmConfiguration(VOduduDudiviv& engine)
    : TForm("Program Settings", TBorderStyle::Dialog, /*minimizeBox=*/false), engine_(engine) {
  setObjectName("frmConfiguration");
  SetClientSize(kClientWidth, kClientHeight);
  BuildControls();
  FillLists();
  // A store that cannot be written is reported, but the choices read from
  // it are in the lists and the engine by then, so the program goes on.
  try {
    LoadSettings();
  } catch (...) {
    orvex::kernel::HandleUnhandledException(std::current_exception());
  }
}

TfrmConfiguration::~TfrmConfiguration() = default;

QGroupBox* TfrmConfiguration::AddGroup(const QString& title, int top) {
  auto* group = new QGroupBox(title, this);
  group->setGeometry(kGroupLeft, top, kGroupWidth, kGroupHeight);
  return group;
}

QComboBox* TfrmConfiguration::AddList(QGroupBox* group, int row, const QString& label, const QString& hint,
                                      const char* name) {
  const int top = kRowTop + row * kRowStep;
  auto* caption = new QLabel(label, group);
  caption->setGeometry(8, top, kListLeft - 10, kRowHeight);
  auto* list = new QComboBox(group);  // not editable: pick only
  list->setObjectName(name);
  list->setToolTip(hint);
  list->setGeometry(kListLeft, top, kListWidth, kRowHeight);
  caption->setBuddy(list);
  return list;
}

QToolButton* TfrmConfiguration::AddDialogButton(QGroupBox* group, int row, const QString& hint,
                                                const char* name) {
  auto* button = new QToolButton(group);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setText("...");
  button->setIcon(orvex::widgets::PictureIcon("Configure"));
  button->setIconSize(QSize(16, 16));
  button->setToolButtonStyle(button->icon().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
  button->setAutoRaise(true);
  button->setEnabled(false);
  button->setGeometry(kListLeft + kListWidth + 6, kRowTop + row * kRowStep, 26, kRowHeight);
  return button;
}

void TfrmConfiguration::BuildControls() {
  GroupBox1 = AddGroup(" Video Settings ", 4);
  GroupBox1->setObjectName("GroupBox1");
  cbSVVideoSource = AddList(GroupBox1, 0, "Source:", "Video acquisition device", "cbSVVideoSource");
  btnVideoDialog = AddDialogButton(GroupBox1, 0, "Configure Device", "btnVideoDialog");
  cbSVVideoInput = AddList(GroupBox1, 1, "Input:", "Video acquisition channel", "cbSVVideoInput");
  cbSVVideoSize = AddList(GroupBox1, 2, "Size:", "Video size", "cbSVVideoSize");
  cbSVVideoCompression = AddList(GroupBox1, 3, "Compress.:", "Video compression", "cbSVVideoCompression");
  btnVCompressorDialog = AddDialogButton(GroupBox1, 3, "Configure Compressor", "btnVCompressorDialog");

  GroupBox2 = AddGroup(" Audio Settings ", 8 + kGroupHeight);
  GroupBox2->setObjectName("GroupBox2");
  cbSVAudioSource = AddList(GroupBox2, 0, "Source:", "Audio acquisition device", "cbSVAudioSource");
  btnAudioDialog = AddDialogButton(GroupBox2, 0, "Configure Device", "btnAudioDialog");
  cbSVAudioInput = AddList(GroupBox2, 1, "Input:", "Audio acquisition channel", "cbSVAudioInput");
  cbSVAudioFormat = AddList(GroupBox2, 2, "Format:", "Audio format", "cbSVAudioFormat");
  cbSVAudioCompression = AddList(GroupBox2, 3, "Compress.:", "Audio compression", "cbSVAudioCompression");
  btnACompressorDialog = AddDialogButton(GroupBox2, 3, "Configure Compressor", "btnACompressorDialog");

  const int buttonTop = kClientHeight - 8 - 26;
  JvXPButton2 = new QPushButton("&Cancel", this);
  JvXPButton2->setObjectName("JvXPButton2");
  JvXPButton2->setToolTip("Cancel");
  JvXPButton2->setAutoDefault(true);
  JvXPButton2->setGeometry(kClientWidth - 8 - 2 * 80 - 6, buttonTop, 80, 26);
  JvXPButton1 = new QPushButton("&OK", this);
  JvXPButton1->setObjectName("JvXPButton1");
  JvXPButton1->setToolTip("OK");
  JvXPButton1->setDefault(true);
  JvXPButton1->setGeometry(kClientWidth - 8 - 80, buttonTop, 80, 26);

  // Only a choice the user makes runs a change handler; the code that
  // selects items calls the handlers itself.
  connect(cbSVVideoSource, &QComboBox::activated, this, &TfrmConfiguration::cbSVVideoSourceChange);
  connect(cbSVVideoInput, &QComboBox::activated, this, &TfrmConfiguration::cbSVVideoInputChange);
  connect(cbSVVideoCompression, &QComboBox::activated, this, &TfrmConfiguration::cbSVVideoCompressionChange);
  connect(cbSVAudioSource, &QComboBox::activated, this, &TfrmConfiguration::cbSVAudioSourceChange);
  connect(cbSVAudioInput, &QComboBox::activated, this, &TfrmConfiguration::cbSVAudioInputChange);
  connect(cbSVAudioCompression, &QComboBox::activated, this, &TfrmConfiguration::cbSVAudioCompressionChange);
  connect(btnVideoDialog, &QToolButton::clicked, this, &TfrmConfiguration::btnVideoDialogClick);
  connect(btnVCompressorDialog, &QToolButton::clicked, this, &TfrmConfiguration::btnVCompressorDialogClick);
  connect(btnAudioDialog, &QToolButton::clicked, this, &TfrmConfiguration::btnAudioDialogClick);
  connect(btnACompressorDialog, &QToolButton::clicked, this, &TfrmConfiguration::btnACompressorDialogClick);
  connect(JvXPButton1, &QPushButton::clicked, this, &TfrmConfiguration::JvXPButton1Click);
  connect(JvXPButton2, &QPushButton::clicked, this, &TfrmConfiguration::JvXPButton2Click);
}

// Selecting each device in turn is how the engine names it. Devices attached
// later are added each time the dialog shows (RefillLists).
void TfrmConfiguration::FillLists() {
  cbSVVideoSource->clear();
  cbSVVideoSource->addItem(kNone);
  for (int i = 0; i < engine_.VideoDevicesCount(); ++i) {
    engine_.setVideoDevice(i);
    cbSVVideoSource->addItem(QString::fromStdString(engine_.VideoDeviceName()));
  }
  cbSVVideoSource->setCurrentIndex(0);
  cbSVVideoSourceChange();

  cbSVAudioSource->clear();
  cbSVAudioSource->addItem(kNone);
  for (int i = 0; i < engine_.AudioDevicesCount(); ++i) {
    engine_.setAudioDevice(i);
    cbSVAudioSource->addItem(QString::fromStdString(engine_.AudioDeviceName()));
  }
  cbSVAudioSource->setCurrentIndex(0);
  cbSVAudioSourceChange();

  cbSVVideoCompression->clear();
  AddLines(cbSVVideoCompression, engine_.VideoCompressors());
  cbSVVideoCompression->insertItem(0, kNone);
  cbSVVideoCompression->setCurrentIndex(0);
  cbSVAudioCompression->clear();
  AddLines(cbSVAudioCompression, engine_.AudioCompressors());
  cbSVAudioCompression->insertItem(0, kNone);
  cbSVAudioCompression->setCurrentIndex(0);
}

// The engine's lists only grow (an unplugged device keeps its place), so
// the names come without choosing each device in turn, which would restart
// a running preview for every one. The choice stays with its name.
void TfrmConfiguration::RefillLists() {
  RefillList(cbSVVideoSource, engine_.VideoDeviceNames(), &TfrmConfiguration::cbSVVideoSourceChange);
  RefillList(cbSVAudioSource, engine_.AudioDeviceNames(), &TfrmConfiguration::cbSVAudioSourceChange);
  RefillList(cbSVVideoCompression, engine_.VideoCompressors(),
             &TfrmConfiguration::cbSVVideoCompressionChange);
  RefillList(cbSVAudioCompression, engine_.AudioCompressors(),
             &TfrmConfiguration::cbSVAudioCompressionChange);
}

void TfrmConfiguration::RefillList(QComboBox* list, const std::string& names,
                                   void (TfrmConfiguration::*changed)()) {
  const QString chosen = list->currentText();
  const int previous = list->currentIndex();
  list->clear();
  list->addItem(kNone);
  AddLines(list, names);
  const int index = std::max(0, list->findText(chosen, Qt::MatchExactly));
  list->setCurrentIndex(index);
  if (index != previous) (this->*changed)();
}

void TfrmConfiguration::showEvent(QShowEvent* event) {
  TForm::showEvent(event);
  RefillLists();
}

void TfrmConfiguration::cbSVVideoSourceChange() {
  const int index = cbSVVideoSource->currentIndex();
  const bool device = index > 0;
  engine_.setVideoDevice(device ? index - 1 : -1);
  btnVideoDialog->setEnabled(device && engine_.IsDialogAvailable(dk_VideoDevice));

  cbSVVideoInput->clear();
  if (device) {
    AddLines(cbSVVideoInput, engine_.VideoInputs());
    if (cbSVVideoInput->count() == 0) cbSVVideoInput->addItem(kDefault);
  } else {
    cbSVVideoInput->addItem(kNone);
    cbSVVideoSize->clear();
    cbSVVideoSize->addItem(kNone);
  }
  cbSVVideoInput->setCurrentIndex(0);
  cbSVVideoInputChange();
}

void TfrmConfiguration::cbSVVideoInputChange() {
  cbSVVideoSize->clear();
  if (cbSVVideoInput->currentText() != kNone) {
    engine_.setVideoInput(cbSVVideoInput->currentIndex());
    AddLines(cbSVVideoSize, engine_.VideoSizes());
  } else {
    cbSVVideoSize->addItem(kNone);
  }
  Select(cbSVVideoSize, 0);
}

void TfrmConfiguration::cbSVVideoCompressionChange() {
  const int index = cbSVVideoCompression->currentIndex();
  const bool compressor = index > 0;
  engine_.setVideoCompressor(compressor ? index - 1 : -1);
  btnVCompressorDialog->setEnabled(compressor && engine_.IsDialogAvailable(dk_VideoCompressor));
}

void TfrmConfiguration::cbSVAudioSourceChange() {
  const int index = cbSVAudioSource->currentIndex();
  const bool device = index > 0;
  engine_.setAudioDevice(device ? index - 1 : -1);
  btnAudioDialog->setEnabled(device && engine_.IsDialogAvailable(dk_AudioDevice));

  cbSVAudioInput->clear();
  if (device) {
    AddLines(cbSVAudioInput, engine_.AudioInputs());
    if (cbSVAudioInput->count() == 0) cbSVAudioInput->addItem(kDefault);
  } else {
    cbSVAudioInput->addItem(kNone);
    cbSVAudioFormat->clear();
    cbSVAudioFormat->addItem(kNone);
  }
  cbSVAudioInput->setCurrentIndex(0);
  cbSVAudioInputChange();
}

void TfrmConfiguration::cbSVAudioInputChange() {
  cbSVAudioFormat->clear();
  if (cbSVAudioInput->currentText() != kNone) {
    engine_.setAudioInput(cbSVAudioInput->currentIndex());
    AddLines(cbSVAudioFormat, engine_.AudioFormats());
  } else {
    cbSVAudioFormat->addItem(kNone);
  }
  Select(cbSVAudioFormat, 0);
}

void TfrmConfiguration::cbSVAudioCompressionChange() {
  const int index = cbSVAudioCompression->currentIndex();
  const bool compressor = index > 0;
  engine_.setAudioCompressor(compressor ? index - 1 : -1);
  btnACompressorDialog->setEnabled(compressor && engine_.IsDialogAvailable(dk_AudioCompressor));
}

// The engine reports by itself when it cannot show the pages.
void TfrmConfiguration::btnVideoDialogClick() { engine_.ShowDeviceDialog(dk_VideoDevice); }
void TfrmConfiguration::btnVCompressorDialogClick() { engine_.ShowDeviceDialog(dk_VideoCompressor); }
void TfrmConfiguration::btnAudioDialogClick() { engine_.ShowDeviceDialog(dk_AudioDevice); }
void TfrmConfiguration::btnACompressorDialogClick() { engine_.ShowDeviceDialog(dk_AudioCompressor); }

void TfrmConfiguration::LoadSettings() {
  const TCaptureListSizes lists{cbSVVideoSource->count(), cbSVVideoCompression->count(),
                                cbSVAudioSource->count(), cbSVAudioCompression->count()};
  const TCaptureSettings s = TCaptureSettings::Read(lists);

  cbSVVideoSource->setCurrentIndex(s.SecondVideoSource);
  cbSVVideoSourceChange();
  Select(cbSVVideoInput, IndexInList(s.SecondVideoInput, cbSVVideoInput->count()));
  cbSVVideoInputChange();
  Select(cbSVVideoSize, IndexInList(s.SecondVideoSize, cbSVVideoSize->count()));
  cbSVVideoCompression->setCurrentIndex(s.SecondVideoCompression);
  cbSVVideoCompressionChange();

  cbSVAudioSource->setCurrentIndex(s.SecondAudioSource);
  cbSVAudioSourceChange();
  Select(cbSVAudioInput, IndexInList(s.SecondAudioInput, cbSVAudioInput->count()));
  cbSVAudioInputChange();
  Select(cbSVAudioFormat, IndexInList(s.SecondAudioFormat, cbSVAudioFormat->count()));
  cbSVAudioCompression->setCurrentIndex(s.SecondAudioCompression);
  cbSVAudioCompressionChange();

  SaveSettings();
}

void TfrmConfiguration::SaveSettings() {
  TCaptureSettings s;
  s.SecondVideoSource = cbSVVideoSource->currentIndex();
  s.SecondVideoInput = cbSVVideoInput->currentIndex();
  s.SecondVideoSize = cbSVVideoSize->currentIndex();
  s.SecondVideoCompression = cbSVVideoCompression->currentIndex();
  s.SecondAudioSource = cbSVAudioSource->currentIndex();
  s.SecondAudioInput = cbSVAudioInput->currentIndex();
  s.SecondAudioFormat = cbSVAudioFormat->currentIndex();
  s.SecondAudioCompression = cbSVAudioCompression->currentIndex();
  s.Write();
}

// OK: a choice that could not be stored must not look stored, so the
// dialog stays open after the error box.
void TfrmConfiguration::JvXPButton1Click() {
  try {
    SaveSettings();
  } catch (...) {
    orvex::kernel::HandleUnhandledException(std::current_exception());
    return;
  }
  SetModalResult(mrOk);
}

// Cancel: back to the stored choices. The dialog closes even when writing
// them back fails, because nothing the user changed is kept.
void TfrmConfiguration::JvXPButton2Click() {
  try {
    LoadSettings();
  } catch (...) {
    orvex::kernel::HandleUnhandledException(std::current_exception());
  }
  SetModalResult(mrCancel);
}

// Enter confirms (a focused push button takes it first); Escape cancels.
void TfrmConfiguration::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: JvXPButton1->click(); break;
    case Qt::Key_Escape: JvXPButton2->click(); break;
    default: TForm::keyPressEvent(event); return;
  }
  event->accept();
}
