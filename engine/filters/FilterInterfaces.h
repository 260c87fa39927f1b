#pragma once
// What the engine and its filter module share: the factories the module
// exports, the grabber and transform parameter blocks, and the callbacks a
// frame grabber makes. Both sides are built from this header, so the layout
// of the blocks is the contract; change it only together with kFilterVersion.

#include <cstdint>

#include "platform/gdi/GdiTypes.h"

typedef struct _GstElement GstElement;

namespace vdv_filters {

// A module of another version is refused by the engine.
inline constexpr std::int32_t kFilterVersion = 7035;

// Grabber modes; an instance is added to the graph under its mode's name.
enum TGrabberMode : std::int32_t {
  gm_Sample = 0,
  gm_Dummy = 1,
  gm_Notify = 2,
  gm_Lock = 3,
  gm_LockAndShift = 4,
  gm_DvData = 5,
  gm_Clear = 6,
  gm_RGB = 8
};
inline const char* GrabberModeName(std::int32_t mode) {
  switch (mode) {
    case gm_Sample: return "GRB_Sample";
    case gm_Dummy: return "GRB_Dummy";
    case gm_Notify: return "GRB_Notify";
    case gm_Lock: return "GRB_Lock";
    case gm_LockAndShift: return "GRB_LockAndShift";
    case gm_DvData: return "GRB_DvData";
    case gm_Clear: return "GRB_Clear";
    case gm_RGB: return "GRB_RGB";
    default: return nullptr;
  }
}

// RGB format of the frames a mode-8 grabber processes.
enum TGrabberRGBFormat : std::int32_t { gf_RGB32 = 1, gf_RGB24 = 2 };

// The picture adjustments, copied into the grabber's block on every frame.
struct TProcessingBlock {
  std::int32_t Brightness = 0;  // -255..255, 0 leaves the picture unchanged
  std::int32_t Contrast = 0;
  std::int32_t Saturation = 0;
  std::int32_t Hue = 0;
  std::uint8_t GrayScale = 0;
  std::uint8_t InvertColors = 0;
  std::uint8_t FullSizeDeinterlace = 0;
  std::uint8_t FlipHorizontal = 0;
  std::uint8_t FlipVertical = 0;
  std::uint8_t ProcessingActive = 0;
  std::uint8_t Spare[2] = {0, 0};
};
static_assert(sizeof(TProcessingBlock) == 24);

// How a grabber presents one frame to the frame callback: a DIB section over
// the frame's own pixels (top-down, so biHeight is negative).
struct TFrameDescription {
  std::uint32_t Unused1 = 0;
  orvex::gdi::DIBSECTION Dib;
  std::uint64_t Unused2 = 0;
  std::uint8_t* Pixels = nullptr;
};

struct TGrabberParams;

// Called once per frame by the mode-8 grabber, on its streaming thread,
// after the grabber applied the processing block to the frame's pixels.
// `sampleStart` is the frame's running time in 100-ns units; `sample` is the
// frame's GstBuffer (valid during the call); `bitmap` is null (and so are the
// description's pixels) only for a YUV frame passed on without its pixels,
// as the block's PixelUse allowed; `dc` may be null.
using TFrameCallback = void (*)(TGrabberParams* block, std::int64_t sampleStart, std::uint32_t ignored1,
                                std::uint32_t ignored2, void* sample, std::int32_t length, void* bitmap,
                                void* dc, const TFrameDescription* frame);
// Called once per buffer by the mode-2 grabber; carries no pixels.
using TNotifyCallback = void (*)(TGrabberParams* block, std::uint32_t ignored1, void* sample,
                                 std::int64_t sampleStart, std::uint32_t ignored2, std::uint32_t ignored3);
// DV recording date and time: 7 int32 (valid, year, month, day, hour, minute, second).
using TDVDateTimeCallback = void (*)(TGrabberParams* block, std::int32_t* record);
using TSampleCallback = void (*)(TGrabberParams* block, void* sample);

// CaptureSource: whether the frames of a grabber instance may be captured.
inline constexpr std::uint8_t kNotCaptureSource = 0;
inline constexpr std::uint8_t kIsCaptureSource = 1;

inline constexpr std::int32_t kGrabberFixedValue = 5;

// What the engine's frame callback will do with the next frame's pixels. A
// grabber on YUV frames converts them to RGB only for a callback that reads
// them, and back only for one that may write them. Zero, what an engine that
// never sets it leaves, is the safe choice.
enum TPixelUse : std::uint8_t { pu_ReadWrite = 0, pu_Read = 1, pu_None = 2 };

// One per grabber instance, owned by the module; the engine fills it in.
struct TGrabberParams {
  TFrameCallback FrameCallback = nullptr;
  TSampleCallback SampleCallback = nullptr;
  std::uint8_t SampleCallbackFlag = 0;  // the module sets the three flags to 1 and never reads them
  TNotifyCallback NotifyCallback = nullptr;
  std::uint8_t NotifyCallbackFlag = 0;
  TDVDateTimeCallback DVDateTimeCallback = nullptr;
  std::uint8_t DVDateTimeCallbackFlag = 0;
  void* Context = nullptr;                       // the engine worker the callbacks serve
  std::int32_t FixedValue = kGrabberFixedValue;  // always 5, read by no one
  std::uint8_t PauseFlags[4] = {0, 0, 0, 0};     // recording pauses use the first two, of other slots
  std::int32_t RGBFormat = gf_RGB32;
  TProcessingBlock Processing;
  std::int32_t Reserved = 0;
  std::int32_t Version = 0;  // written by the module
  std::uint8_t CaptureSource = kNotCaptureSource;
  std::uint8_t PixelUse = pu_ReadWrite;  // after the fixed layout; written by the engine per frame
};

// Given to a transform instance once, right after it is created.
struct TTransformParams {
  void* Context = nullptr;
  std::int32_t Rotation = 0;  // TVideoRotation ordinal: 0..3 quarter turns clockwise, +4 mirrored
  std::uint8_t SwapDimensions = 0;
  std::uint8_t HalfSizeDeinterlace = 0;
  std::uint8_t Active = 1;
  std::uint8_t Spare = 0;
  std::uint8_t Subtype[16] = {};
  std::int32_t Reserved1 = 0;
  std::int32_t Reserved2 = 0;
};

// The module's exports, resolved by these names. Results follow HRESULT:
// 0 (or above) is success, negative is failure. Created elements are
// floating references, like gst_element_factory_make's.
using TCreateInstance = std::int32_t (*)(GstElement** filter);
using TFrameSampleGetParams = std::int32_t (*)(GstElement* filter, std::int32_t mode, TGrabberParams** block);
using TTransformSetParams = std::int32_t (*)(GstElement* filter, const TTransformParams* block);

inline constexpr const char* kCreateGrabber = "CreateLocalGrabberInstance";
inline constexpr const char* kCreateGrabberNoModify = "CreateLocalGrabberInstanceNoModify";
inline constexpr const char* kCreateTransform = "CreateLocalTransformInstance";
inline constexpr const char* kFrameSampleGetParams = "IFrameSample_GetParams";
inline constexpr const char* kTransformSetParams = "ITransformConfig_SetParams";

// The module's file name, found beside the program.
inline constexpr const char* kModuleFileName = "liborvexfilters.so";

}  // namespace vdv_filters
