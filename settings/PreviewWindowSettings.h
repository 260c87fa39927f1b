#pragma once
// Where the preview window was and how large, kept between runs.

namespace orvex::settings {

struct TPreviewWindowSettings {
  // The window's client area on the desktop; a width or height of 0 means
  // none is stored.
  int PreviewLeft = 0;
  int PreviewTop = 0;
  int PreviewWidth = 0;
  int PreviewHeight = 0;

  bool Stored() const { return PreviewWidth > 0 && PreviewHeight > 0; }

  // Reads the values; a place or size beyond what any desktop has (more
  // than 100000 pixels either way) reads as none stored.
  static TPreviewWindowSettings Read();
  // Throws reg::ERegistryException when the store cannot be written.
  void Write() const;

  bool operator==(const TPreviewWindowSettings&) const = default;
};

}  // namespace orvex::settings
