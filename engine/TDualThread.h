#pragma once
// Runs one step function either from a timer on the main thread or on a
// thread of its own that sleeps its interval between steps. Switching the
// mode at run time suspends one and starts the other.

#include <QObject>
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

  std::string name_;
  TNotificationMethod method_;
  TThreadPriority priority_;
  Step threadStep_;
  QTimer* timer_;

  std::mutex mutex_;
  std::condition_variable wake_;
  int interval_;
  bool suspended_ = true;
  bool terminated_ = false;
  bool priorityDirty_ = true;
  std::thread thread_;
};
