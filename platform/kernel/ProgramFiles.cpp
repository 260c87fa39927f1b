#include "platform/kernel/ProgramFiles.h"

namespace orvex::kernel {

std::optional<std::filesystem::path> FindProgramFile(
    const std::filesystem::path& programFolder, std::initializer_list<std::filesystem::path> candidates) {
  if (programFolder.empty() || !programFolder.is_absolute()) return std::nullopt;
  for (const auto& candidate : candidates) {
    const std::filesystem::path path = (programFolder / candidate).lexically_normal();
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return std::nullopt;
}

}  // namespace orvex::kernel
