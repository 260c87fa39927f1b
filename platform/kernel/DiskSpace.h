#pragma once
// Free space and the kind of drive a folder lives on.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvex::kernel {

enum class DriveKind { Local, Remote, CdRom, Unknown };

struct DriveInfo {
  std::optional<std::uint64_t> freeBytes;  // empty when it cannot be queried
  DriveKind kind = DriveKind::Unknown;
};

// The drive of `path`, or of its nearest existing parent folder.
DriveInfo QueryDrive(const std::string& path);

// Replaces the answers for tests (a full disk without filling one); empty restores.
void SetDriveQueryForTesting(std::function<DriveInfo(const std::string&)> query);

}  // namespace orvex::kernel
