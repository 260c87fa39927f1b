#include "platform/dialogs/QtCommonDialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QMessageBox>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/dialogs/FileFilter.h"

namespace orvex::dialogs {
namespace {

QColor FromColorRef(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

std::uint32_t ToColorRef(const QColor& c) {
  return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
         (static_cast<std::uint32_t>(c.blue()) << 16);
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogOptions& options,
                                     QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, options.title, options.initialDir, ToQtFilter(options.filter));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // The question before replacing a file is ChooseFileToSave's, asked once.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!options.defaultExt.isEmpty())
    dialog.setDefaultSuffix(options.defaultExt.mid(options.defaultExt.startsWith('.') ? 1 : 0));
  const QString selectedFilter = QtFilterAt(options.filter, options.filterIndex);
  if (!selectedFilter.isEmpty()) dialog.selectNameFilter(selectedFilter);
  if (!options.fileName.isEmpty()) dialog.selectFile(options.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

// The sixteen colours that the classic font dialog offers for its effects.
constexpr std::uint32_t kFontColors[] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                         0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                         0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

}  // namespace

std::optional<QString> QtCommonDialogs::OpenFile(QWidget* parent, const FileDialogOptions& options) {
  return RunFileDialog(parent, options, QFileDialog::AcceptOpen);
}

std::optional<QString> QtCommonDialogs::SaveFile(QWidget* parent, const FileDialogOptions& options) {
  return RunFileDialog(parent, options, QFileDialog::AcceptSave);
}

std::optional<FontChoice> QtCommonDialogs::ChooseFont(QWidget* parent, const FontChoice& initial) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QObject::tr("Font"));
  auto* layout = new QVBoxLayout(&dialog);
  QFont font(initial.name);
  font.setPointSize(initial.sizePoints > 0 ? initial.sizePoints : 8);
  font.setBold(initial.bold);
  font.setItalic(initial.italic);
  font.setUnderline(initial.underline);
  font.setStrikeOut(initial.strikeOut);
  auto* picker = new QFontDialog(font, &dialog);
  picker->setOptions(QFontDialog::NoButtons);
  picker->setWindowFlags(Qt::Widget);
  layout->addWidget(picker);

  auto* colorRow = new QFormLayout;
  auto* colors = new QComboBox(&dialog);
  for (std::uint32_t c : kFontColors) {
    QPixmap swatch(16, 16);
    swatch.fill(FromColorRef(c));
    colors->addItem(QIcon(swatch), FromColorRef(c).name(), QVariant::fromValue(c));
  }
  const int known = colors->findData(QVariant::fromValue(initial.color));
  if (known < 0) {
    QPixmap swatch(16, 16);
    swatch.fill(FromColorRef(initial.color));
    colors->addItem(QIcon(swatch), FromColorRef(initial.color).name(), QVariant::fromValue(initial.color));
  }
  colors->setCurrentIndex(known >= 0 ? known : colors->count() - 1);
  colorRow->addRow(QObject::tr("Color:"), colors);
  layout->addLayout(colorRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;

  const QFont chosen = picker->currentFont();
  FontChoice result;
  result.name = chosen.family();
  result.sizePoints = chosen.pointSize() > 0 ? chosen.pointSize() : initial.sizePoints;
  result.bold = chosen.bold();
  result.italic = chosen.italic();
  result.underline = chosen.underline();
  result.strikeOut = chosen.strikeOut();
  result.color = colors->currentData().value<std::uint32_t>();
  return result;
}

std::optional<std::uint32_t> QtCommonDialogs::ChooseColor(QWidget* parent, std::uint32_t initial) {
  const QColor chosen = QColorDialog::getColor(FromColorRef(initial), parent);
  if (!chosen.isValid()) return std::nullopt;
  return ToColorRef(chosen);
}

MsgResult QtCommonDialogs::MessageBox(QWidget* parent, const QString& caption, const QString& text,
                                      MsgIcon icon, MsgButtons buttons) {
  QMessageBox box(parent);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default: return MsgResult::Ok;
  }
}

bool QtCommonDialogs::ShellOpen(const QString& target, const QString& workingDir) {
  QUrl url(target);
  if (url.scheme().isEmpty() || url.scheme().size() == 1) {
    // A plain path: relative names are taken from the given folder.
    QFileInfo info(target);
    if (info.isRelative() && !workingDir.isEmpty()) info.setFile(workingDir + '/' + target);
    url = QUrl::fromLocalFile(info.absoluteFilePath());
  }
  return QDesktopServices::openUrl(url);
}

}  // namespace orvex::dialogs
