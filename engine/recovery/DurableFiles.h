#pragma once
// Small files that survive a crash or a power cut: written to a temporary
// name, synced, renamed over the old one, and the folder synced.

#include <string>

namespace orvex::recovery {

// Replaces `path` with `content`; false with `error` set when it cannot.
bool WriteFileDurably(const std::string& path, const std::string& content, std::string& error);
// Removes `path` (a missing file is fine) and syncs its folder.
void RemoveDurably(const std::string& path);
// Makes the entries of the folder holding `path` durable.
void SyncFolderOf(const std::string& path);
// Syncs the file at `path` and its folder; false when it cannot.
bool SyncFileAndFolder(const std::string& path);
// Reads a whole file of at most `limit` bytes; false when it is larger or cannot be read.
bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& content);

}  // namespace orvex::recovery
