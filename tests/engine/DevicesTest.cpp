// Naming, ordering and filtering rules of the device lists, against a
// scripted device source.

#include <gtest/gtest.h>

#include "engine/TDevices.h"
#include "tests/support/FakeDeviceSource.h"

using orvex::media::DeviceCategory;
using orvex::test::FakeDeviceSource;

namespace {
const TDevices::LogFn kNoLog = [](const std::string&) {};

std::vector<std::string> Names(const TDevices& list) {
  std::vector<std::string> names;
  for (const auto& e : list.Entries()) names.push_back(e.DisplayName);
  return names;
}
}  // namespace

TEST(DeviceLists, IdenticalCamerasGetOrdinalsAndKeepTheirPlacesWhenUnplugged) {
  FakeDeviceSource source;
  source.Add(DeviceCategory::VideoInput, "Cam", "/dev/video0");
  source.Add(DeviceCategory::VideoInput, "Cam", "/dev/video2");
  TDeviceLists lists;
  lists.EnumerateAll(source, kNoLog);
  EXPECT_EQ(Names(lists.VideoDevices), (std::vector<std::string>{"Cam (WDM)", "Cam #2 (WDM)"}));

  source.devices[DeviceCategory::VideoInput].erase(source.devices[DeviceCategory::VideoInput].begin());
  lists.VideoDevices.Rebuild(source, kNoLog);
  const auto entries = lists.VideoDevices.Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].DisplayName, "Cam (WDM)");
  EXPECT_FALSE(entries[0].Info.Present);
  EXPECT_TRUE(entries[0].Info.PreviouslyPresent);
  EXPECT_TRUE(entries[1].Info.Present);

  // Plugged in again: the same entry comes back, nothing is added.
  source.Add(DeviceCategory::VideoInput, "Cam", "/dev/video0");
  lists.VideoDevices.Rebuild(source, kNoLog);
  EXPECT_EQ(lists.VideoDevices.Count(), 2);
  EXPECT_TRUE(lists.VideoDevices.Entries()[0].Info.Present);
}

TEST(DeviceLists, KeysKeepOnlyLettersDigitsBlanksDashesAndBraces) {
  EXPECT_EQ(TDevices::KeyOf("/dev/video0", "HD Cam (v2.0)"), "devvideo0HD Cam v20");
  EXPECT_EQ(TDevices::KeyOf("@device:{860BB310-5D01}\\x", "A_b"), "device{860BB310-5D01}xAb");
}

TEST(DeviceLists, AVideoDeviceCalledAudioMovesToTheAudioList) {
  FakeDeviceSource source;
  source.Add(DeviceCategory::AudioInput, "Mic");
  source.Add(DeviceCategory::VideoInput, "Capture Card");
  source.Add(DeviceCategory::VideoInput, "Capture Card aUdIo");
  TDeviceLists lists;
  lists.EnumerateAll(source, kNoLog);
  EXPECT_EQ(Names(lists.VideoDevices), (std::vector<std::string>{"Capture Card (WDM)"}));
  EXPECT_EQ(Names(lists.AudioDevices), (std::vector<std::string>{"Mic", "Capture Card aUdIo (WDM)"}));
  EXPECT_TRUE(lists.AudioDevices.Entries()[1].Info.Moved);

  // Another scan finds it again and adds nothing.
  lists.VideoDevices.Rebuild(source, kNoLog);
  EXPECT_EQ(lists.AudioDevices.Count(), 2);
  EXPECT_TRUE(lists.AudioDevices.Entries()[1].Info.Present);
}

TEST(DeviceLists, CompressorsAreBroughtForwardWordByWord) {
  FakeDeviceSource source;
  for (const char* name : {"XVID", "MJPEG Codec", "Cinepak", "MPEG-4 V2"})
    source.Add(DeviceCategory::VideoCompressor, name);
  for (const char* name : {"GSM 6.10", "IMA ADPCM", "PCM", "MPEG Layer-3", "Windows Media Audio V2"})
    source.Add(DeviceCategory::AudioCompressor, name);
  source.Add(DeviceCategory::VideoCompressor, "Some Encoder DMO");
  TDeviceLists lists;
  lists.EnumerateAll(source, kNoLog);
  EXPECT_EQ(Names(lists.VideoCompressors),
            (std::vector<std::string>{"MPEG-4 V2", "XVID", "MJPEG Codec", "Cinepak"}));
  EXPECT_EQ(
      Names(lists.AudioCompressors),
      (std::vector<std::string>{"Windows Media Audio V2", "PCM", "MPEG Layer-3", "IMA ADPCM", "GSM 6.10"}));
}

TEST(DeviceLists, AvcDevicesNameVendorAndModel) {
  std::string vendor, model;
  TDevices::VendorAndModel("@device:pnp:\\\\?\\avc#Sony&Corp-DCR&TRV#123", vendor, model);
  EXPECT_EQ(vendor, "Sony Corp");
  EXPECT_EQ(model, "DCR TRV");
  TDevices::VendorAndModel("\\\\?\\avc#Panasonic#1", vendor, model);
  EXPECT_EQ(vendor, "Panasonic");
  EXPECT_EQ(model, "Panasonic");
}

TEST(DeviceLists, AudioFormatsHave29Lines) {
  const std::string text = AudioFormatsText();
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  ASSERT_EQ(lines.size(), 29u);
  EXPECT_EQ(lines[0], "default");
  EXPECT_EQ(lines[1], "8000 Hz, 8-bit Mono");
  EXPECT_EQ(lines[4], "8000 Hz, 16-bit Stereo");
  EXPECT_EQ(lines[5], "11025 Hz, 8-bit Mono");
  EXPECT_EQ(lines[28], "48000 Hz, 16-bit Stereo");
}
