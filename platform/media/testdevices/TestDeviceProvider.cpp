#include "platform/media/testdevices/TestDeviceProvider.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/media/testdevices/TestCameraSrc.h"
#include "platform/media/testdevices/TestDevices.h"
#include "platform/media/testdevices/TestToneSrc.h"

namespace orvex::media::testdevices {
namespace {

// ---- the device ----

struct OrvexTestDevice {
  GstDevice parent;
  DeviceKind kind;
};

struct OrvexTestDeviceClass {
  GstDeviceClass parent_class;
};

G_DEFINE_TYPE(OrvexTestDevice, orvex_test_device, GST_TYPE_DEVICE)

const char* FactoryOf(DeviceKind kind) { return kind == DeviceKind::Camera ? kCameraFactory : kToneFactory; }

GstElement* CreateElement(GstDevice* device, const gchar* name) {
  return gst_element_factory_make(FactoryOf(reinterpret_cast<OrvexTestDevice*>(device)->kind), name);
}

// Every test device of a kind captures the same way, so any element of the
// right type serves.
gboolean ReconfigureElement(GstDevice* device, GstElement* element) {
  const GType wanted = reinterpret_cast<OrvexTestDevice*>(device)->kind == DeviceKind::Camera
                           ? TestCameraSrcType()
                           : TestToneSrcType();
  return G_TYPE_CHECK_INSTANCE_TYPE(element, wanted);
}

void orvex_test_device_class_init(OrvexTestDeviceClass* klass) {
  GST_DEVICE_CLASS(klass)->create_element = CreateElement;
  GST_DEVICE_CLASS(klass)->reconfigure_element = ReconfigureElement;
}

void orvex_test_device_init(OrvexTestDevice*) {}

std::string Joined(const std::array<const char*, 2>& names) {
  return std::string(names[0]) + "\n" + names[1];
}

GstDevice* NewDevice(DeviceKind kind, const std::string& id, const std::string& displayName) {
  const bool camera = kind == DeviceKind::Camera;
  GstStructure* props =
      gst_structure_new("orvex-test-device", kPropPath, G_TYPE_STRING, id.c_str(), "device.api",
                        G_TYPE_STRING, "orvex-test", kPropTestDevice, G_TYPE_BOOLEAN, TRUE, kPropInputs,
                        G_TYPE_STRING, Joined(camera ? kCameraInputs : kMicrophoneInputs).c_str(), nullptr);
  if (camera) {
    const std::string connectors =
        std::to_string(kCameraConnectorTypes[0]) + "\n" + std::to_string(kCameraConnectorTypes[1]);
    gst_structure_set(props, kPropConnectors, G_TYPE_STRING, connectors.c_str(), nullptr);
  }
  GstCaps* caps = camera ? NewCameraCaps() : NewToneCaps();
  auto* device = static_cast<GstDevice*>(
      g_object_new(orvex_test_device_get_type(), "display-name", displayName.c_str(), "device-class",
                   camera ? "Video/Source" : "Audio/Source", "caps", caps, "properties", props, nullptr));
  reinterpret_cast<OrvexTestDevice*>(device)->kind = kind;
  gst_caps_unref(caps);
  gst_structure_free(props);
  return GST_DEVICE(gst_object_ref_sink(device));
}

// ---- the registry of plugged devices ----

struct Entry {
  std::string id;
  bool isDefault = false;
  GstDevice* device = nullptr;  // our own reference
};

// Recursive: a bus sync handler reached through device_add may plug or
// unplug in turn. Held around every add and remove on the provider, and taken
// by stop(), so the base class never unparents a device while a message about
// it is on its way (the monitor reads the device's parent). Safe because
// GStreamer calls start() and stop() without the provider's object lock or
// the monitor's lock, and nothing done under this mutex waits for the
// provider's start lock.
struct Registry {
  std::recursive_mutex mutex;
  std::vector<Entry> entries;
  // The default pair is always number 1, so its settings are found again in
  // every run; plugged devices count on from 2 and ids are never reused.
  int cameras = 1, microphones = 1;
  bool defaultsWanted = true;
  bool defaultsMade = false;
};

Registry& TheRegistry() {
  static auto* registry = new Registry();  // lives as long as the GStreamer types
  return *registry;
}

// ---- the provider ----

struct OrvexTestDeviceProvider {
  GstDeviceProvider parent;
  gint started;
};

struct OrvexTestDeviceProviderClass {
  GstDeviceProviderClass parent_class;
};

G_DEFINE_TYPE(OrvexTestDeviceProvider, orvex_test_device_provider, GST_TYPE_DEVICE_PROVIDER)

// The provider singleton when a monitor runs it, else nullptr. New reference;
// call with the registry locked.
GstDeviceProvider* StartedProvider() {
  GstDeviceProvider* provider = gst_device_provider_factory_get_by_name(kProviderFactory);
  if (provider != nullptr &&
      !g_atomic_int_get(&reinterpret_cast<OrvexTestDeviceProvider*>(provider)->started)) {
    gst_object_unref(provider);
    provider = nullptr;
  }
  return provider;
}

void PlugLocked(Registry& r, DeviceKind kind, const std::string& id, const std::string& name,
                bool isDefault) {
  Entry entry{id, isDefault, NewDevice(kind, id, name)};
  r.entries.push_back(entry);
  if (GstDeviceProvider* provider = StartedProvider()) {
    gst_device_provider_device_add(provider, entry.device);
    gst_object_unref(provider);
  }
}

std::string IdOf(DeviceKind kind, int number) {
  return (kind == DeviceKind::Camera ? "orvex-test/camera-" : "orvex-test/microphone-") +
         std::to_string(number);
}

std::string NextId(Registry& r, DeviceKind kind) {
  return IdOf(kind, kind == DeviceKind::Camera ? ++r.cameras : ++r.microphones);
}

// Plugs whichever of the pair is missing, so one unplugged by a test comes
// back with its old id.
void MakeDefaultsLocked(Registry& r) {
  if (!r.defaultsWanted || r.defaultsMade) return;
  r.defaultsMade = true;
  const auto plugged = [&r](const std::string& id) {
    return std::any_of(r.entries.begin(), r.entries.end(), [&](const Entry& e) { return e.id == id; });
  };
  if (!plugged(IdOf(DeviceKind::Camera, 1)))
    PlugLocked(r, DeviceKind::Camera, IdOf(DeviceKind::Camera, 1), kCameraName, true);
  if (!plugged(IdOf(DeviceKind::Microphone, 1)))
    PlugLocked(r, DeviceKind::Microphone, IdOf(DeviceKind::Microphone, 1), kMicrophoneName, true);
}

void UnplugLocked(Registry& r, std::vector<Entry>::iterator it) {
  GstDevice* device = it->device;
  r.entries.erase(it);
  if (GstDeviceProvider* provider = StartedProvider()) {
    gst_device_provider_device_remove(provider, device);
    gst_object_unref(provider);
  }
  gst_object_unref(device);
}

GList* Probe(GstDeviceProvider*) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  MakeDefaultsLocked(r);
  GList* devices = nullptr;
  for (const Entry& e : r.entries) devices = g_list_append(devices, gst_object_ref(e.device));
  return devices;
}

// Devices added here also reach the monitor as "device-added" messages.
gboolean Start(GstDeviceProvider* provider) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  g_atomic_int_set(&reinterpret_cast<OrvexTestDeviceProvider*>(provider)->started, 1);
  for (const Entry& e : r.entries) gst_device_provider_device_add(provider, e.device);
  MakeDefaultsLocked(r);  // adds through PlugLocked
  return TRUE;
}

