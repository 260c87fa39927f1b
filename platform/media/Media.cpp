#include "platform/media/Media.h"

#include <gst/gst.h>

#include <mutex>

#include "platform/media/testdevices/TestDevices.h"

namespace orvex::media {
namespace {
std::once_flag g_once;
bool g_initialised = false;
}  // namespace

void InitMedia() {
  std::call_once(g_once, [] {
    gst_init(nullptr, nullptr);
    if (testdevices::Requested()) testdevices::Register();
    g_initialised = true;
  });
}

bool MediaInitialised() { return g_initialised; }

}  // namespace orvex::media
