#include "engine/TLog.h"

#include <cstdio>
#include <fstream>

#include "engine/EngineVersion.h"

namespace {

constexpr int kRuleLength = 70;

// RTF needs its control characters escaped and non-ASCII text as \uN?.
std::string EscapeRtf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\r') {
      continue;
    } else if (c == '\n') {
      out += "\\line ";
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      // Decode one UTF-8 sequence; malformed bytes become '?'.
      int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
      if (extra < 0 || i + extra >= text.size()) {
        out += '?';
        continue;
      }
      unsigned cp = c & (0x3F >> extra);
      for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      i += extra;
      if (cp > 0xFFFF) cp = '?';
      out += "\\u" + std::to_string(static_cast<short>(cp)) + "?";
    }
  }
  return out;
}

}  // namespace

const char* const TLog::kFileName = "vodudulog.rtf";

TLog& TLog::Instance() {
  static TLog log;
  return log;
}

std::string EngineLogBannerText(bool begin) {
  return std::string(begin ? "BEGIN" : "END") + " VOduduDudiviv v" + kEngineVersion + " process log";
}

void TLog::Open(const std::string& path) {
  std::lock_guard lock(mutex_);
  enabled_ = true;
  path_ = path;
  lines_.clear();
  const std::string rule(kRuleLength, '=');
  AppendLocked(rule, lcYellow);
  AppendLocked(EngineLogBannerText(true), lcDefault);
  AppendLocked(rule, lcYellow);
  WriteLocked();
}

std::string TLog::FilePath() const {
  std::lock_guard lock(mutex_);
  return enabled_ ? path_ : std::string();
}

void TLog::Close() {
  {
    std::lock_guard lock(mutex_);
    if (!enabled_) return;
  }
  Line("freeing global resources");
  Banner(EngineLogBannerText(false), '=');
  std::lock_guard lock(mutex_);
  enabled_ = false;
}

bool TLog::Enabled() const {
  std::lock_guard lock(mutex_);
  return enabled_;
}

void TLog::Line(const std::string& text, Colour colour) {
  std::lock_guard lock(mutex_);
  if (!enabled_) return;
  AppendLocked(text, colour);
  WriteLocked();
}

void TLog::Banner(const std::string& text, char ruleChar, Colour colour) {
  std::lock_guard lock(mutex_);
  if (!enabled_) return;
  const std::string rule(kRuleLength, ruleChar);
  AppendLocked(rule, lcYellow);
  AppendLocked(text, colour);
  AppendLocked(rule, lcYellow);
  WriteLocked();
}

std::string TLog::Document() const {
  std::lock_guard lock(mutex_);
  return DocumentLocked();
}

void TLog::AppendLocked(const std::string& text, Colour colour) {
  const auto now = std::chrono::steady_clock::now();
  std::string line = "\\cf" + std::to_string(colour) + " ";
  if (!lines_.empty()) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%.3f ", std::chrono::duration<double>(now - last_).count());
    line += prefix;
  }
  last_ = now;
  line += EscapeRtf(text) + "\\par";
  lines_.push_back(std::move(line));
}

std::string TLog::DocumentLocked() const {
  std::string doc =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\n"
      "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\n"
      "{\\colortbl ;\\red128\\green128\\blue128;\\red0\\green0\\blue255;\\red0\\green128\\blue0;"
      "\\red255\\green0\\blue0;\\red128\\green0\\blue128;\\red255\\green255\\blue0;}\n"
      "\\f0\\fs20\\b\n";
  for (const std::string& line : lines_) doc += line + "\n";
  doc += "}";
  return doc;
}

// A failed write is ignored: the log must never disturb the engine.
void TLog::WriteLocked() const {
  std::ofstream file(path_, std::ios::binary | std::ios::trunc);
  if (file) file << DocumentLocked();
}
