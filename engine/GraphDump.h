#pragma once
// The pipeline drawn as a Graphviz dot file beside the diagnostic log, so a
// graph that failed to build or failed while running can be looked at later.

#include <string>

typedef struct _GstElement GstElement;

// Writes `pipeline` as "vodudugraph-<n>-<reason>.dot" into the log's folder
// when the log is on; answers the file written, or "" when none was.
std::string DumpGraphBesideLog(GstElement* pipeline, const std::string& reason);
