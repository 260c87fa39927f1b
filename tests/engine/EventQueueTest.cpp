#include <QThread>
#include <atomic>
#include <thread>

#include "tests/engine/EngineFixture.h"

using orvex::test::PumpEvents;
using orvex::test::WaitUntil;

TEST_F(EngineTest, QueuedEventsArriveOnePerTickInRaisingOrder) {
  std::vector<std::string> delivered;
  engine->setOnPreviewStarted([&](VOduduDudiviv*) { delivered.push_back("preview"); });
  engine->setOnInactive([&](VOduduDudiviv*) { delivered.push_back("inactive"); });
  engine->setOnRecordingStarted(
      [&](VOduduDudiviv*, const std::string& f) { delivered.push_back("started " + f); });
  probe().SetCurrentFileName("a.avi");
  probe().QueueEvent(qe_PreviewStarted);
  probe().QueueEvent(qe_RecordingStarted);
  probe().QueueEvent(qe_Inactive);
  EXPECT_TRUE(delivered.empty()) << "queued events wait for the task worker";

  // Each step delivers exactly one.
  probe().TaskStep(false);
  EXPECT_EQ(delivered, (std::vector<std::string>{"preview"}));
  probe().SetCurrentFileName("b.avi");  // arguments are read at delivery
  probe().TaskStep(false);
  EXPECT_EQ(delivered.back(), "started b.avi");
  ASSERT_TRUE(WaitUntil([&] { return delivered.size() == 3; }));
  EXPECT_EQ(delivered.back(), "inactive");
}

TEST_F(EngineTest, TheTimerDeliversEventsWithoutHelp) {
  int calls = 0;
  engine->setOnDeviceLost([&](VOduduDudiviv*) { ++calls; });
  for (int i = 0; i < 3; ++i) probe().QueueEvent(qe_DeviceLost);
  EXPECT_TRUE(WaitUntil([&] { return calls == 3; }, 2000));
}

TEST_F(EngineTest, AnEventWhoseHandlerChangedMeanwhileIsDropped) {
  int first = 0, second = 0;
  engine->setOnRecordingCompleted([&](VOduduDudiviv*, const std::string&, bool) { ++first; });
  probe().QueueEvent(qe_RecordingCompleted);
  engine->setOnRecordingCompleted([&](VOduduDudiviv*, const std::string&, bool) { ++second; });
  probe().QueueEvent(qe_RecordingCompleted);
  engine->setOnInactive(nullptr);
  probe().QueueEvent(qe_Inactive);
  probe().TaskStep(false);
  probe().TaskStep(false);
  probe().TaskStep(false);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(probe().PendingEvents(), 0u) << "dropped records are freed too";
}

TEST_F(EngineTest, EventsAfterAThrowingHandlerAreStillDelivered) {
  std::vector<std::string> errors;
  auto previous = orvex::kernel::SetUnhandledExceptionHandler(
      [&](std::exception_ptr e) { errors.push_back(orvex::kernel::DescribeException(e)); });
  bool completed = false;
  engine->setOnRecordingStarted([](VOduduDudiviv*, const std::string&) { throw std::runtime_error("boom"); });
  engine->setOnRecordingCompleted([&](VOduduDudiviv*, const std::string&, bool) { completed = true; });
  probe().QueueEvent(qe_RecordingStarted);
  probe().QueueEvent(qe_RecordingCompleted);
  EXPECT_TRUE(WaitUntil([&] { return completed; }, 2000));
  EXPECT_EQ(errors, (std::vector<std::string>{"boom"}));
  orvex::kernel::SetUnhandledExceptionHandler(previous);
}

TEST_F(EngineTest, SynchronousNotificationDeliversAtOnce) {
  int calls = 0;
  engine->setEventNotificationSynchrone(true);
  engine->setOnPreviewStarted([&](VOduduDudiviv*) { ++calls; });
  probe().QueueEvent(qe_PreviewStarted);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(probe().PendingEvents(), 0u);
}

