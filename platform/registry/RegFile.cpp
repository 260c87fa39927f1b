#include "platform/registry/RegFile.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "platform/registry/Utf.h"

namespace orvex::reg {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::size_t kHexLineWidth = 77;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits) {
  std::uint32_t value = 0;
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

// Text of the file as UTF-8. Bytes that do not decode stay invalid UTF-8,
// so that only the lines holding them are dropped.
std::string DecodeFile(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return Utf16ToUtf8Marked(bytes.substr(2), false);
  if (StartsWith(bytes, "\xFE\xFF")) return Utf16ToUtf8Marked(bytes.substr(2), true);
  // Without a byte-order mark, UTF-16 shows in the header's first letter.
  if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') return Utf16ToUtf8Marked(bytes, false);
  if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0') return Utf16ToUtf8Marked(bytes, true);
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return std::string(bytes);
}

// Hex data goes on in lines of hex digits, commas and blanks only; anything
// else is the next entry of a file whose hex data stopped early.
bool IsHexContinuation(std::string_view line) {
  return line.find_first_not_of("0123456789abcdefABCDEF, \t\\") == std::string_view::npos;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view rootName, KeyNode& tree)
      : text_(text), rootName_(rootName), tree_(tree) {}

  RegFileProblems Run() {
    // An empty file holds nothing to keep; it is not a broken one.
    if (text_.find_first_not_of(" \t\r\n") == std::string_view::npos) return {};
    std::string_view line;
    NextLine(line);
    line = Trim(line);
    if (line != kHeader && line != kHeader4) {
      problems_.unreadable = "the first line is not \"" + std::string(kHeader) + "\"";
      return problems_;
    }
    while (NextLine(line)) {
      const std::size_t first = lineNo_;
      line = Trim(line);
      if (line.empty() || line.front() == ';') continue;
      std::string why;
      if (!CheckLine(line, why) || !(line.front() == '[' ? Section(line, why) : ValueLine(line, why))) {
        if (line.front() == '[') LoseKey(first);
        Drop(first, why);
      }
    }
    return problems_;
  }

 private:
  bool NextLine(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++lineNo_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

  static bool CheckLine(std::string_view line, std::string& why) {
    if (line.size() > kMaxLineLength) {
      why = "the line is too long";
    } else if (line.find('\0') != std::string_view::npos) {
      why = "the line holds zero characters";
    } else if (!IsValidUtf8(line)) {
      why = "the line is neither UTF-8 nor UTF-16 text";
    } else {
      return true;
    }
    return false;
  }

  void Drop(std::size_t firstLine, const std::string& why) {
    if (problems_.droppedLines == 0)
      problems_.firstDropped = "line " + std::to_string(firstLine) + ": " + why;
    problems_.droppedLines += lineNo_ - firstLine + 1;
  }

  // Values below a key line that could not be read belong nowhere we know.
  void LoseKey(std::size_t line) {
    current_ = nullptr;
    lostKeyLine_ = line;
  }

  bool Section(std::string_view line, std::string& why) {
    if (line.size() < 2 || line.back() != ']') return Why(why, "a key line must end with \"]\"");
    std::string_view inner = line.substr(1, line.size() - 2);
    const bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    const std::size_t cut = inner.find('\\');
    if (!EqualsIgnoringCase(inner.substr(0, cut), rootName_))
      return Why(why, "the key is not under " + std::string(rootName_));
    const auto path = SplitKeyPath(cut == std::string_view::npos ? std::string_view() : inner.substr(cut));
    if (!path) return Why(why, "invalid key name");
    if (remove && path->empty()) return Why(why, "the root itself cannot be deleted");
    lostKeyLine_ = 0;
    if (remove) {
      tree_.RemoveTree(*path);
      current_ = nullptr;
    } else {
      current_ = &tree_.Ensure(*path);
    }
    return true;
  }

  static bool Why(std::string& why, std::string text) {
    why = std::move(text);
    return false;
  }

  // Text between quotes; `rest` starts behind the opening quote and ends
  // behind the closing one. Only \\ and \" are escapes, as for regedit.
  static bool Quoted(std::string_view& rest, std::string& out, std::string& why) {
    for (std::size_t i = 0; i < rest.size(); ++i) {
      const char c = rest[i];
      if (c == '"') {
        rest.remove_prefix(i + 1);
        return true;
      }
      if (c == '\\' && i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"')) ++i;
      out += rest[i];
    }
    return Why(why, "a text has no closing quote");
  }

  bool ValueLine(std::string_view line, std::string& why) {
    if (line.front() != '"' && line.front() != '@') return Why(why, "unexpected text");
    if (!current_ && lostKeyLine_ != 0)
      return Why(why, "its key (line " + std::to_string(lostKeyLine_) + ") could not be read");
    if (!current_) return Why(why, "a value outside of a key");
    std::string name;
    std::string_view rest = line.substr(1);
    if (line.front() == '"' && !Quoted(rest, name, why)) return false;
    if (!IsValidValueName(name)) return Why(why, "invalid value name");
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') return Why(why, "\"=\" is missing");
    rest = Trim(rest.substr(1));
    if (rest == "-") {
      current_->RemoveValue(name);
      return true;
    }
    RegValue value;
    if (!Data(rest, value, why)) return false;
    if (value.data.size() > kMaxValueDataSize) return Why(why, "the value is too large");
    current_->SetValue(name, std::move(value));
    return true;
  }

  bool Data(std::string_view rest, RegValue& value, std::string& why) {
    if (!rest.empty() && rest.front() == '"') {
      rest.remove_prefix(1);
      value.type = REG_SZ;
      if (!Quoted(rest, value.data, why)) return false;
      if (!Trim(rest).empty()) return Why(why, "unexpected text behind a text value");
      return true;
    }
    if (StartsWith(rest, "dword:")) {
      const auto number = ParseHexNumber(Trim(rest.substr(6)));
      if (!number) return Why(why, "a dword needs 1 to 8 hex digits");
      value = RegValue::Dword(static_cast<std::int32_t>(*number));
      return true;
    }
    if (StartsWith(rest, "hex:")) {
      value.type = REG_BINARY;
      return Bytes(rest.substr(4), value.data, why);
    }
    if (StartsWith(rest, "hex(")) {
      const std::size_t close = rest.find("):");
      const auto type =
          close == std::string_view::npos ? std::nullopt : ParseHexNumber(rest.substr(4, close - 4));
      if (!type) return Why(why, "invalid hex(type)");
      value.type = *type;
      if (!Bytes(rest.substr(close + 2), value.data, why)) return false;
      if (value.type == REG_SZ) {
        // UTF-16LE up to its terminating zero, as a Windows reader sees it.
        std::string text = Utf16ToUtf8Lossy(value.data);
        value.data = text.substr(0, text.find('\0'));
      }
      return true;
    }
    return Why(why, "unknown kind of value");
  }

  // The next line when it goes on with hex data; otherwise it stays unread.
  bool NextHexLine(std::string_view& line) {
    const std::size_t pos = pos_, lineNo = lineNo_;
    if (NextLine(line) && IsHexContinuation(line)) return true;
    pos_ = pos, lineNo_ = lineNo;
    return false;
  }

  // Comma-separated hex bytes; a line ending in a backslash goes on in the next.
  bool Bytes(std::string_view first, std::string& out, std::string& why) {
    std::string joined(Trim(first));
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      std::string_view next;
      if (!NextHexLine(next)) return Why(why, "the hex data stops in the middle");
      joined += Trim(next);
      if (joined.size() > kMaxLineLength) return Why(why, "the hex data is too long");
    }
    std::string_view data = joined;
    if (Trim(data).empty()) return true;
    while (true) {
      const std::size_t comma = data.find(',');
      const std::string_view digits = Trim(data.substr(0, comma));
      const auto byte = digits.size() <= 2 ? ParseHexNumber(digits) : std::nullopt;
      if (!byte) return Why(why, "invalid hex byte");
      out += static_cast<char>(*byte);
      if (comma == std::string_view::npos) return true;
      data.remove_prefix(comma + 1);
    }
  }

  std::string_view text_;
  std::string_view rootName_;
  KeyNode& tree_;
  KeyNode* current_ = nullptr;
  std::size_t lostKeyLine_ = 0;  // the key line the values now read would belong to, when it was dropped
  std::size_t pos_ = 0;
  std::size_t lineNo_ = 0;
  RegFileProblems problems_;
};

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

bool NeedsHexText(std::string_view text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) return true;
  }
  return false;
}

