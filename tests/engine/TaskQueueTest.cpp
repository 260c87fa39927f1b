// The task worker passes only while there is work, at most once per interval.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/TaskQueue.h"
#include "tests/support/Wait.h"

using orvex::test::PumpEvents;
using orvex::test::WaitUntil;

namespace {

constexpr int kIntervalMs = 20;

class TaskQueueTest : public ::testing::TestWithParam<TNotificationMethod> {
 protected:
  TaskQueueTest()
      : queue_({[this](int request) {
                  std::lock_guard lock(mutex_);
                  requests_.push_back(request);
                  requestTimes_.push_back(clock_.elapsed());
                },
                [](const TEventRecord&) {}, [this] { ++passes_; }, [] { return false; },
                [this] { return hostWork_ > 0; }}) {
    clock_.start();
    queue_.Start(kIntervalMs, GetParam(), tpNormal);
  }
  ~TaskQueueTest() override { queue_.Stop(); }

  std::size_t RequestsRun() {
    std::lock_guard lock(mutex_);
    return requests_.size();
  }

  QElapsedTimer clock_;
  std::mutex mutex_;
  std::vector<int> requests_;
  std::vector<qint64> requestTimes_;
  std::atomic<int> passes_{0};
  std::atomic<int> hostWork_{0};
  TTaskQueue queue_;
};

TEST_P(TaskQueueTest, AnIdleWorkerDoesNotPass) {
  PumpEvents(10 * kIntervalMs);
  EXPECT_EQ(passes_, 0) << "a pass with nothing queued wakes the main thread for nothing";
}

TEST_P(TaskQueueTest, QueuedRequestsRunInOrderOnePerInterval) {
  for (int r = 0; r < 4; ++r) queue_.AddRequest(r);
  ASSERT_TRUE(WaitUntil([&] { return RequestsRun() == 4; }));
  std::lock_guard lock(mutex_);
  EXPECT_EQ(requests_, (std::vector<int>{0, 1, 2, 3}));
  // The interval keeps the pace: four requests take three intervals at least.
  EXPECT_GE(requestTimes_.back() - requestTimes_.front(), 3 * kIntervalMs - 2);
}

TEST_P(TaskQueueTest, HostWorkIsPassedUntilDoneThenTheWorkerSleeps) {
  hostWork_ = 1;
  queue_.Wake();
  ASSERT_TRUE(WaitUntil([&] { return passes_ >= 3; })) << "due host work is passed again";
  hostWork_ = 0;
  ASSERT_TRUE(WaitUntil([&] {
    const int before = passes_;
    PumpEvents(3 * kIntervalMs);
    return passes_ == before;
  }));
  const int settled = passes_;
  PumpEvents(10 * kIntervalMs);
  EXPECT_EQ(passes_, settled);
}

TEST_P(TaskQueueTest, ARequestQueuedFromAnotherThreadIsRun) {
  std::thread([&] { queue_.AddRequest(7); }).join();
  EXPECT_TRUE(WaitUntil([&] { return RequestsRun() == 1; }));
}

std::string MethodName(const ::testing::TestParamInfo<TNotificationMethod>& method) {
  return method.param == nm_Timer ? "Timer" : "Thread";
}

INSTANTIATE_TEST_SUITE_P(BothMethods, TaskQueueTest, ::testing::Values(nm_Timer, nm_Thread), MethodName);

}  // namespace