TEST_F(EngineTest, EventsNeedTheComponentWindowExceptDeviceLost) {
  VOduduDudiviv windowless;
  int started = 0, lost = 0;
  windowless.setOnPreviewStarted([&](VOduduDudiviv*) { ++started; });
  windowless.setOnDeviceLost([&](VOduduDudiviv*) { ++lost; });
  EngineProbe(windowless).QueueEvent(qe_PreviewStarted);
  EngineProbe(windowless).QueueEvent(qe_DeviceLost);
  EngineProbe(windowless).TaskStep(false);
  EngineProbe(windowless).TaskStep(false);
  EXPECT_EQ(started, 0);
  EXPECT_EQ(lost, 1);
}

TEST_F(EngineTest, ThreadModeDeliversOnTheTaskThread) {
  std::atomic<bool> done{false};
  std::thread::id deliveredOn;
  engine->setOnInactive([&](VOduduDudiviv*) {
    deliveredOn = std::this_thread::get_id();
    done = true;
  });
  engine->setNotificationMethod(nm_Thread);
  probe().QueueEvent(qe_Inactive);
  ASSERT_TRUE(WaitUntil([&] { return done.load(); }, 2000));
  EXPECT_NE(deliveredOn, std::this_thread::get_id());

  // Back to the timer: delivery returns to the main thread.
  done = false;
  engine->setNotificationMethod(nm_Timer);
  probe().QueueEvent(qe_Inactive);
  ASSERT_TRUE(WaitUntil([&] { return done.load(); }, 2000));
  EXPECT_EQ(deliveredOn, std::this_thread::get_id());
}

TEST_F(EngineTest, NotificationSleepTimeAcceptsMinusOneAndOneToTenThousand) {
  EXPECT_EQ(probe().NotificationIntervalMs(), 15);
  engine->setNotificationSleepTime(0);
  EXPECT_EQ(engine->NotificationSleepTime(), -1);
  engine->setNotificationSleepTime(10001);
  EXPECT_EQ(engine->NotificationSleepTime(), -1);
  engine->setNotificationSleepTime(-2);
  EXPECT_EQ(engine->NotificationSleepTime(), -1);
  engine->setNotificationSleepTime(10000);
  EXPECT_EQ(probe().NotificationIntervalMs(), 10000);
  engine->setNotificationSleepTime(1);
  EXPECT_EQ(probe().NotificationIntervalMs(), 1);
  engine->setNotificationSleepTime(-1);
  EXPECT_EQ(probe().NotificationIntervalMs(), 15);
}

TEST_F(EngineTest, ALongIntervalHoldsEventsBack) {
  int calls = 0;
  engine->setOnInactive([&](VOduduDudiviv*) { ++calls; });
  engine->setNotificationSleepTime(10000);
  probe().QueueEvent(qe_Inactive);
  PumpEvents(100);
  EXPECT_EQ(calls, 0);
  engine->setNotificationSleepTime(1);
  EXPECT_TRUE(WaitUntil([&] { return calls == 1; }, 2000));
}

TEST_F(EngineTest, ANestedStepIsSkipped) {
  int inner = 0;
  engine->setOnPreviewStarted([&](VOduduDudiviv*) {
    // A handler that runs the loop again (like a modal dialog) must not re-enter the step.
    probe().TaskStep(false);
    ++inner;
  });
  int inactive = 0;
  engine->setOnInactive([&](VOduduDudiviv*) { ++inactive; });
  probe().QueueEvent(qe_PreviewStarted);
  probe().QueueEvent(qe_Inactive);
  probe().TaskStep(false);
  EXPECT_EQ(inner, 1);
  EXPECT_EQ(inactive, 0);
}

TEST_F(EngineTest, ClearingTheFrameHookWaitsForACallInProgress) {
  std::atomic<bool> inside{false}, release{false}, finished{false};
  engine->setOnFrameOverlayUsingDC([&](VOduduDudiviv*, const TFrameInfo&, HDC) {
    inside = true;
    while (!release) std::this_thread::yield();
    finished = true;
  });
  EXPECT_TRUE(probe().OverlayNeeded());
  std::thread streaming([&] { probe().RaiseFrameOverlay(engine.get(), TFrameInfo{}, nullptr); });
  while (!inside) std::this_thread::yield();
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    release = true;
  });
  engine->setOnFrameOverlayUsingDC(nullptr);
  EXPECT_TRUE(finished) << "the clear returned while the handler was still running";
  EXPECT_FALSE(probe().OverlayNeeded());
  streaming.join();
  releaser.join();
}
