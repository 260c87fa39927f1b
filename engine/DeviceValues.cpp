#include "engine/DeviceValues.h"

namespace {

constexpr std::int32_t kNotSet = 2147483647;

constexpr TDeviceValueDef kVideoDefs[kVideoDeviceValueCount] = {
    {"_AudioDeviceAssociated", dv_String},
    {"_AudioInputAssociated", dv_Integer},
    {"_AudioInputBalanceAssociated", dv_Integer},
    {"_AudioInputLevelAssociated", dv_Integer, 50000},
    {"_AudioInputMonoAssociated", dv_Boolean},
    {"_AudioInputNameAssociated", dv_String},
    {"_SpeakerVolumeAssociated", dv_Integer, 50000},
    {"_SpeakerBalanceAssociated", dv_Integer},
    {"_DeviceDiscovered", dv_Boolean},
    {"_IsVfw", dv_Boolean},
    {"_IsDigitalVideoIn", dv_Boolean},
    {"_IsDVPal", dv_Boolean},
    {"_IsVideoPortAvailable", dv_Boolean},
    {"_IsVideoInterlaced", dv_Boolean},
    {"_IsTVTunerAvail", dv_Boolean},
    {"_IsTVAudioAvail", dv_Boolean},
    {"_IsAnalogVideoDecoderAvail", dv_Boolean},
    {"_IsVCRHorizontalLockingAvail", dv_Boolean},
    {"_IsAudioCrossbarAvail", dv_Boolean},
    {"_IsVideoCrossbarAvail", dv_Boolean},
    {"_IsVideoQualityAvail", dv_Boolean},
    {"_IsCameraControlAvail", dv_Boolean},
    {"_IsVideoControlAvail", dv_Boolean},
    {"_IsMpegStream", dv_Boolean},
    {"_VideoControlCaps", dv_Integer},
    {"_VfwCaptureDialogFormat", dv_Boolean},
    {"_VfwCaptureDialogSource", dv_Boolean},
    {"_VfwCaptureDialogDisplay", dv_Boolean},
    {"VideoInputs", dv_String},
    {"ExtTransportAvail", dv_Boolean},
    {"TimeCodeReaderAvail", dv_Boolean},
    {"ANTVFormats", dv_Integer},
    {"VIDEOCROSSBARAVAIL", dv_Boolean},
    {"AUDIOCROSSBARAVAIL", dv_Boolean},
    {"DummyMAYNOTBESAVED", dv_Integer, kNotSet},
    {"VideoSize", dv_Integer},
    {"VideoInput", dv_Integer},
    {"VideoInputName", dv_String},
    {"VideoRenderer", dv_Integer},
    {"VideoSubtype", dv_Integer},
    {"_VideoControlMode", dv_Integer},
    {"TVChannel", dv_Integer},
    {"TVChannelFreq", dv_Integer},
    {"TVInputType", dv_Integer},
    {"TVConnectInput", dv_Integer, kNotSet},
    {"TVTuningSpace", dv_Integer},
    {"TVCountryCode", dv_Integer},
    {"TVMode", dv_Integer},
    {"ANTVFormat", dv_Integer},
    {"ANVVCRHorzLocking", dv_Integer},
    {"ANVOutputEnable", dv_Integer, kNotSet},
    {"AMVideoCrossbar", dv_String},
    {"AMAudioCrossbar", dv_String},
    {"VideoQualityAuto", dv_Boolean, 1},
    {"VideoQualityValues", dv_Binary, 0, "", 240},
    {"CameraControlAuto", dv_Boolean, 1},
    // The stored name really ends with a blank.
    {"CameraControlValues ", dv_Binary, 0, "", 168},
};

constexpr TDeviceValueDef kAudioDefs[kAudioDeviceValueCount] = {
    {"_DeviceDiscovered", dv_Boolean},
    {"AudioInputs", dv_String},
    {"AudioInput", dv_Integer},
    {"AudioInputBalance", dv_Integer},
    {"AudioInputLevel", dv_Integer, 50000},
    {"AudioInputMono", dv_Boolean},
    {"AudioInputName", dv_String},
    {"SpeakerVolume", dv_Integer, 50000},
    {"SpeakerBalance", dv_Integer},
    {"AudioMute", dv_Boolean},
    {"AIsSoundCard", dv_Boolean},
    {"DummyMAYNOTBESAVED", dv_Integer, kNotSet},
    {"AIsAudioCrossbarAvail", dv_Boolean},
};

}  // namespace

std::span<const TDeviceValueDef> VideoDeviceValueDefs() { return kVideoDefs; }
std::span<const TDeviceValueDef> AudioDeviceValueDefs() { return kAudioDefs; }

TDeviceValues::TDeviceValues(std::span<const TDeviceValueDef> defs) : defs_(defs), values_(defs.size()) {
  Reset();
}

void TDeviceValues::Reset() {
  for (std::size_t i = 0; i < defs_.size(); ++i) {
    TDeviceValue& v = values_[i];
    v = TDeviceValue{};
    v.Int = defs_[i].IntDefault;
    v.Text = defs_[i].TextDefault;
    v.Bytes.assign(static_cast<std::size_t>(defs_[i].BinarySize), '\0');
  }
}
