#pragma once
// What the media layer knows about one capture device or compressor.

#include <memory>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;

namespace orvex::media {

enum class DeviceCategory { VideoInput = 0, AudioInput = 1, VideoCompressor = 2, AudioCompressor = 3 };

struct Fraction {
  int num = 0;
  int den = 1;
  double value() const { return den ? static_cast<double>(num) / den : 0.0; }
  bool operator==(const Fraction&) const = default;
};

// One format a video device offers, as its caps describe it.
struct StreamCapability {
  std::string subtype;          // "YUY2", "MJPG", "RGB24", "RGB32", "I420", ...
  bool hasVideoHeader = false;  // raw or compressed video with a size
  int width = 0, height = 0;    // the format's own size
  int minWidth = 0, minHeight = 0;
  int maxWidth = 0, maxHeight = 0;
  std::vector<Fraction> framerates;  // discrete rates, or the two ends of a range
  bool framerateRange = false;
  std::string caps;  // the structure as caps text, to ask for this format
};

// One input of a device: a crossbar connector or an audio port.
struct DeviceInput {
  std::string name;
  int connectorType = 0;  // 1 tuner, 2 composite, 3 S-Video, ... (video inputs)
};

// Creates the element that captures from (or compresses for) a device.
class ElementMaker {
 public:
  virtual ~ElementMaker() = default;
  // A new floating element, or nullptr when the device cannot be opened.
  virtual GstElement* CreateElement(const char* name) const = 0;
};

struct DeviceDescriptor {
  DeviceCategory category = DeviceCategory::VideoInput;
  std::string monikerDisplayName;  // stable id: device path, node name or factory name
  std::string friendlyName;        // what people see
  bool isWdm = true;
  bool isTestDevice = false;
  std::string devicePath;  // V4L2 node, when there is one
  std::vector<StreamCapability> capabilities;
  std::vector<DeviceInput> inputs;
  std::shared_ptr<const ElementMaker> maker;
};

}  // namespace orvex::media
