#pragma once
// The common dialogs, message boxes and the desktop's "open" verb behind one
// small interface, so windows never call Qt's blocking dialogs directly and
// tests can answer them from a script.

#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace orvex::dialogs {

enum class MsgIcon { None, Information, Warning, Stop, Question };
// YesNo offers No as the default answer: a hasty Enter changes nothing.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct FileDialogOptions {
  QString title;
  QString defaultExt;   // ".avi"; added when the chosen name has none
  QString filter;       // "AVI Files (*.AVI)|*.avi|All Files (*.*)|*.*"
  int filterIndex = 1;  // 1-based, as the filter pairs are counted
  QString fileName;     // proposed name, may include a folder
  QString initialDir;
  bool overwritePrompt = false;  // ChooseFileToSave asks before a file is replaced
};

// A font as the classic font dialog with effects describes it.
struct FontChoice {
  QString name = "MS Sans Serif";
  int sizePoints = 8;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint32_t color = 0;  // COLORREF 0x00BBGGRR
  bool operator==(const FontChoice&) const = default;
};

class ICommonDialogs {
 public:
  virtual ~ICommonDialogs() = default;
  // Each returns nothing when the user cancels.
  virtual std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) = 0;
  virtual std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) = 0;
  virtual std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) = 0;
  virtual std::optional<std::uint32_t> ChooseColor(QWidget* parent, std::uint32_t initial) = 0;
  virtual MsgResult MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                               MsgButtons buttons) = 0;
  // Opens a file or web address with the desktop's default handler; no shell.
  virtual bool ShellOpen(const QString& target, const QString& workingDir) = 0;
};

// The implementation in use: Qt's dialogs unless a test installed another.
ICommonDialogs& CommonDialogs();
// Installs an implementation (not owned); nullptr restores Qt's.
void SetCommonDialogs(ICommonDialogs* dialogs);
// The implementation installed with SetCommonDialogs, nullptr for Qt's.
ICommonDialogs* InstalledCommonDialogs();

}  // namespace orvex::dialogs
