#pragma once
// The text of a registry root in the .reg export format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Brevantix\Orvex]
//   "Brightness"=dword:00000000
//   "OverlayText"="say \"cheese\" at C:\\"
//   "Values"=hex:01,02,ff
//
// We write UTF-8 with LF line ends, one section per key (empty keys too, so
// they survive), and escape only backslash and quote inside quotes, as
// regedit does. A text that holds a line break or another control character
// (tab excepted) cannot stand between quotes without regedit misreading it,
// so it is written as hex(1): its UTF-16LE bytes with the terminating zero,
// which is REG_SZ to every reader of the format.
//
// We read UTF-8 (with or without byte-order mark) and UTF-16 LE or BE (with or
// without byte-order mark), CRLF or LF, "REGEDIT4" files too, comments (";"),
// default values ("@"), deletions ("[-key]", "name"=-) and hex(n) of any type.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry/KeyTree.h"

namespace orvex::reg {

inline constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxLineLength = 1024 * 1024;

// What reading a file met that it could not use.
struct RegFileProblems {
  // Why the bytes are no registry file at all (no header, too large); then
  // nothing was read from them.
  std::string unreadable;
  // Lines that could not be read and were left out.
  std::size_t droppedLines = 0;
  std::string firstDropped;  // "line 7: a dword needs 1 to 8 hex digits"

  bool None() const { return unreadable.empty() && droppedLines == 0; }
  // The reason the file is unreadable, else the first dropped line; empty
  // when there was no problem.
  std::string Summary() const { return unreadable.empty() ? firstDropped : unreadable; }
};

// Reads `bytes` into `tree` (cleared first); the sections must belong to
// `rootName`. A line that cannot be read costs only what it holds: a value
// line its value, a key line the values under it up to the next key line.
// Every other line is read.
RegFileProblems ParseRegFile(std::string_view bytes, std::string_view rootName, KeyNode& tree);

std::string FormatRegFile(const KeyNode& tree, std::string_view rootName);

}  // namespace orvex::reg
