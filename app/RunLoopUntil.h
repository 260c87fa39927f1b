#pragma once
#include <functional>

// Runs the event loop, sleeping while nothing happens, until `done` answers
// true or `timeoutMs` passed. Answers the last answer of `done`.
bool RunLoopUntil(const std::function<bool()>& done, int timeoutMs);
