#pragma once
// A font as LOGFONT describes it, matched by fontconfig and drawn with
// FreeType. A Font never changes after it is made, so any thread may draw
// with it while another makes new fonts. Its glyphs are rendered once, on
// first use, and cached for the font's lifetime; drawing cached glyphs takes
// no lock on the common code points and allocates nothing.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace orvex::gdi {

struct LogFont {
  std::string faceName = "MS Sans Serif";
  // As lfHeight: negative = character (em) height in pixels, positive = cell
  // height (ascent + descent) in pixels, 0 = 8 points.
  int height = 0;
  int weight = FW_NORMAL;  // FW_BOLD and above draw bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;

  // A size in points at 96 dots per inch: height = -round(points * 96 / 72).
  static LogFont FromPoints(const std::string& face, int points, bool bold = false);
  bool operator==(const LogFont&) const = default;
};

struct TextMetrics {
  int height = 0;  // ascent + descent: one line of DrawText
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;  // height - em
  int aveCharWidth = 0;
  int maxCharWidth = 0;
};

// A rendered glyph: 8-bit coverage, rows top to bottom.
struct Glyph {
  int left = 0;  // from the pen position to the first column
  int top = 0;   // from the baseline up to the first row
  int width = 0;
  int rows = 0;
  int advance = 0;  // whole pixels, as GDI advances
  std::vector<std::uint8_t> coverage;
};

class Font {
 public:
  // Matches the description and loads the face; nullptr (with a message in
  // *error) when no usable font file is found.
  static std::shared_ptr<const Font> Create(const LogFont& description, std::string* error = nullptr);
  // The same, but returns the living font made earlier from an equal
  // description, glyph cache included, when there is one.
  static std::shared_ptr<const Font> Shared(const LogFont& description, std::string* error = nullptr);
  // The font of a DC with none selected: "MS Sans Serif", 8 points.
  static const Font& Stock();

  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const LogFont& Description() const { return description_; }
  const std::string& FileName() const { return file_; }      // the matched font file
  const std::string& FamilyName() const { return family_; }  // its family
  const TextMetrics& Metrics() const { return metrics_; }
  int EmPixels() const { return em_; }
  // Underline and strike-out lines: top row relative to the baseline
  // (positive = below) and thickness in pixels.
  int UnderlineOffset() const { return underlineOffset_; }
  int StrikeOutOffset() const { return strikeOffset_; }
  int LineThickness() const { return lineThickness_; }

  // The glyph of a code point, rendered on first use. Never null: missing
  // characters give the font's missing-glyph box.
  const Glyph& GetGlyph(char32_t codePoint) const;

 private:
  struct Face;
  Font(const LogFont& description);
  bool Load(const std::string& file, int index, bool embolden, bool oblique, std::string* error);
  const Glyph* Render(char32_t codePoint) const;

  static constexpr char32_t kFastGlyphs = 0x800;

  LogFont description_;
  std::string file_;
  std::string family_;
  TextMetrics metrics_;
  int em_ = 0;
  int underlineOffset_ = 0;
  int strikeOffset_ = 0;
  int lineThickness_ = 1;
  std::unique_ptr<Face> face_;
  mutable std::mutex renderMutex_;  // FreeType faces are single-threaded
  mutable std::array<std::atomic<const Glyph*>, kFastGlyphs> fast_{};
  mutable std::shared_mutex slowMutex_;
  mutable std::unordered_map<char32_t, std::unique_ptr<Glyph>> slow_;
  mutable std::vector<std::unique_ptr<Glyph>> owned_;
};

}  // namespace orvex::gdi
