// Binding, discovery and the device settings store, with scripted devices.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include "engine/DeviceStore.h"
#include "engine/TSyncManager.h"
#include "engine/VOduduDudiviv.h"
#include "platform/registry/Registry.h"
#include "tests/support/EngineProbe.h"
#include "tests/support/FakeDeviceSource.h"
#include "tests/support/TempDir.h"

using orvex::media::DeviceCategory;

namespace {

constexpr const char* kUvcCaps =
    "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
    "video/x-raw,format=YUY2,width=160,height=120,framerate=30/1;"
    "video/x-raw,format=YUY2,width=352,height=288,framerate=30/1;"
    "image/jpeg,width=1280,height=720,framerate=30/1";

// Every test gets its own settings folder and a fresh manager that
// enumerates the scripted devices.
class DeviceBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
    TSyncManager::Free();
    auto& cam = source.AddCamera("Cam", kUvcCaps);
    cam.inputs = {{"in1", 2}, {"in2", 2}, {"in3", 3}};
    source.AddCamera("Other Cam", "video/x-raw,format=I420,width=320,height=240");
    source.Add(DeviceCategory::AudioInput, "Mic").inputs = {{"Microphone"}, {"Line In"}};
    source.Add(DeviceCategory::VideoCompressor, "JPEG encoder");
    source.Add(DeviceCategory::VideoCompressor, "MPEG-4 encoder");
  }
  void TearDown() override {
    engine.reset();
    TSyncManager::Free();
  }
  VOduduDudiviv& Engine() {
    if (!engine) {
      engine = std::make_unique<VOduduDudiviv>();
      engine->HandleNeeded();
      engine->setOnLog([this](VOduduDudiviv*, TLogType, const std::string& sev, const std::string& msg) {
        reports.push_back(sev + ": " + msg);
      });
    }
    return *engine;
  }

  orvex::test::TempDir config;
  orvex::test::FakeDeviceSource source;
  std::unique_ptr<VOduduDudiviv> engine;
  std::vector<std::string> reports;
};

}  // namespace

TEST_F(DeviceBinding, ListsCountsAndNamesFollowTheEnumeration) {
  VOduduDudiviv& e = Engine();
  EXPECT_EQ(e.VideoDevicesCount(), 2);
  EXPECT_EQ(e.AudioDevicesCount(), 1);
  EXPECT_EQ(e.VideoDeviceName(), "Cam (WDM)");
  e.setVideoDevice(1);
  EXPECT_EQ(e.VideoDeviceName(), "Other Cam (WDM)");
  e.setVideoDevice(5);
  EXPECT_EQ(e.VideoDeviceName(), "");
  EXPECT_EQ(reports.back(), "ERROR: index of video capture device out of range");
  EXPECT_EQ(e.VideoCompressors(), "MPEG-4 encoder\nJPEG encoder\n");
  EXPECT_EQ(e.AudioFormats().substr(0, 28), "default\n8000 Hz, 8-bit Mono\n");
}

TEST_F(DeviceBinding, BindingDiscoversSizesInputsAndStoresThem) {
  VOduduDudiviv& e = Engine();
  e.setVideoDevice(1);
  e.setVideoDevice(0);  // binds "Cam"
  EXPECT_EQ(e.VideoSizes(), "default\n160x120\n352x288\n640x480\n1280x720\n");
  EXPECT_EQ(e.VideoInputs(), "Composite\nComposite 1\nSVideo\n");
  EXPECT_EQ(e.VideoWidth(), 352);
  EXPECT_EQ(e.VideoHeight(), 288);
  EXPECT_NE(std::find(reports.begin(), reports.end(),
                      "INFO: one-time video device discovery:\r\nCam (WDM)\r\nplease wait..."),
            reports.end());

  // The store holds the discovered lists and all 57 values under the device's key.
  orvex::reg::TRegistry reg;
  const std::string key =
      std::string(device_store::kRootPath) + "Devices\\" +
      TDevices::KeyOf(source.devices[DeviceCategory::VideoInput][0].monikerDisplayName, "Cam");
  ASSERT_TRUE(reg.OpenKeyReadOnly(key));
  EXPECT_EQ(reg.ReadString("FMT000"), "   352x288");
  EXPECT_EQ(reg.ReadString("FMT004"), "1280x720");
  EXPECT_FALSE(reg.ValueExists("FMT005"));
  EXPECT_EQ(reg.ReadString("SUB000"), "YUY2");
  EXPECT_EQ(reg.ReadString("SUB001"), "MJPG");
  EXPECT_EQ(reg.ReadInteger("DummyMAYNOTBESAVED"), 2147483647);
  EXPECT_EQ(reg.ReadInteger("VideoQualityValuesSize"), 240);
  EXPECT_EQ(reg.ReadBinaryData("CameraControlValues ")->size(), 168u);
  EXPECT_EQ(reg.ReadBool("VideoQualityAuto"), true);
  EXPECT_EQ(reg.GetValueNames().size(), 57u + 2u + 5u + 2u)
      << "57 values, 2 block sizes, 5 sizes, 2 subtypes";
}

