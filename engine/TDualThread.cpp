#include "engine/TDualThread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QTimer>

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
      threadStep_(std::move(threadStep)),
      timer_(new QTimer),
      interval_(intervalMs) {
  timer_->setInterval(intervalMs);
  timer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer_, &QTimer::timeout, timer_, std::move(timerStep));
  thread_ = std::thread([this] { ThreadLoop(); });
  SetMethod(method);
}

TDualThread::~TDualThread() {
  Terminate();
  delete timer_;
}

void TDualThread::SetMethod(TNotificationMethod method) {
  method_ = method;
  if (method == nm_Timer) {
    {
      std::lock_guard lock(mutex_);
      suspended_ = true;
    }
    if (!terminated_) OnTimerThread(timer_, [t = timer_] { t->start(); });
  } else {
    OnTimerThread(timer_, [t = timer_] { t->stop(); });
    std::lock_guard lock(mutex_);
    suspended_ = false;
    wake_.notify_all();
  }
}

void TDualThread::SetInterval(int intervalMs) {
  std::lock_guard lock(mutex_);
  interval_ = intervalMs;
  OnTimerThread(timer_, [t = timer_, intervalMs] { t->setInterval(intervalMs); });
}

void TDualThread::SetPriority(TThreadPriority priority) {
  std::lock_guard lock(mutex_);
  priority_ = priority;
  priorityDirty_ = true;
}

void TDualThread::StopTimer() {
  OnTimerThread(timer_, [t = timer_] { t->stop(); });
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
    wake_.wait(lock, [this] { return terminated_ || !suspended_; });
    if (terminated_) return;
    if (priorityDirty_) ApplyThreadPriority();
    lock.unlock();
    threadStep_();
    lock.lock();
    // Sleep the interval, but wake at once for a suspension or termination.
    wake_.wait_for(lock, std::chrono::milliseconds(interval_), [this] { return terminated_ || suspended_; });
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
