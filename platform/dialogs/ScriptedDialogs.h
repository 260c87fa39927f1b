#pragma once
// Answers dialogs from a script instead of a person: each call takes the next
// queued answer of its kind (none queued means Cancel) and is recorded.

#include <deque>
#include <vector>

#include "platform/dialogs/CommonDialogs.h"

namespace orvex::dialogs {

class ScriptedDialogs final : public ICommonDialogs {
 public:
  enum class Kind { OpenFile, SaveFile, ChooseFont, ChooseColor, MessageBox, ShellOpen };
  struct Call {
    Kind kind;
    FileDialogOptions file;  // OpenFile, SaveFile
    QString caption;         // MessageBox
    QString text;            // MessageBox text, ShellOpen target
    QString workingDir;      // ShellOpen
    MsgIcon icon = MsgIcon::None;
  };

  // Installs itself for the lifetime of the object.
  ScriptedDialogs();
  ~ScriptedDialogs() override;
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  void QueueOpenFile(std::optional<QString> answer) { openAnswers_.push_back(std::move(answer)); }
  void QueueSaveFile(std::optional<QString> answer) { saveAnswers_.push_back(std::move(answer)); }
  void QueueFont(std::optional<FontChoice> answer) { fontAnswers_.push_back(std::move(answer)); }
  void QueueColor(std::optional<std::uint32_t> answer) { colorAnswers_.push_back(answer); }
  void QueueMessageResult(MsgResult answer) { messageAnswers_.push_back(answer); }
  void SetShellOpenResult(bool result) { shellOpenResult_ = result; }

  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<Call> CallsOf(Kind kind) const;
  void ClearCalls() { calls_.clear(); }

  std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<FontChoice> ChooseFont(QWidget* parent, const FontChoice& initial) override;
  std::optional<std::uint32_t> ChooseColor(QWidget* parent, std::uint32_t initial) override;
  MsgResult MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                       MsgButtons buttons) override;
  bool ShellOpen(const QString& target, const QString& workingDir) override;

 private:
  // GCC 12 at -O2 and above takes a moved-from std::optional<QString> for
  // uninitialised (a known false positive of its optional analysis).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
  template <typename T>
  static T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
#pragma GCC diagnostic pop

  std::deque<std::optional<QString>> openAnswers_;
  std::deque<std::optional<QString>> saveAnswers_;
  std::deque<std::optional<FontChoice>> fontAnswers_;
  std::deque<std::optional<std::uint32_t>> colorAnswers_;
  std::deque<MsgResult> messageAnswers_;
  bool shellOpenResult_ = true;
  std::vector<Call> calls_;
};

}  // namespace orvex::dialogs
