#pragma once
// Putting finished image bytes into a file or stream. A file appears complete
// under its name or not at all: the bytes go to a temporary file in the same
// folder that replaces the target only after everything was written.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>

namespace orvex::imaging {

// Every failure of the image writers. what() is a text fit for the user.
class EImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Who may read a written file.
enum class TFileAccess {
  Usual,     // a new file as the umask says (0666 less it); a replaced file keeps its mode
  OwnerOnly  // 0600, new or replaced: files among the settings
};

// Creates or replaces `path` with `bytes`.
// A file that exists but may not be written is refused, as opening it for writing would be.
// Throws EImageError ("Cannot create file "...". <reason>" or "Cannot write file ...") and
// leaves no partial file behind; an existing file stays as it was.
void WriteImageFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                    TFileAccess access = TFileAccess::Usual);

// Throws EImageError when the stream refuses the bytes.
void WriteImageStream(std::ostream& stream, std::span<const std::uint8_t> bytes);

}  // namespace orvex::imaging
