#pragma once
// What the headless options share: the hidden windows brought up with the
// stored settings, the engine's errors collected for the message, and an
// event loop that sleeps while it waits.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TApplication;
class VOduduDudiviv;

namespace orvex::dialogs {
class HeadlessDialogs;
}

// While it lives, nothing of the program waits for a person: message boxes
// become lines on standard error, file, font and colour dialogs and the
// property pages answer Cancel.
class THeadlessMode {
 public:
  THeadlessMode();
  ~THeadlessMode();
  THeadlessMode(const THeadlessMode&) = delete;
  THeadlessMode& operator=(const THeadlessMode&) = delete;

 private:
  std::unique_ptr<orvex::dialogs::HeadlessDialogs> dialogs_;
};

// Creates the windows, applies the stored capture settings and answers the
// engine; with no camera chosen yet, the first one is taken (and said so).
// `errors` then collects the engine's error reports.
VOduduDudiviv& PrepareHeadlessEngine(TApplication& application, std::vector<std::string>& errors);

// Prints "orvex: <message>" to standard error and answers exit code 1.
int HeadlessFailure(const std::string& message);

// Whether SIGINT, SIGTERM or SIGHUP asked the run to end; then prints
// "orvex: stopped by SIGINT: <what>".
bool StopRequested();
void SayStopped(const std::string& what);

// Runs the event loop, sleeping while nothing happens, until `done` answers
// true or `timeoutMs` passed. Answers the last answer of `done`.
bool RunLoopUntil(const std::function<bool()>& done, int timeoutMs);
