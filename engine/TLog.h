#pragma once
// The engine's diagnostic log: an RTF document, rewritten whole after every
// line so that it survives a crash. Off unless switched on.

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

class TLog {
 public:
  enum Colour : int { lcDefault = 0, lcGrey, lcBlue, lcGreen, lcRed, lcPurple, lcYellow };

  static TLog& Instance();
  static const char* const kFileName;  // "vodudulog.rtf"

  // Starts a new document at `path` with the opening banner.
  void Open(const std::string& path);
  // Writes the closing banner and stops logging.
  void Close();
  bool Enabled() const;
  // The document's file while the log is on, else "".
  std::string FilePath() const;

  void Line(const std::string& text, Colour colour = lcDefault);
  // A line between two rules of 70 copies of `ruleChar`.
  void Banner(const std::string& text, char ruleChar, Colour colour = lcDefault);

  // The document as written to the file, for checks.
  std::string Document() const;

 private:
  TLog() = default;
  void AppendLocked(const std::string& text, Colour colour);
  std::string DocumentLocked() const;
  void WriteLocked() const;

  mutable std::mutex mutex_;
  bool enabled_ = false;
  std::string path_;
  std::vector<std::string> lines_;
  std::chrono::steady_clock::time_point last_;
};

// The version text the log banners carry.
std::string EngineLogBannerText(bool begin);
