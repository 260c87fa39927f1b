#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/media/testdevices/TestDevices.h"

namespace orvex::media::testdevices {
namespace {

constexpr char kDefaultCamera[] = "orvex-test/camera-1";
constexpr char kDefaultMicrophone[] = "orvex-test/microphone-1";

std::string StringProp(GstDevice* device, const char* field) {
  GstStructure* props = gst_device_get_properties(device);
  if (props == nullptr) return {};
  const char* value = gst_structure_get_string(props, field);
  std::string result = value ? value : "<none>";
  gst_structure_free(props);
  return result;
}

// A started monitor on video and audio sources, as the program runs one.
class Monitor {
 public:
  explicit Monitor(bool start = true, bool audio = true) : monitor_(gst_device_monitor_new()) {
    gst_device_monitor_add_filter(monitor_, "Video/Source", nullptr);
    if (audio) gst_device_monitor_add_filter(monitor_, "Audio/Source", nullptr);
    bus_ = gst_device_monitor_get_bus(monitor_);
    if (start) Start();
  }
  ~Monitor() {
    if (started_) gst_device_monitor_stop(monitor_);
    gst_object_unref(bus_);
    gst_object_unref(monitor_);
  }
  void Start() { started_ = gst_device_monitor_start(monitor_); }

  // The listed device with this id (new reference), or nullptr.
  GstDevice* Find(const std::string& id) {
    GstDevice* found = nullptr;
    GList* devices = gst_device_monitor_get_devices(monitor_);
    for (GList* l = devices; l != nullptr; l = l->next) {
      auto* device = GST_DEVICE(l->data);
      if (found == nullptr && StringProp(device, kPropPath) == id) found = GST_DEVICE(gst_object_ref(device));
    }
    g_list_free_full(devices, gst_object_unref);
    return found;
  }

  // Waits for the added or removed message of the device with this id.
  bool WaitFor(GstMessageType type, const std::string& id, int timeoutMs = 2000) {
    const gint64 deadline = g_get_monotonic_time() + timeoutMs * G_TIME_SPAN_MILLISECOND;
    for (gint64 now; (now = g_get_monotonic_time()) < deadline;) {
      GstMessage* msg =
          gst_bus_timed_pop_filtered(bus_, static_cast<GstClockTime>(deadline - now) * GST_USECOND, type);
      if (msg == nullptr) return false;
      GstDevice* device = nullptr;
      if (type == GST_MESSAGE_DEVICE_ADDED)
        gst_message_parse_device_added(msg, &device);
      else
        gst_message_parse_device_removed(msg, &device);
      const bool match = StringProp(device, kPropPath) == id;
      gst_object_unref(device);
      gst_message_unref(msg);
      if (match) return true;
    }
    return false;
  }

