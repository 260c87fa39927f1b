#pragma once
// Builds the elements of a preview or recording graph from the bound devices
// and the settings of the run, in the order the frames travel.

#include <memory>
#include <string>

#include "engine/BoundDevices.h"
#include "engine/GraphParts.h"
#include "engine/GraphSettings.h"
#include "engine/TDevices.h"
#include "engine/TLogType.h"

typedef struct _GstElement GstElement;
class TVdvGraph;
class TVdvWorker;
class TVideoFrameSlot;
struct TVideoFormat;
namespace vdv_filters {
struct TGrabberParams;
}

// The AVI writer's file, written straight through: no frame waits in a buffer
// of ours when the program is killed.
void ConfigureRecordingWriter(GstElement* writer, const std::string& fileName);

// The property values a build reads.
struct TGraphChoices {
  int VideoDevice = -1;
  int AudioDevice = -1;
  int VideoCompressor = -1;
  int AudioCompressor = -1;
  int AudioFormat = 0;
  bool StoreDeviceSettings = false;
  bool OpenDML = true;
};

// What a build reads and never changes.
struct TGraphInputs {
  const TGraphChoices& Choices;
  const TBoundDevices& Devices;
  const TDeviceLists* Lists;  // nullptr while the devices are being listed
  std::shared_ptr<TVideoFrameSlot> FrameSlot;
  // The engine built for: its key in the device registry and the filters'
  // callback context, never reached through.
  TVdvWorker* Engine;
};

// What the builder tells its engine, and asks of it, while it builds.
class TGraphBuildHost {
 public:
  virtual void LogLine(const std::string& text) = 0;
  // Answers whether `condition` held; reports it when it did.
  virtual bool Report(bool condition, int severity, const std::string& message, TLogType code) = 0;
  // Reports an ERROR that is the recording's failure.
  virtual void RecordingFailed(TLogType code, const std::string& message, const std::string& fileName,
                               const std::string& name) = 0;
  // Ends the recording before the data going into `mux` fills the disk.
  virtual void WatchDiskSpace(GstElement* mux, const std::string& fileName) = 0;
  // Puts the stored frame size choice in range (reported when it was not).
  virtual void CheckVideoSizeChoice() = 0;
  // The frame size chosen for the bound video device; false when it has none.
  virtual bool ChosenVideoSize(int& width, int& height) = 0;
  // The device runs at this size, whatever was chosen.
  virtual void VideoSizeRuns(int width, int height) = 0;
  // Hooks a grabber up to the engine's frame callbacks.
  virtual void ConnectGrabber(vdv_filters::TGrabberParams& params, int rgbFormat) = 0;

 protected:
  virtual ~TGraphBuildHost() = default;
};

class TGraphBuilder {
 public:
  // The run's settings; the device subtype that runs is written back. What
  // is built goes into `parts`.
  TGraphBuilder(const TGraphInputs& inputs, TGraphBuildHost& host, TVdvGraph& graph, TGraphSettings& settings,
                TGraphParts& parts)
      : in_(inputs), host_(host), g_(graph), s_(settings), parts_(parts) {}

  // The device, its format and, when wanted, the audio source.
  bool BuildBase(bool recording);
  // Device -> processing -> renderer.
  bool BuildPreview();
  // Device -> processing -> Smart Tee -> (renderer | compressor -> AVI writer), with audio.
  bool BuildCaptureAndPreview(const std::string& fileName);
  // Ends a remaining audio pin in an audio renderer or a null renderer.
  bool FinishAudio(bool recording);

 private:
  // What the frames at the end of a chain are: decoded, and in the grabber's RGB format.
  struct TChainFormat {
    bool raw = true;
    bool rgb = false;
    bool yuv = false;  // YUV for the grabber
  };

  const TDevices* DeviceList(TDevicesKind kind) const;
  bool ChooseEntry(TDevicesKind kind, const std::string& listName, int& index, TDeviceEntry& entry);
  GstElement* AddDevice(bool video);
  bool ApplyVideoFormat(GstElement*& tail);
  void UseFormat(const TVideoFormat& format);
  bool ApplyAudioFormat(GstElement*& tail);
  bool EnsureRaw(GstElement*& tail, TChainFormat& format, const std::string& suffix);
  bool EnsureRgb(GstElement*& tail, TChainFormat& format, const std::string& suffix);
  bool EnsureYuv(GstElement*& tail, TChainFormat& format, const std::string& suffix, bool packed);
  bool EnsureDisplayable(GstElement*& tail, TChainFormat& format, const std::string& suffix);
  bool CaptureGrabberTakesYuv() const;
  bool DisplayTakesYuv() const;
  bool AddPreviewValve(GstElement*& tail);
  // In I420 instead of RGB when `yuv`; a camera's YUY2 as it comes too when `packed`.
  bool AddProcessing(GstElement*& tail, TChainFormat& format, bool withGrabber, bool yuv = false,
                     bool packed = false);
  bool AddTransform(GstElement*& tail, bool halfSize);
  bool AddGrabber(GstElement*& tail, int mode);
  bool AddRenderer(GstElement* tail);
  bool FinishPreviewSide(GstElement* tail, TChainFormat format, bool withGrabber, const std::string& suffix);
  bool BuildPreviewChain();
  bool BuildCaptureChain(const std::string& fileName);
  bool AddCaptureAudio(GstElement* mux, const std::string& fileName);
  GstElement* AddCompressor(bool video);
  bool LinkIntoVideoEncoder(GstElement* tail, TChainFormat& format, GstElement* encoder);
  enum class TQueueKind { Preview, RawFrames, ToDisk };
  GstElement* Queue(const std::string& name, TQueueKind kind);
  // A colour converter (ours: SIMD rows for the webcam formats).
  GstElement* Converter(const std::string& name);
  bool Fail(const std::string& logLine);

  const TGraphInputs& in_;
  TGraphBuildHost& host_;
  TVdvGraph& g_;
  TGraphSettings& s_;
  TGraphParts& parts_;
  GstElement* video_ = nullptr;  // end of the video chain so far
  GstElement* audio_ = nullptr;  // the audio pin still to be ended, if any
  TChainFormat format_;          // of video_
  bool recording_ = false;       // building a capture chain
};
