#include "tests/support/GstLeakCheck.h"

#include <gst/gst.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/media/DeviceSource.h"
#include "platform/media/Media.h"
#include "platform/media/testdevices/TestDevices.h"

namespace orvex::test {
namespace {

std::vector<std::string> g_report;
std::size_t g_leaked = 0;

bool Requested() {
  const char* tracers = std::getenv("GST_TRACERS");
  return tracers && std::strstr(tracers, "leaks");
}

// The tracer lists each object still alive at shutdown as an "object-alive"
// record on the GST_TRACER category, followed by its refs and unrefs
// ("object-refings") when asked for with check-refs=true.
void CollectAlive(GstDebugCategory* category, GstDebugLevel, const gchar*, const gchar*, gint, GObject*,
                  GstDebugMessage* message, gpointer) {
  if (std::strcmp(gst_debug_category_get_name(category), "GST_TRACER") != 0) return;
  const gchar* text = gst_debug_message_get(message);
  if (!text) return;
  if (std::strncmp(text, "object-alive", 12) == 0) ++g_leaked;
  if (std::strncmp(text, "object-alive", 12) == 0 || std::strncmp(text, "object-refings", 14) == 0)
    g_report.emplace_back(text);
}

}  // namespace

int FinishGstLeakCheck(int testResult) {
  if (!Requested() || !media::MediaInitialised()) return testResult;
  media::StopSystemDeviceSource();
  media::testdevices::RemoveAll();
  gst_debug_remove_log_function(gst_debug_log_default);
  gst_debug_add_log_function(&CollectAlive, nullptr, nullptr);
  gst_debug_set_threshold_for_name("GST_TRACER", GST_LEVEL_TRACE);
  gst_deinit();
  gst_debug_remove_log_function(&CollectAlive);
  if (g_leaked == 0) return testResult;
  std::fprintf(stderr, "GStreamer objects still alive at exit (%zu):\n", g_leaked);
  for (const std::string& line : g_report) std::fprintf(stderr, "  %s\n", line.c_str());
  return 1;
}

}  // namespace orvex::test
