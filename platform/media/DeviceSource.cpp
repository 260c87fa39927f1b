#include "platform/media/DeviceSource.h"

#include <gst/gst.h>

#include <algorithm>
#include <mutex>

#include "platform/media/Capabilities.h"
#include "platform/media/Compressors.h"
#include "platform/media/GstPtr.h"
#include "platform/media/Media.h"
#include "platform/media/V4l2Inputs.h"

namespace orvex::media {
namespace {

IDeviceSource* g_installed = nullptr;

class DeviceElementMaker final : public ElementMaker {
 public:
  explicit DeviceElementMaker(DevicePtr device) : device_(std::move(device)) {}
  GstElement* CreateElement(const char* name) const override {
    return gst_device_create_element(device_.get(), name);
  }

 private:
  DevicePtr device_;
};

std::string StringProperty(const GstStructure* props, const char* name) {
  const char* value = props ? gst_structure_get_string(props, name) : nullptr;
  return value ? value : "";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size() && !text.empty()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// A stable id for the device: its node or path where it has one.
std::string StableId(GstDevice* device, const GstStructure* props) {
  for (const char* key : {"api.v4l2.path", "device.path", "node.name", "device.name", "object.path"}) {
    const std::string value = StringProperty(props, key);
    if (!value.empty()) return value;
  }
  GCharPtr name(gst_device_get_display_name(device));
  GstObject* provider = GST_OBJECT_PARENT(device);
  return std::string(provider ? GST_OBJECT_NAME(provider) : "device") + ":" + (name ? name.get() : "");
}

std::vector<DeviceInput> DeclaredInputs(const GstStructure* props) {
  std::vector<DeviceInput> inputs;
  const auto names = SplitLines(StringProperty(props, "orvex.inputs"));
  const auto types = SplitLines(StringProperty(props, "orvex.connector-types"));
  for (std::size_t i = 0; i < names.size(); ++i)
    inputs.push_back({names[i], i < types.size() ? std::atoi(types[i].c_str()) : 0});
  return inputs;
}

DeviceDescriptor Describe(GstDevice* device, DeviceCategory category) {
  DeviceDescriptor d;
  d.category = category;
  GstStructure* props = gst_device_get_properties(device);
  GCharPtr name(gst_device_get_display_name(device));
  d.friendlyName = name ? name.get() : "";
  d.monikerDisplayName = StableId(device, props);
  gboolean isTest = FALSE;
  d.isTestDevice = props && gst_structure_get_boolean(props, "orvex.test-device", &isTest) && isTest;
  d.devicePath = StringProperty(props, "device.path");
  if (category == DeviceCategory::VideoInput) {
    CapsPtr caps(gst_device_get_caps(device));
    d.capabilities = CapabilitiesFromCaps(caps.get());
  }
  d.inputs = DeclaredInputs(props);
  if (d.inputs.empty() && category == DeviceCategory::VideoInput && !d.devicePath.empty())
    d.inputs = V4l2Inputs(d.devicePath);
  d.maker = std::make_shared<DeviceElementMaker>(DevicePtr::Borrow(device));
  if (props) gst_structure_free(props);
  return d;
}

}  // namespace

namespace {
GstDeviceSource& SystemDeviceSource() {
  static GstDeviceSource system;
  return system;
}
}  // namespace

IDeviceSource& DeviceSource() {
  if (g_installed) return *g_installed;
  return SystemDeviceSource();
}

void StopSystemDeviceSource() { SystemDeviceSource().Stop(); }

void SetDeviceSource(IDeviceSource* source) { g_installed = source; }

struct GstDeviceSource::Impl {
  DeviceMonitorPtr monitor;
  guint watch = 0;
  bool started = false;
  std::mutex mutex;
  ChangeCallback onChange;

  void Start() {
    if (started) return;
    started = true;
    InitMedia();
    monitor.reset(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Video/Source", nullptr);
    gst_device_monitor_add_filter(monitor.get(), "Audio/Source", nullptr);
    BusPtr bus(gst_device_monitor_get_bus(monitor.get()));
    watch = gst_bus_add_watch(bus.get(), &Impl::OnBusMessage, this);
    gst_device_monitor_start(monitor.get());
  }

  static gboolean OnBusMessage(GstBus*, GstMessage* message, gpointer self) {
    const auto type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_DEVICE_ADDED || type == GST_MESSAGE_DEVICE_REMOVED) {
      auto* impl = static_cast<Impl*>(self);
      ChangeCallback callback;
      {
        std::lock_guard lock(impl->mutex);
        callback = impl->onChange;
      }
      GstDevice* device = nullptr;
      if (type == GST_MESSAGE_DEVICE_ADDED)
        gst_message_parse_device_added(message, &device);
      else
        gst_message_parse_device_removed(message, &device);
      std::string id;
      if (device) {
        GstStructure* props = gst_device_get_properties(device);
        id = StableId(device, props);
        if (props) gst_structure_free(props);
        gst_object_unref(device);
      }
      if (callback) callback(type == GST_MESSAGE_DEVICE_ADDED, id);
    }
    return G_SOURCE_CONTINUE;
  }
};

GstDeviceSource::GstDeviceSource() : impl_(std::make_unique<Impl>()) {}

GstDeviceSource::~GstDeviceSource() { Stop(); }

void GstDeviceSource::Stop() {
  if (impl_->watch) g_source_remove(impl_->watch);
  impl_->watch = 0;
  if (impl_->monitor) gst_device_monitor_stop(impl_->monitor.get());
  impl_->monitor.reset();
  impl_->started = false;
}

void GstDeviceSource::SetChangeCallback(ChangeCallback callback) {
  impl_->Start();
  std::lock_guard lock(impl_->mutex);
  impl_->onChange = std::move(callback);
}

std::vector<DeviceDescriptor> GstDeviceSource::Enumerate(DeviceCategory category) {
  if (category == DeviceCategory::VideoCompressor || category == DeviceCategory::AudioCompressor) {
    InitMedia();
    return AviCompressors(category);
  }
  impl_->Start();
  const char* wanted = category == DeviceCategory::VideoInput ? "Video/Source" : "Audio/Source";
  std::vector<DeviceDescriptor> real, test;
  GList* devices = gst_device_monitor_get_devices(impl_->monitor.get());
  for (GList* l = devices; l; l = l->next) {
    auto* device = GST_DEVICE(l->data);
    if (!gst_device_has_classes(device, wanted)) continue;
    DeviceDescriptor d = Describe(device, category);
    (d.isTestDevice ? test : real).push_back(std::move(d));
  }
  g_list_free_full(devices, gst_object_unref);
  // The built-in test devices come after every real one.
  for (auto& d : test) real.push_back(std::move(d));
  return real;
}

}  // namespace orvex::media
