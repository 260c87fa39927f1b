#pragma once
// Owning handles for GStreamer and GLib objects, so no path leaks a reference.

#include <gst/gst.h>

#include <memory>
#include <utility>

namespace orvex::media {

template <typename T, void (*Unref)(T*)>
class GRef {
 public:
  GRef() = default;
  // Takes ownership of a reference the caller holds.
  explicit GRef(T* owned) : p_(owned) {}
  GRef(const GRef& other) : p_(other.p_ ? Ref(other.p_) : nullptr) {}
  GRef(GRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  GRef& operator=(GRef other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~GRef() { reset(); }

  // Adds a reference of our own to a borrowed pointer.
  static GRef Borrow(T* borrowed) { return GRef(borrowed ? Ref(borrowed) : nullptr); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* release() { return std::exchange(p_, nullptr); }
  void reset(T* owned = nullptr) {
    if (p_) Unref(p_);
    p_ = owned;
  }

 private:
  static T* Ref(T* p) {
    if constexpr (std::is_same_v<T, GstCaps>) {
      return gst_caps_ref(p);
    } else if constexpr (std::is_same_v<T, GstMessage>) {
      return gst_message_ref(p);
    } else if constexpr (std::is_same_v<T, GstBuffer>) {
      return gst_buffer_ref(p);
    } else if constexpr (std::is_same_v<T, GstSample>) {
      return gst_sample_ref(p);
    } else {
      return static_cast<T*>(gst_object_ref(p));
    }
  }
  T* p_ = nullptr;
};

namespace detail {
template <typename T>
void UnrefObject(T* p) {
  gst_object_unref(p);
}
inline void UnrefCaps(GstCaps* c) { gst_caps_unref(c); }
inline void UnrefMessage(GstMessage* m) { gst_message_unref(m); }
inline void UnrefBuffer(GstBuffer* b) { gst_buffer_unref(b); }
inline void UnrefSample(GstSample* s) { gst_sample_unref(s); }
}  // namespace detail

using ElementPtr = GRef<GstElement, detail::UnrefObject<GstElement>>;
using PadPtr = GRef<GstPad, detail::UnrefObject<GstPad>>;
using BusPtr = GRef<GstBus, detail::UnrefObject<GstBus>>;
using DevicePtr = GRef<GstDevice, detail::UnrefObject<GstDevice>>;
using DeviceMonitorPtr = GRef<GstDeviceMonitor, detail::UnrefObject<GstDeviceMonitor>>;
using ElementFactoryPtr = GRef<GstElementFactory, detail::UnrefObject<GstElementFactory>>;
using ClockPtr = GRef<GstClock, detail::UnrefObject<GstClock>>;
using CapsPtr = GRef<GstCaps, detail::UnrefCaps>;
using MessagePtr = GRef<GstMessage, detail::UnrefMessage>;
using BufferPtr = GRef<GstBuffer, detail::UnrefBuffer>;
using SamplePtr = GRef<GstSample, detail::UnrefSample>;

// g_free for strings GLib hands over.
struct GFreeDeleter {
  void operator()(void* p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

// g_error_free for errors GLib hands over.
struct GErrorDeleter {
  void operator()(GError* e) const { g_error_free(e); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

}  // namespace orvex::media
