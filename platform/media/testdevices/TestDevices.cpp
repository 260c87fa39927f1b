#include "platform/media/testdevices/TestDevices.h"

#include <gst/gst.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/media/testdevices/TestCameraSrc.h"
#include "platform/media/testdevices/TestDeviceProvider.h"
#include "platform/media/testdevices/TestToneSrc.h"

namespace orvex::media::testdevices {
namespace {

// Rank NONE keeps the elements out of autoplugging (autovideosrc); the
// provider needs at least MARGINAL to be seen by device monitors, which also
// lists it after the real providers of higher rank.
gboolean PluginInit(GstPlugin* plugin) {
  return gst_element_register(plugin, kCameraFactory, GST_RANK_NONE, TestCameraSrcType()) &&
         gst_element_register(plugin, kToneFactory, GST_RANK_NONE, TestToneSrcType()) &&
         gst_device_provider_register(plugin, kProviderFactory, GST_RANK_MARGINAL, TestDeviceProviderType());
}

std::string CapsString(GstCaps* caps) {
  gchar* text = gst_caps_to_string(caps);
  std::string result = text;
  g_free(text);
  gst_caps_unref(caps);
  return result;
}

}  // namespace

// Caps need GStreamer's types, so these initialise it like everything here.
std::string CameraCapsString() {
  Register();
  return CapsString(NewCameraCaps());
}

std::string ToneCapsString() {
  Register();
  return CapsString(NewToneCaps());
}

bool Requested() {
  const char* value = std::getenv("ORVEX_TEST_DEVICES");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

void Register() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    if (!gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, kPluginName,
                                    "Built-in test camera and test microphone", PluginInit, "1.4",
                                    "Proprietary", "orvex", "Orvex Ziru", "Orvex Ziru"))
      g_warning("could not register the %s plugin", kPluginName);
  });
}

void SetDefaultDevices(bool on) { SetDefaultPair(on); }

std::string AddCamera(const std::string& displayName) {
  Register();
  return PlugDevice(DeviceKind::Camera, displayName);
}

std::string AddMicrophone(const std::string& displayName) {
  Register();
  return PlugDevice(DeviceKind::Microphone, displayName);
}

bool Remove(const std::string& id) {
  Register();
  return UnplugDevice(id);
}

void RemoveAll() { UnplugEveryDevice(); }

}  // namespace orvex::media::testdevices
