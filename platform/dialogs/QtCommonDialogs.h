#pragma once
#include "platform/dialogs/CommonDialogs.h"

namespace orvex::dialogs {

// The real dialogs, shown modally with Qt.
class QtCommonDialogs final : public ICommonDialogs {
 public:
  std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) override;
  std::optional<std::uint32_t> ChooseColor(QWidget* parent, std::uint32_t initial) override;
  MsgResult MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                       MsgButtons buttons) override;
  bool ShellOpen(const QString& target, const QString& workingDir) override;
};

}  // namespace orvex::dialogs
