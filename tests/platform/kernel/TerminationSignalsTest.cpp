#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/kernel/TerminationSignals.h"

namespace orvex::kernel {
namespace {

struct SignalCase {
  const char* name;
  int signo;
  int exitCode;
};

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

void (*HandlerOf(int signo))(int) {
  struct sigaction current {};
  sigaction(signo, nullptr, &current);
  return current.sa_handler;
}

class Caught : public ::testing::TestWithParam<SignalCase> {};

// The first signal is noted and wakes the pipe; another one while the
// program finishes changes nothing; the usual end comes back afterwards.
TEST_P(Caught, IsNotedOnceAndTheUsualActionComesBack) {
  const SignalCase& c = GetParam();
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  struct sigaction before {};
  sigaction(c.signo, &usual, &before);
  {
    const TerminationSignals caught(std::chrono::seconds(60));
    EXPECT_EQ(TerminationSignal(), 0);
    EXPECT_FALSE(Readable(caught.ReadFd()));
    std::raise(c.signo);
    EXPECT_EQ(TerminationSignal(), c.signo);
    EXPECT_TRUE(Readable(caught.ReadFd()));
    caught.Drain();
    EXPECT_FALSE(Readable(caught.ReadFd()));
    std::raise(SIGTERM);  // within the grace period: ignored, this test lives on
    EXPECT_EQ(TerminationSignal(), c.signo) << "the first one counts";
    EXPECT_EQ(ExitCodeForSignal(TerminationSignal()), c.exitCode);
  }
  EXPECT_EQ(HandlerOf(c.signo), SIG_DFL);
  sigaction(c.signo, &before, nullptr);
}

// nohup's SIGHUP, or Ctrl-C for a background job, was meant to be ignored.
TEST(TerminationSignals, ASignalIgnoredFromTheStartStaysIgnored) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  struct sigaction before {
  }, beforeInt{};
  sigaction(SIGHUP, &ignore, &before);
  sigaction(SIGINT, &usual, &beforeInt);
  {
    const TerminationSignals caught;
    EXPECT_EQ(HandlerOf(SIGHUP), SIG_IGN);
    EXPECT_NE(HandlerOf(SIGINT), SIG_DFL) << "the others are caught";
    std::raise(SIGHUP);
    EXPECT_EQ(TerminationSignal(), 0);
  }
  EXPECT_EQ(HandlerOf(SIGHUP), SIG_IGN);
  sigaction(SIGHUP, &before, nullptr);
  sigaction(SIGINT, &beforeInt, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Signals, Caught,
                         ::testing::Values(SignalCase{"SIGINT", SIGINT, 130},
                                           SignalCase{"SIGTERM", SIGTERM, 143},
                                           SignalCase{"SIGHUP", SIGHUP, 129}),
                         [](const auto& row) { return std::string(row.param.name); });

// A program that cannot finish still ends: a signal after the grace period
// ends it at once with that signal's code.
TEST(TerminationSignals, ASignalAfterTheGracePeriodEndsTheProcessAtOnce) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const TerminationSignals caught(std::chrono::milliseconds(0));
    std::raise(SIGINT);
    std::raise(SIGTERM);
    _exit(0);  // not reached
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 143);
}

}  // namespace
}  // namespace orvex::kernel
