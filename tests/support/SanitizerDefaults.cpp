// Sanitizer settings built into every test program, so they hold however the
// test is started (ctest, by hand, under a debugger).

extern "C" {

// Libraries that keep allocations for the whole process and never free them.
const char* __lsan_default_suppressions() {
  return "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libgio-2.0.so\n"
         "leak:libgstreamer-1.0.so\n"
         "leak:libgstbase-1.0.so\n"
         "leak:libfontconfig.so\n"
         "leak:libQt6Core.so\n"
         "leak:libQt6Gui.so\n"
         "leak:libQt6Widgets.so\n"
         "leak:libdbus-1.so\n"
         "leak:libpulse.so\n"
         "leak:libpulsecommon\n"
         "leak:libasound.so\n"
         "leak:libgstpulseaudio.so\n"
         "leak:libgstalsa.so\n"
         "leak:libgstvideo4linux2.so\n"
         "leak:libgudev\n"
         "leak:libudev.so\n"
         "leak:libxkbcommon.so\n"
         // gst-libav's encoder classes keep option defaults libav copied for them.
         "leak:libavutil.so\n"
         // GStreamer's error text of an element that fails while its pipeline
         // stops (a full disk) leaks from printf without a usable stack.
         "leak:__vasprintf_internal\n";
}

const char* __asan_default_options() { return "detect_leaks=1"; }
const char* __ubsan_default_options() { return "print_stacktrace=1"; }
}