TEST_F(DeviceBinding, ASecondBindingReadsTheStoreInsteadOfDiscovering) {
  Engine().setVideoDevice(1);
  Engine().setVideoDevice(0);
  Engine().setVideoSize(2);
  engine.reset();
  TSyncManager::Free();
  source.devices[DeviceCategory::VideoInput][0].capabilities.clear();  // would discover nothing now
  reports.clear();
  VOduduDudiviv& e = Engine();
  e.setVideoDevice(1);
  e.setVideoDevice(0);
  EXPECT_EQ(e.VideoSizes(), "default\n160x120\n352x288\n640x480\n1280x720\n");
  EXPECT_EQ(e.VideoSize(), 2) << "the device's last size comes back with it";
  EXPECT_EQ(std::count_if(reports.begin(), reports.end(),
                          [](const std::string& r) { return r.find("discovery") != std::string::npos; }),
            0);
}

TEST_F(DeviceBinding, InputAndSizeSettersCheckTheirRanges) {
  VOduduDudiviv& e = Engine();
  e.setVideoDevice(1);
  e.setVideoDevice(0);
  int selected = 0;
  e.setOnVideoDeviceSelected([&](VOduduDudiviv*) { ++selected; });
  e.setVideoInput(-1);
  EXPECT_EQ(reports.back(), "ERROR: Video input index out of range");
  e.setVideoInput(4);
  EXPECT_EQ(reports.back(), "ERROR: Video input index out of range");
  e.setVideoInput(3);  // one past the last line is accepted
  EXPECT_EQ(e.VideoInput(), 3);
  e.setVideoInput(2);
  EXPECT_EQ(selected, 2);
  e.setVideoSize(5);  // beyond the list: ignored without a report
  e.setVideoSize(-1);
  EXPECT_EQ(e.VideoSize(), 0);
  e.setVideoSize(4);
  EXPECT_EQ(e.VideoWidth(), 1280);
  EXPECT_EQ(e.VideoHeight(), 720);
}

TEST_F(DeviceBinding, CompressorIndexesAreChecked) {
  VOduduDudiviv& e = Engine();
  e.setVideoCompressor(1);
  EXPECT_EQ(e.VideoCompressor(), 1);
  e.setVideoCompressor(2);
  EXPECT_EQ(e.VideoCompressor(), 1);
  EXPECT_EQ(reports.back(), "ERROR: index of video compressor out of range");
  e.setVideoCompressor(-1);
  EXPECT_EQ(e.VideoCompressor(), -1);
  e.setAudioCompressor(0);  // no audio compressors at all
  EXPECT_EQ(e.AudioCompressor(), -1);
  EXPECT_EQ(reports.back(), "INFO: no audio compressor available");
}

TEST_F(DeviceBinding, AudioInputsComeFromTheDevice) {
  VOduduDudiviv& e = Engine();
  e.setAudioDevice(0);
  e.BeginLoading();
  e.EndLoading();
  EXPECT_TRUE(EngineProbe(e).BindAudioDevice());
  EXPECT_EQ(e.AudioInputs(), "Microphone\nLine In\n");
  e.setAudioInput(5);
  EXPECT_EQ(e.AudioInput(), 0) << "an input beyond the list falls back to the first";
  e.setAudioInput(1);
  EXPECT_EQ(e.AudioInput(), 1);
  EXPECT_TRUE(e.IsDialogAvailable(dk_AudioDevice));
  EXPECT_FALSE(e.IsDialogAvailable(5));
}

