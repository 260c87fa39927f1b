// fontconfig keeps its configuration for the whole process and never frees
// it. The suppression file that the test runner names does not always reach
// the test's environment, so this binary carries the rule itself.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
