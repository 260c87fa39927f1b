#pragma once
// Runs one step function either from a timer on the main thread or on a
// thread of its own. Steps run only when asked (Wake), and at most once per
// interval, so an engine with nothing to do never wakes. Switching the mode
// at run time suspends one and starts the other.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "engine/EngineEnums.h"

class QTimer;

class TDualThread {
 public:
  using Step = std::function<void()>;

  TDualThread(std::string name, int intervalMs, TNotificationMethod method, TThreadPriority priority,
              Step timerStep, Step threadStep);
  ~TDualThread();
  TDualThread(const TDualThread&) = delete;
  TDualThread& operator=(const TDualThread&) = delete;

  // Asks for one step, from any thread: at once when the last step (or the
  // last change of the interval) is an interval ago, otherwise when the
  // interval is over. Asks while a step is waiting to run are one ask.
  void Wake();

  void SetMethod(TNotificationMethod method);
  void SetInterval(int intervalMs);
  void SetPriority(TThreadPriority priority);
  void StopTimer();
  // Ends the thread and waits for it; the timer stops too.
  void Terminate();

  TNotificationMethod Method() const { return method_; }
  const std::string& Name() const { return name_; }
  bool IsTaskThread() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  void ThreadLoop();
  void ApplyThreadPriority();
  // Main thread: starts the one-shot timer for the rest of the interval.
  void ArmTimer();
  void TimerStep();

  std::string name_;
  std::atomic<TNotificationMethod> method_;
  TThreadPriority priority_;
  Step timerStep_;
  Step threadStep_;
  QTimer* timer_;
  std::atomic<bool> timerArmed_{false};

  std::mutex mutex_;
  std::condition_variable wake_;
  int interval_;
  // The pace counts from here: the last step, or the last change of the interval.
  std::chrono::steady_clock::time_point paceFrom_ = std::chrono::steady_clock::now();
  bool due_ = false;
  bool suspended_ = true;
  bool terminated_ = false;
  bool priorityDirty_ = true;
  std::thread thread_;
};
