#pragma once
// GStreamer's leak tracer, turned into a test failure: with GST_TRACERS=leaks
// the test program shuts GStreamer down at its end and fails when any
// GstObject or GstMiniObject is still alive. For the refs and unrefs of what
// leaked: GST_TRACERS="leaks(check-refs=true,stack-traces-flags=full)".

namespace orvex::test {

// The program's exit code: `testResult`, or 1 when objects leaked (each one
// listed on stderr).
int FinishGstLeakCheck(int testResult);

}  // namespace orvex::test
