#include "engine/GraphBuilder.h"

#include <gst/gst.h>

#include <algorithm>

#include "engine/DeviceStore.h"
#include "engine/FilterModule.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvGraph.h"
#include "engine/VideoFormatChoice.h"
#include "engine/frames/FramePath.h"
#include "engine/frames/VideoRenderer.h"
#include "platform/media/Capabilities.h"
#include "platform/media/ElementProperties.h"
#include "platform/media/EncoderInput.h"
#include "platform/media/GstPtr.h"
#include "platform/media/VideoConvert.h"

namespace {

bool IsCompressed(const std::string& subtype) {
  return subtype == "MJPG" || subtype == "H264" || subtype == "dvsd";
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

}  // namespace

void ConfigureRecordingWriter(GstElement* writer, const std::string& fileName) {
  g_object_set(writer, "location", fileName.c_str(), "async", FALSE, "sync", FALSE, nullptr);
  gst_util_set_object_arg(G_OBJECT(writer), "buffer-mode", "unbuffered");
}

bool TGraphBuilder::Fail(const std::string& logLine) {
  if (!logLine.empty()) host_.LogLine(logLine);
  return false;
}

GstElement* TGraphBuilder::Queue(const std::string& name, TQueueKind kind) {
  GstElement* q = g_.Make("queue", name);
  if (!q) return nullptr;
  switch (kind) {
    case TQueueKind::Preview:
      // The preview side of a Smart Tee drops frames rather than hold the capture back.
      g_object_set(q, "leaky", 2, "max-size-buffers", 2, "max-size-bytes", 0, "max-size-time",
                   G_GUINT64_CONSTANT(0), nullptr);
      break;
    case TQueueKind::RawFrames:
      // In front of an encoder: the few frames it may lag by, not seconds of raw pictures.
      g_object_set(q, "max-size-buffers", 3, "max-size-bytes", 0, "max-size-time", G_GUINT64_CONSTANT(0),
                   nullptr);
      break;
    case TQueueKind::ToDisk:
      // Rides out a slow disk: up to 2 s, but never more than 64 MB of frames.
      g_object_set(q, "max-size-buffers", 0, "max-size-bytes", 64u << 20, "max-size-time", 2 * GST_SECOND,
                   nullptr);
      break;
  }
  return q;
}

GstElement* TGraphBuilder::Converter(const std::string& name) {
  return g_.Add(orvex::media::NewVideoConvert(), name);
}

// The entry a device or compressor index selects; -1 selects none, and an
// index beyond the list falls back to the first entry.
const TDevices* TGraphBuilder::DeviceList(TDevicesKind kind) const {
  return in_.Lists ? &in_.Lists->List(kind) : nullptr;
}

bool TGraphBuilder::ChooseEntry(TDevicesKind kind, const std::string& listName, int& index,
                                TDeviceEntry& entry) {
  const TDevices* list = DeviceList(kind);
  if (host_.Report(index == -1 || !list || list->Count() == 0, sv_Warning, listName + " not selected!",
                   e_index_out_of_range))
    return false;
  if (index >= list->Count()) {
    host_.Report(true, sv_Error, listName + " index out of range, index 0 used instead",
                 e_index_out_of_range);
    index = 0;
  }
  return list->Entry(index, entry);
}

// Adds the selected video (or audio) device's element; the device must not be
// in use by another engine of this process.
GstElement* TGraphBuilder::AddDevice(bool video) {
  const std::string listName = video ? "video device" : "audio device";
  TDeviceEntry entry;
  int index = video ? in_.Choices.VideoDevice : in_.Choices.AudioDevice;
  if (!ChooseEntry(video ? lk_VideoDevices : lk_AudioDevices, listName, index, entry)) return nullptr;
  TSyncManager& manager = TSyncManager::Acquire();
  if (host_.Report(manager.DeviceInUseByOther(entry.Info.Key, in_.Engine), sv_Error,
                   entry.DisplayName + " is already in use", e_device_in_use_in_another_graph))
    return nullptr;
  std::string message = "using " + listName + ":\r\n" + entry.DisplayName;
  const std::string inputName = video ? in_.Devices.VideoValues.Text(vv_VideoInputName)
                                      : in_.Devices.AudioValues.Text(av_AudioInputName);
  if (!inputName.empty()) message += "\r\non input " + inputName;
  host_.Report(true, sv_Info, message, i_binding_device_or_compressor);
  const auto& maker = entry.Info.Descriptor.maker;
  GstElement* element = g_.Add(maker ? maker->CreateElement(nullptr) : nullptr,
                               std::to_string(index) + " " + entry.DisplayName);
  if (host_.Report(!element, sv_Error, "bind " + entry.DisplayName + " device moniker to filter",
                   e_bind_moniker_to_filter))
    return nullptr;
  manager.MarkDeviceInUse(entry.Info.Key, in_.Engine);
  parts_.DevicesInUse.push_back(entry.Info.Key);
  // The built-in test devices switch their input by a property; real crossbars were routed at binding.
  if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "input")) {
    const int input =
        video ? in_.Devices.VideoValues.Int(vv_VideoInput) : in_.Devices.AudioValues.Int(av_AudioInput);
    const int inputs = static_cast<int>(entry.Info.Descriptor.inputs.size());
    if (input >= 0 && input < inputs) g_object_set(element, "input", input, nullptr);
  }
  if (in_.Choices.StoreDeviceSettings)
    orvex::media::ApplySerialized(element, device_store::LoadCompressorState(entry.Info.Key).value_or(""));
  (video ? parts_.DeviceElement : parts_.AudioDeviceElement) = element;
  g_.AddLosableSource(element);
  return element;
}

