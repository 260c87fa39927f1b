#include "engine/TDualThread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>

namespace {
// The timer belongs to the main thread; other threads reach it by a queued call.
template <typename Fn>
void OnTimerThread(QTimer* timer, Fn fn) {
  QMetaObject::invokeMethod(timer, std::move(fn), Qt::AutoConnection);
}
}  // namespace

TDualThread::TDualThread(std::string name, int intervalMs, TNotificationMethod method,
                         TThreadPriority priority, Step timerStep, Step threadStep)
    : name_(std::move(name)),
      method_(method),
      priority_(priority),
      timerStep_(std::move(timerStep)),
      threadStep_(std::move(threadStep)),
      timer_(new QTimer),
      interval_(std::max(0, intervalMs)) {
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer_, &QTimer::timeout, timer_, [this] { TimerStep(); });
  thread_ = std::thread([this] { ThreadLoop(); });
  SetMethod(method);
}

TDualThread::~TDualThread() {
  Terminate();
  delete timer_;
}

void TDualThread::Wake() {
  {
    std::lock_guard lock(mutex_);
    if (terminated_) return;
    due_ = true;
    if (method_ == nm_Thread) {
      wake_.notify_all();
      return;
    }
  }
  // One queued call per step, however many threads ask meanwhile.
  if (!timerArmed_.exchange(true)) OnTimerThread(timer_, [this] { ArmTimer(); });
}

void TDualThread::ArmTimer() {
  if (timer_->isActive()) return;
  std::chrono::steady_clock::duration wait{};
  {
    std::lock_guard lock(mutex_);
    if (terminated_ || method_ != nm_Timer) {
      timerArmed_ = false;
      return;
    }
    wait = paceFrom_ + std::chrono::milliseconds(interval_) - std::chrono::steady_clock::now();
  }
  const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
  timer_->start(static_cast<int>(std::max<decltype(waitMs)>(waitMs, 0)));
}

void TDualThread::TimerStep() {
  {
    std::lock_guard lock(mutex_);
    due_ = false;
    paceFrom_ = std::chrono::steady_clock::now();
  }
  // Cleared before the step, so that an ask made by the step itself counts.
  timerArmed_ = false;
  timerStep_();
}

void TDualThread::SetMethod(TNotificationMethod method) {
  bool due = false;
  {
    std::lock_guard lock(mutex_);
    method_ = method;
    suspended_ = method == nm_Timer;
    due = due_;
    wake_.notify_all();
  }
  if (method == nm_Timer) {
    // Work asked for before the switch is done by the timer now.
    timerArmed_ = false;
    if (due) Wake();
  } else {
    OnTimerThread(timer_, [this] {
      timer_->stop();
      timerArmed_ = false;
    });
  }
}

// A new interval starts a new pace, as a running timer restarts.
void TDualThread::SetInterval(int intervalMs) {
  {
    std::lock_guard lock(mutex_);
    interval_ = std::max(0, intervalMs);
    paceFrom_ = std::chrono::steady_clock::now();
    wake_.notify_all();
  }
  OnTimerThread(timer_, [this] {
    if (!timer_->isActive()) return;
    timer_->stop();
    ArmTimer();
  });
}

void TDualThread::SetPriority(TThreadPriority priority) {
  std::lock_guard lock(mutex_);
  priority_ = priority;
  priorityDirty_ = true;
}

void TDualThread::StopTimer() {
  OnTimerThread(timer_, [this] {
    timer_->stop();
    timerArmed_ = false;
  });
}

void TDualThread::Terminate() {
  StopTimer();
  {
    std::lock_guard lock(mutex_);
    terminated_ = true;
    wake_.notify_all();
  }
  if (thread_.joinable() && !IsTaskThread()) thread_.join();
}

void TDualThread::ThreadLoop() {
  pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return terminated_ || (!suspended_ && due_); });
    if (terminated_) return;
    // Keeps the pace; any notification (a new interval, a suspension) looks again.
    const auto paceEnd = paceFrom_ + std::chrono::milliseconds(interval_);
    if (std::chrono::steady_clock::now() < paceEnd) {
      wake_.wait_until(lock, paceEnd);
      continue;
    }
    due_ = false;
    if (priorityDirty_) ApplyThreadPriority();
    lock.unlock();
    threadStep_();
    lock.lock();
    paceFrom_ = std::chrono::steady_clock::now();
  }
}

// Thread priorities become nice values of this thread; raising above normal
// needs privileges and silently stays at normal without them.
void TDualThread::ApplyThreadPriority() {
  static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
  priorityDirty_ = false;
  const int nice = kNice[priority_ >= tpIdle && priority_ <= tpTimeCritical ? priority_ : tpNormal];
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), nice);
}