 private:
  GstDeviceMonitor* monitor_;
  GstBus* bus_;
  bool started_ = false;
};

class TestDeviceProvider : public ::testing::Test {
 protected:
  // Only our provider: these tests must neither depend on nor wait for the
  // machine's cameras and sound server.
  static void SetUpTestSuite() {
    Register();
    GList* factories = gst_device_provider_factory_list_get_device_providers(GST_RANK_NONE);
    for (GList* l = factories; l != nullptr; l = l->next) {
      if (std::string(GST_OBJECT_NAME(l->data)) != kProviderFactory)
        gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(l->data), GST_RANK_NONE);
    }
    gst_plugin_feature_list_free(factories);
  }
  void SetUp() override {
    Register();
    SetDefaultDevices(true);
  }
};

void ExpectCaps(GstDevice* device, const std::string& caps) {
  GstCaps* have = gst_device_get_caps(device);
  GstCaps* want = gst_caps_from_string(caps.c_str());
  EXPECT_TRUE(gst_caps_is_strictly_equal(have, want));
  gst_caps_unref(want);
  gst_caps_unref(have);
}

void ExpectElement(GstDevice* device, const char* factory) {
  GstElement* element = gst_device_create_element(device, "capture");
  ASSERT_NE(element, nullptr);
  EXPECT_STREQ(GST_OBJECT_NAME(gst_element_get_factory(element)), factory);
  EXPECT_TRUE(gst_device_reconfigure_element(device, element));
  gst_object_unref(gst_object_ref_sink(element));
}

TEST_F(TestDeviceProvider, MonitorListsTheCameraAndTheMicrophone) {
  Monitor monitor;
  // Devices the provider adds when it starts also arrive as messages.
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_ADDED, kDefaultCamera));

  GstDevice* camera = monitor.Find(kDefaultCamera);
  ASSERT_NE(camera, nullptr);
  gchar* name = gst_device_get_display_name(camera);
  EXPECT_STREQ(name, "Test Pattern Camera");
  g_free(name);
  EXPECT_TRUE(gst_device_has_classes(camera, "Video/Source"));
  EXPECT_EQ(StringProp(camera, kPropInputs), "Composite\nSVideo");
  EXPECT_EQ(StringProp(camera, kPropConnectors), "2\n3");
  GstStructure* props = gst_device_get_properties(camera);
  gboolean isTest = FALSE;
  EXPECT_TRUE(gst_structure_get_boolean(props, kPropTestDevice, &isTest) && isTest);
  gst_structure_free(props);
  ExpectCaps(camera, CameraCapsString());
  ExpectElement(camera, kCameraFactory);
  gst_object_unref(camera);

  GstDevice* microphone = monitor.Find(kDefaultMicrophone);
  ASSERT_NE(microphone, nullptr);
  name = gst_device_get_display_name(microphone);
  EXPECT_STREQ(name, "Test Tone Microphone");
  g_free(name);
  EXPECT_TRUE(gst_device_has_classes(microphone, "Audio/Source"));
  EXPECT_EQ(StringProp(microphone, kPropInputs), "Microphone\nLine In");
  EXPECT_EQ(StringProp(microphone, kPropConnectors), "<none>");
  ExpectCaps(microphone, ToneCapsString());
  ExpectElement(microphone, kToneFactory);
  gst_object_unref(microphone);

  // A monitor for video alone does not list the microphone.
  Monitor videoOnly(true, false);
  GstDevice* none = videoOnly.Find(kDefaultMicrophone);
  EXPECT_EQ(none, nullptr);
  if (none != nullptr) gst_object_unref(none);
}

TEST_F(TestDeviceProvider, DevicesPluggedAtRunTimeReachARunningMonitor) {
  Monitor monitor;
  const std::string camera = AddCamera("Second Camera");
  const std::string microphone = AddMicrophone();
  EXPECT_EQ(camera.rfind("orvex-test/camera-", 0), 0u);
  EXPECT_NE(camera, kDefaultCamera);
  EXPECT_NE(microphone, kDefaultMicrophone);
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_ADDED, camera));
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_ADDED, microphone));
  GstDevice* device = monitor.Find(camera);
  ASSERT_NE(device, nullptr);
  gchar* name = gst_device_get_display_name(device);
  EXPECT_STREQ(name, "Second Camera");
  g_free(name);
  gst_object_unref(device);

  EXPECT_TRUE(Remove(camera));
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_REMOVED, camera));
  EXPECT_EQ(monitor.Find(camera), nullptr);
  EXPECT_FALSE(Remove(camera));
  EXPECT_TRUE(Remove(microphone));
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_REMOVED, microphone));

  // Ids are never handed out twice.
  const std::string third = AddCamera();
  EXPECT_NE(third, camera);
  EXPECT_TRUE(Remove(third));
  EXPECT_FALSE(Remove("orvex-test/camera-999"));
}