// Asks the device for the chosen subtype and size. A device that does not
// offer them keeps running in a format it does offer (the same size in
// another subtype, else its default), and the run's size is the true one.
bool TGraphBuilder::ApplyVideoFormat(GstElement*& tail) {
  const TBoundDevices& d = in_.Devices;
  host_.CheckVideoSizeChoice();
  const std::string name = Lower(d.Video.DisplayName);
  if (name.find("pinnacle") != std::string::npos && name.find("moviebox") != std::string::npos) return true;
  int width = 0, height = 0;
  const bool sized = host_.ChosenVideoSize(width, height);
  const auto& offered = d.Video.Info.Descriptor.capabilities;
  const auto formats = VideoFormatsToTry(offered, s_.DeviceSubtype, width, height, sized);
  if (formats.empty()) return true;  // nothing to ask for: the device's own format
  GstElement* filter = g_.Make("capsfilter", "Video Format");
  if (!filter) return Fail("failed to set video format");
  for (const TVideoFormat& format : formats) {
    const orvex::media::CapsPtr caps(gst_caps_from_string(format.Caps.c_str()));
    g_object_set(filter, "caps", caps.get(), nullptr);
    if (!g_.Link(tail, filter)) continue;
    host_.LogLine(offered.empty() ? "video stream config 2" : "video stream config 1");
    const TVideoFormat asked{s_.DeviceSubtype, width, height, ""};
    host_.Report(
        sized && (format.Subtype != asked.Subtype || format.Width != width || format.Height != height),
        sv_Warning,
        "video format " + asked.Text() + " not accepted by the device, " + format.Text() + " used instead",
        e_set_format);
    UseFormat(format);
    tail = filter;
    return true;
  }
  return Fail("failed to set video format");
}

// The format that runs is what the decoder, captures and overlays go by.
void TGraphBuilder::UseFormat(const TVideoFormat& format) {
  s_.DeviceSubtype = format.Subtype;
  const TBoundDevices& d = in_.Devices;
  if (format.Width == d.VideoWidth && format.Height == d.VideoHeight) return;
  host_.VideoSizeRuns(format.Width, format.Height);
}

bool TGraphBuilder::EnsureRaw(GstElement*& tail, TChainFormat& format, const std::string& suffix) {
  if (format.raw) return true;
  const std::string subtype = s_.DeviceSubtype;
  GstElement* decoder = nullptr;
  if (subtype == "MJPG")
    decoder = g_.Make("jpegdec", "MJPEG Decompressor" + suffix);
  else if (subtype == "dvsd")
    decoder = g_.Make("dvdec", "DV Video Decoder" + suffix);
  else if (subtype == "H264")
    decoder = g_.Make("avdec_h264", "H264 Decoder" + suffix);
  if (!decoder || !g_.Link(tail, decoder)) return Fail("cannot decode " + subtype);
  // A late window sends QoS up through the tee: in a recording the decoder
  // must not skip frames for it that the file needs.
  if (recording_ && g_object_class_find_property(G_OBJECT_GET_CLASS(decoder), "qos"))
    g_object_set(decoder, "qos", FALSE, nullptr);
  tail = decoder;
  format.raw = true;
  return true;
}

