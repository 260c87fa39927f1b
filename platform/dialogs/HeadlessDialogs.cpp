#include "platform/dialogs/HeadlessDialogs.h"

namespace orvex::dialogs {

HeadlessDialogs::HeadlessDialogs(std::FILE* out) : out_(out), previous_(InstalledCommonDialogs()) {
  SetCommonDialogs(this);
}

HeadlessDialogs::~HeadlessDialogs() { SetCommonDialogs(previous_); }

MsgResult HeadlessDialogs::SafeAnswer(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::YesNo: return MsgResult::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel: return MsgResult::Cancel;
  }
  return MsgResult::Cancel;
}

QString HeadlessDialogs::OneLine(const QString& text) { return text.simplified(); }

void HeadlessDialogs::Say(const QString& text) {
  std::fprintf(out_, "orvex: %s\n", OneLine(text).toUtf8().constData());
  std::fflush(out_);
}

std::optional<QString> HeadlessDialogs::OpenFile(QWidget*, const FileDialogOptions&) { return std::nullopt; }

std::optional<QString> HeadlessDialogs::SaveFile(QWidget*, const FileDialogOptions&) { return std::nullopt; }

std::optional<FontChoice> HeadlessDialogs::ChooseFont(QWidget*, const FontChoice&) { return std::nullopt; }

std::optional<std::uint32_t> HeadlessDialogs::ChooseColor(QWidget*, std::uint32_t) { return std::nullopt; }

MsgResult HeadlessDialogs::MessageBox(QWidget*, const QString&, const QString& text, MsgIcon,
                                      MsgButtons buttons) {
  const MsgResult answer = SafeAnswer(buttons);
  if (buttons == MsgButtons::Ok) {
    Say(text);
  } else {
    Say(text + (answer == MsgResult::No ? " (answered No)" : " (answered Cancel)"));
  }
  return answer;
}

bool HeadlessDialogs::ShellOpen(const QString& target, const QString&) {
  Say("not opening " + target + ": there is no desktop in this run");
  return false;
}

}  // namespace orvex::dialogs
