#include "engine/GraphDump.h"

#include <gst/gst.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "engine/TLog.h"
#include "platform/media/GstPtr.h"

std::string DumpGraphBesideLog(GstElement* pipeline, const std::string& reason) {
  TLog& log = TLog::Instance();
  const std::string logFile = log.FilePath();
  if (!pipeline || logFile.empty()) return "";
  const orvex::media::GCharPtr dot(gst_debug_bin_to_dot_data(GST_BIN(pipeline), GST_DEBUG_GRAPH_SHOW_ALL));
  if (!dot) return "";
  // Numbered, so a second failure in the same run does not hide the first.
  static std::atomic<int> count{0};
  const std::filesystem::path folder = std::filesystem::path(logFile).parent_path();
  const std::string name =
      (folder / ("vodudugraph-" + std::to_string(++count) + "-" + reason + ".dot")).string();
  std::ofstream file(name, std::ios::binary | std::ios::trunc);
  file << dot.get();
  file.close();
  if (!file) {
    log.Line("cannot write the graph to " + name, TLog::lcRed);
    return "";
  }
  log.Line("graph written to " + name);
  return name;
}