// The frame grabber, the transforms and the window work on the grabber's RGB format.
bool TGraphBuilder::EnsureRgb(GstElement*& tail, TChainFormat& format, const std::string& suffix) {
  if (format.rgb) return true;
  if (!EnsureRaw(tail, format, suffix)) return false;
  GstElement* convert = Converter("Color Space Converter" + suffix);
  if (!convert || !g_.Link(tail, convert)) return Fail("cannot convert to RGB");
  const std::string rgb = s_.GrabberRGBFormat == vdv_filters::gf_RGB24 ? "BGR" : "BGRx";
  GstElement* filter = g_.Make("capsfilter", "RGB Format" + suffix);
  const orvex::media::CapsPtr caps(gst_caps_from_string(("video/x-raw,format=" + rgb).c_str()));
  g_object_set(filter, "caps", caps.get(), nullptr);
  if (!g_.Link(convert, filter)) return Fail("cannot convert to RGB");
  tail = filter;
  format.rgb = true;
  return true;
}

// The YUV a grabber may take instead of RGB: I420, or a camera's YUY2 as it
// comes where `packed` (the turns and an encoder want planes).
bool TGraphBuilder::EnsureYuv(GstElement*& tail, TChainFormat& format, const std::string& suffix,
                              bool packed) {
  if (format.yuv) return true;
  if (!EnsureRaw(tail, format, suffix)) return false;
  GstElement* convert = Converter("Color Space Converter" + suffix);
  GstElement* filter = g_.Make("capsfilter", "YUV Format" + suffix);
  if (!convert || !filter || !g_.Link(tail, convert)) return Fail("cannot convert to I420");
  const orvex::media::CapsPtr caps(
      gst_caps_from_string(packed ? "video/x-raw,format={I420,YUY2}" : "video/x-raw,format=I420"));
  g_object_set(filter, "caps", caps.get(), nullptr);
  if (!g_.Link(convert, filter)) return Fail("cannot convert to I420");
  tail = filter;
  format.yuv = true;
  return true;
}

// The window paints the camera's YUV itself (TFramePainter), converting as it
// draws: a converter only for what it cannot take.
bool TGraphBuilder::EnsureDisplayable(GstElement*& tail, TChainFormat& format, const std::string& suffix) {
  if (format.rgb || format.yuv) return true;
  if (!DisplayTakesYuv()) return EnsureRgb(tail, format, suffix);
  if (!EnsureRaw(tail, format, suffix)) return false;
  GstElement* convert = Converter("Color Space Converter" + suffix);
  if (!convert || !g_.Link(tail, convert)) return Fail("cannot convert for the display");
  tail = convert;
  return true;
}

// A compressed recording keeps the camera's YUV (decoded MJPG is I420
// already) through the transforms and the grabber on its way to the encoder:
// the grabber converts to RGB only the frames whose pixels are wanted. A
// camera that sends RGB keeps it.
bool TGraphBuilder::CaptureGrabberTakesYuv() const {
  return s_.GrabberOnCapture() && s_.CompressVideo() && s_.DeviceSubtype.rfind("RGB", 0) != 0;
}

// So does the window's side of a camera that sends YUV or MJPG.
bool TGraphBuilder::DisplayTakesYuv() const { return s_.DeviceSubtype.rfind("RGB", 0) != 0; }

// Drops the frames of a window nobody watches (TVdvWorker::UpdatePreviewValve).
bool TGraphBuilder::AddPreviewValve(GstElement*& tail) {
  GstElement* valve = g_.Make("valve", "Preview Valve");
  if (!valve || !g_.Link(tail, valve)) return Fail("cannot add the preview valve");
  parts_.PreviewValve = tail = valve;
  return true;
}

