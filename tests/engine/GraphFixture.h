#pragma once
// An engine bound to the built-in test camera and microphone, with its
// reports collected, for tests that run real graphs.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "engine/TSyncManager.h"
#include "engine/VOduduDudiviv.h"
#include "platform/media/testdevices/TestDevices.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

// The test camera offering `formats` alone, as a webcam without RGB does,
// for as long as it lives; then plugged again with all its formats. As a
// fixture's member it is made before the fixture binds the camera.
class ScopedCameraFormats {
 public:
  explicit ScopedCameraFormats(const char* formats) {
    setenv("ORVEX_TEST_CAMERA_FORMATS", formats, 1);
    orvex::media::testdevices::SetDefaultDevices(false);  // plugged again by the fixture
    DeliverTheNews();
  }
  ~ScopedCameraFormats() {
    unsetenv("ORVEX_TEST_CAMERA_FORMATS");
    orvex::media::testdevices::SetDefaultDevices(false);
    orvex::media::testdevices::SetDefaultDevices(true);
    DeliverTheNews();
  }
  // The device monitor outlives the tests: its news of the unplugging must
  // arrive now, not once the next test's graph runs on a camera of that id.
  static void DeliverTheNews() { orvex::test::PumpEvents(50); }
  ScopedCameraFormats(const ScopedCameraFormats&) = delete;
  ScopedCameraFormats& operator=(const ScopedCameraFormats&) = delete;
};

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ORVEX_CONFIG_DIR", config.str().c_str(), 1);
    orvex::media::testdevices::Register();
    // A test that unplugged the test camera, and failed before it could
    // plug it back, must not leave the next test without one.
    orvex::media::testdevices::SetDefaultDevices(true);
    TSyncManager::Free();
    host = std::make_unique<QWidget>();
    engine = new VOduduDudiviv(host.get());
    engine->resize(320, 240);
    host->resize(320, 240);
    host->show();
    engine->setOnLog([this](VOduduDudiviv*, TLogType, const std::string& severity,
                            const std::string& message) { reports.push_back(severity + ": " + message); });
    engine->setStoragePath(storage.str());
    camera = IndexOf(engine->VideoDevicesCount(), [this](int i) {
      engine->setVideoDevice(i);
      return engine->VideoDeviceName() == "Test Pattern Camera (WDM)";
    });
    microphone = IndexOf(engine->AudioDevicesCount(), [this](int i) {
      engine->setAudioDevice(i);
      return engine->AudioDeviceName() == "Test Tone Microphone";
    });
    ASSERT_GE(camera, 0) << "the test camera is not listed";
    engine->setVideoDevice(camera);
    engine->setAudioDevice(-1);
  }

  void TearDown() override {
    host.reset();  // deletes the engine, which stops its graph
    TSyncManager::Free();
  }

  template <typename Pred>
  static int IndexOf(int count, Pred matches) {
    for (int i = 0; i < count; ++i)
      if (matches(i)) return i;
    return -1;
  }

  bool HasReport(const std::string& text) const {
    return std::find(reports.begin(), reports.end(), text) != reports.end();
  }

  // Waits until the display has painted `count` more frames.
  bool WaitForFrames(std::uint64_t count, int timeoutMs = 5000) {
    const std::uint64_t target = engine->FramesPainted() + count;
    return orvex::test::WaitUntil([&] { return engine->FramesPainted() >= target; }, timeoutMs);
  }

  orvex::test::TempDir config;
  orvex::test::TempDir storage;
  std::unique_ptr<QWidget> host;
  VOduduDudiviv* engine = nullptr;
  int camera = -1;
  int microphone = -1;
  std::vector<std::string> reports;
};
