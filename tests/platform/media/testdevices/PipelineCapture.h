#pragma once
// Runs a launch line that ends in "appsink name=sink" and pulls what arrives,
// each wait bounded by a deadline.

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/testdevices/TestDevices.h"

namespace orvex::media::testdevices::test {

struct Sample {
  GstClockTime pts = GST_CLOCK_TIME_NONE;
  GstClockTime duration = GST_CLOCK_TIME_NONE;
  GstClockTime runningTimeAtPull = GST_CLOCK_TIME_NONE;
  // When the source handed it on (RecordPushTimes), which says more about
  // the source than the pull: the test thread may be scheduled late.
  GstClockTime runningTimeAtPush = GST_CLOCK_TIME_NONE;
  std::vector<std::uint8_t> bytes;
  int width = 0, height = 0, stride = 0;  // raw video only (packed formats)
  int rate = 0, channels = 0;             // raw audio only
};

class PipelineCapture {
 public:
  // Plays at once unless `play` is false (to add probes first; then Play()).
  explicit PipelineCapture(const std::string& launch, bool play = true) {
    Register();
    GError* error = nullptr;
    pipeline_ = gst_parse_launch(launch.c_str(), &error);
    if (error != nullptr) {
      ADD_FAILURE() << launch << ": " << error->message;
      g_error_free(error);
    }
    if (pipeline_ != nullptr) sink_ = gst_bin_get_by_name(GST_BIN(pipeline_), "sink");
    if (play) Play();
  }
  ~PipelineCapture() {
    if (sink_ != nullptr) gst_object_unref(sink_);
    if (pipeline_ != nullptr) {
      gst_element_set_state(pipeline_, GST_STATE_NULL);
      gst_object_unref(pipeline_);
    }
  }

  // Notes the running time at which the element's source pad pushes each
  // buffer, by timestamp. Probes run in the order they were added.
  void RecordPushTimes(const char* element) {
    GstPad* pad = gst_element_get_static_pad(Get(element), "src");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, NotePush, this, nullptr);
    gst_object_unref(pad);
  }
  PipelineCapture(const PipelineCapture&) = delete;
  PipelineCapture& operator=(const PipelineCapture&) = delete;

  void Play() {
    if (sink_ != nullptr) gst_element_set_state(pipeline_, GST_STATE_PLAYING);
  }

  bool ok() const { return sink_ != nullptr; }
  GstElement* pipeline() const { return pipeline_; }

  // The element by name, borrowed.
  GstElement* Get(const char* name) {
    GstElement* element = gst_bin_get_by_name(GST_BIN(pipeline_), name);
    if (element != nullptr) gst_object_unref(element);  // the pipeline keeps it alive
    return element;
  }

  std::optional<Sample> Pull(int timeoutMs = 3000) {
    if (sink_ == nullptr) return std::nullopt;
    GstSample* sample =
        gst_app_sink_try_pull_sample(GST_APP_SINK(sink_), static_cast<GstClockTime>(timeoutMs) * GST_MSECOND);
    if (sample == nullptr) {
      ReportBusError();
      return std::nullopt;
    }
    Sample out;
    out.runningTimeAtPull = RunningTime();
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    out.pts = GST_BUFFER_PTS(buffer);
    {
      std::lock_guard lock(pushMutex_);
      if (const auto pushed = pushTimes_.find(out.pts); pushed != pushTimes_.end())
        out.runningTimeAtPush = pushed->second;
    }
    out.duration = GST_BUFFER_DURATION(buffer);
    out.bytes.resize(gst_buffer_get_size(buffer));
    gst_buffer_extract(buffer, 0, out.bytes.data(), out.bytes.size());
    const GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
    gst_structure_get_int(s, "width", &out.width);
    gst_structure_get_int(s, "height", &out.height);
    gst_structure_get_int(s, "rate", &out.rate);
    gst_structure_get_int(s, "channels", &out.channels);
    if (out.height > 0) out.stride = static_cast<int>(out.bytes.size()) / out.height;
    gst_sample_unref(sample);
    return out;
  }

  std::vector<Sample> Pull(int count, int timeoutMs) {
    std::vector<Sample> samples;
    while (static_cast<int>(samples.size()) < count) {
      auto sample = Pull(timeoutMs);
      if (!sample) break;
      samples.push_back(std::move(*sample));
    }
    return samples;
  }

  GstClockTime RunningTime() const {
    GstClock* clock = gst_element_get_clock(pipeline_);
    if (clock == nullptr) return GST_CLOCK_TIME_NONE;
    const GstClockTime now = gst_clock_get_time(clock);
    gst_object_unref(clock);
    return now - gst_element_get_base_time(pipeline_);
  }

 private:
  static GstPadProbeReturn NotePush(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<PipelineCapture*>(data);
    const GstClockTime now = self->RunningTime();
    std::lock_guard lock(self->pushMutex_);
    self->pushTimes_[GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info))] = now;
    return GST_PAD_PROBE_OK;
  }

  void ReportBusError() {
    GstBus* bus = gst_element_get_bus(pipeline_);
    if (GstMessage* msg = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
      GError* error = nullptr;
      gst_message_parse_error(msg, &error, nullptr);
      ADD_FAILURE() << "pipeline error: " << error->message;
      g_error_free(error);
      gst_message_unref(msg);
    }
    gst_object_unref(bus);
  }

  GstElement* pipeline_ = nullptr;
  GstElement* sink_ = nullptr;
  std::mutex pushMutex_;
  std::map<GstClockTime, GstClockTime> pushTimes_;
};

}  // namespace orvex::media::testdevices::test
