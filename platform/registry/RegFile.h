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
// We read UTF-8 (with or without byte-order mark) and UTF-16 LE or BE with a
// byte-order mark, CRLF or LF, "REGEDIT4" files too, comments (";"), default
// values ("@"), deletions ("[-key]", "name"=-) and hex(n) of any type.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry/KeyTree.h"

namespace orvex::reg {

inline constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxLineLength = 1024 * 1024;

// Reads `bytes` into `tree` (cleared first); the sections must belong to
// `rootName`. Answers an empty text, or what is wrong and on which line.
std::string ParseRegFile(std::string_view bytes, std::string_view rootName, KeyNode& tree);

std::string FormatRegFile(const KeyNode& tree, std::string_view rootName);

}  // namespace orvex::reg
