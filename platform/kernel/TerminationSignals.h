#pragma once
// SIGINT, SIGTERM and SIGHUP turned into a request to finish: the handler
// only notes the first signal and writes a byte into a pipe, which the
// event loop watches; the program then ends its work as a normal stop does.
//
// A further signal while the program finishes is ignored (with a line on
// standard error) for a grace period, so a quick second Ctrl-C cannot cut a
// recording short of its index; after that period it ends the process at
// once, for a program that cannot finish. A signal that was ignored when
// the program started (nohup) stays ignored.

#include <chrono>

namespace orvex::kernel {

class TerminationSignals {
 public:
  // Installs the handlers; the previous ones come back when the object goes.
  // One object at a time.
  explicit TerminationSignals(std::chrono::milliseconds grace = std::chrono::seconds(5));
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // Readable once a signal arrived; Drain() empties it.
  int ReadFd() const { return readFd_; }
  void Drain() const;

 private:
  int readFd_ = -1;
  int writeFd_ = -1;
};

// The first of the three signals caught since the handlers were installed;
// 0 when none was.
int TerminationSignal();

// The exit code for a run ended by `signo`: 130 for SIGINT, 143 for SIGTERM,
// 129 for SIGHUP.
int ExitCodeForSignal(int signo);

// "SIGINT", "SIGTERM", "SIGHUP".
const char* SignalName(int signo);

}  // namespace orvex::kernel