TEST_F(DeviceBinding, NoVideoDevicesQueuesItsEvent) {
  source.devices[DeviceCategory::VideoInput].clear();
  VOduduDudiviv& e = Engine();
  bool none = false;
  e.setOnNoVideoDevices([&](VOduduDudiviv*) { none = true; });
  EXPECT_FALSE(EngineProbe(e).BindVideoDevice());
  EngineProbe(e).TaskStep(false);
  EXPECT_TRUE(none);
  EXPECT_FALSE(e.StartPreview());
  EXPECT_NE(std::find(reports.begin(), reports.end(), "ERROR: no video capture device"), reports.end());
}

TEST_F(DeviceBinding, AStoreOfAnotherVersionIsDropped) {
  {
    orvex::reg::TRegistry reg;
    reg.OpenKey(std::string(device_store::kRootPath) + "Devices\\Old", true);
    reg.WriteInteger("X", 1);
    reg.CloseKey();
  }
  Engine();
  orvex::reg::TRegistry reg;
  EXPECT_FALSE(reg.KeyExists(std::string(device_store::kRootPath) + "Devices\\Old"));
  EXPECT_TRUE(
      reg.KeyExists(std::string(device_store::kRootPath) + "v7.2 (build 7.2.4 rev n, March 14, 2005)"));
}

namespace {
// Answers property pages from the test: changes one value and presses OK.
std::vector<std::string> g_pagesShown;
bool AnswerPages(QWidget*, const std::string& title, std::vector<orvex::media::ElementProperty>& properties,
                 const std::function<void(const std::string&, const std::string&)>& onChange) {
  g_pagesShown.push_back(title);
  for (auto& p : properties)
    if (p.name == "quality") {
      p.value = "33";
      onChange(p.name, p.value);
    }
  return true;
}
}  // namespace

TEST_F(DeviceBinding, CompressorPagesStoreTheChangedSettings) {
  source.devices[DeviceCategory::VideoCompressor].clear();
  auto& jpeg = source.Add(DeviceCategory::VideoCompressor, "JPEG image encoder", "jpegenc");
  struct Maker : orvex::media::ElementMaker {
    GstElement* CreateElement(const char* name) const override {
      return gst_element_factory_make("jpegenc", name);
    }
  };
  jpeg.maker = std::make_shared<Maker>();
  VOduduDudiviv& e = Engine();
  VOduduDudiviv::SetPropertyDialogRunner(&AnswerPages);
  e.setVideoCompressor(0);
  EXPECT_TRUE(e.IsDialogAvailable(dk_VideoCompressor));
  EXPECT_TRUE(e.ShowDeviceDialog(dk_VideoCompressor));
  VOduduDudiviv::SetPropertyDialogRunner(nullptr);
  EXPECT_EQ(g_pagesShown, (std::vector<std::string>{"JPEG image encoder"}));
  const auto state = device_store::LoadCompressorState(TDevices::KeyOf("jpegenc", "JPEG image encoder"));
  ASSERT_TRUE(state.has_value());
  EXPECT_NE(state->find("quality=33"), std::string::npos);
}

TEST_F(DeviceBinding, NoDialogWithoutAVideoDeviceOrForAnUnknownKind) {
  source.devices[DeviceCategory::VideoInput].clear();
  VOduduDudiviv& e = Engine();
  EXPECT_FALSE(e.ShowDeviceDialog(dk_VideoDevice));
  EXPECT_EQ(reports.back(), "ERROR: no video capture device");
  EXPECT_FALSE(e.ShowDeviceDialog(7));
}

namespace {
// Replaces one value of a device's stored settings, as a hand edit would.
void StoreDeviceValue(const std::string& key, const std::string& name, orvex::reg::RegValue value) {
  orvex::reg::TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string(device_store::kRootPath) + "Devices\\" + key, false)) << key;
  reg.WriteValue(name, std::move(value));
  reg.CloseKey();
}
}  // namespace