bool TGraphBuilder::AddTransform(GstElement*& tail, bool halfSize) {
  vdv_filters::TTransformParams params;
  params.Context = in_.Engine;
  params.Rotation = halfSize ? 0 : s_.Rotation;
  params.SwapDimensions = !halfSize && (s_.Rotation % 2 == 1);
  params.HalfSizeDeinterlace = halfSize ? 1 : 0;
  GstElement* transform = nullptr;
  if (host_.Report(filter_module::CreateTransform(params, transform) != filter_module::TLoadResult::Ok,
                   sv_Error, "cannot load filter TrnfFltr", e_load_filter))
    return false;
  const std::string name = g_.Find("TrnfFltr") ? "TrnfFltr 0001" : "TrnfFltr";
  if (!g_.Add(transform, name) || !g_.Link(tail, transform)) return Fail("cannot connect " + name);
  tail = transform;
  return true;
}

bool TGraphBuilder::AddGrabber(GstElement*& tail, int mode) {
  const char* name = vdv_filters::GrabberModeName(mode);
  filter_module::TGrabber grabber;
  const auto loaded = filter_module::CreateGrabber(mode, grabber);
  if (host_.Report(loaded == filter_module::TLoadResult::CannotLoad, sv_Error,
                   std::string("cannot load filter ") + name, e_load_filter))
    return false;
  if (host_.Report(loaded == filter_module::TLoadResult::Obsolete, sv_Error,
                   "VOduduDudiviv Dx filter obsolete", e_VOduduDudiviv_Filter_obsolete))
    return false;
  host_.ConnectGrabber(*grabber.params, s_.GrabberRGBFormat);
  if (!g_.Add(grabber.element, name) || !g_.Link(tail, grabber.element)) {
    host_.Report(true, sv_Error, "insert grabber filter", e_failed);
    return false;
  }
  parts_.Grabbers.push_back(grabber);
  tail = grabber.element;
  return true;
}

// Half-size deinterlacing, rotation and, where the settings put it, the
// frame grabber: in the order frames pass them.
bool TGraphBuilder::AddProcessing(GstElement*& tail, TChainFormat& format, bool withGrabber, bool yuv,
                                  bool packed) {
  const bool halfSize = s_.Deinterlacing == di_HalfSize;
  const bool rotate = s_.Rotation != rt_0_deg;
  if (!halfSize && !rotate && !withGrabber) return true;
  if (!(yuv ? EnsureYuv(tail, format, "", packed && !halfSize && !rotate) : EnsureRgb(tail, format, "")))
    return false;
  if (halfSize && !AddTransform(tail, true)) return false;
  if (rotate && !AddTransform(tail, false)) return false;
  return !withGrabber || AddGrabber(tail, vdv_filters::gm_RGB);
}

bool TGraphBuilder::AddRenderer(GstElement* tail) {
  if (s_.VideoRenderer == vr_None) {
    GstElement* null = g_.Make("fakesink", "Null Renderer");
    if (null) g_object_set(null, "sync", TRUE, nullptr);
    return null && g_.Link(tail, null);
  }
  host_.LogLine("ADR begin");
  host_.LogLine("ADR cr normal");
  GstElement* renderer = g_.Add(CreateVideoRenderer(in_.FrameSlot), "Video Renderer");
  if (!renderer) return Fail("ERROR: AddFilterGetInput cocreate instance failed on filter Video Renderer");
  host_.LogLine("ADR add filt");
  if (!g_.Link(tail, renderer)) return Fail("ERROR: AddFilterGetInput cannot add filter Video Renderer");
  host_.LogLine("ADR find input ok: Video Renderer");
  host_.LogLine("ADR end");
  return true;
}

// The window's end of a chain: the grabber where it belongs here, the notify
// grabber that keeps the frame clock without a grabber, then the pass-through
// grabber in front of the renderer.
bool TGraphBuilder::FinishPreviewSide(GstElement* tail, TChainFormat format, bool withGrabber,
                                      const std::string& suffix) {
  if (withGrabber && DisplayTakesYuv() && !format.rgb && !EnsureYuv(tail, format, suffix, true)) return false;
  if (!EnsureDisplayable(tail, format, suffix)) return false;
  if (withGrabber && !AddGrabber(tail, vdv_filters::gm_RGB)) return false;
  if (!s_.UsesGrabber() && !AddGrabber(tail, vdv_filters::gm_Notify)) return false;
  if (!AddGrabber(tail, vdv_filters::gm_Dummy)) return false;
  return AddRenderer(tail);
}

