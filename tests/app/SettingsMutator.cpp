#include "tests/app/SettingsMutator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/registry/Utf.h"

namespace orvex::test {
namespace {

using reg::Utf8ToUtf16Le;

class Mutator {
 public:
  explicit Mutator(std::mt19937& rng) : rng_(rng) {}

  std::size_t Pick(std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

  void Bytes(std::string& text) {
    if (text.empty()) return;
    const std::size_t at = Pick(text.size());
    switch (Pick(3)) {
      case 0: text[at] = static_cast<char>(text[at] ^ (1 << Pick(8))); break;
      case 1: {
        std::string bytes(1 + Pick(8), '\0');
        for (char& c : bytes) c = static_cast<char>(Pick(256));
        text.insert(at, bytes);
        break;
      }
      default: text.erase(at, 1 + Pick(16)); break;
    }
  }

  void Lines(std::vector<std::string>& lines) {
    switch (Pick(8)) {
      case 0:
      case 1: Data(lines, ExtremeNumber(), IsNumberLine); break;
      case 2: Data(lines, HugeData()); break;
      case 3: SwapType(lines); break;
      case 4: DuplicateKey(lines); break;
      case 5: DeleteSomething(lines); break;
      case 6: LongLine(lines); break;
      default: Data(lines, "-"); break;  // a deletion line
    }
  }

  std::string Encode(const std::string& text) {
    switch (Pick(8)) {
      case 0: return "\xFF\xFE" + Utf8ToUtf16Le(text);
      case 1: return Utf8ToUtf16Le(text);
      case 2: return "\xFE\xFF" + BigEndian(Utf8ToUtf16Le(text));
      case 3: return BigEndian(Utf8ToUtf16Le(text));
      case 4: return "\xEF\xBB\xBF" + text;
      case 5: {
        std::string crlf;
        for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return crlf;
      }
      default: return text;
    }
  }

 private:
  static bool IsValueLine(const std::string& line) { return !line.empty() && line[0] == '"'; }
  static bool IsKeyLine(const std::string& line) { return !line.empty() && line[0] == '['; }
  static bool IsNumberLine(const std::string& line) {
    return IsValueLine(line) && line.find("\"=dword:") != std::string::npos;
  }

  // A random line of the kind, or none.
  std::size_t Find(const std::vector<std::string>& lines, bool (*kind)(const std::string&)) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (kind(lines[i])) found.push_back(i);
    return found.empty() ? lines.size() : found[Pick(found.size())];
  }

  // Replaces what stands behind the "=" of a value line of the kind.
  void Data(std::vector<std::string>& lines, const std::string& data,
            bool (*kind)(const std::string&) = IsValueLine) {
    const std::size_t i = Find(lines, kind);
    if (i == lines.size()) return;
    const std::size_t eq = lines[i].find("\"=");
    if (eq != std::string::npos) lines[i] = lines[i].substr(0, eq + 2) + data;
  }

  std::string ExtremeNumber() {
    static const char* const kNumbers[] = {"80000000", "ffffffff", "7fffffff", "00000000",
                                           "7ffffffe", "fffffffe", "00010000", "000001f5"};
    return std::string("dword:") + kNumbers[Pick(std::size(kNumbers))];
  }

  // GCC 12 at -O2 and above sees overlapping copies in the concatenations of
  // the next two functions that cannot happen (its bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
  std::string HugeData() {
    static const std::size_t kLengths[] = {255, 32768, 40000, 65536, 65537, 70000};
    const std::size_t n = kLengths[Pick(std::size(kLengths))];
    if (Chance(70)) return "\"" + std::string(n, "x%9 \\"[Pick(4)]) + "\"";
    std::string hex = "hex:";
    for (std::size_t i = 0; i < n / 8; ++i) hex += i == 0 ? "ff" : ",ff";
    return hex;
  }

  // dword to text or bytes, text to dword, bytes to text.
  void SwapType(std::vector<std::string>& lines) {
    const std::size_t i = Find(lines, IsValueLine);
    if (i == lines.size()) return;
    std::string& line = lines[i];
    const std::size_t eq = line.find("\"=");
    if (eq == std::string::npos) return;
    const std::string name = line.substr(0, eq + 2), data = line.substr(eq + 2);
    if (data.rfind("dword:", 0) == 0) {
      const unsigned long v = std::strtoul(data.substr(6).c_str(), nullptr, 16);
      char bytes[32];
      std::snprintf(bytes, sizeof bytes, "hex:%02lx,%02lx,%02lx,%02lx", v & 0xFF, (v >> 8) & 0xFF,
                    (v >> 16) & 0xFF, (v >> 24) & 0xFF);
      line = name + (Chance(50) ? "\"" + std::to_string(v) + "\"" : std::string(bytes));
    } else if (!data.empty() && data[0] == '"') {
      line = name + ExtremeNumber();
    } else {
      line = name + (Chance(50) ? "\"1\"" : "hex(4):01,00,00,00");
    }
  }
#pragma GCC diagnostic pop

  // A key again further down, with its values, under its own name or another.
  void DuplicateKey(std::vector<std::string>& lines) {
    const std::size_t i = Find(lines, IsKeyLine);
    if (i == lines.size()) return;
    std::size_t end = i + 1;
    while (end < lines.size() && !IsKeyLine(lines[end])) ++end;
    std::vector<std::string> copy(lines.begin() + static_cast<std::ptrdiff_t>(i),
                                  lines.begin() + static_cast<std::ptrdiff_t>(end));
    if (Chance(30)) copy[0].insert(copy[0].size() - 1, "\\Copy");
    const std::size_t at = Pick(lines.size() + 1);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
  }

  // A key deleted by a "[-key]" line, a key line or a value line dropped.
  void DeleteSomething(std::vector<std::string>& lines) {
    const bool key = Chance(50);
    const std::size_t i = Find(lines, key ? IsKeyLine : IsValueLine);
    if (i == lines.size()) return;
    if (key && Chance(50)) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(Pick(lines.size() + 1)),
                   "[-" + lines[i].substr(1));
    } else {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }

  void LongLine(std::vector<std::string>& lines) {
    const std::size_t n = Chance(50) ? 1024 * 1024 + 1 : 100000;
    std::string line = Chance(50) ? "\"Long\"=\"" + std::string(n, 'y') + "\"" : std::string(n, '[');
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(Pick(lines.size() + 1)), std::move(line));
  }

  static std::string BigEndian(std::string utf16) {
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) std::swap(utf16[i], utf16[i + 1]);
    return utf16;
  }

  std::mt19937& rng_;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  return text;
}

}  // namespace

std::string MutateSettingsFile(const std::string& text, std::mt19937& rng) {
  Mutator m(rng);
  std::vector<std::string> lines = SplitLines(text);
  const int edits = 1 + static_cast<int>(m.Pick(3));
  for (int i = 0; i < edits; ++i)
    if (m.Chance(60)) m.Lines(lines);
  std::string mutated = JoinLines(lines);
  for (int i = 0; i < edits; ++i)
    if (m.Chance(40)) m.Bytes(mutated);
  if (m.Chance(5)) mutated.resize(m.Pick(mutated.size() + 1));
  return m.Chance(25) ? m.Encode(mutated) : mutated;
}

}  // namespace orvex::test
