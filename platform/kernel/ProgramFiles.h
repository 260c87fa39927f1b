#pragma once
// Files that come with the program (its filter module, its manual) are found
// relative to the program itself: beside it in a build tree, at their place
// under the install prefix in an installed one. Never from the current
// folder or a search path.

#include <filesystem>
#include <initializer_list>
#include <optional>

namespace orvex::kernel {

// The first of `candidates` (each relative to `programFolder`) that exists,
// as a normal absolute path; nothing when none does or the folder is unknown.
std::optional<std::filesystem::path> FindProgramFile(const std::filesystem::path& programFolder,
                                                     std::initializer_list<std::filesystem::path> candidates);

}  // namespace orvex::kernel
