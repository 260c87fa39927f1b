#pragma once
// The snapshot group: file format and picture size of snapshots.

namespace orvex::settings {

struct TSnapShotSettings {
  int SnapShotFormat = 0;  // 0 BMP, 1 JPG, 2 GIF
  int SnapShotSize = 0;    // 0 video size, 1 screen size, 2 custom size
  int SnapShotCustomW = 640;
  int SnapShotCustomH = 480;

  // Reads the group; codes outside 0..2 become 0, a custom width or height
  // of 0 or less or above 65535 becomes 640 or 480.
  static TSnapShotSettings Read();
  // Throws reg::ERegistryException when the store cannot be written. The
  // sizes are written as they are, unchecked.
  void Write() const;

  bool operator==(const TSnapShotSettings&) const = default;
};

}  // namespace orvex::settings
