#pragma once
// Whether a headless job can write its file where it was asked to, checked
// before any window or device is brought up, so the user hears the reason in
// plain words rather than as a media framework's error.

#include <filesystem>
#include <string>

// Empty when `file` (absolute) can be created or replaced; otherwise the
// reason, such as "the folder /x does not exist".
std::string OutputFolderProblem(const std::filesystem::path& file);
