#include "platform/media/V4l2Inputs.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace orvex::media {
namespace {

int Ioctl(int fd, unsigned long request, void* arg) {
  int r;
  do {
    r = ioctl(fd, request, arg);
  } while (r == -1 && errno == EINTR);
  return r;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

}  // namespace

int ConnectorTypeForInput(const std::string& name, bool isTuner) {
  if (isTuner) return 1;
  const std::string n = Lower(name);
  if (n.find("s-video") != std::string::npos || n.find("svideo") != std::string::npos) return 3;
  if (n.find("composite") != std::string::npos || n.find("cvbs") != std::string::npos) return 2;
  if (n.find("component") != std::string::npos || n.find("ypbpr") != std::string::npos) return 5;
  if (n.find("rgb") != std::string::npos || n.find("vga") != std::string::npos) return 4;
  if (n.find("scart") != std::string::npos) return 14;
  if (n.find("hdmi") != std::string::npos || n.find("sdi") != std::string::npos) return 6;
  return 11;  // a camera's own sensor behind USB
}

std::vector<DeviceInput> V4l2Inputs(const std::string& devicePath) {
  std::vector<DeviceInput> inputs;
  const int fd = open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return inputs;
  for (__u32 i = 0;; ++i) {
    v4l2_input input{};
    input.index = i;
    if (Ioctl(fd, VIDIOC_ENUMINPUT, &input) != 0) break;
    const std::string name(reinterpret_cast<const char*>(input.name),
                           strnlen(reinterpret_cast<const char*>(input.name), sizeof input.name));
    inputs.push_back({name, ConnectorTypeForInput(name, input.type == V4L2_INPUT_TYPE_TUNER)});
  }
  close(fd);
  // One input needs no choice: a device without a crossbar.
  if (inputs.size() < 2) inputs.clear();
  return inputs;
}

bool V4l2SelectInput(const std::string& devicePath, int index) {
  const int fd = open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int value = index;
  const bool ok = Ioctl(fd, VIDIOC_S_INPUT, &value) == 0;
  close(fd);
  return ok;
}

}  // namespace orvex::media