bool TGraphBuilder::BuildBase(bool recording) {
  host_.LogLine("creating base graph");
  host_.LogLine("creating device graph");
  GstElement* device = AddDevice(true);
  if (!device) return false;
  host_.LogLine("WDM video port: no");
  host_.LogLine("device graph created");
  host_.LogLine("retrieving source pins");
  host_.LogLine("normal video cat capture");
  video_ = device;
  if (!ApplyVideoFormat(video_)) return false;
  format_ = {!IsCompressed(s_.DeviceSubtype), false};
  host_.LogLine("source pins retrieved");

  const bool wantAudio = recording ? s_.CaptureAudio : s_.RenderAudio;
  const TDevices* audioDevices = DeviceList(lk_AudioDevices);
  if (wantAudio && !in_.Devices.Video.Info.IsDV &&
      !host_.Report(!audioDevices || audioDevices->Count() == 0, sv_Warning, "no audio device found",
                    w_find_audio_device)) {
    audio_ = AddDevice(false);
    if (!audio_ || !ApplyAudioFormat(audio_)) return false;
  }
  host_.LogLine("Subtypes:");
  for (const auto& subtype : in_.Devices.Subtypes) host_.LogLine(subtype);
  host_.LogLine("analog standards:");
  host_.LogLine("sizes");
  for (const auto& size : in_.Devices.Sizes.Entries()) host_.LogLine(size);
  host_.LogLine("base graph created");
  return true;
}

bool TGraphBuilder::ApplyAudioFormat(GstElement*& tail) {
  GstElement* convert = g_.Make("audioconvert", "Audio Converter");
  GstElement* resample = g_.Make("audioresample", "Audio Resampler");
  GstElement* filter = g_.Make("capsfilter", "Audio Format");
  if (!convert || !resample || !filter || !g_.Link(tail, convert) || !g_.Link(convert, resample) ||
      !g_.Link(resample, filter))
    return Fail("set audio format");
  // Left alone, audioconvert picks a 32-bit format that AVI players handle badly.
  std::string caps = "audio/x-raw,format=S16LE";
  const int format = in_.Choices.AudioFormat;
  if (format != af_default) {
    static const int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
    const int i = format - 1;
    const int bits = (i % 4) < 2 ? 8 : 16;
    caps = std::string("audio/x-raw,format=") + (bits == 8 ? "U8" : "S16LE") +
           ",rate=" + std::to_string(kRates[i / 4]) + ",channels=" + std::to_string((i % 2) + 1) +
           ",layout=interleaved";
    host_.LogLine("set audio format");
  }
  const orvex::media::CapsPtr parsed(gst_caps_from_string(caps.c_str()));
  g_object_set(filter, "caps", parsed.get(), nullptr);
  tail = filter;
  return true;
}

bool TGraphBuilder::BuildPreview() {
  host_.LogLine("BEGIN build preview");
  const bool ok = BuildPreviewChain();
  host_.LogLine("END build preview");
  host_.LogLine("building preview ended");
  return ok;
}

bool TGraphBuilder::BuildPreviewChain() {
  if (host_.Report(!video_, sv_Trace, "preview pin not assigned", e_pin_not_found)) return false;
  GstElement* tail = video_;
  TChainFormat format = format_;
  // Ahead of decoding and converting, so a hidden preview costs nothing past the device.
  if (!AddPreviewValve(tail)) return false;
  if (s_.FrameGrabber != fg_CaptureStream)
    return AddProcessing(tail, format, s_.GrabberOnPreview(), DisplayTakesYuv(), true) &&
           FinishPreviewSide(tail, format, false, "");
  // The grabber gets a copy of its own; the window shows the frames unprocessed.
  if (!AddProcessing(tail, format, false) || !EnsureRgb(tail, format, "")) return false;
  GstElement* tee = g_.Make("tee", "Inf Tee Vid");
  GstElement* grabbed = Queue("Inf Tee Vid Grabber Queue", TQueueKind::Preview);
  GstElement* shown = Queue("Inf Tee Vid Preview Queue", TQueueKind::Preview);
  GstElement* null = g_.Make("fakesink", "Null Renderer");
  if (!tee || !grabbed || !shown || !null || !g_.Link(tail, tee) || !g_.Link(tee, grabbed) ||
      !g_.Link(tee, shown))
    return false;
  g_object_set(null, "sync", TRUE, nullptr);
  return AddGrabber(grabbed, vdv_filters::gm_RGB) && g_.Link(grabbed, null) &&
         FinishPreviewSide(shown, format, false, " 2");
}

