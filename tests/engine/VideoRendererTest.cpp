// The preview's sink holds on to frames only while someone watches: at 1080p
// every frame held is 8 MB a pool upstream must allocate again.

#include <gst/base/gstbasesink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/frames/VideoRenderer.h"
#include "platform/media/GstPtr.h"
#include "tests/support/Wait.h"

using orvex::media::BufferPtr;
using orvex::media::ElementPtr;

namespace {

constexpr int kFrames = 4;
// As a camera that needs a frame's time to deliver it.
constexpr GstClockTime kCameraLatency = 33 * GST_MSECOND;

// appsrc ! renderer: frames of our own, so their reference counts say who
// still holds them.
class RendererRun {
 public:
  explicit RendererRun(const std::shared_ptr<TVideoFrameSlot>& slot) {
    gst_init(nullptr, nullptr);
    pipeline_ = ElementPtr(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))));
    source_ = gst_element_factory_make("appsrc", nullptr);
    renderer_ = CreateVideoRenderer(slot);
    const orvex::media::CapsPtr caps(
        gst_caps_from_string("video/x-raw,format=BGRx,width=4,height=2,framerate=30/1"));
    g_object_set(source_, "caps", caps.get(), "format", GST_FORMAT_TIME, "is-live", TRUE, "min-latency",
                 static_cast<gint64>(kCameraLatency), nullptr);
    gst_bin_add_many(GST_BIN(pipeline_.get()), source_, renderer_, nullptr);
    linked_ = gst_element_link(source_, renderer_);
  }
  ~RendererRun() { gst_element_set_state(pipeline_.get(), GST_STATE_NULL); }

  // Pushes the frames and waits until the sink has had them all (no end of
  // stream: a running preview never sees one).
  bool Play(const TVideoFrameSlot& slot) {
    if (!linked_ || gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
      return false;
    for (int i = 0; i < kFrames; ++i) {
      BufferPtr frame(gst_buffer_new_allocate(nullptr, 4 * 2 * 4, nullptr));
      GST_BUFFER_PTS(frame.get()) = i * GST_MSECOND;
      GST_BUFFER_DURATION(frame.get()) = GST_MSECOND;
      GstFlowReturn flow = GST_FLOW_OK;
      g_signal_emit_by_name(source_, "push-buffer", frame.get(), &flow);
      if (flow != GST_FLOW_OK) return false;
      frames.push_back(std::move(frame));
    }
    return orvex::test::WaitUntil([&] { return slot.FramesShown() == static_cast<std::uint64_t>(kFrames); });
  }

  // Whether anyone but this test holds frame `i`.
  bool Held(int i) const { return GST_MINI_OBJECT_REFCOUNT_VALUE(frames[i].get()) > 1; }

  bool SinkSyncs() const {
    const ElementPtr sink(gst_bin_get_by_name(GST_BIN(renderer_), "Renderer Sink"));
    gboolean sync = FALSE;
    if (sink) g_object_get(sink.get(), "sync", &sync, nullptr);
    return sync;
  }

  // The latency the graph gave the sink to wait for frames' times with.
  GstClockTime SinkLatency() const {
    const ElementPtr sink(gst_bin_get_by_name(GST_BIN(renderer_), "Renderer Sink"));
    return sink ? gst_base_sink_get_latency(GST_BASE_SINK(sink.get())) : GST_CLOCK_TIME_NONE;
  }

  std::vector<BufferPtr> frames;

 private:
  ElementPtr pipeline_;
  GstElement* source_ = nullptr;
  GstElement* renderer_ = nullptr;
  bool linked_ = false;
};

}  // namespace

class VideoRendererTest : public ::testing::TestWithParam<bool> {};

TEST_P(VideoRendererTest, KeepsTheNewestFrameOnlyWhileWatched) {
  const bool watched = GetParam();
  auto slot = std::make_shared<TVideoFrameSlot>();
  slot->SetWatched(watched);
  RendererRun run(slot);
  ASSERT_TRUE(run.Play(*slot)) << "the frames did not reach the end";

  EXPECT_EQ(slot->FramesShown(), static_cast<std::uint64_t>(kFrames));
  EXPECT_EQ(run.SinkSyncs(), watched) << "frames are held for the clock only for someone who looks";
  for (int i = 0; i + 1 < kFrames; ++i) EXPECT_FALSE(run.Held(i)) << "an older frame is still held: " << i;
  // The count goes up inside the hand-off, while the sink still holds the frame.
  EXPECT_TRUE(orvex::test::WaitUntil([&] { return run.Held(kFrames - 1) == watched; })) << "the newest frame";
  if (watched) {
    EXPECT_EQ(gst_sample_get_buffer(slot->Newest().get()), run.frames.back().get());
  }

  // Hiding the display lets go of the frame; showing it waits for frames'
  // times again, with the graph's latency worked out anew.
  slot->SetWatched(false);
  EXPECT_FALSE(run.Held(kFrames - 1));
  EXPECT_FALSE(slot->Newest());
  EXPECT_FALSE(run.SinkSyncs());
  slot->SetWatched(true);
  EXPECT_TRUE(run.SinkSyncs());
  EXPECT_GE(run.SinkLatency(), kCameraLatency)
      << "the sink waits for the clock with a latency worked out without it";
}

static std::string DisplayName(const ::testing::TestParamInfo<bool>& param) {
  return param.param ? "Watched" : "Hidden";
}

INSTANTIATE_TEST_SUITE_P(Display, VideoRendererTest, ::testing::Values(false, true), DisplayName);
