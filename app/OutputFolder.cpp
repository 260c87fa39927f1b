#include "app/OutputFolder.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

std::string OutputFolderProblem(const fs::path& file) {
  const fs::path folder = file.parent_path();
  std::error_code ec;
  const fs::file_status status = fs::status(folder, ec);
  if (!fs::exists(status)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(status)) return folder.string() + " is not a folder";
  if (fs::is_directory(file, ec)) return file.string() + " is a folder";
  // A read-only file system refuses root too; plain permissions refuse others.
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return "the folder " + folder.string() + " cannot be written: " + std::strerror(errno);
  if (fs::exists(file, ec) && ::access(file.c_str(), W_OK) != 0)
    return "the file cannot be replaced: " + std::string(std::strerror(errno));
  return {};
}
