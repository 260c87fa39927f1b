#include <atomic>
#include <type_traits>

#include "engine/TSyncManager.h"
#include "tests/engine/EngineFixture.h"

using Reports = std::vector<LoggedReport>;

// The streaming thread writes the recording clock from each frame while the
// main thread's status timer reads it.
static_assert(std::is_same_v<decltype(TVdvWorker::RecordingElapsed100ns), std::atomic<std::int64_t>>,
              "the recording clock is shared by two threads");

TEST_F(EngineTest, StartPreviewWithoutAVideoDeviceFailsAndChangesNothing) {
  engine->setVideoDevice(-1);
  EXPECT_FALSE(engine->StartPreview());
  EXPECT_EQ(engine->EngineState(), es_Stopped);
  EXPECT_NE(std::find(reports.begin(), reports.end(),
                      LoggedReport{e_no_video_device_selected, "ERROR", "no video device selected"}),
            reports.end());
}

TEST_F(EngineTest, StartsFailWhileNoDeviceHasBeenEnumerated) {
  EXPECT_FALSE(engine->StartPreview());
  EXPECT_FALSE(engine->StartRecording());
  EXPECT_EQ(engine->EngineState(), es_Stopped);
  // The empty device list is reported; nothing pretends a graph was built.
  EXPECT_EQ(reports.front(),
            (LoggedReport{e_no_device_available, "INFO", "no video capture device available"}));
}

TEST_F(EngineTest, StartRecordingWhileRecordingReportsFirstStopRecording) {
  probe().SetState(es_Recording);
  EXPECT_FALSE(engine->StartRecording());
  EXPECT_EQ(engine->EngineState(), es_Recording);
  EXPECT_EQ(reports, (Reports{{e_stop_recording_first, "ERROR", "first stop recording"}}));
  probe().SetState(es_Stopped);
}

TEST_F(EngineTest, StopRecordingWhenNotRecordingOnlyReports) {
  probe().SetState(es_Previewing);
  engine->StopRecording();
  EXPECT_EQ(engine->EngineState(), es_Previewing);
  EXPECT_EQ(reports, (Reports{{e_not_recording, "ERROR", "not recording"}}));
  probe().SetState(es_Stopped);
}

TEST_F(EngineTest, SettingsThatShapeTheGraphRefreshOnlyWhenTheyChange) {
  // While recording a refresh only reports; that makes each refresh visible.
  probe().SetState(es_Recording);
  engine->setVideoProcessing_Rotation(rt_90_deg);
  engine->setVideoProcessing_Rotation(rt_90_deg);
  engine->setVideoProcessing_Deinterlacing(di_FullSize);  // no new frame size: no rebuild
  engine->setVideoProcessing_Deinterlacing(di_HalfSize);
  engine->setFrameGrabber(fg_Disabled);
  engine->setFrameGrabberRGBFormat(fgf_RGB24);  // ignored while the grabber is off
  engine->setFrameCaptureWithoutOverlay(true);
  probe().SetState(es_Stopped);
  EXPECT_EQ(reports.size(), 4u);
  for (const auto& r : reports) EXPECT_EQ(r.message, "first stop recording");
}

TEST_F(EngineTest, RefreshNeedsAutoRefreshAndAVideoDevice) {
  probe().SetState(es_Recording);
  engine->setAutoRefreshPreview(false);
  engine->setVideoProcessing_Rotation(rt_180_deg);
  engine->setAutoRefreshPreview(true);
  engine->setVideoDevice(-1);
  engine->setVideoProcessing_Rotation(rt_270_deg);
  probe().SetState(es_Stopped);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(engine->VideoProcessing_Rotation(), rt_270_deg);
}

TEST_F(EngineTest, ChangingTheRecordingMethodWhileRecordingWarns) {
  probe().SetState(es_Recording);
  engine->setRecordingMethod(rm_ASF);
  engine->setRecordingMethod(rm_ASF);
  probe().SetState(es_Stopped);
  engine->setRecordingMethod(rm_AVI);
  EXPECT_EQ(reports, (Reports{{e_graph_must_be_restarted, "WARNING", "Recording needs to be restarted"}}));
}

TEST_F(EngineTest, SettersIgnoreValuesOutsideTheirRange) {
  engine->setAudioFormat(static_cast<TAudioFormat>(29));
  EXPECT_EQ(engine->AudioFormat(), af_default);
  engine->setAudioFormat(af_48000_16b_2ch);
  EXPECT_EQ(engine->AudioFormat(), af_48000_16b_2ch);
  engine->setCompressionMode(static_cast<TCompressionMode>(3));
  EXPECT_EQ(engine->CompressionMode(), cm_NoCompression);
  engine->setCompressionType(static_cast<TCompressionType>(3));
  EXPECT_EQ(engine->CompressionType(), ct_Video);
  engine->setAutoFileName(static_cast<TAutoFileName>(2));
  EXPECT_EQ(engine->AutoFileName(), fn_Sequential);
  engine->setTextOverlay_Align(static_cast<TTextOverlayAlign>(3));
  EXPECT_EQ(engine->TextOverlay_Align(), tf_Left);
  engine->setJPEGQuality(0);
  engine->setJPEGQuality(101);
  EXPECT_EQ(engine->JPEGQuality(), 100);
  engine->setJPEGQuality(1);
  EXPECT_EQ(engine->JPEGQuality(), 1);
  engine->setJPEGPerformance(static_cast<TJPEGPerformance>(2));
  EXPECT_EQ(engine->JPEGPerformance(), jpBestQuality);
}

TEST_F(EngineTest, OverlayIsNeededForTextShapeOrAFrameHook) {
  EXPECT_FALSE(probe().OverlayNeeded());
  engine->setTextOverlay_Enabled(true);
  EXPECT_TRUE(probe().OverlayNeeded());
  engine->setTextOverlay_Enabled(false);
  engine->setShapeOverlayEnabled(true);
  EXPECT_TRUE(probe().OverlayNeeded());
  engine->setShapeOverlayEnabled(false);
  EXPECT_FALSE(probe().OverlayNeeded());
}

TEST_F(EngineTest, InstancesGetTheirPositionAsUniqueIdAndLeaveTheListWhenDestroyed) {
  const auto before = TSyncManager::Instance()->Workers().size();
  {
    VOduduDudiviv second;
    EXPECT_EQ(second.UniqueID(), static_cast<int>(before));
    EXPECT_EQ(TSyncManager::Instance()->Workers().size(), before + 1);
  }
  EXPECT_EQ(TSyncManager::Instance()->Workers().size(), before);
}

TEST_F(EngineTest, DefaultsAreTheEnginesOwn) {
  EXPECT_FALSE(engine->AutoStartPreview());
  EXPECT_TRUE(engine->AutoRefreshPreview());
  EXPECT_EQ(engine->FrameGrabber(), fg_PreviewStream);
  EXPECT_EQ(engine->AutoFilePrefix(), "vg");
  EXPECT_EQ(engine->TextOverlay_Right(), 320);
  EXPECT_TRUE(engine->TextOverlay_Transparent());
  EXPECT_EQ(engine->TextOverlay_Font().Color, clAqua);
  EXPECT_EQ(engine->NotificationMethod(), nm_Timer);
  EXPECT_EQ(engine->BusyCursor(), crHourGlass);
  EXPECT_EQ(engine->RecordingElapsedSeconds(), 0.0);
  EXPECT_FALSE(engine->StoragePath().empty());
  EXPECT_EQ(VOduduDudiviv::Version(), "v7.2 (build 7.2.4 rev n, March 14, 2005)");
}
