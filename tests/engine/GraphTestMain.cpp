// The graph tests use the built-in test devices, which must be asked for
// before GStreamer starts.
#include <cstdlib>

namespace {
const int kTestDevices = setenv("ORVEX_TEST_DEVICES", "1", 1);
}
