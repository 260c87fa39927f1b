#pragma once
// What the engine keeps per device in the device settings store: what was
// discovered about the device and the user's last choices for it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum TDeviceValueType : int { dv_Integer = 1, dv_String = 2, dv_Boolean = 3, dv_Float = 4, dv_Binary = 5 };

struct TDeviceValueDef {
  const char* Name;
  TDeviceValueType Type;
  std::int32_t IntDefault = 0;  // integers and Booleans
  const char* TextDefault = "";
  int BinarySize = 0;  // binary blocks
};

// Positions of the values the engine reads by name.
enum TVideoDeviceValue : int {
  vv_DeviceDiscovered = 8,
  vv_IsDVPal = 11,
  vv_IsVideoCrossbarAvail = 19,
  vv_IsVideoQualityAvail = 20,
  vv_VideoInputs = 28,
  vv_VideoSize = 35,
  vv_VideoInput = 36,
  vv_VideoInputName = 37,
  vv_VideoSubtype = 39,
  vv_AMVideoCrossbar = 51
};
enum TAudioDeviceValue : int {
  av_DeviceDiscovered = 0,
  av_AudioInputs = 1,
  av_AudioInput = 2,
  av_AudioInputName = 6,
  av_AIsSoundCard = 10,
  av_AIsAudioCrossbarAvail = 12
};

inline constexpr int kVideoDeviceValueCount = 57;
inline constexpr int kVideoDiscoveryValueCount = 34;
inline constexpr int kAudioDeviceValueCount = 13;
inline constexpr int kAudioDiscoveryValueCount = 11;

std::span<const TDeviceValueDef> VideoDeviceValueDefs();
std::span<const TDeviceValueDef> AudioDeviceValueDefs();

struct TDeviceValue {
  std::int32_t Int = 0;
  std::string Text;
  double Float = 0.0;
  std::string Bytes;
};

// The values of one device, in table order.
class TDeviceValues {
 public:
  explicit TDeviceValues(std::span<const TDeviceValueDef> defs);

  void Reset();
  std::span<const TDeviceValueDef> Defs() const { return defs_; }
  int Count() const { return static_cast<int>(defs_.size()); }

  std::int32_t Int(int i) const { return values_[i].Int; }
  bool Bool(int i) const { return values_[i].Int != 0; }
  const std::string& Text(int i) const { return values_[i].Text; }
  TDeviceValue& At(int i) { return values_[i]; }
  const TDeviceValue& At(int i) const { return values_[i]; }
  void SetInt(int i, std::int32_t v) { values_[i].Int = v; }
  void SetBool(int i, bool v) { values_[i].Int = v ? 1 : 0; }
  void SetText(int i, std::string v) { values_[i].Text = std::move(v); }

 private:
  std::span<const TDeviceValueDef> defs_;
  std::vector<TDeviceValue> values_;
};
