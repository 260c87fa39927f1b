#include "platform/registry/Utf.h"

#include <cstdint>

namespace orvex::reg {
namespace {

// Decodes one code point at `pos` and advances it; false on anything that is
// not shortest-form UTF-8 of a scalar value.
bool NextCodePoint(std::string_view text, std::size_t& pos, char32_t& cp) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length;
  char32_t min;
  if (lead < 0x80) {
    cp = lead;
    ++pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    return false;
  }
  if (pos + length > text.size()) return false;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (byte(pos + i) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  pos += length;
  return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

enum class Broken { Fail, Replace, Mark };

// Decodes UTF-16; broken units fail the whole text, become U+FFFD, or
// become the byte 0xFF.
std::optional<std::string> DecodeUtf16(std::string_view bytes, bool bigEndian, Broken broken) {
  if (bytes.size() % 2 != 0 && broken == Broken::Fail) return std::nullopt;
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&](std::size_t i) -> char16_t {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  const auto putBroken = [&](std::string& out) {
    if (broken == Broken::Mark) {
      out += '\xFF';
    } else {
      AppendUtf8(out, 0xFFFD);
    }
  };
  std::string out;
  out.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      if (broken == Broken::Fail) return std::nullopt;
      putBroken(out);
    } else {
      AppendUtf8(out, u);
    }
  }
  if (bytes.size() % 2 != 0) putBroken(out);
  return out;
}

char32_t FoldCodePoint(char32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 0x20;
  if (cp < 0x80) return cp;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;
  if (cp == 0xFF) return 0x178;
  if (cp >= 0x100 && cp <= 0x17F) {
    // Latin Extended-A pairs upper and lower case as neighbours; the two
    // runs below put the capital on the odd code point.
    const bool oddCapital = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (cp == 0x130 || cp == 0x131 || cp == 0x138 || cp == 0x149 || cp == 0x17F) return cp;
    if (oddCapital) return (cp % 2 == 0) ? cp - 1 : cp;
    return cp & ~char32_t{1};
  }
  if (cp >= 0x3B1 && cp <= 0x3C9) return cp == 0x3C2 ? 0x3A3 : cp - 0x20;
  if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;
  if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;
  return cp;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t cp;
  while (pos < text.size()) {
    if (!NextCodePoint(text, pos, cp)) return false;
  }
  return true;
}

std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  return DecodeUtf16(bytes, bigEndian, Broken::Fail);
}

std::string Utf16ToUtf8Lossy(std::string_view bytes) { return *DecodeUtf16(bytes, false, Broken::Replace); }

std::string Utf16ToUtf8Marked(std::string_view bytes, bool bigEndian) {
  return *DecodeUtf16(bytes, bigEndian, Broken::Mark);
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto put = [&](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>((u >> 8) & 0xFF);
  };
  std::size_t pos = 0;
  char32_t cp;
  while (pos < text.size() && NextCodePoint(text, pos, cp)) {
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

std::size_t CodePointCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string_view CodePointPrefix(std::string_view text, std::size_t count) {
  std::size_t pos = 0;
  for (; pos < text.size(); ++pos) {
    if ((static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80 && count-- == 0) break;
  }
  return text.substr(0, pos);
}

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  char32_t cp;
  while (pos < text.size()) {
    if (!NextCodePoint(text, pos, cp)) {
      // Names are validated before they get here; keep stray bytes as they are.
      out += text[pos++];
      continue;
    }
    AppendUtf8(out, FoldCodePoint(cp));
  }
  return out;
}

}  // namespace orvex::reg
