#pragma once
// The four process-wide lists of capture devices and compressors, with the
// naming, ordering and filtering rules that make their indexes the ones the
// settings store keeps. Entries are never removed, so indexes stay valid.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/DeviceDescriptor.h"
#include "platform/media/DeviceSource.h"

enum TDevicesKind : int {
  lk_VideoDevices = 0,
  lk_AudioDevices = 1,
  lk_VideoCompressors = 2,
  lk_AudioCompressors = 3
};

struct TCapDeviceInfo {
  std::string Key;
  std::string FriendlyName;
  std::string Vendor;
  std::string Model;
  bool IsWDM = true;
  int LegacyDriverIndex = -1;
  bool IsDV = false;
  int Ordinal = 1;
  bool Present = false;
  bool PreviouslyPresent = false;
  bool Moved = false;
  orvex::media::DeviceCategory Category = orvex::media::DeviceCategory::VideoInput;
  orvex::media::DeviceDescriptor Descriptor;  // as last enumerated
};

struct TDeviceEntry {
  std::string DisplayName;
  TCapDeviceInfo Info;
};

class TDevices {
 public:
  using LogFn = std::function<void(const std::string&)>;

  TDevices(TDevicesKind kind, TDevices* partner = nullptr);

  TDevicesKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }

  // Rebuilds from the source; new devices are appended, known ones marked present.
  void Rebuild(orvex::media::IDeviceSource& source, const LogFn& log);

  int Count() const;
  std::string DisplayName(int index) const;  // empty when out of range
  // A copy of the entry, so callers never hold the list's lock.
  bool Entry(int index, TDeviceEntry& entry) const;
  std::vector<TDeviceEntry> Entries() const;
  // Display names, one per line.
  std::string Text() const;

  // Exposed for the rules' tests.
  static std::string KeyOf(const std::string& monikerDisplayName, const std::string& friendlyName);
  static void VendorAndModel(const std::string& displayName, std::string& vendor, std::string& model);
  static void ReorderCompressors(std::vector<TDeviceEntry>& entries, TDevicesKind kind);

 private:
  void ResetPresence(bool movedOnes);
  TDeviceEntry* FindKey(const std::string& key);
  int NextOrdinal(const std::string& friendlyName) const;
  void AppendMoved(TDeviceEntry entry, const LogFn& log);

  TDevicesKind kind_;
  std::string name_;
  std::vector<std::string> exclusions_;
  TDevices* partner_;
  mutable std::recursive_mutex mutex_;
  std::vector<TDeviceEntry> entries_;
};

// The audio format list: "default", then one line per PCM format.
std::string AudioFormatsText();

// The lists of the process, built once and rebuilt on device changes.
class TDeviceLists {
 public:
  TDeviceLists();
  TDevices AudioDevices;
  TDevices VideoDevices;
  TDevices VideoCompressors;
  TDevices AudioCompressors;
  std::string AudioFormats;
  enum TDiscoveryState : int { ds_NotStarted, ds_Running, ds_Done };
  TDiscoveryState DiscoveryState = ds_NotStarted;

  void EnumerateAll(orvex::media::IDeviceSource& source, const TDevices::LogFn& log);
  TDevices& List(TDevicesKind kind);
  const TDevices& List(TDevicesKind kind) const { return const_cast<TDeviceLists*>(this)->List(kind); }
};
