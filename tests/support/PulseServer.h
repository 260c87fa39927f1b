#pragma once
// A PulseAudio server of the test process's own: user mode, a fresh runtime
// folder, one null sink whose monitor is a microphone, nothing else. While it
// runs, the process's clients (GStreamer's pulse elements, pactl) talk to it
// and to no other server. It is stopped when the object goes, and dies with
// the test process should that crash.

#include <sys/types.h>

#include <string>

#include "tests/support/TempDir.h"

namespace orvex::test {

class PulseServer {
 public:
  static constexpr const char* kSinkName = "orvex_test_sink";
  // The sink's monitor as device lists name it.
  static constexpr const char* kMonitorName = "Monitor of Orvex Test Sink";

  // Starts the server and waits until it answers; see Running() and Error().
  PulseServer();
  ~PulseServer();
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  bool Running() const { return pid_ > 0 && error_.empty(); }
  // Why the server is not running.
  const std::string& Error() const { return error_; }

  // Runs pactl with `arguments` against this server; answers whether it succeeded.
  bool Pactl(const std::string& arguments, std::string* output = nullptr) const;
  // Loads or unloads the null sink (and so plugs or unplugs its monitor).
  bool AddSink() const;
  bool RemoveSink() const;

 private:
  bool Answers() const;
  void Stop();
  std::string LogTail() const;

  TempDir folder_;
  pid_t pid_ = -1;
  std::string error_;
  std::string previousServer_;
  bool hadPreviousServer_ = false;
};

}  // namespace orvex::test
