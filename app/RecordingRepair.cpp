#include "app/RecordingRepair.h"

#include <QApplication>
#include <cstdio>
#include <filesystem>

#include "app/TApplication.h"
#include "engine/recovery/UnfinishedRecordings.h"
#include "platform/dialogs/CommonDialogs.h"
#include "platform/registry/RegKey.h"

namespace {

using orvex::recovery::TRepairOutcome;

void PrintToStandardError(const std::vector<orvex::recovery::TRecoveryNotice>& notices) {
  for (const auto& notice : notices) std::fprintf(stderr, "orvex: %s\n", notice.text.c_str());
}

}  // namespace

void RepairUnfinishedAtStart(bool headless) {
  // A long recording takes a moment to index; the window is not up yet.
  if (!headless) QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto notices = orvex::recovery::RepairUnfinishedRecordings(orvex::reg::ConfigFolder().string());
  if (!headless) QApplication::restoreOverrideCursor();
  if (notices.empty()) return;
  if (headless) {
    PrintToStandardError(notices);
    return;
  }
  QString text;
  bool problem = false;
  for (const auto& notice : notices) {
    text += (text.isEmpty() ? "" : "\n\n") + QString::fromStdString(notice.text);
    problem = problem || notice.problem;
  }
  using orvex::dialogs::MsgIcon;
  orvex::dialogs::CommonDialogs().MessageBox(nullptr, TApplication::kTitle, text,
                                             problem ? MsgIcon::Warning : MsgIcon::Information,
                                             orvex::dialogs::MsgButtons::Ok);
}

int RepairFromCommandLine(const std::string& file) {
  std::error_code ec;
  const std::string path = std::filesystem::absolute(file, ec).lexically_normal().string();
  if (!std::filesystem::exists(path, ec)) {
    std::fprintf(stderr, "orvex: there is no file %s to repair\n", path.c_str());
    return 1;
  }
  const std::string settings = orvex::reg::ConfigFolder().string();
  // The others interrupted before are repaired as at any start; this one is the job.
  PrintToStandardError(orvex::recovery::RepairUnfinishedRecordings(settings, path));
  const auto result = orvex::recovery::RepairRecording(path, settings);
  const std::string message = orvex::recovery::RepairMessage(path, result);
  if (result.outcome == TRepairOutcome::CannotRepair) {
    std::fprintf(stderr, "orvex: %s\n", message.c_str());
    return 1;
  }
  std::printf("%s\n", message.c_str());
  return 0;
}
