#include "engine/FrameSizeList.h"

#include <cstdlib>
#include <iterator>

namespace {
// Sizes beyond this are no real frame and would never end the doubling runs.
constexpr int kLargestDimension = 16384;
}  // namespace

std::string TFrameSizeList::Padded(int width, int height) {
  const std::string text = std::to_string(width) + "x" + std::to_string(height);
  if (width < 100) return "  " + text;
  if (width < 1000) return " " + text;
  return text;
}

std::string TFrameSizeList::Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

void TFrameSizeList::AddText(const std::string& text) {
  if (entries_.empty()) entries_.insert("   " + text);
  if (entries_.insert(text).second && OnAdded) OnAdded(text);
}

void TFrameSizeList::Add(int width, int height) { AddText(Padded(width, height)); }

void TFrameSizeList::Assign(const std::vector<std::string>& entries) {
  entries_.clear();
  for (const auto& e : entries)
    if (!e.empty()) entries_.insert(e);
}

const std::string& TFrameSizeList::At(int index) const {
  static const std::string kNone;
  if (index < 0 || index >= Count()) return kNone;
  return *std::next(entries_.begin(), index);
}

int TFrameSizeList::IndexOf(const std::string& text) const {
  const auto it = entries_.find(text);
  return it == entries_.end() ? -1 : static_cast<int>(std::distance(entries_.begin(), it));
}

void TFrameSizeList::AddRuns(int seedW, int seedH, const orvex::media::StreamCapability& cap) {
  if (seedW < 1 || seedH < 1) return;
  if (seedW < seedH) seedH /= 2;
  auto valid = [](int w, int h) {
    return w >= 1 && h >= 1 && w <= kLargestDimension && h <= kLargestDimension;
  };
  for (int w = seedW, h = seedH; valid(w, h) && w >= cap.minWidth; w /= 2, h /= 2) Add(w, h);
  for (int w = seedW, h = seedH; valid(w, h) && h >= cap.minHeight; w /= 2, h /= 2) Add(w, h);
  for (int w = seedW, h = seedH; valid(w, h) && w <= cap.maxWidth; w *= 2, h *= 2) Add(w, h);
  for (int w = seedW, h = seedH; valid(w, h) && h <= cap.maxHeight; w *= 2, h *= 2) Add(w, h);
}

void TFrameSizeList::AddFromCapabilities(const std::vector<orvex::media::StreamCapability>& capabilities) {
  for (const auto& cap : capabilities) {
    if (!cap.hasVideoHeader) continue;
    AddRuns(cap.width, cap.height, cap);
    AddRuns(cap.minWidth, cap.minHeight, cap);
    AddRuns(cap.maxWidth, cap.maxHeight, cap);
  }
}

void TFrameSizeList::ChooseDefaultAfterDiscovery() {
  int w = 0, h = 0;
  if (!Resolve(0, w, h) || (w <= 400 && h <= 400)) return;
  for (const char* candidate : {" 352x288", " 320x240"}) {
    if (IndexOf(candidate) >= 2) {
      entries_.erase(entries_.begin());
      entries_.insert("   " + Trimmed(candidate));
      return;
    }
  }
}

void TFrameSizeList::MakeDV() { entries_ = {"    half", "   dc", "  quarter", " half", "full"}; }

bool TFrameSizeList::Resolve(int index, int& width, int& height) const {
  const std::string& text = At(index);
  const auto x = text.find('x');
  if (x == std::string::npos) return false;
  const std::string left = Trimmed(text.substr(0, x)), right = Trimmed(text.substr(x + 1));
  char* end = nullptr;
  const long w = std::strtol(left.c_str(), &end, 10);
  if (left.empty() || *end) return false;
  const long h = std::strtol(right.c_str(), &end, 10);
  if (right.empty() || *end) return false;
  if (w < 1 || h < 1 || w > kLargestDimension || h > kLargestDimension) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

std::string TFrameSizeList::VideoSizesText() const {
  std::string text;
  int i = 0;
  for (const auto& e : entries_) text += (i++ == 0 ? std::string("default") : Trimmed(e)) + "\n";
  return text;
}
