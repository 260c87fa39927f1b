#pragma once
// Event handler types of the engine and the slots that hold them.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <utility>

#include "engine/EngineEnums.h"
#include "engine/FrameTypes.h"
#include "engine/TLogType.h"

class VOduduDudiviv;

using TEventNotification = std::function<void(VOduduDudiviv* Sender)>;
using TOnFileNotification = std::function<void(VOduduDudiviv* Sender, const std::string& FileName)>;
using TOnRecordingCompleted =
    std::function<void(VOduduDudiviv* Sender, const std::string& FileName, bool Success)>;
using TOnFrameCaptureCompleted =
    std::function<void(VOduduDudiviv* Sender, const TFrameData& FrameData, TFrameCaptureDest DestType,
                       const std::string& FileName, bool Success)>;
using TOnFrameOverlayUsingDC =
    std::function<void(VOduduDudiviv* Sender, const TFrameInfo& FrameInfo, HDC Dc)>;
using TOnFrameProgress = std::function<void(VOduduDudiviv* Sender, const TFrameInfo& FrameInfo)>;
using TOnLog = std::function<void(VOduduDudiviv* Sender, TLogType LogType, const std::string& Severity,
                                  const std::string& InfoMsg)>;
using TOnDeviceArrivalOrRemoval =
    std::function<void(VOduduDudiviv* Sender, bool IsDeviceArrival, bool IsVideoDevice,
                       const std::string& DeviceName, int DeviceIndex)>;

// Holds one handler. Every assignment gets a new serial number, so a queued
// notification can tell that its handler was replaced or cleared meanwhile.
// Calls copy the handler out under the lock and run it outside, so a handler
// may replace itself.
template <typename Fn>
class TEventSlot {
 public:
  void Set(Fn fn) {
    auto next = fn ? std::make_shared<const Fn>(std::move(fn)) : nullptr;
    std::lock_guard lock(mutex_);
    fn_ = std::move(next);
    ++serial_;
  }
  bool Assigned() const {
    std::lock_guard lock(mutex_);
    return fn_ != nullptr;
  }
  std::uint64_t Serial() const {
    std::lock_guard lock(mutex_);
    return serial_;
  }
  // The handler if it is still the one with the given serial.
  std::shared_ptr<const Fn> IfSerial(std::uint64_t serial) const {
    std::lock_guard lock(mutex_);
    return serial_ == serial ? fn_ : nullptr;
  }
  std::shared_ptr<const Fn> Get() const {
    std::lock_guard lock(mutex_);
    return fn_;
  }
  Fn Handler() const {
    auto fn = Get();
    return fn ? *fn : Fn();
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const Fn> fn_;
  std::uint64_t serial_ = 0;
};

// A handler called on the streaming thread. Assigning waits until a call in
// progress has returned, so once a handler is cleared it is never running:
// whatever it draws from may then be freed. Handlers must not reassign it.
template <typename Fn>
class TFrameHookSlot {
 public:
  void Set(Fn fn) {
    std::unique_lock lock(mutex_);
    fn_ = std::move(fn);
  }
  bool Assigned() const {
    std::shared_lock lock(mutex_);
    return static_cast<bool>(fn_);
  }
  Fn Handler() const {
    std::shared_lock lock(mutex_);
    return fn_;
  }
  template <typename... Args>
  bool Call(Args&&... args) const {
    std::shared_lock lock(mutex_);
    if (!fn_) return false;
    fn_(std::forward<Args>(args)...);
    return true;
  }

 private:
  mutable std::shared_mutex mutex_;
  Fn fn_;
};
