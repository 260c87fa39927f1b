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

// Text of the file as UTF-8, from any of the encodings we accept.
std::optional<std::string> DecodeFile(std::string_view bytes, std::string& error) {
  std::optional<std::string> text;
  if (StartsWith(bytes, "\xFF\xFE")) {
    text = Utf16ToUtf8(bytes.substr(2), false);
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    text = Utf16ToUtf8(bytes.substr(2), true);
  } else {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (IsValidUtf8(bytes)) text = std::string(bytes);
  }
  if (!text) {
    error = "the text is neither UTF-8 nor UTF-16 with a byte-order mark";
  } else if (text->find('\0') != std::string::npos) {
    error = "the text holds zero characters";
    text.reset();
  }
  return text;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view rootName, KeyNode& tree)
      : text_(text), rootName_(rootName), tree_(tree) {}

  std::string Run() {
    std::string_view line;
    // An empty file holds nothing to keep; it is not a broken one.
    if (text_.find_first_not_of(" \t\r\n") == std::string_view::npos) return {};
    if (!NextLine(line)) return error_;
    line = Trim(line);
    if (line != kHeader && line != kHeader4) {
      Fail("the first line is not \"" + std::string(kHeader) + "\"");
      return error_;
    }
    while (NextLine(line)) {
      line = Trim(line);
      if (line.empty() || line.front() == ';') continue;
      const bool ok = line.front() == '[' ? Section(line) : ValueLine(line);
      if (!ok) return error_;
    }
    return error_;
  }

 private:
  bool NextLine(std::string_view& line) {
    if (pos_ >= text_.size() || !error_.empty()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++lineNo_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLineLength) return Fail("the line is too long");
    return true;
  }

  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = "line " + std::to_string(lineNo_) + ": " + what;
    return false;
  }

  bool Section(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return Fail("a key line must end with \"]\"");
    std::string_view inner = line.substr(1, line.size() - 2);
    const bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    const std::size_t cut = inner.find('\\');
    if (!EqualsIgnoringCase(inner.substr(0, cut), rootName_)) {
      return Fail("the key is not under " + std::string(rootName_));
    }
    const auto path = SplitKeyPath(cut == std::string_view::npos ? std::string_view() : inner.substr(cut));
    if (!path) return Fail("invalid key name");
    if (remove) {
      if (path->empty()) return Fail("the root itself cannot be deleted");
      tree_.RemoveTree(*path);
      current_ = nullptr;
    } else {
      current_ = &tree_.Ensure(*path);
    }
    return true;
  }

  // Text between quotes; `rest` starts behind the opening quote and ends
  // behind the closing one. Only \\ and \" are escapes, as for regedit.
  bool Quoted(std::string_view& rest, std::string& out) {
    for (std::size_t i = 0; i < rest.size(); ++i) {
      const char c = rest[i];
      if (c == '"') {
        rest.remove_prefix(i + 1);
        return true;
      }
      if (c == '\\' && i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"')) ++i;
      out += rest[i];
    }
    return Fail("a text has no closing quote");
  }

  bool ValueLine(std::string_view line) {
    if (line.front() != '"' && line.front() != '@') return Fail("unexpected text");
    if (!current_) return Fail("a value outside of a key");
    std::string name;
    std::string_view rest = line.substr(1);
    if (line.front() == '"' && !Quoted(rest, name)) return false;
    if (!IsValidValueName(name)) return Fail("invalid value name");
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') return Fail("\"=\" is missing");
    rest = Trim(rest.substr(1));
    if (rest == "-") {
      current_->RemoveValue(name);
      return true;
    }
    RegValue value;
    if (!Data(rest, value)) return false;
    if (value.data.size() > kMaxValueDataSize) return Fail("the value is too large");
    current_->SetValue(name, std::move(value));
    return true;
  }

  bool Data(std::string_view rest, RegValue& value) {
    if (!rest.empty() && rest.front() == '"') {
      rest.remove_prefix(1);
      value.type = REG_SZ;
      if (!Quoted(rest, value.data)) return false;
      if (!Trim(rest).empty()) return Fail("unexpected text behind a text value");
      return true;
    }
    if (StartsWith(rest, "dword:")) {
      const auto number = ParseHexNumber(Trim(rest.substr(6)));
      if (!number) return Fail("a dword needs 1 to 8 hex digits");
      value = RegValue::Dword(static_cast<std::int32_t>(*number));
      return true;
    }
    if (StartsWith(rest, "hex:")) {
      value.type = REG_BINARY;
      return Bytes(rest.substr(4), value.data);
    }
    if (StartsWith(rest, "hex(")) {
      const std::size_t close = rest.find("):");
      const auto type =
          close == std::string_view::npos ? std::nullopt : ParseHexNumber(rest.substr(4, close - 4));
      if (!type) return Fail("invalid hex(type)");
      value.type = *type;
      if (!Bytes(rest.substr(close + 2), value.data)) return false;
      if (value.type == REG_SZ) {
        // UTF-16LE up to its terminating zero, as a Windows reader sees it.
        std::string text = Utf16ToUtf8Lossy(value.data);
        value.data = text.substr(0, text.find('\0'));
      }
      return true;
    }
    return Fail("unknown kind of value");
  }

  // Comma-separated hex bytes; a line ending in a backslash goes on in the next.
  bool Bytes(std::string_view first, std::string& out) {
    std::string joined(Trim(first));
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      std::string_view next;
      if (!NextLine(next)) return Fail("the hex data stops in the middle");
      joined += Trim(next);
      if (joined.size() > kMaxLineLength) return Fail("the hex data is too long");
    }
    std::string_view data = joined;
    if (Trim(data).empty()) return true;
    while (true) {
      const std::size_t comma = data.find(',');
      const std::string_view digits = Trim(data.substr(0, comma));
      const auto byte = digits.size() <= 2 ? ParseHexNumber(digits) : std::nullopt;
      if (!byte) return Fail("invalid hex byte");
      out += static_cast<char>(*byte);
      if (comma == std::string_view::npos) return true;
      data.remove_prefix(comma + 1);
    }
  }

  std::string_view text_;
  std::string_view rootName_;
  KeyNode& tree_;
  KeyNode* current_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t lineNo_ = 0;
  std::string error_;
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

std::string ParseRegFile(std::string_view bytes, std::string_view rootName, KeyNode& tree) {
  tree.Clear();
  if (bytes.size() > kMaxFileSize)
    return "the file is larger than " + std::to_string(kMaxFileSize) + " bytes";
  std::string error;
  const auto text = DecodeFile(bytes, error);
  if (!text) return error;
  error = Parser(*text, rootName, tree).Run();
  if (!error.empty()) tree.Clear();
  return error;
}

std::string FormatRegFile(const KeyNode& tree, std::string_view rootName) {
  std::string out = std::string(kHeader) + "\n\n";
  AppendKey(out, tree, std::string(rootName), true);
  return out;
}

}  // namespace orvex::reg
