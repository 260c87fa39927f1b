#pragma once
// `orvex --record FILE --seconds N`: the program with its windows hidden
// records through the same windows and engine as a person would.

#include <string>

class TApplication;

// Answers the exit code: 0 when the file was written; otherwise a message
// went to standard error.
int RecordHeadless(TApplication& application, const std::string& file, double seconds);
