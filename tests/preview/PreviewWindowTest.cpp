#include <gtest/gtest.h>

#include <QTimer>

#include "preview/RecordingStatusView.h"
#include "preview/TfrmPreview.h"
#include "tests/support/EngineProbe.h"

namespace {

struct FakeMainWindow : IRecordingStatusView {
  QString status = "Ready";
  bool configurationEnabled = true;
  void SetStatusText(const QString& text) override { status = text; }
  void SetConfigurationEnabled(bool enabled) override { configurationEnabled = enabled; }
};

class PreviewWindow : public ::testing::Test {
 protected:
  FakeMainWindow main;
  TfrmPreview preview{main};
  VOduduDudiviv& engine = *preview.VOduduDudiviv1;
};

}  // namespace

TEST_F(PreviewWindow, EngineStartsWithTheProgramsStoredConfiguration) {
  EXPECT_TRUE(engine.AutoStartPreview());
  EXPECT_TRUE(engine.AudioRecording());
  EXPECT_EQ(engine.FrameGrabber(), fg_BothStreams);
  EXPECT_TRUE(engine.Display_AutoSize());
  EXPECT_EQ(engine.TextOverlay_Align(), tf_Center);
  EXPECT_EQ(engine.TextOverlay_Font().Height, -20);
  EXPECT_TRUE(engine.TextOverlay_Font().Bold);
  EXPECT_EQ(engine.TextOverlay_Font().Color, clAqua);
  EXPECT_EQ(engine.VideoCompression_KeyFrameRate(), 15);
  EXPECT_FALSE(engine.Loading());
  EXPECT_EQ(preview.SaveDialog1.title, "Save SnapShot Image");
  EXPECT_TRUE(preview.SaveDialog1.defaultExt.isEmpty());
  EXPECT_FALSE(preview.Timer1->isActive());
  EXPECT_EQ(preview.Timer1->interval(), 300);
}

TEST_F(PreviewWindow, RecordingEventsDriveTheMainWindowsStatusAndClock) {
  preview.VOduduDudiviv1RecordingStarted(&engine, "clip.avi");
  EXPECT_EQ(main.status, "Recording [00:00:00]");
  EXPECT_FALSE(main.configurationEnabled);
  EXPECT_TRUE(preview.Timer1->isActive());

  preview.Timer1Timer();
  EXPECT_EQ(main.status, "Recording [00:00:00]");

  // A failed recording ends exactly like a successful one.
  preview.VOduduDudiviv1RecordingCompleted(&engine, "clip.avi", false);
  EXPECT_EQ(main.status, "Ready");
  EXPECT_TRUE(main.configurationEnabled);
  EXPECT_FALSE(preview.Timer1->isActive());
}

TEST_F(PreviewWindow, TheEnginesQueuedRecordingEventsReachTheHandlers) {
  engine.HandleNeeded();
  EngineProbe(engine).QueueEvent(qe_RecordingStarted);
  EngineProbe(engine).TaskStep(false);
  EXPECT_EQ(main.status, "Recording [00:00:00]");
  EngineProbe(engine).QueueEvent(qe_RecordingCompleted);
  EngineProbe(engine).TaskStep(false);
  EXPECT_EQ(main.status, "Ready");
}

TEST_F(PreviewWindow, CloseBoxOnlyHides) {
  preview.ShowAndRaise();
  preview.close();
  EXPECT_FALSE(preview.isVisible());
  EXPECT_NE(preview.VOduduDudiviv1, nullptr);
}
