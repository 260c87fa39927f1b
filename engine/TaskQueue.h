#pragma once
// The engine's requests and queued events, and the task worker (a timer on
// the main thread or a thread of its own) that takes one of each per pass.
// A pass runs only while there is work: a request or an event queued, or
// whatever the host says is due (a frame handed over that someone awaits).
// What a request does and how an event is delivered stays with the worker,
// which hands both in as steps.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/EngineEnums.h"
#include "engine/TCSList.h"

class TDualThread;

// Events that are queued and delivered by the task worker.
enum TQueuedEvent : int {
  qe_RecordingStarted,
  qe_RecordingCompleted,
  qe_PreviewStarted,
  qe_Inactive,
  qe_DeviceLost,
  qe_NoVideoDevices,
  qe_DiskFull
};

// An event with the serial of the handler assigned when it was raised.
struct TEventRecord {
  TQueuedEvent event;
  std::uint64_t serial;
};

class TTaskQueue {
 public:
  struct TSteps {
    std::function<void(int request)> runRequest;
    std::function<void(const TEventRecord& record)> deliver;
    // After the request and the event of each pass.
    std::function<void()> afterPass;
    // While it answers true, a pass does nothing and the timer stops.
    std::function<bool()> closing;
    // Whether the host still has work for another pass after this one.
    std::function<bool()> hostWorkDue;
  };

  explicit TTaskQueue(TSteps steps);
  ~TTaskQueue();
  TTaskQueue(const TTaskQueue&) = delete;
  TTaskQueue& operator=(const TTaskQueue&) = delete;

  void AddRequest(int request);
  void AddEvent(const TEventRecord& record);
  // Asks for a pass, from any thread: the host has work due.
  void Wake();
  std::size_t PendingEvents() const { return events_.Count(); }
  // Drops what is still queued.
  void Clear();

  // One pass. The timer skips a tick while the previous pass still runs (a
  // handler may spin a nested event loop). The thread runs the request first.
  void Pass(bool threadMode);

  void Start(int intervalMs, TNotificationMethod method, TThreadPriority priority);
  void Apply(int intervalMs, TNotificationMethod method, TThreadPriority priority);
  void Stop();

 private:
  bool RunOneRequest();
  bool DeliverOneEvent();
  bool WorkDue() const;

  TSteps steps_;
  TCSList<int> requests_;
  TCSList<TEventRecord> events_;
  // Set once by Start before any thread may wake it, reset by Stop.
  std::unique_ptr<TDualThread> task_;
  std::atomic<bool> passBusy_{false};
  std::atomic<bool> requestBusy_{false};
};
