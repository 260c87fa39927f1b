#pragma once
// Recordings a crash or a power cut left unfinished: repaired at every start
// of the program, or one file on demand with --repair.

#include <string>

// Repairs the interrupted recordings of earlier runs and tells the user once:
// in one message box, or on standard error in headless runs.
void RepairUnfinishedAtStart(bool headless);

// --repair FILE: the message on standard output; exit code 0 when the file
// is (now) complete, 1 when it cannot be repaired.
int RepairFromCommandLine(const std::string& file);