// Runs under the provider's start lock: listing devices here deadlocks. After
// this the base class unparents every device, so no add or remove may follow.
void Stop(GstDeviceProvider* provider) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  g_atomic_int_set(&reinterpret_cast<OrvexTestDeviceProvider*>(provider)->started, 0);
}

void orvex_test_device_provider_class_init(OrvexTestDeviceProviderClass* klass) {
  GstDeviceProviderClass* dp = GST_DEVICE_PROVIDER_CLASS(klass);
  dp->probe = Probe;
  dp->start = Start;
  dp->stop = Stop;
  // The monitor matches its filters ("Video/Source", "Audio/Source") word by word.
  gst_device_provider_class_set_static_metadata(dp, "Orvex Test Device Provider", "Source/Video/Audio",
                                                "The built-in test camera and test microphone", "Orvex Ziru");
}

void orvex_test_device_provider_init(OrvexTestDeviceProvider* self) { g_atomic_int_set(&self->started, 0); }

}  // namespace

GType TestDeviceProviderType() { return orvex_test_device_provider_get_type(); }
GType TestDeviceType() { return orvex_test_device_get_type(); }

std::string PlugDevice(DeviceKind kind, const std::string& displayName) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  const std::string id = NextId(r, kind);
  PlugLocked(r, kind, id, displayName, false);
  return id;
}

bool UnplugDevice(const std::string& id) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto it = std::find_if(r.entries.begin(), r.entries.end(), [&](const Entry& e) { return e.id == id; });
  if (it == r.entries.end()) return false;
  UnplugLocked(r, it);
  return true;
}

void SetDefaultPair(bool on) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  r.defaultsWanted = on;
  if (on) {
    // Made at once for a running monitor, else when one starts.
    r.defaultsMade = false;
    if (GstDeviceProvider* provider = StartedProvider()) {
      gst_object_unref(provider);
      MakeDefaultsLocked(r);
    }
    return;
  }
  r.defaultsMade = false;
  for (auto it = r.entries.begin(); it != r.entries.end();) {
    if (it->isDefault) {
      UnplugLocked(r, it);
      it = r.entries.begin();
    } else {
      ++it;
    }
  }
}

void UnplugEveryDevice() {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  r.defaultsMade = false;
  while (!r.entries.empty()) UnplugLocked(r, r.entries.begin());
}

}  // namespace orvex::media::testdevices
