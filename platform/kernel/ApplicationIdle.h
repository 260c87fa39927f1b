#pragma once
// The application's idle event: raised when the main loop has no more work
// waiting. Handlers chain like the classic OnIdle property: whoever installs
// a handler receives the previous one and is expected to call it.

#include <functional>

namespace orvex::kernel {

// Done starts True; a handler that sets it False asks to be called again at
// once instead of waiting for the next batch of events.
using IdleHandler = std::function<void(bool& Done)>;

// Installs the handler and returns the previously installed one (maybe empty).
// The first call starts watching the main loop; needs a running Qt core
// application on the calling (main) thread.
IdleHandler SetApplicationIdleHandler(IdleHandler handler);

// True when Qt runs on GLib's main loop, which GStreamer's bus watches and
// the idle detection rely on.
bool MainLoopIsGlib();

}  // namespace orvex::kernel