void AppendHex(std::string& out, std::string prefix, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string line = std::move(prefix);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    std::string piece{kDigits[b >> 4], kDigits[b & 15]};
    if (i + 1 < bytes.size()) piece += ',';
    if (line.size() + piece.size() > kHexLineWidth && line != "  ") {
      out += line + "\\\n";
      line = "  ";
    }
    line += piece;
  }
  out += line + '\n';
}

void AppendValue(std::string& out, const KeyNode::NamedValue& v) {
  std::string prefix = (v.name.empty() ? std::string("@") : Quote(v.name)) + '=';
  const RegValue& value = v.value;
  if (value.type == REG_SZ && !NeedsHexText(value.data)) {
    out += prefix + Quote(value.data) + '\n';
  } else if (value.type == REG_SZ) {
    AppendHex(out, prefix + "hex(1):", Utf8ToUtf16Le(value.data) + std::string(2, '\0'));
  } else if (const auto dword = value.AsDword()) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<std::uint32_t>(*dword));
    out += prefix + "dword:" + digits + '\n';
  } else if (value.type == REG_BINARY) {
    AppendHex(out, prefix + "hex:", value.data);
  } else {
    char type[16];
    std::snprintf(type, sizeof type, "hex(%x):", value.type);
    AppendHex(out, prefix + type, value.data);
  }
}

void AppendKey(std::string& out, const KeyNode& node, const std::string& path, bool isRoot) {
  if (!isRoot || !node.Values().empty()) {
    out += '[' + path + "]\n";
    for (const auto& v : node.Values()) AppendValue(out, v);
    out += '\n';
  }
  for (const KeyNode* child : node.Children()) AppendKey(out, *child, path + '\\' + child->Name(), false);
}

}  // namespace

RegFileProblems ParseRegFile(std::string_view bytes, std::string_view rootName, KeyNode& tree) {
  tree.Clear();
  RegFileProblems problems;
  if (bytes.size() > kMaxFileSize) {
    problems.unreadable = "the file is larger than " + std::to_string(kMaxFileSize) + " bytes";
    return problems;
  }
  const std::string text = DecodeFile(bytes);
  return Parser(text, rootName, tree).Run();
}

std::string FormatRegFile(const KeyNode& tree, std::string_view rootName) {
  std::string out = std::string(kHeader) + "\n\n";
  AppendKey(out, tree, std::string(rootName), true);
  return out;
}

}  // namespace orvex::reg
