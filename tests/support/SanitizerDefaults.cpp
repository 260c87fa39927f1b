// Sanitizer settings built into every test program, so they hold however the
// test is started (ctest, by hand, under a debugger).

extern "C" {

// Allocations the libraries make once and keep for the whole process. Each
// is named by the library function that makes it, so a leak of ours that
// merely passes through a library (a callback from GLib's main loop, a
// GStreamer streaming thread) is still reported. Stacks through libraries
// built without frame pointers need fast_unwind_on_malloc=0 (below) to reach
// these names.
const char* __lsan_default_suppressions() {
  return
      // GStreamer's plugin registry: plugins and features live until exit.
      "leak:gst_update_registry\n"
      // PulseAudio's device provider keeps the client context, main loop and
      // connection attempt of a probe that found no sound server.
      "leak:pa_context_new_with_proplist\n"
      "leak:pa_mainloop_new\n"
      "leak:pa_context_connect\n"
      // With a sound server, the same provider leaves its pending requests
      // (subscriptions, queries) behind when the monitor stops; nothing of
      // ours runs inside the plugin, so its module is named.
      "leak:libgstpulseaudio.so\n"
      // ...and PulseAudio's own thread keeps the timing requests of streams
      // that ended; only libpulse runs on that thread.
      "leak:pa_mainloop_run\n"
      // GStreamer never frees a replaced list of log functions (a logging
      // thread may still walk it); the GStreamer leak check replaces one.
      "leak:gst_debug_add_log_function\n"
      // fontconfig's configuration, read once and cached.
      "leak:FcInitLoadConfigAndFonts\n"
      // Buffers that libraries' own constructors keep (GLib's per-process data).
      "leak:call_init\n"
      // gst-libav's encoder classes keep option defaults libav copied for them.
      "leak:libavutil.so\n"
      // GStreamer's error text of an element that fails while its pipeline
      // stops (a full disk) leaks from printf without a usable stack.
      "leak:__vasprintf_internal\n";
}

// Full stacks at every allocation, so the suppressions above find the library
// function that made a leak; frame-pointer stacks end at the first library
// built without them.
const char* __asan_default_options() {
  return "detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=30";
}
// ThreadSanitizer builds. GLib, GStreamer and Qt are not instrumented: their
// own memory accesses inside intercepted calls (free, memcpy) are not ours to
// judge, while the locks they take still order ours. TsanGlibLocks.cpp makes
// GLib's futex mutexes, which no interceptor sees, known as well.
const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1:second_deadlock_stack=1"; }
const char* __tsan_default_suppressions() {
  return
      // A queued call's functor and the values it captured are handed to the
      // receiving thread through Qt's event queue, whose locks are futexes
      // in Qt itself; only that hand-over is excused, not what the functor
      // then reads through pointers.
      "race:invokeMethod<\n";
}

const char* __ubsan_default_options() { return "print_stacktrace=1"; }
}
