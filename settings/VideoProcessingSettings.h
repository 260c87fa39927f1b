#pragma once
// The video processing group: picture adjustments, rotation and mirror.

namespace orvex::settings {

struct TVideoProcessingSettings {
  int Brightness = 0;  // -255..255, as are the next three
  int Contrast = 0;
  int Hue = 0;
  int Saturation = 0;
  int Rotation = 0;  // degrees: 0, 90, 180 or 270
  bool Mirror = false;
  bool GrayScale = false;
  bool InvertColors = false;

  // Reads the group; the four adjustments are moved into -255..255 and a
  // rotation other than 0, 90, 180 or 270 becomes 0.
  static TVideoProcessingSettings Read();
  // Throws reg::ERegistryException when the store cannot be written.
  void Write() const;

  bool operator==(const TVideoProcessingSettings&) const = default;
};

}  // namespace orvex::settings
