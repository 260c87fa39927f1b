#include "platform/kernel/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>

namespace orvex::kernel {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Everything the handler touches: lock-free atomics and plain ints only.
std::atomic<int> g_first{0};
std::atomic<std::int64_t> g_firstAtMs{0};
std::atomic<std::int64_t> g_graceMs{0};
std::atomic<int> g_pipe{-1};
struct sigaction g_previous[3];
static_assert(std::atomic<std::int64_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

std::int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);  // async-signal-safe
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void Say(const char* text, std::size_t size) {
  ssize_t ignored = write(STDERR_FILENO, text, size);
  (void)ignored;
}

// Not while another thread is still noting the first signal (its time 0).
bool GraceOver() {
  const std::int64_t firstAt = g_firstAtMs;
  return firstAt != 0 && NowMs() - firstAt >= g_graceMs;
}

void OnSignal(int signo) {
  const int savedErrno = errno;
  int expected = 0;
  if (g_first.compare_exchange_strong(expected, signo)) {
    g_firstAtMs = NowMs();
    const char byte = 1;
    ssize_t ignored = write(g_pipe, &byte, 1);
    (void)ignored;
  } else if (GraceOver()) {
    static const char kAtOnce[] = "orvex: stopping at once\n";
    Say(kAtOnce, sizeof kAtOnce - 1);
    _exit(ExitCodeForSignal(signo));
  } else {
    static const char kStill[] = "orvex: still finishing; signal again after a few seconds to stop at once\n";
    Say(kStill, sizeof kStill - 1);
  }
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::chrono::milliseconds grace) {
  int fds[2];
  g_first = 0;
  g_firstAtMs = 0;
  // Without the pipe nothing would hear of a signal: keep the usual end then.
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readFd_ = fds[0];
  writeFd_ = fds[1];
  g_graceMs = grace.count();
  g_pipe = writeFd_;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  // None of the three interrupts the handler of another.
  sigemptyset(&action.sa_mask);
  for (const int signo : kSignals) sigaddset(&action.sa_mask, signo);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) {
    sigaction(kSignals[i], &action, &g_previous[i]);
    // A signal ignored from the start stays ignored: nohup's SIGHUP, Ctrl-C
    // for a job a shell put into the background.
    if (g_previous[i].sa_handler == SIG_IGN) sigaction(kSignals[i], &g_previous[i], nullptr);
  }
}

TerminationSignals::~TerminationSignals() {
  if (readFd_ < 0) return;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  g_pipe = -1;
  close(readFd_);
  close(writeFd_);
}

void TerminationSignals::Drain() const {
  char buffer[64];
  while (readFd_ >= 0 && read(readFd_, buffer, sizeof buffer) > 0) {
  }
}

int TerminationSignal() { return g_first; }

int ExitCodeForSignal(int signo) { return 128 + signo; }

const char* SignalName(int signo) {
  switch (signo) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

}  // namespace orvex::kernel
