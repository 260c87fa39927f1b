#pragma once
// The dialogs of a run without windows (--record, --snapshot, --list-devices):
// nobody could answer a box, so every message becomes one line
// "orvex: <text>" on standard error, file, font and colour dialogs answer
// Cancel and questions the safe choice (No, Cancel). Nothing waits.

#include <cstdio>

#include "platform/dialogs/CommonDialogs.h"

namespace orvex::dialogs {

class HeadlessDialogs final : public ICommonDialogs {
 public:
  // Installs itself for the lifetime of the object.
  explicit HeadlessDialogs(std::FILE* out = stderr);
  ~HeadlessDialogs() override;
  HeadlessDialogs(const HeadlessDialogs&) = delete;
  HeadlessDialogs& operator=(const HeadlessDialogs&) = delete;

  std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) override;
  std::optional<std::uint32_t> ChooseColor(QWidget* parent, std::uint32_t initial) override;
  MsgResult MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                       MsgButtons buttons) override;
  bool ShellOpen(const QString& target, const QString& workingDir) override;

  // The safe answer to a box with these buttons: Ok, or No, or Cancel.
  static MsgResult SafeAnswer(MsgButtons buttons);
  // The text on one line: line breaks and runs of white space become one space.
  static QString OneLine(const QString& text);

 private:
  void Say(const QString& text);

  std::FILE* out_;
  ICommonDialogs* previous_;
};

}  // namespace orvex::dialogs
