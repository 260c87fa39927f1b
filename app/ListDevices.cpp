#include "app/ListDevices.h"

#include <string>
#include <vector>

#include "engine/VOduduDudiviv.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A list as the dialog shows it: "-None-" first when it has one.
void PrintList(std::FILE* out, const char* title, const std::vector<std::string>& entries, bool withNone,
               const char* indent = "  ") {
  std::fprintf(out, "%s%s:\n", indent, title);
  int index = 0;
  if (withNone) std::fprintf(out, "%s  %2d  -None-\n", indent, index++);
  if (!withNone && entries.empty()) std::fprintf(out, "%s  %2d  -Default-\n", indent, index++);
  for (const auto& e : entries) std::fprintf(out, "%s  %2d  %s\n", indent, index++, e.c_str());
}

}  // namespace

int ListDevices(VOduduDudiviv& engine, std::FILE* out) {
  std::vector<std::string> video, audio;
  for (int i = 0; i < engine.VideoDevicesCount(); ++i) {
    engine.setVideoDevice(i);
    video.push_back(engine.VideoDeviceName());
  }
  for (int i = 0; i < engine.AudioDevicesCount(); ++i) {
    engine.setAudioDevice(i);
    audio.push_back(engine.AudioDeviceName());
  }
  std::fprintf(out, "Video devices:\n");
  std::fprintf(out, "  %2d  -None-\n", 0);
  for (int i = 0; i < static_cast<int>(video.size()); ++i) {
    std::fprintf(out, "  %2d  %s\n", i + 1, video[i].c_str());
    engine.setVideoDevice(i);
    PrintList(out, "inputs", Lines(engine.VideoInputs()), false, "        ");
    PrintList(out, "sizes", Lines(engine.VideoSizes()), false, "        ");
  }
  std::fprintf(out, "Audio devices:\n");
  std::fprintf(out, "  %2d  -None-\n", 0);
  for (int i = 0; i < static_cast<int>(audio.size()); ++i) {
    std::fprintf(out, "  %2d  %s\n", i + 1, audio[i].c_str());
    engine.setAudioDevice(i);
    engine.ReadAudioInputs();
    PrintList(out, "inputs", Lines(engine.AudioInputs()), false, "        ");
  }
  PrintList(out, "Video compressors", Lines(engine.VideoCompressors()), true, "");
  PrintList(out, "Audio compressors", Lines(engine.AudioCompressors()), true, "");
  PrintList(out, "Audio formats", Lines(engine.AudioFormats()), false, "");
  return 0;
}
