#include "platform/dialogs/ChooseFileToSave.h"

#include <QDir>
#include <QFileInfo>

#include "platform/dialogs/FileFilter.h"

namespace orvex::dialogs {

std::optional<QString> ChooseFileToSave(QWidget* parent, const QString& caption, FileDialogOptions options,
                                        const FinalFileName& finalName) {
  for (;;) {
    const std::optional<QString> chosen = CommonDialogs().SaveFile(parent, options);
    if (!chosen) return std::nullopt;
    const QString name = finalName ? finalName(*chosen) : WithDefaultExtension(*chosen, options.defaultExt);
    if (!options.overwritePrompt || !QFileInfo::exists(name)) return name;
    const QString question = QDir::toNativeSeparators(name) + " already exists.\nDo you want to replace it?";
    if (CommonDialogs().MessageBox(parent, caption, question, MsgIcon::Warning, MsgButtons::YesNo) ==
        MsgResult::Yes)
      return name;
    options.fileName = name;
  }
}

}  // namespace orvex::dialogs
