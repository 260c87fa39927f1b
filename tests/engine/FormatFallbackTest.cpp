// A device that does not take the format asked of it keeps running in one it
// does take, and the engine's video size says which.

#include <gst/gst.h>

#include "engine/BoundDevices.h"
#include "platform/gdi/Bitmap.h"
#include "tests/engine/GraphFixture.h"
#include "tests/support/FakeDeviceSource.h"

namespace {

// Offers YUY2 at 640x480 and 320x240 and MJPEG at 1280x720 in its list, but
// its element turns down 320x240, as a camera whose list went stale does.
constexpr char kListedCaps[] =
    "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
    "video/x-raw,format=YUY2,width=320,height=240,framerate=30/1;"
    "image/jpeg,width=1280,height=720,framerate=30/1";
constexpr char kTakenCaps[] = "video/x-raw,format=YUY2,width=640,height=480;image/jpeg,width=1280,height=720";

class PickyCameraMaker final : public orvex::media::ElementMaker {
 public:
  GstElement* CreateElement(const char* name) const override {
    GstElement* bin = gst_bin_new(name);
    GstElement* camera = gst_element_factory_make(orvex::media::testdevices::kCameraFactory, nullptr);
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    GstCaps* caps = gst_caps_from_string(kTakenCaps);
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    gst_bin_add_many(GST_BIN(bin), camera, filter, nullptr);
    gst_element_link(camera, filter);
    GstPad* src = gst_element_get_static_pad(filter, "src");
    gst_element_add_pad(bin, gst_ghost_pad_new("src", src));
    gst_object_unref(src);
    return bin;
  }
};

}  // namespace

class FormatFallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
    orvex::media::testdevices::Register();
    source.AddCamera("Picky Cam", kListedCaps).maker = std::make_shared<PickyCameraMaker>();
    TSyncManager::Free();
    host = std::make_unique<QWidget>();
    engine = new VOduduDudiviv(host.get());
    host->show();
    engine->setOnLog([this](VOduduDudiviv*, TLogType, const std::string& severity,
                            const std::string& message) { reports.push_back(severity + ": " + message); });
    engine->setOnFrameCaptureCompleted(
        [this](VOduduDudiviv*, const TFrameData& data, TFrameCaptureDest, const std::string&, bool) {
          captured = {data.Bitmap->Width(), data.Bitmap->Height()};
        });
    engine->setAudioDevice(-1);
    engine->setVideoDevice(0);
  }
  void TearDown() override {
    host.reset();
    TSyncManager::Free();
  }

  orvex::test::FakeDeviceSource source;
  orvex::test::TempDir config;
  std::unique_ptr<QWidget> host;
  VOduduDudiviv* engine = nullptr;
  std::vector<std::string> reports;
  std::pair<int, int> captured;
};

TEST_F(FormatFallbackTest, AFormatTheDeviceTurnsDownFallsBackToOneItTakes) {
  struct Row {
    const char* size;
    int width, height;
    const char* warning;  // empty when the asked format runs
  };
  const Row rows[] = {
      {"640x480", 640, 480, ""},
      {"1280x720", 1280, 720,
       "WARNING: video format 1280x720 YUY2 not accepted by the device, 1280x720 MJPG used instead"},
      {"320x240", 640, 480,
       "WARNING: video format 320x240 YUY2 not accepted by the device, 640x480 YUY2 used instead"},
  };
  const auto sizes = TextLines(engine->VideoSizes());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    const auto at = std::find(sizes.begin(), sizes.end(), row.size);
    ASSERT_NE(at, sizes.end()) << "the size list shows every size of every subtype";
    reports.clear();
    engine->setVideoSize(static_cast<int>(at - sizes.begin()));
    ASSERT_TRUE(engine->EngineState() == es_Previewing || engine->StartPreview());
    EXPECT_EQ(engine->VideoWidth(), row.width);
    EXPECT_EQ(engine->VideoHeight(), row.height);
    const auto warnings = std::count_if(reports.begin(), reports.end(), [](const std::string& r) {
      return r.rfind("WARNING", 0) == 0 || r.rfind("ERROR", 0) == 0;
    });
    const bool warned = std::find(reports.begin(), reports.end(), row.warning) != reports.end();
    EXPECT_TRUE(*row.warning ? warned && warnings == 1 : warnings == 0) << ::testing::PrintToString(reports);
    captured = {};
    ASSERT_TRUE(orvex::test::WaitUntil([&] { return engine->CaptureFrame(fc_TBitmap, ""); }, 10000));
    ASSERT_TRUE(orvex::test::WaitUntil([&] { return captured.first != 0; }, 10000));
    EXPECT_EQ(captured, std::make_pair(row.width, row.height)) << "the frames that run";
  }
}
