#pragma once
// The engine's vocabulary. Every enumeration is stored as its position, so
// the order of the names is part of the stored format and must not change.

#include <cstdint>

enum TEngineState : int { es_Stopped, es_Previewing, es_Recording, es_Playing, es_Reencoding };

enum TCompressionMode : int { cm_NoCompression, cm_CompressOnTheFly, cm_CompressAfterRecording };
enum TCompressionType : int { ct_Video, ct_Audio, ct_AudioVideo };
enum TAutoFileName : int { fn_Sequential, fn_DateTime };
enum TRecordingMethod : int { rm_AVI, rm_ASF, rm_Stream };
enum TFrameCaptureDest : int { fc_TBitmap, fc_BmpFile, fc_JpegFile };
enum TFrameGrabber : int { fg_BothStreams, fg_PreviewStream, fg_CaptureStream, fg_Disabled };
enum TFrameGrabberRGBFormat : int { fgf_Default, fgf_RGB32, fgf_RGB24, fgf_RGB565, fgf_RGB555, fgf_RGB8 };
enum TNotificationMethod : int { nm_Timer, nm_Thread };
enum TVideoRotation : int {
  rt_0_deg,
  rt_90_deg,
  rt_180_deg,
  rt_270_deg,
  rt_0_deg_mirror,
  rt_90_deg_mirror,
  rt_180_deg_mirror,
  rt_270_deg_mirror
};
enum TVideoDeinterlacing : int { di_Disabled, di_HalfSize, di_FullSize };
enum TTextOverlayAlign : int { tf_Left, tf_Center, tf_Right };
enum TVideoRenderer : int { vr_AutoSelect, vr_VMR9, vr_VMR7, vr_StandardRenderer, vr_None };
enum TVideoSource : int {
  vs_VideoCaptureDevice,
  vs_VideoFileOrURL,
  vs_IPCamera,
  vs_VideoFromImages,
  vs_VideoFromBitmaps,
  vs_ExternalSource
};
enum TMultiplexedRole : int { mr_NotMultiplexed, mr_MultiplexedMaster, mr_MultiplexedSlave };
enum TNetworkStreaming : int { ns_Disabled, ns_ASFDirectNetworkStreaming, ns_ASFStreamingToPublishingPoint };
enum TSampleCapture : int { sc_Disabled, sc_Unsplitted, sc_Native, sc_AfterOnDraw, sc_AfterCompression };
enum TLogoLayout : int { lg_Centered, lg_Stretched, lg_Repeated };
enum TDVSize : int { dvFull, dvHalf, dvQuarter, dvDC };
enum TJPEGPerformance : int { jpBestQuality, jpBestSpeed };

// Rate in Hz, bits per sample, channels.
enum TAudioFormat : int {
  af_default,
  af_8000_8b_1ch,
  af_8000_8b_2ch,
  af_8000_16b_1ch,
  af_8000_16b_2ch,
  af_11025_8b_1ch,
  af_11025_8b_2ch,
  af_11025_16b_1ch,
  af_11025_16b_2ch,
  af_16000_8b_1ch,
  af_16000_8b_2ch,
  af_16000_16b_1ch,
  af_16000_16b_2ch,
  af_22050_8b_1ch,
  af_22050_8b_2ch,
  af_22050_16b_1ch,
  af_22050_16b_2ch,
  af_32000_8b_1ch,
  af_32000_8b_2ch,
  af_32000_16b_1ch,
  af_32000_16b_2ch,
  af_44100_8b_1ch,
  af_44100_8b_2ch,
  af_44100_16b_1ch,
  af_44100_16b_2ch,
  af_48000_8b_1ch,
  af_48000_8b_2ch,
  af_48000_16b_1ch,
  af_48000_16b_2ch
};
inline constexpr int kAudioFormatCount = 29;

// Property pages the application can open; 3 to 10 belong to dialogs it never uses.
enum TDialogKind : int {
  dk_VideoDevice = 0,
  dk_VideoCompressor = 1,
  dk_AudioCompressor = 2,
  dk_AudioDevice = 11
};

// Report severities: 0 goes to the diagnostic log only.
enum TSeverity : int { sv_Trace = 0, sv_Info = 1, sv_Warning = 2, sv_Error = 3 };

// Thread priorities of the task worker in thread mode.
enum TThreadPriority : int { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Screen cursors, numbered as the classic cursor constants.
enum TCursor : int {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crHourGlass = -11,
  crAppStart = -19,
  crHandPoint = -21
};

// Colours are COLORREF values, 0x00BBGGRR.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clAqua = 0xFFFF00;
