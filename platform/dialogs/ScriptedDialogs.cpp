#include "platform/dialogs/ScriptedDialogs.h"

namespace orvex::dialogs {

ScriptedDialogs::ScriptedDialogs() { SetCommonDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { SetCommonDialogs(nullptr); }

std::vector<ScriptedDialogs::Call> ScriptedDialogs::CallsOf(Kind kind) const {
  std::vector<Call> result;
  for (const Call& call : calls_)
    if (call.kind == kind) result.push_back(call);
  return result;
}

std::optional<QString> ScriptedDialogs::OpenFile(QWidget*, const FileDialogOptions& options) {
  calls_.push_back({Kind::OpenFile, options});
  return Next(openAnswers_, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::SaveFile(QWidget*, const FileDialogOptions& options) {
  calls_.push_back({Kind::SaveFile, options});
  return Next(saveAnswers_, std::optional<QString>());
}

std::optional<FontChoice> ScriptedDialogs::ChooseFont(QWidget*, const FontChoice&) {
  calls_.push_back({Kind::ChooseFont});
  return Next(fontAnswers_, std::optional<FontChoice>());
}

std::optional<std::uint32_t> ScriptedDialogs::ChooseColor(QWidget*, std::uint32_t) {
  calls_.push_back({Kind::ChooseColor});
  return Next(colorAnswers_, std::optional<std::uint32_t>());
}

MsgResult ScriptedDialogs::MessageBox(QWidget*, const QString& caption, const QString& text, MsgIcon icon,
                                      MsgButtons buttons) {
  Call call{Kind::MessageBox};
  call.caption = caption;
  call.text = text;
  call.icon = icon;
  calls_.push_back(call);
  const MsgResult fallback = buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
  return Next(messageAnswers_, fallback);
}

bool ScriptedDialogs::ShellOpen(const QString& target, const QString& workingDir) {
  Call call{Kind::ShellOpen};
  call.text = target;
  call.workingDir = workingDir;
  calls_.push_back(call);
  return shellOpenResult_;
}

}  // namespace orvex::dialogs
