#include "platform/media/InputSwitch.h"

#include <gst/gst.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "platform/media/V4l2Inputs.h"

namespace orvex::media {
namespace {

bool HasProperty(GstElement* element, const char* name) {
  return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

// The file descriptor a running V4L2 source holds, or -1.
int OpenDevice(GstElement* element) {
  if (!HasProperty(element, "device-fd")) return -1;
  int fd = -1;
  g_object_get(element, "device-fd", &fd, nullptr);
  return fd;
}

bool SelectOnDescriptor(int fd, int index) {
  int value = index;
  int r;
  do {
    r = ioctl(fd, VIDIOC_S_INPUT, &value);
  } while (r == -1 && errno == EINTR);
  return r == 0;
}

}  // namespace

bool SwitchVideoInput(GstElement* running, const std::string& devicePath, int index) {
  if (running && HasProperty(running, "input")) {
    g_object_set(running, "input", index, nullptr);
    return true;
  }
  if (const int fd = running ? OpenDevice(running) : -1; fd >= 0) return SelectOnDescriptor(fd, index);
  return devicePath.empty() || V4l2SelectInput(devicePath, index);
}

}  // namespace orvex::media
