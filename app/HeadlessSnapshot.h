#pragma once
// `orvex --snapshot FILE`: one snapshot through the hidden windows and the
// engine, in the format of FILE's extension, at the stored size choice.

#include <string>

class TApplication;

// Answers the exit code: 0 when the file was written.
int SnapshotHeadless(TApplication& application, const std::string& file);
