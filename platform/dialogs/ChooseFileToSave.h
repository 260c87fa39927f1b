#pragma once
// The save dialog with the question a user expects before a file is replaced.

#include <QString>
#include <functional>
#include <optional>

#include "platform/dialogs/CommonDialogs.h"

namespace orvex::dialogs {

// Turns the name picked in the dialog into the name that will be written.
using FinalFileName = std::function<QString(const QString& chosen)>;

// Shows the save dialog of `options` until the user picks a name that is
// free or agrees to replace that file (asked in a box captioned `caption`
// when `options.overwritePrompt` is set); answering No shows the dialog
// again with that name. `finalName` defaults to adding the dialog's default
// extension to a name without one. Answers the final name, nothing when cancelled.
std::optional<QString> ChooseFileToSave(QWidget* parent, const QString& caption, FileDialogOptions options,
                                        const FinalFileName& finalName = {});

}  // namespace orvex::dialogs
