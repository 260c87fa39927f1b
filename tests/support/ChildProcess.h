#pragma once
// Runs a program (the real orvex binary) as a child with its own process
// group and a deadline: a child that hangs is killed, with everything it
// started, so a hang fails the test instead of hanging it. Its output goes
// to files, so a chatty child never blocks on a full pipe.

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace orvex::test {

struct ChildResult {
  bool timedOut = false;
  int exitCode = -1;  // when it exited
  int signal = 0;     // when a signal ended it
  std::string out, err;
};

class ChildProcess {
 public:
  // `environment`: variables to set (a value) or to remove (nullopt) in a
  // copy of this process's environment.
  ChildProcess(const std::vector<std::string>& argv,
               const std::map<std::string, std::optional<std::string>>& environment);
  // Kills the child's group and reaps it if it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // Sends `signo` to the child alone.
  bool Signal(int signo) const;
  // Waits for the end; past the deadline the whole group is killed.
  ChildResult Wait(int timeoutMs);
  std::string ErrSoFar() const;

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  bool reaped_ = false;
};

// Runs to the end (or the deadline) and answers what happened.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::map<std::string, std::optional<std::string>>& environment, int timeoutMs);

}  // namespace orvex::test