TEST_F(DeviceBinding, StoredIndexesOutsideTheirListsFallBackToTheFirstEntry) {
  using orvex::reg::RegValue;
  const std::string cam = TDevices::KeyOf("fake:Cam:0", "Cam");
  const std::string mic = TDevices::KeyOf("fake:Mic:0", "Mic");
  const struct {
    std::string key, name;
    RegValue stored;
  } rows[] = {
      {mic, "AudioInput", RegValue::Dword(-1)},          {mic, "AudioInput", RegValue::Dword(INT32_MIN)},
      {mic, "AudioInput", RegValue::Dword(INT32_MAX)},   {mic, "AudioInput", RegValue::Dword(2)},
      {cam, "VideoSize", RegValue::Dword(-1)},           {cam, "VideoSize", RegValue::Dword(5)},
      {cam, "VideoInput", RegValue::Dword(-1)},          {cam, "VideoInput", RegValue::Dword(INT32_MAX)},
      {cam, "VideoSubtype", RegValue::Dword(INT32_MIN)}, {cam, "VideoSubtype", RegValue::Dword(2)},
  };
  auto bind = [this] {
    VOduduDudiviv& e = Engine();
    e.setVideoDevice(1);
    e.setVideoDevice(0);
    e.setAudioDevice(0);
    EXPECT_TRUE(EngineProbe(e).BindAudioDevice());
    return &e;
  };
  bind();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name + " " + std::to_string(*row.stored.AsDword()));
    engine.reset();
    TSyncManager::Free();
    StoreDeviceValue(row.key, row.name, row.stored);
    VOduduDudiviv& e = *bind();
    EXPECT_EQ(e.AudioInput(), 0);
    EXPECT_EQ(e.VideoSize(), 0);
    EXPECT_EQ(e.VideoInput(), 0);
    EXPECT_EQ(EngineProbe(e).Devices().AudioValues.Text(av_AudioInputName), "Microphone");
    EXPECT_EQ(EngineProbe(e).Devices().VideoValues.Int(vv_VideoSubtype), 0);
    orvex::reg::TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(std::string(device_store::kRootPath) + "Devices\\" + row.key));
    EXPECT_EQ(reg.ReadInteger(row.name), 0) << "the corrected index is what is stored";
  }
}

TEST_F(DeviceBinding, AStoredBlockOfAnotherSizeIsNotTaken) {
  const std::string cam = TDevices::KeyOf("fake:Cam:0", "Cam");
  Engine().setVideoDevice(1);
  Engine().setVideoDevice(0);
  Engine().setVideoSize(2);
  engine.reset();
  TSyncManager::Free();
  StoreDeviceValue(cam, "VideoQualityValues", orvex::reg::RegValue::Binary(std::string(10, 'x')));
  StoreDeviceValue(cam, "VideoQualityValuesSize", orvex::reg::RegValue::Dword(10));
  Engine().setVideoDevice(1);
  Engine().setVideoDevice(0);
  EXPECT_EQ(Engine().VideoSize(), 0) << "a store that does not read whole gives the defaults";
  orvex::reg::TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(std::string(device_store::kRootPath) + "Devices\\" + cam));
  EXPECT_EQ(reg.ReadBinaryData("VideoQualityValues")->size(), 240u);
  EXPECT_EQ(reg.ReadInteger("VideoQualityValuesSize"), 240);
}

TEST_F(DeviceBinding, AStoredSizeOfMoreThanOneLineIsSkipped) {
  const std::string cam = TDevices::KeyOf("fake:Cam:0", "Cam");
  Engine().setVideoDevice(1);
  Engine().setVideoDevice(0);
  engine.reset();
  TSyncManager::Free();
  StoreDeviceValue(cam, "FMT001", orvex::reg::RegValue::Text(" 160x120\n 999x999"));
  Engine().setVideoDevice(1);
  Engine().setVideoDevice(0);
  EXPECT_EQ(Engine().VideoSizes(), "default\n352x288\n640x480\n1280x720\n")
      << "each line of the list is one size of the engine's";
}
