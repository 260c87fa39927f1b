#pragma once
// Where the user manual that the Help button opens is: in bin/manual beside
// the program in a build tree, under the install prefix in an installed one
// (share/doc/orvex/manual). Never taken from the current folder.

#include <QString>
#include <optional>

namespace help_manual {

// The manual's first page for a program in `programFolder`; nothing when the
// manual is missing.
std::optional<QString> FindManual(const QString& programFolder);

// Where an installed program in `programFolder` keeps the manual's first page.
QString InstalledManualPage(const QString& programFolder);

}  // namespace help_manual
