#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "platform/kernel/ApplicationIdle.h"

namespace {
// Runs the loop the way the program does, blocking while there is nothing to do.
void RunLoopFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}
}  // namespace

TEST(ApplicationIdle, AQuietLoopRaisesIdleRarelyAndDoesNotSpin) {
  int calls = 0;
  auto previous = orvex::kernel::SetApplicationIdleHandler([&](bool& done) {
    ++calls;
    done = true;
  });
  QElapsedTimer cpu;
  cpu.start();
  const clock_t before = clock();
  RunLoopFor(600);
  const double cpuSeconds = double(clock() - before) / CLOCKS_PER_SEC;
  orvex::kernel::SetApplicationIdleHandler(previous);
  EXPECT_GE(calls, 1) << "the first idle moment must come";
  EXPECT_LE(calls, 10) << "idle events must not follow one another without pause";
  EXPECT_LT(cpuSeconds, 0.3) << "a quiet loop must sleep";
}

TEST(ApplicationIdle, HandlersChainToTheOneBefore) {
  int first = 0, second = 0;
  auto original = orvex::kernel::SetApplicationIdleHandler([&](bool&) { ++first; });
  orvex::kernel::IdleHandler before;
  before = orvex::kernel::SetApplicationIdleHandler([&](bool& done) {
    ++second;
    if (before) before(done);
  });
  RunLoopFor(200);
  orvex::kernel::SetApplicationIdleHandler(original);
  EXPECT_GE(second, 1);
  EXPECT_EQ(first, second);
}
