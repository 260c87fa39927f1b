// Naming the recording file, reserving its number and checking the drive.

#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "engine/TSyncManager.h"
#include "engine/TVdvWorker.h"
#include "platform/kernel/DiskSpace.h"

namespace {

constexpr std::uint64_t kMinimumFreeBytes = 25000000;
const std::string kRecordingExtension = "avi";

// "yymmdd_hhmmss_zzz" of the local time now.
std::string DateTimeStem() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%y%m%d_%H%M%S", &local);
  char stem[40];
  std::snprintf(stem, sizeof stem, "%s_%03d", text, static_cast<int>(ms));
  return stem;
}

std::string FolderOf(const std::string& file) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(file, ec);
  return path.parent_path().string();
}

}  // namespace

std::string TVdvWorker::AutomaticFolder() const {
  std::string folder = P.StoragePath.empty() ? std::filesystem::current_path().string() : P.StoragePath;
  if (folder.back() != '/') folder += '/';
  return folder;
}

// folder + prefix + (date and time, or the next number) + "." + extension.
std::string TVdvWorker::AutomaticFileName(const std::string& extension) {
  TSyncManager* manager = TSyncManager::Instance();
  if (!manager) return "";
  const std::string folder = AutomaticFolder();
  if (StoragePathChanged) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    manager->RescanFolder(folder, P.AutoFilePrefix, kRecordingExtension);
    StoragePathChanged = false;
  }
  std::string stem;
  if (P.AutoFileName == fn_DateTime) {
    stem = DateTimeStem();
  } else {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06d",
                  manager->NextSequentialNumber(folder, P.AutoFilePrefix, extension));
    stem = digits;
  }
  return folder + P.AutoFilePrefix + stem + "." + extension;
}

bool TVdvWorker::DetermineRecordingFile(std::string& fileName) {
  fileName.clear();
  FileNamedAutomatically = false;
  ReservedKey.clear();
  ReservedNumber = -1;
  const std::string requested = P.RecordingFileName;
  if (!requested.empty() && requested != "RENEW") {
    fileName = requested;
  } else {
    if (requested == "RENEW") P.RecordingFileName.clear();
    fileName = AutomaticFileName(kRecordingExtension);
    if (P.AutoFileName == fn_Sequential) {
      ReservedKey = TSyncManager::CounterKey(AutomaticFolder(), P.AutoFilePrefix, kRecordingExtension);
      ReservedNumber = TSyncManager::Acquire().CounterValue(ReservedKey);
    }
    FileNamedAutomatically = true;
  }
  WrittenFile = fileName;
  CurrentFileName = fileName;

  const std::string folder = FolderOf(fileName);
  const auto drive = orvex::kernel::QueryDrive(folder);
  if (drive.freeBytes && *drive.freeBytes < kMinimumFreeBytes) {
    NoteRecordingFailure(e_disk_full, ENOSPC, "not enough free space for " + fileName, fileName);
    QueueEvent(qe_DiskFull);
    return false;
  }
  Report(
      drive.kind == orvex::kernel::DriveKind::Remote, sv_Warning,
      "StoragePath= " + folder + "\r\nNetwork drives or slow drives may produce high rate of dropped frames",
      w_storage_path_on_network);
  Report(drive.kind == orvex::kernel::DriveKind::CdRom, sv_Error,
         "StoragePath= " + folder + "\r\nstorage set on read-only drive", e_storage_path_read_only);
  return true;
}

// A recording that never started gives its number back, and its file goes.
void TVdvWorker::GiveBackReservedNumber() {
  if (ReservedKey.empty()) return;
  TSyncManager* manager = TSyncManager::Instance();
  if (manager && manager->CounterValue(ReservedKey) == ReservedNumber) {
    manager->SetCounterValue(ReservedKey, std::max(0, ReservedNumber - 1));
    if (FileNamedAutomatically && !WrittenFile.empty()) std::remove(WrittenFile.c_str());
  }
  ReservedKey.clear();
  ReservedNumber = -1;
}
