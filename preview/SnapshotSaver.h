#pragma once
// Turning a captured frame into a snapshot file: the frame is stretched
// colour on colour (rows and columns dropped or repeated, never blended) onto
// a 32-bit working bitmap of the chosen size, then written as a 32-bit BMP, a
// JPEG (quality 90, baseline) or a GIF. Needs no window, so the command line
// can save snapshots as the preview window does.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/gdi/Bitmap.h"

// The codes are those the snapshot settings store.
enum TSnapshotFormat : int { sf_BMP = 0, sf_JPG = 1, sf_GIF = 2 };
enum TSnapshotSizeMode : int { ss_Video = 0, ss_Screen = 1, ss_Custom = 2 };

struct TSnapshotSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TSnapshotSize&) const = default;
};

// The outcome of a save; Error is a sentence for the error box.
struct TSnapshotResult {
  bool Success = false;
  std::string Error;
  explicit operator bool() const { return Success; }
};

// What the snapshot window shows at the moment a frame arrives.
class ISnapshotChoices {
 public:
  virtual ~ISnapshotChoices() = default;
  virtual TSnapshotFormat SnapshotFormat() const = 0;
  virtual TSnapshotSizeMode SnapshotSizeMode() const = 0;
  // The custom width and height as typed, unchecked.
  virtual std::string CustomWidthText() const = 0;
  virtual std::string CustomHeightText() const = 0;
};

// A decimal whole number with an optional sign; blanks around it are allowed.
// Nothing when the text is anything else or does not fit an int.
std::optional<int> ParseWholeNumber(std::string_view text);
// "'<text>' is not a valid integer value"
std::string NotAnIntegerMessage(std::string_view text);

// The size of the working bitmap for a size mode.
TSnapshotSize SnapshotTargetSize(TSnapshotSizeMode mode, TSnapshotSize video, TSnapshotSize screen,
                                 TSnapshotSize custom);

// The pixel size of the primary screen (device pixels); 0 x 0 without one.
// Needs a QGuiApplication.
TSnapshotSize PrimaryScreenPixelSize();

// The format named by a file's extension, in any case: .bmp, .jpg or .jpeg,
// .gif; nothing for another one.
std::optional<TSnapshotFormat> SnapshotFormatOfPath(const std::filesystem::path& path);

// The name to propose for a snapshot in `format`: the previous one with the
// format's extension in place of its picture extension (snap.jpg -> snap.bmp).
std::string ProposedSnapshotName(const std::string& previous, TSnapshotFormat format);
// The file a name chosen for a snapshot in `format` is written to. A picture
// extension is kept, and its format is the one written (see
// SnapshotFormatOfPath); any other name gets the format's extension added
// (snap -> snap.bmp, snap.png -> snap.png.bmp).
std::string SnapshotFileName(const std::string& chosen, TSnapshotFormat format);

// Dialog settings of the save dialog for a format.
const char* SnapshotDefaultExtension(TSnapshotFormat format);  // ".bmp"
const char* SnapshotFilter(TSnapshotFormat format);            // "Bitmap Files (*.BMP)|*.bmp|..."

// Makes `working` a 32-bit picture of `size` holding `frame` stretched over
// all of it. A size of 0 or less, above 65535 or too large for memory is
// refused with a message, and `working` is left empty.
TSnapshotResult MakeSnapshotBitmap(const orvex::gdi::Bitmap& frame, TSnapshotSize size,
                                   orvex::gdi::Bitmap& working);

// Writes the working bitmap to `path`, which is created or replaced. A failed
// write leaves no file behind and an existing file as it was.
TSnapshotResult WriteSnapshotFile(const orvex::gdi::Bitmap& working, TSnapshotFormat format,
                                  const std::filesystem::path& path);

// Both steps: `frame` scaled to `size` and saved in `format` at `path`.
TSnapshotResult SaveSnapshot(const orvex::gdi::Bitmap& frame, TSnapshotFormat format, TSnapshotSize size,
                             const std::filesystem::path& path);
