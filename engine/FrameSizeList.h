#pragma once
// The frame sizes of a video device as a sorted text list: each entry is
// padded on the left so that text order is width order, and entry 0, padded
// further, is the default size.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/media/DeviceDescriptor.h"

class TFrameSizeList {
 public:
  // Adds "WxH" with its padding; the first size also becomes the default entry.
  void Add(int width, int height);
  // Told about every size text that was new to the list.
  std::function<void(const std::string&)> OnAdded;
  void Clear() { entries_.clear(); }
  void Assign(const std::vector<std::string>& entries);

  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& At(int index) const;
  std::vector<std::string> Entries() const { return {entries_.begin(), entries_.end()}; }
  int IndexOf(const std::string& text) const;

  // The sizes of a device's stream capabilities, by the seed, halving and doubling runs.
  void AddFromCapabilities(const std::vector<orvex::media::StreamCapability>& capabilities);
  // A camera whose default is large gets 352x288 (or else 320x240) as its default.
  void ChooseDefaultAfterDiscovery();
  // The five entries of a DV camera.
  void MakeDV();

  // Width and height of an entry; false when it does not resolve.
  bool Resolve(int index, int& width, int& height) const;
  // The lines that VideoSizes shows: trimmed, line 0 "default".
  std::string VideoSizesText() const;

  static std::string Padded(int width, int height);
  static std::string Trimmed(const std::string& text);

 private:
  void AddText(const std::string& text);
  void AddRuns(int seedW, int seedH, const orvex::media::StreamCapability& cap);

  // Text order with blanks first, so padding decides the order.
  std::set<std::string> entries_;
};
