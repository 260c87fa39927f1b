#pragma once
// What the headless options share: the hidden windows brought up with the
// stored settings, the engine's errors collected for the message, and an
// event loop that sleeps while it waits.

#include <functional>
#include <string>
#include <vector>

class TApplication;
class VOduduDudiviv;

// Creates the windows, applies the stored capture settings and answers the
// engine; with no camera chosen yet, the first one is taken (and said so).
// `errors` then collects the engine's error reports.
VOduduDudiviv& PrepareHeadlessEngine(TApplication& application, std::vector<std::string>& errors);

// Prints "orvex: <message>" to standard error and answers exit code 1.
int HeadlessFailure(const std::string& message);

// Runs the event loop, sleeping while nothing happens, until `done` answers
// true or `timeoutMs` passed. Answers the last answer of `done`.
bool RunLoopUntil(const std::function<bool()>& done, int timeoutMs);
