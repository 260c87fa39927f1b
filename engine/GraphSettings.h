#pragma once
// The properties that shape a graph, copied when a build starts so that
// later changes wait for the next build.

#include <string>
#include <vector>

#include "engine/EngineEnums.h"

struct TGraphSettings {
  TFrameGrabber FrameGrabber = fg_PreviewStream;
  TFrameGrabberRGBFormat FrameGrabberRGBFormat = fgf_Default;
  TCompressionMode CompressionMode = cm_NoCompression;
  TCompressionType CompressionType = ct_Video;
  bool RecordingInNativeFormat = false;
  bool RenderAudio = false;
  bool CaptureAudio = false;
  TVideoSource VideoSource = vs_VideoCaptureDevice;
  TVideoRenderer VideoRenderer = vr_AutoSelect;
  TRecordingMethod RecordingMethod = rm_AVI;
  TNetworkStreaming NetworkStreaming = ns_Disabled;
  bool HoldRecording = false;
  bool PreallocCapFileEnabled = false;
  bool FrameCaptureWithoutOverlay = false;
  TVideoRotation Rotation = rt_0_deg;
  TVideoDeinterlacing Deinterlacing = di_Disabled;

  // Chosen for the run: the subtype asked of the device and the frame
  // grabber's RGB format (1 RGB32, 2 RGB24).
  std::string DeviceSubtype;
  int GrabberRGBFormat = 1;

  bool UsesGrabber() const { return FrameGrabber != fg_Disabled; }
  bool GrabberOnPreview() const { return FrameGrabber == fg_BothStreams || FrameGrabber == fg_PreviewStream; }
  bool GrabberOnCapture() const {
    return (FrameGrabber == fg_BothStreams || FrameGrabber == fg_CaptureStream) && !RecordingInNativeFormat;
  }
  bool CompressVideo() const {
    return CompressionMode == cm_CompressOnTheFly &&
           (CompressionType == ct_Video || CompressionType == ct_AudioVideo);
  }
  bool CompressAudio() const {
    return CompressionMode == cm_CompressOnTheFly &&
           (CompressionType == ct_Audio || CompressionType == ct_AudioVideo);
  }
};

// The bits a pixel of a display of `depth` takes: X keeps depth-24 pixels in
// 32 bits, as the windows' own images do, so RGB32 is what shows at no cost.
int DisplayBitsPerPixel(int depth);

// The grabber's RGB format and the device subtype for a display depth and
// the device's subtypes; `selected` is kept when the device offers no RGB.
void ChooseGrabberFormat(int displayDepth, TFrameGrabberRGBFormat format,
                         const std::vector<std::string>& subtypes, const std::string& selected,
                         std::string& deviceSubtype, int& grabberFormat);
