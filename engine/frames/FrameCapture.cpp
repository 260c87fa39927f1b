// Capturing one frame on request: as a bitmap for the host, or written to a
// BMP or JPEG file.

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/TVdvGraph.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "engine/frames/BitmapImageView.h"
#include "imaging/BmpWriter.h"
#include "imaging/ImageFile.h"
#include "imaging/JpegWriter.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"

namespace {

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Halves round to even, as the frame size percentage always did.
int Zoomed(int size, int percent) { return static_cast<int>(std::nearbyint(size * percent / 100.0)); }

}  // namespace

std::string NormaliseCaptureFileName(const std::string& name, const std::string& extension) {
  const auto dot = name.rfind('.');
  const auto slash = name.rfind('/');
  if (slash != std::string::npos && (dot == std::string::npos || slash > dot)) return name + "." + extension;
  if (dot != std::string::npos)
    return Lower(name.substr(dot + 1)) != extension ? name.substr(0, dot + 1) + extension : name;
  return name + "." + extension;
}

bool TVdvWorker::CaptureFrame(TFrameCaptureDest dest, const std::string& fileName) {
  if (!SettingsTaken || Settings.FrameGrabber == fg_Disabled || !GraphActive || Frames.CaptureWaiting())
    return false;
  // Nothing flows while paused: the last served frame is the picture.
  const bool paused = Graph && Graph->CurrentState() == GST_STATE_PAUSED;
  Frames.AskCapture(dest, fileName, !paused);
  UpdatePreviewValve();
  if (paused) ServeCapture(dest, fileName);
  return true;
}

void TVdvWorker::ServeStep() {
  if (!Frames.Served().Bitmap) return;  // a waiting request stays for the next captured frame
  TFrameCaptureDest dest = fc_TBitmap;
  std::string fileName;
  if (!Frames.TakeCaptureRequest(dest, fileName)) return;
  UpdatePreviewValve();
  ServeCapture(dest, fileName);
}

// The file to write for a capture: the given name normalised (its folder
// created), or an automatic one. Empty when the folder cannot be made.
std::string TVdvWorker::CaptureFileName(const std::string& given, const std::string& extension) {
  if (given.empty()) return AutomaticFileName(extension);
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(given, ec);
  const std::filesystem::path folder = full.parent_path();
  std::filesystem::create_directories(folder, ec);
  if (Report(!std::filesystem::is_directory(folder, ec), sv_Error,
             "cannot create directory: " + folder.string(), e_failed_to_create_directory))
    return "";
  return NormaliseCaptureFileName(given, extension);
}

void TVdvWorker::ServeCapture(TFrameCaptureDest dest, const std::string& fileName) {
  const std::shared_ptr<orvex::gdi::Bitmap> served = Frames.Served().Bitmap;
  if (Built.Grabbers.empty() || !served || served->Empty()) return;
  orvex::gdi::Bitmap copy;
  const int zoom = P.FrameCaptureZoomSize;
  int width = 0, height = 0;
  FrameSize(width, height);  // a quarter turn stands the picture on its side
  if (zoom == 100 || zoom <= 0 ||
      !copy.Create(Zoomed(width, zoom), Zoomed(height, zoom), served->Format(), served->RowOrder())) {
    copy.Assign(*served);
  } else {
    orvex::gdi::DeviceContext to(&copy);
    orvex::gdi::DeviceContext from(served.get());
    orvex::gdi::StretchBlt(&to, 0, 0, copy.Width(), copy.Height(), &from, 0, 0, served->Width(),
                           served->Height(), orvex::gdi::SRCCOPY);
  }
  TFrameData data;
  data.Bitmap = &copy;
  data.FrameNumber = Frames.Served().Info.FrameNumber;
  data.FrameTime = Frames.Served().Info.FrameTime;

  std::string name;
  bool success = true;
  if (dest == fc_BmpFile || dest == fc_JpegFile) {
    name = CaptureFileName(fileName, dest == fc_BmpFile ? "bmp" : "jpg");
    try {
      if (name.empty()) throw orvex::imaging::EImageError("no file name");
      if (dest == fc_BmpFile) {
        orvex::imaging::SaveBmpToFile(name, ImageViewOf(copy),
                                      copy.Format() == orvex::gdi::PixelFormat::Rgb24
                                          ? orvex::imaging::TBmpBitsPerPixel::Bpp24
                                          : orvex::imaging::TBmpBitsPerPixel::Bpp32);
      } else {
        orvex::imaging::TJpegOptions options;
        options.Quality = P.JPEGQuality;
        options.Progressive = P.JPEGProgressiveDisplay;
        options.Performance = P.JPEGPerformance == jpBestSpeed
                                  ? orvex::imaging::TJpegPerformance::BestSpeed
                                  : orvex::imaging::TJpegPerformance::BestQuality;
        orvex::imaging::SaveJpegToFile(name, ImageViewOf(copy), options);
      }
    } catch (const std::exception&) {
      success = false;
    }
  }
  if (dest > fc_JpegFile || Destroying || Stopping) return;
  if (auto handler = Events.OnFrameCaptureCompleted.Get()) (*handler)(&Owner, data, dest, name, success);
}
