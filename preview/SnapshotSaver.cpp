#include "preview/SnapshotSaver.h"

#include <QGuiApplication>
#include <QScreen>
#include <cctype>
#include <charconv>
#include <cmath>
#include <new>

#include "engine/frames/BitmapImageView.h"
#include "imaging/BmpWriter.h"
#include "imaging/GIFImage.h"
#include "imaging/ImageFile.h"
#include "imaging/JpegWriter.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"

using orvex::gdi::Bitmap;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string SizeText(TSnapshotSize size) {
  return std::to_string(size.Width) + " x " + std::to_string(size.Height);
}

TSnapshotResult Failed(std::string error) { return {false, std::move(error)}; }

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  // from_chars takes a minus but no plus.
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// GCC 12 at -O2 and above sees an overlapping copy in this concatenation that
// cannot happen (its bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
std::string NotAnIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}
#pragma GCC diagnostic pop

TSnapshotSize SnapshotTargetSize(TSnapshotSizeMode mode, TSnapshotSize video, TSnapshotSize screen,
                                 TSnapshotSize custom) {
  switch (mode) {
    case ss_Video: return video;
    case ss_Screen: return screen;
    case ss_Custom: break;
  }
  return custom;
}

TSnapshotSize PrimaryScreenPixelSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  const QSize logical = screen->geometry().size();
  const qreal ratio = screen->devicePixelRatio();
  return {static_cast<int>(std::lround(logical.width() * ratio)),
          static_cast<int>(std::lround(logical.height() * ratio))};
}

std::optional<TSnapshotFormat> SnapshotFormatOfPath(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".bmp") return sf_BMP;
  if (ext == ".jpg" || ext == ".jpeg") return sf_JPG;
  if (ext == ".gif") return sf_GIF;
  return std::nullopt;
}

std::string ProposedSnapshotName(const std::string& previous, TSnapshotFormat format) {
  if (previous.empty()) return previous;
  std::filesystem::path path(previous);
  if (SnapshotFormatOfPath(path)) return path.replace_extension(SnapshotDefaultExtension(format)).string();
  return SnapshotFileName(previous, format);
}

std::string SnapshotFileName(const std::string& chosen, TSnapshotFormat format) {
  if (chosen.empty() || SnapshotFormatOfPath(chosen)) return chosen;
  const std::string extension = SnapshotDefaultExtension(format);
  return chosen.back() == '.' ? chosen + extension.substr(1) : chosen + extension;
}

const char* SnapshotDefaultExtension(TSnapshotFormat format) {
  switch (format) {
    case sf_GIF: return ".gif";
    case sf_JPG: return ".jpg";
    case sf_BMP: break;
  }
  return ".bmp";
}

const char* SnapshotFilter(TSnapshotFormat format) {
  switch (format) {
    case sf_GIF: return "Gif Files (*.GIF)|*.gif|All Files (*.*)|*.*";
    case sf_JPG: return "JPeg Files (*.JPG)|*.jpg|All Files (*.*)|*.*";
    case sf_BMP: break;
  }
  return "Bitmap Files (*.BMP)|*.bmp|All Files (*.*)|*.*";
}

TSnapshotResult MakeSnapshotBitmap(const Bitmap& frame, TSnapshotSize size, Bitmap& working) {
  working.Release();
  // A bitmap of no pixels would make a file no viewer opens.
  if (size.Width <= 0 || size.Height <= 0 || size.Width > Bitmap::kMaxDimension ||
      size.Height > Bitmap::kMaxDimension)
    return Failed("Cannot make a snapshot of " + SizeText(size) +
                  " pixels: the width and the height must be whole numbers from 1 to 65535.");
  if (frame.Empty()) return Failed("The captured frame holds no picture.");
  if (!working.Create(size.Width, size.Height, orvex::gdi::PixelFormat::Rgb32))
    return Failed("Cannot make a snapshot of " + SizeText(size) +
                  " pixels: there is not enough memory for it.");

  // Read the frame through a borrowed view, so its owner's object is never selected anywhere.
  Bitmap source;
  source.Wrap(frame.Bits(), frame.Width(), frame.Height(), frame.Format(), frame.Stride(), frame.RowOrder());
  source.SetColorTable(frame.ColorTable()[0], frame.ColorTable()[1]);
  orvex::gdi::DeviceContext to(&working);
  orvex::gdi::DeviceContext from(&source);
  to.SetStretchBltMode(orvex::gdi::COLORONCOLOR);
  if (!orvex::gdi::StretchBlt(&to, 0, 0, size.Width, size.Height, &from, 0, 0, frame.Width(), frame.Height(),
                              orvex::gdi::SRCCOPY)) {
    working.Release();
    return Failed("The captured frame could not be scaled to " + SizeText(size) + " pixels.");
  }
  return {true, {}};
}

TSnapshotResult WriteSnapshotFile(const Bitmap& working, TSnapshotFormat format,
                                  const std::filesystem::path& path) {
  try {
    switch (format) {
      case sf_GIF: {
        orvex::imaging::TGIFImage gif;
        gif.Assign(ImageViewOf(working));
        gif.SaveToFile(path);
        break;
      }
      case sf_JPG: orvex::imaging::SaveJpegToFile(path, ImageViewOf(working)); break;
      case sf_BMP:
      default:
        orvex::imaging::SaveBmpToFile(path, ImageViewOf(working), orvex::imaging::TBmpBitsPerPixel::Bpp32);
    }
  } catch (const std::bad_alloc&) {
    return Failed("Cannot create file \"" + path.string() +
                  "\". There is not enough memory for the picture.");
  } catch (const std::exception& e) {
    return Failed(e.what());
  }
  return {true, {}};
}

TSnapshotResult SaveSnapshot(const Bitmap& frame, TSnapshotFormat format, TSnapshotSize size,
                             const std::filesystem::path& path) {
  Bitmap working;
  TSnapshotResult made = MakeSnapshotBitmap(frame, size, working);
  if (!made) return made;
  return WriteSnapshotFile(working, format, path);
}
