// The built-in test camera with nothing behind it: `orvextestcamerasrc` into a
// fakesink for a number of frames at 30 per second. Run under /usr/bin/time by
// end-to-end.sh, so the camera's own cost (drawing the pattern, encoding MJPG)
// can be taken out of a recording's figure.
//
//   bench_test_camera WIDTH HEIGHT FORMAT SECONDS [INPUT]
//
// FORMAT is a GStreamer raw format (YUY2, BGR, BGRx) or MJPG; INPUT 0 is the
// moving picture, 1 the still bars.

#include <gst/gst.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/media/testdevices/TestDevices.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: bench_test_camera WIDTH HEIGHT FORMAT SECONDS [INPUT]\n");
  return 2;
}

std::string PipelineText(int width, int height, const std::string& format, int frames, int input) {
  const std::string size =
      ",width=" + std::to_string(width) + ",height=" + std::to_string(height) + ",framerate=30/1";
  const std::string caps = format == "MJPG" ? "image/jpeg" + size : "video/x-raw,format=" + format + size;
  return std::string(orvex::media::testdevices::kCameraFactory) + " num-buffers=" + std::to_string(frames) +
         " input=" + std::to_string(input) + " ! " + caps + " ! fakesink name=sink";
}

// Runs the pipeline to its end of stream; false on an error.
bool RunToEnd(GstElement* pipeline) {
  if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) return false;
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* msg = gst_bus_timed_pop_filtered(
      bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  bool ok = msg != nullptr && GST_MESSAGE_TYPE(msg) == GST_MESSAGE_EOS;
  if (msg != nullptr && !ok) {
    GError* error = nullptr;
    gst_message_parse_error(msg, &error, nullptr);
    std::fprintf(stderr, "bench_test_camera: %s\n", error != nullptr ? error->message : "error");
    g_clear_error(&error);
  }
  if (msg != nullptr) gst_message_unref(msg);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5 || argc > 6) return Usage();
  const int width = std::atoi(argv[1]);
  const int height = std::atoi(argv[2]);
  const std::string format = argv[3];
  const double seconds = std::atof(argv[4]);
  const int input = argc == 6 ? std::atoi(argv[5]) : 0;
  if (width <= 0 || height <= 0 || seconds <= 0 || (input != 0 && input != 1)) return Usage();

  gst_init(&argc, &argv);
  orvex::media::testdevices::Register();
  const int frames = static_cast<int>(seconds * 30 + 0.5);
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(PipelineText(width, height, format, frames, input).c_str(), &error);
  if (pipeline == nullptr || error != nullptr) {
    std::fprintf(stderr, "bench_test_camera: %s\n", error != nullptr ? error->message : "no pipeline");
    g_clear_error(&error);
    if (pipeline != nullptr) gst_object_unref(pipeline);
    return 1;
  }
  const bool ok = RunToEnd(pipeline);
  gst_object_unref(pipeline);
  std::printf("%d\n", ok ? frames : 0);
  return ok ? 0 : 1;
}
