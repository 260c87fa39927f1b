#include "platform/kernel/DiskSpace.h"

#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <mutex>

namespace orvex::kernel {
namespace {

std::mutex g_lock;
std::function<DriveInfo(const std::string&)> g_override;

constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;

DriveKind KindOf(long type) {
  switch (type) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case kCifsMagic:
    case kSmb2Magic:
    case CODA_SUPER_MAGIC:
    case AFS_SUPER_MAGIC: return DriveKind::Remote;
    case ISOFS_SUPER_MAGIC: return DriveKind::CdRom;
    default: return DriveKind::Local;
  }
}

}  // namespace

DriveInfo QueryDrive(const std::string& path) {
  {
    std::lock_guard lock(g_lock);
    if (g_override) return g_override(path);
  }
  std::error_code ec;
  std::filesystem::path p = path.empty() ? std::filesystem::current_path(ec) : std::filesystem::path(path);
  while (!p.empty() && !std::filesystem::exists(p, ec) && p.has_parent_path() && p.parent_path() != p)
    p = p.parent_path();
  DriveInfo info;
  struct statvfs vfs {};
  if (statvfs(p.c_str(), &vfs) == 0) info.freeBytes = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  struct statfs fs {};
  if (statfs(p.c_str(), &fs) == 0) info.kind = KindOf(static_cast<long>(fs.f_type));
  return info;
}

void SetDriveQueryForTesting(std::function<DriveInfo(const std::string&)> query) {
  std::lock_guard lock(g_lock);
  g_override = std::move(query);
}

}  // namespace orvex::kernel
