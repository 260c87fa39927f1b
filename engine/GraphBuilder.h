#pragma once
// Builds the elements of a preview or recording graph from the worker's
// devices and the settings of the run, in the order the frames travel.

#include <string>

#include "engine/GraphSettings.h"
#include "engine/TDevices.h"

typedef struct _GstElement GstElement;
class TVdvWorker;
class TVdvGraph;
struct TVideoFormat;

// The AVI writer's file, written straight through: no frame waits in a buffer
// of ours when the program is killed.
void ConfigureRecordingWriter(GstElement* writer, const std::string& fileName);

class TGraphBuilder {
 public:
  // The run's settings; the device subtype that runs is written back.
  TGraphBuilder(TVdvWorker& worker, TVdvGraph& graph, TGraphSettings& settings)
      : w_(worker), g_(graph), s_(settings) {}

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
  };

  bool ChooseEntry(TDevicesKind kind, const std::string& listName, int& index, TDeviceEntry& entry);
  GstElement* AddDevice(bool video);
  bool ApplyVideoFormat(GstElement*& tail);
  void UseFormat(const TVideoFormat& format);
  bool ApplyAudioFormat(GstElement*& tail);
  bool EnsureRaw(GstElement*& tail, TChainFormat& format, const std::string& suffix);
  bool EnsureRgb(GstElement*& tail, TChainFormat& format, const std::string& suffix);
  bool AddProcessing(GstElement*& tail, TChainFormat& format, bool withGrabber);
  bool AddTransform(GstElement*& tail, bool halfSize);
  bool AddGrabber(GstElement*& tail, int mode);
  bool AddRenderer(GstElement* tail);
  bool FinishPreviewSide(GstElement* tail, TChainFormat format, bool withGrabber, const std::string& suffix);
  bool BuildPreviewChain();
  bool BuildCaptureChain(const std::string& fileName);
  GstElement* AddCompressor(bool video);
  bool LinkIntoVideoEncoder(GstElement* tail, TChainFormat& format, GstElement* encoder);
  GstElement* Queue(const std::string& name, bool leaky);
  bool Fail(const std::string& logLine);

  TVdvWorker& w_;
  TVdvGraph& g_;
  TGraphSettings& s_;
  GstElement* video_ = nullptr;  // end of the video chain so far
  GstElement* audio_ = nullptr;  // the audio pin still to be ended, if any
  TChainFormat format_;          // of video_
};