GstElement* TGraphBuilder::AddCompressor(bool video) {
  const std::string listName = video ? "video compressor" : "audio compressor";
  TDeviceEntry entry;
  int index = video ? in_.Choices.VideoCompressor : in_.Choices.AudioCompressor;
  if (!ChooseEntry(video ? lk_VideoCompressors : lk_AudioCompressors, listName, index, entry)) return nullptr;
  host_.Report(true, sv_Info, "using " + listName + ":\r\n" + entry.DisplayName,
               i_binding_device_or_compressor);
  const auto& maker = entry.Info.Descriptor.maker;
  GstElement* element = g_.Add(maker ? maker->CreateElement(nullptr) : nullptr, video ? "VIDC" : "AUDC");
  if (!element) return nullptr;
  orvex::media::ApplySerialized(element, device_store::LoadCompressorState(entry.Info.Key).value_or(""));
  (video ? parts_.VideoCompressorName : parts_.AudioCompressorName) = entry.DisplayName;
  return element;
}

// Links `tail` into `encoder`, converting raw frames to the YUV it takes in
// the colours players expect of its codec (MJPEG from RGB would store RGB
// pictures).
bool TGraphBuilder::LinkIntoVideoEncoder(GstElement* tail, TChainFormat& format, GstElement* encoder) {
  if (!EnsureRaw(tail, format, " 3")) return false;
  GstElement* convert = Converter("VIDC Converter");
  if (!convert || !g_.Link(tail, convert)) return false;
  const std::string caps = orvex::media::EncoderInputCaps(encoder);
  return caps.empty() ? g_.Link(convert, encoder) : g_.LinkFiltered(convert, encoder, caps);
}

bool TGraphBuilder::BuildCaptureAndPreview(const std::string& fileName) {
  host_.LogLine("BEGIN build capture and preview");
  const bool ok = BuildCaptureChain(fileName);
  host_.LogLine("END build capture and preview");
  return ok;
}

bool TGraphBuilder::BuildCaptureChain(const std::string& fileName) {
  if (host_.Report(!video_, sv_Trace, "Capture pin not assigned", e_pin_not_found)) return false;
  recording_ = true;
  GstElement* tail = video_;
  TChainFormat format = format_;
  if (!AddProcessing(tail, format, s_.GrabberOnCapture(), CaptureGrabberTakesYuv())) return false;
  GstElement* tee = g_.Make("tee", "Smart Tee");
  GstElement* preview = Queue("Smart Tee Preview", TQueueKind::Preview);
  GstElement* capture =
      Queue("Smart Tee Capture", s_.CompressVideo() ? TQueueKind::RawFrames : TQueueKind::ToDisk);
  if (!tee || !preview || !capture || !g_.Link(tail, tee) || !g_.Link(tee, preview) || !g_.Link(tee, capture))
    return false;
  const bool grabberOnPreviewOnly = s_.FrameGrabber == fg_PreviewStream ||
                                    (s_.FrameGrabber == fg_BothStreams && s_.RecordingInNativeFormat);
  // The frame clock runs on the capture side only when the grabber is there.
  if (s_.GrabberOnCapture() && !grabberOnPreviewOnly && !AddPreviewValve(preview)) return false;
  if (!FinishPreviewSide(preview, format, grabberOnPreviewOnly, " 2")) return false;

  // The capture side: compressor, then the AVI writer.
  GstElement* mux = g_.Make("avimux", "AVI Mux");
  GstElement* writer = g_.Make("filesink", "File Writer");
  if (host_.Report(!mux || !writer, sv_Error, "set outputfilename (mux/sink", e_set_output_file_name))
    return false;
  // OpenDML only: no AVI 1.0 index to build at the end of a long recording.
  g_object_set(mux, "bigfile", in_.Choices.OpenDML ? TRUE : FALSE, nullptr);
  ConfigureRecordingWriter(writer, fileName);
  host_.LogLine("set outputfilename (mux/sink");
  parts_.FileWriter = writer;
  GstElement* captured = capture;
  if (s_.CompressVideo()) {
    host_.LogLine("inserting video compressor");
    GstElement* encoder = AddCompressor(true);
    if (!encoder || !LinkIntoVideoEncoder(captured, format, encoder)) {
      host_.RecordingFailed(e_video_compressor_not_suitable,
                            "video compressor " + parts_.VideoCompressorName + " not suitable", fileName,
                            parts_.VideoCompressorName);
      return false;
    }
    // The encoder's thread keeps encoding while the writer waits for the disk.
    GstElement* compressed = Queue("VIDC Queue", TQueueKind::ToDisk);
    if (!compressed || !g_.Link(encoder, compressed)) return false;
    captured = compressed;
  } else if (format.raw && !format.rgb) {
    // Raw formats an AVI file does not take are converted to I420.
    GstElement* convert = Converter("AVI Converter");
    if (!convert || !g_.Link(captured, convert)) return false;
    captured = convert;
  }
  if (!g_.LinkRequest(captured, mux, "video_%u") || !g_.Link(mux, writer))
    return Fail("connect to AVI Mux failed");

  if (audio_ && !AddCaptureAudio(mux, fileName)) return false;
  host_.WatchDiskSpace(mux, fileName);
  return true;
}

