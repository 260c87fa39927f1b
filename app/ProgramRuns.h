#pragma once
// The program's runs once its options are read: with its windows, or one
// of the headless jobs. Each ends on SIGINT, SIGTERM or SIGHUP as it ends
// normally (a recording finished with its index, the settings saved) and
// then answers the signal's exit code.

#include "platform/kernel/TerminationSignals.h"

class TApplication;
struct TCommandLine;

// Creates the windows, runs until the main window closes or a signal
// arrives, destroys the windows. Answers the exit code.
int RunWithWindows(TApplication& application, const orvex::kernel::TerminationSignals& caught);

// --record or --snapshot with hidden windows, nothing waiting for a person.
int RunHeadlessJob(TApplication& application, const TCommandLine& options);

// --list-devices.
int RunListDevices();