TEST_F(TestDeviceProvider, DevicesPluggedWhileNoMonitorRunsAreThereWhenOneStarts) {
  const std::string camera = AddCamera("Late Camera");
  {
    Monitor probing(false);  // not started: the provider is probed
    GstDevice* device = probing.Find(camera);
    EXPECT_NE(device, nullptr);
    if (device != nullptr) gst_object_unref(device);
  }
  {
    Monitor monitor;
    EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_ADDED, camera));
  }
  // Started again after a stop: everything is offered again.
  Monitor again;
  EXPECT_TRUE(again.WaitFor(GST_MESSAGE_DEVICE_ADDED, camera));
  GstDevice* device = again.Find(kDefaultCamera);
  EXPECT_NE(device, nullptr);
  if (device != nullptr) gst_object_unref(device);
  EXPECT_TRUE(Remove(camera));
}

TEST_F(TestDeviceProvider, DefaultPairCanBeLeftOutAndBroughtBack) {
  SetDefaultDevices(false);
  Monitor monitor;
  EXPECT_EQ(monitor.Find(kDefaultCamera), nullptr);
  EXPECT_EQ(monitor.Find(kDefaultMicrophone), nullptr);
  const std::string camera = AddCamera();
  GstDevice* device = monitor.Find(camera);
  EXPECT_NE(device, nullptr);
  if (device != nullptr) gst_object_unref(device);

  SetDefaultDevices(true);
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_ADDED, kDefaultCamera));
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_ADDED, kDefaultMicrophone));
  SetDefaultDevices(false);
  EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_REMOVED, kDefaultCamera));
  SetDefaultDevices(true);
  EXPECT_TRUE(Remove(camera));
}

// A test that unplugs the default camera must be able to give it back, or
// every later test of the same program finds no camera.
class DefaultCameraUnplugged : public TestDeviceProvider, public ::testing::WithParamInterface<bool> {};

TEST_P(DefaultCameraUnplugged, ComesBackWhenTheDefaultsAreAskedForAgain) {
  const bool monitorRunning = GetParam();
  {
    Monitor first;  // the pair is made when a monitor first looks
    GstDevice* plugged = first.Find(kDefaultCamera);
    ASSERT_NE(plugged, nullptr);
    gst_object_unref(plugged);
  }
  {
    Monitor monitor(monitorRunning);
    ASSERT_TRUE(Remove(kDefaultCamera));
    SetDefaultDevices(true);
    if (monitorRunning) {
      EXPECT_TRUE(monitor.WaitFor(GST_MESSAGE_DEVICE_ADDED, kDefaultCamera));
    }
  }
  Monitor later;
  GstDevice* device = later.Find(kDefaultCamera);
  EXPECT_NE(device, nullptr);
  if (device != nullptr) gst_object_unref(device);
  GstDevice* microphone = later.Find(kDefaultMicrophone);
  EXPECT_NE(microphone, nullptr) << "the other one of the pair stays";
  if (microphone != nullptr) gst_object_unref(microphone);
}

INSTANTIATE_TEST_SUITE_P(Monitor, DefaultCameraUnplugged, ::testing::Bool(),
                         [](const auto& row) { return row.param ? "WhileAMonitorRuns" : "WithoutAMonitor"; });

// Tests plug devices from their own thread while the program's monitors
// start and stop: no message may reach a monitor about a device that the
// provider is unparenting at that moment.
TEST_F(TestDeviceProvider, PluggingWhileMonitorsStartAndStopIsSafe) {
  std::atomic<bool> done{false};
  std::thread plugger([&] {
    for (int i = 0; !done; ++i) {
      const std::string camera = AddCamera();
      const std::string microphone = AddMicrophone();
      EXPECT_TRUE(Remove(camera));
      EXPECT_TRUE(Remove(microphone));
      SetDefaultDevices(i % 2 == 0);
    }
  });
  const gint64 end = g_get_monotonic_time() + 1500 * G_TIME_SPAN_MILLISECOND;
  int cycles = 0;
  for (; g_get_monotonic_time() < end; ++cycles) {
    Monitor monitor;
    GstDevice* device = monitor.Find(kDefaultCamera);
    if (device != nullptr) gst_object_unref(device);
  }
  done = true;
  plugger.join();
  SetDefaultDevices(true);
  EXPECT_GT(cycles, 10);
}

}  // namespace
}  // namespace orvex::media::testdevices
