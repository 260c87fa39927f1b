#pragma once
// The capture settings group: the item indexes of the capture settings
// dialog's eight lists. Index 0 of the device and compressor lists is
// "-None-"; a stored -1 means that list was empty when it was saved.

namespace orvex::settings {

// Entries of the dialog's device and compressor lists as filled at creation,
// "-None-" included.
struct TCaptureListSizes {
  int videoDevices = 1;
  int videoCompressors = 1;
  int audioDevices = 1;
  int audioCompressors = 1;
};

struct TCaptureSettings {
  int SecondVideoSource = 0;
  int SecondVideoInput = 0;
  int SecondVideoSize = 0;
  int SecondVideoCompression = 0;
  int SecondAudioSource = 0;
  int SecondAudioInput = 0;
  int SecondAudioFormat = 0;
  int SecondAudioCompression = 0;

  // Reads the group. Device and compressor indexes outside their list become
  // 0; input, size and format only lose a negative value here, because their
  // lists are filled later, for the restored device: check them then with
  // IndexInList.
  static TCaptureSettings Read(const TCaptureListSizes& lists);
  // Throws reg::ERegistryException when the store cannot be written.
  void Write() const;

  bool operator==(const TCaptureSettings&) const = default;
};

// `index` when it names an entry of a list of `count` entries, else 0.
int IndexInList(int index, int count);

}  // namespace orvex::settings
