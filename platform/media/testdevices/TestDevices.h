#pragma once
// The built-in test devices: a "Test Pattern Camera" and a "Test Tone
// Microphone" offered by a GStreamer device provider of our own, so the whole
// program (and every test) runs on a machine without a camera. They reach
// the program through GstDeviceMonitor like real devices; tests can plug and
// unplug more of them at run time.

#include <array>
#include <string>

namespace orvex::media::testdevices {

// GStreamer names.
inline constexpr char kPluginName[] = "orvextestdevices";
inline constexpr char kCameraFactory[] = "orvextestcamerasrc";
inline constexpr char kToneFactory[] = "orvextesttonesrc";
inline constexpr char kProviderFactory[] = "orvextestdeviceprovider";

inline constexpr char kCameraName[] = "Test Pattern Camera";
inline constexpr char kMicrophoneName[] = "Test Tone Microphone";

// Both elements choose their input with this int property.
inline constexpr char kInputProperty[] = "input";
inline constexpr int kInputComposite = 0;  // a moving picture
inline constexpr int kInputSVideo = 1;     // still colour bars, identical in every frame
inline constexpr int kInputMicrophone = 0;
inline constexpr int kInputLineIn = 1;
inline constexpr std::array<const char*, 2> kCameraInputs = {"Composite", "SVideo"};
inline constexpr std::array<const char*, 2> kMicrophoneInputs = {"Microphone", "Line In"};
inline constexpr std::array<int, 2> kToneFrequencies = {440, 880};  // Hz, by input
// Connector types of the camera's inputs: 2 composite, 3 S-Video.
inline constexpr std::array<int, 2> kCameraConnectorTypes = {2, 3};

// Fields of a device's properties (gst_device_get_properties).
inline constexpr char kPropPath[] = "device.path";                  // string, "orvex-test/camera-1"
inline constexpr char kPropTestDevice[] = "orvex.test-device";      // boolean, TRUE
inline constexpr char kPropInputs[] = "orvex.inputs";               // string, names joined by "\n"
inline constexpr char kPropConnectors[] = "orvex.connector-types";  // string, "2\n3" (camera only)

// The caps of the devices, as GStreamer caps strings (registers first).
std::string CameraCapsString();
std::string ToneCapsString();

// True when the environment asks for the test devices (ORVEX_TEST_DEVICES=1).
bool Requested();

// Registers the elements and the device provider with GStreamer (initialising
// it when nobody did yet). Idempotent and safe from any thread.
void Register();

// Whether the provider offers the default camera and microphone
// ("orvex-test/camera-1", "orvex-test/microphone-1"). Call before a monitor
// starts; turning them off unplugs them if they exist, turning them on
// (again) plugs in whichever is missing, with its old id, also one that
// Remove() took away.
void SetDefaultDevices(bool on);

// Plug a device at run time; answers its "device.path" id, numbered from 2
// ("orvex-test/camera-2") and never reused. A running
// GstDeviceMonitor sees "device-added". Both register first when needed.
std::string AddCamera(const std::string& displayName = kCameraName);
std::string AddMicrophone(const std::string& displayName = kMicrophoneName);

// Unplug a device by its id ("device-removed" on a running monitor); false
// when no such device exists.
bool Remove(const std::string& id);

// Unplugs every test device, so none is alive when GStreamer shuts down (the
// leak check at a test program's end). The default pair comes back when a
// monitor starts again, as long as it is wanted.
void RemoveAll();

}  // namespace orvex::media::testdevices
