#pragma once
// UTF-8 and UTF-16 helpers for the registry files: Windows writes its exports
// as UTF-16, we write UTF-8, and key and value names compare without case.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::reg {

bool IsValidUtf8(std::string_view text);

// Little- or big-endian UTF-16 bytes (no byte-order mark) to UTF-8; nothing
// on an odd byte count or a broken surrogate pair.
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool bigEndian);
// The same, replacing what cannot be decoded by U+FFFD.
std::string Utf16ToUtf8Lossy(std::string_view bytes);
// The same, turning what cannot be decoded into the byte 0xFF, which no
// valid UTF-8 holds: a reader that checks each line finds the broken ones.
std::string Utf16ToUtf8Marked(std::string_view bytes, bool bigEndian);
// Valid UTF-8 to little-endian UTF-16 bytes.
std::string Utf8ToUtf16Le(std::string_view text);

// Number of code points of valid UTF-8.
std::size_t CodePointCount(std::string_view text);
// The first `count` code points of valid UTF-8.
std::string_view CodePointPrefix(std::string_view text, std::size_t count);

// A form of a name in which names that Windows treats as equal are equal:
// letters are upper-cased (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
std::string FoldCase(std::string_view text);

}  // namespace orvex::reg