// The audio side of a recording: into the AVI writer, compressed where chosen,
// and on to the renderer when it also plays.
bool TGraphBuilder::AddCaptureAudio(GstElement* mux, const std::string& fileName) {
  GstElement* audioTail = audio_;
  if (s_.CaptureAudio && s_.RenderAudio) {
    GstElement* audioTee = g_.Make("tee", "Audio Tee");
    if (!audioTee || !g_.Link(audio_, audioTee)) return false;
    audioTail = audioTee;
  }
  if (s_.CaptureAudio) {
    GstElement* queue = Queue("Audio Capture Queue", TQueueKind::ToDisk);
    if (!queue || !g_.Link(audioTail, queue)) return false;
    GstElement* stream = queue;
    if (s_.CompressAudio()) {
      host_.LogLine("inserting audio compressor");
      GstElement* encoder = AddCompressor(false);
      GstElement* convert = g_.Make("audioconvert", "AUDC Converter");
      if (!encoder || !convert || !g_.Link(queue, convert) || !g_.Link(convert, encoder)) {
        host_.RecordingFailed(e_audio_compressor_not_suitable,
                              "audio compressor " + parts_.AudioCompressorName + " not suitable", fileName,
                              parts_.AudioCompressorName);
        return false;
      }
      stream = encoder;
    }
    if (!g_.LinkRequest(stream, mux, "audio_%u")) return Fail("connect audio to AVI Mux failed");
    parts_.AudioConnected = true;
  }
  audio_ = s_.RenderAudio ? audioTail : nullptr;
  return true;
}

bool TGraphBuilder::FinishAudio(bool recording) {
  if (!audio_) return true;
  GstElement* tee = g_.Make("tee", "ATee");
  GstElement* queue = Queue("Audio Render Queue", TQueueKind::Preview);
  if (!tee || !queue || !g_.Link(audio_, tee) || !g_.Link(tee, queue)) return false;
  if (s_.RenderAudio) {
    host_.Report(recording, sv_Warning,
                 "AUDIO RENDERING DURING Recording CAN INCREASE DROPPED FRAMES AND CAUSE AUDIO SYNC PROBLEMS",
                 w_player_audio_should_be_disabled);
    GstElement* renderer = g_.Make("autoaudiosink", "Audio Renderer");
    if (renderer && g_.Link(queue, renderer)) return true;
    if (renderer) gst_bin_remove(GST_BIN(g_.Pipeline()), renderer);
  }
  GstElement* null = g_.Make("fakesink", "Audio Null Renderer");
  if (null) g_object_set(null, "sync", TRUE, nullptr);
  return null && g_.Link(queue, null);
}
