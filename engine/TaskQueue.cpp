#include "engine/TaskQueue.h"

#include "engine/TDualThread.h"
#include "platform/kernel/UnhandledException.h"

namespace {

// Clears a busy flag however the step ends.
class FlagGuard {
 public:
  explicit FlagGuard(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  std::atomic<bool>& flag_;
};

}  // namespace

TTaskQueue::TTaskQueue(TSteps steps) : steps_(std::move(steps)) {}

TTaskQueue::~TTaskQueue() {
  Stop();
  Clear();
}

void TTaskQueue::Clear() {
  requests_.Clear();
  events_.Clear();
}

void TTaskQueue::AddRequest(int request) {
  requests_.Add(request);
  Wake();
}

void TTaskQueue::AddEvent(const TEventRecord& record) {
  events_.Add(record);
  Wake();
}

void TTaskQueue::Wake() {
  if (task_) task_->Wake();
}

bool TTaskQueue::WorkDue() const {
  return requests_.Count() > 0 || events_.Count() > 0 || (steps_.hostWorkDue && steps_.hostWorkDue());
}

bool TTaskQueue::RunOneRequest() {
  if (requestBusy_) return false;
  FlagGuard busy(requestBusy_);
  const auto request = requests_.TakeFirst();
  if (!request) return false;
  steps_.runRequest(*request);
  return true;
}

bool TTaskQueue::DeliverOneEvent() {
  const auto record = events_.TakeFirst();
  if (!record) return false;
  steps_.deliver(*record);
  return true;
}

void TTaskQueue::Pass(bool threadMode) {
  if (passBusy_) return;
  FlagGuard busy(passBusy_);
  if (steps_.closing()) {
    if (task_) task_->StopTimer();
    return;
  }
  try {
    if (threadMode) {
      RunOneRequest();
      DeliverOneEvent();
    } else {
      DeliverOneEvent();
      RunOneRequest();
    }
    steps_.afterPass();
  } catch (...) {
    // The host's handler failed: show it the usual way and go on next pass.
    orvex::kernel::HandleUnhandledException(std::current_exception());
  }
  // One request and one event a pass: what is left waits for the next.
  if (WorkDue()) Wake();
}

void TTaskQueue::Start(int intervalMs, TNotificationMethod method, TThreadPriority priority) {
  task_ = std::make_unique<TDualThread>(
      "task", intervalMs, method, priority, [this] { Pass(false); }, [this] { Pass(true); });
  if (WorkDue()) Wake();
}

void TTaskQueue::Apply(int intervalMs, TNotificationMethod method, TThreadPriority priority) {
  if (!task_) return;
  task_->SetInterval(intervalMs);
  task_->SetPriority(priority);
  if (task_->Method() != method) task_->SetMethod(method);
}

void TTaskQueue::Stop() {
  if (task_) task_->Terminate();
  task_.reset();
}
