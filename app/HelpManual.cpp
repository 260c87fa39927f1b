#include "app/HelpManual.h"

#include <filesystem>

#include "platform/kernel/ProgramFiles.h"

namespace help_manual {
namespace {

constexpr const char* kFirstPage = "index.html";

std::filesystem::path InstalledPage() {
  return std::filesystem::path(ORVEX_MANUALDIR_FROM_PROGRAM) / kFirstPage;
}

}  // namespace

std::optional<QString> FindManual(const QString& programFolder) {
  const auto found = orvex::kernel::FindProgramFile(
      programFolder.toStdString(), {std::filesystem::path("manual") / kFirstPage, InstalledPage()});
  if (!found) return std::nullopt;
  return QString::fromStdString(found->string());
}

QString InstalledManualPage(const QString& programFolder) {
  return QString::fromStdString(
      (std::filesystem::path(programFolder.toStdString()) / InstalledPage()).lexically_normal().string());
}

}  // namespace help_manual
