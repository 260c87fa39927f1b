#include "platform/gdi/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace orvex::gdi {
namespace {

// The height of a font asked for with lfHeight 0: 8 points at 96 dpi.
constexpr int kDefaultEm = 11;
// Beyond this a glyph cache would hold megabytes per character.
constexpr int kMaxEm = 1024;

struct Match {
  std::string file;
  int index = 0;
  std::string family;
  bool embolden = false;
  bool oblique = false;
};

std::mutex& FontconfigMutex() {
  static std::mutex mutex;
  return mutex;
}

bool MatchFace(const std::string& face, bool bold, bool italic, Match& out) {
  std::lock_guard lock(FontconfigMutex());
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!face.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* file = nullptr;
  FcChar8* family = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  FcBool embolden = FcFalse;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (found) {
    out.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
      out.family = reinterpret_cast<const char*>(family);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    out.index = index;
    // Faces without the asked-for style get it drawn synthetically.
    out.embolden = bold && (embolden || weight < FC_WEIGHT_DEMIBOLD);
    out.oblique = italic && slant == FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return found;
}

int Scale(long units, int em, int unitsPerEm) {
  return int(std::lround(double(units) * em / std::max(unitsPerEm, 1)));
}

}  // namespace

struct Font::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  bool embolden = false;
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

LogFont LogFont::FromPoints(const std::string& face, int points, bool bold) {
  LogFont font;
  font.faceName = face;
  points = std::min(points, 2000);
  font.height = points > 0 ? -((points * 96 + 36) / 72) : 0;
  font.weight = bold ? FW_BOLD : FW_NORMAL;
  return font;
}

Font::Font(const LogFont& description) : description_(description) {}

Font::~Font() = default;

std::shared_ptr<const Font> Font::Create(const LogFont& description, std::string* error) {
  const bool bold = description.weight >= 600;
  std::shared_ptr<Font> font(new Font(description));
  Match match;
  if (MatchFace(description.faceName, bold, description.italic, match) &&
      font->Load(match.file, match.index, match.embolden, match.oblique, error)) {
    font->family_ = match.family;
    return font;
  }
  // A match that FreeType cannot use: fall back to the default sans face.
  if (MatchFace("sans-serif", bold, description.italic, match) &&
      font->Load(match.file, match.index, match.embolden, match.oblique, error)) {
    font->family_ = match.family;
    return font;
  }
  if (error && error->empty()) *error = "no font matches \"" + description.faceName + "\"";
  return nullptr;
}

std::shared_ptr<const Font> Font::Shared(const LogFont& description, std::string* error) {
  auto less = [](const LogFont& a, const LogFont& b) {
    return std::tie(a.faceName, a.height, a.weight, a.italic, a.underline, a.strikeOut) <
           std::tie(b.faceName, b.height, b.weight, b.italic, b.underline, b.strikeOut);
  };
  static std::mutex mutex;
  static std::map<LogFont, std::weak_ptr<const Font>, decltype(less)> fonts(less);
  std::lock_guard lock(mutex);
  auto it = fonts.find(description);
  if (it != fonts.end()) {
    if (auto font = it->second.lock()) return font;
  }
  std::erase_if(fonts, [](const auto& entry) { return entry.second.expired(); });
  auto font = Create(description, error);
  if (font) fonts[description] = font;
  return font;
}

const Font& Font::Stock() {
  static const std::shared_ptr<const Font> stock = [] {
    std::shared_ptr<const Font> font = Create(LogFont{});
    if (!font) {
      // No font at all on this machine: text takes space but draws nothing.
      auto empty = std::shared_ptr<Font>(new Font(LogFont{}));
      empty->em_ = kDefaultEm;
      empty->metrics_ = {13, 11, 2, 2, 5, 11};
      font = empty;
    }
    return font;
  }();
  return *stock;
}

bool Font::Load(const std::string& file, int index, bool embolden, bool oblique, std::string* error) {
  auto face = std::make_unique<Face>();
  if (FT_Init_FreeType(&face->library) != 0 ||
      FT_New_Face(face->library, file.c_str(), index, &face->face) != 0 || !FT_IS_SCALABLE(face->face)) {
    if (error) *error = "cannot load the font file " + file;
    return false;
  }
  FT_Face f = face->face;
  FT_Select_Charmap(f, FT_ENCODING_UNICODE);
  const int upem = std::max<int>(f->units_per_EM, 1);
  long winAscent = f->ascender, winDescent = -f->descender;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    winAscent = os2->usWinAscent;
    winDescent = os2->usWinDescent;
  }
  const long cell = std::max(winAscent + winDescent, 1L);
  const int h = description_.height;
  if (h > 0) {
    const int height = std::min(h, kMaxEm * 2);
    em_ = std::clamp(int(std::lround(double(height) * upem / cell)), 1, kMaxEm);
    metrics_.ascent = int(std::lround(double(height) * winAscent / cell));
    metrics_.descent = height - metrics_.ascent;
  } else {
    em_ = h < 0 ? std::min(-std::int64_t(h), std::int64_t(kMaxEm)) : kDefaultEm;
    metrics_.ascent = Scale(winAscent, em_, upem);
    metrics_.descent = Scale(winDescent, em_, upem);
  }
  metrics_.height = metrics_.ascent + metrics_.descent;
  metrics_.internalLeading = std::max(metrics_.height - em_, 0);
  metrics_.maxCharWidth = Scale(f->max_advance_width, em_, upem);
  if (FT_Set_Pixel_Sizes(f, 0, FT_UInt(em_)) != 0) {
    if (error) *error = "cannot size the font file " + file;
    return false;
  }
  if (oblique) {
    FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
    FT_Set_Transform(f, &shear, nullptr);
  }
  face->embolden = embolden;
  lineThickness_ = std::max(1, Scale(f->underline_thickness, em_, upem));
  underlineOffset_ = Scale(-f->underline_position, em_, upem) - lineThickness_ / 2;
  underlineOffset_ = std::clamp(underlineOffset_, 1, std::max(1, metrics_.descent - lineThickness_));
  if (os2 && os2->version != 0xFFFF && os2->yStrikeoutPosition > 0) {
    strikeOffset_ = -Scale(os2->yStrikeoutPosition, em_, upem);
    lineThickness_ = std::max(lineThickness_, Scale(os2->yStrikeoutSize, em_, upem));
  } else {
    strikeOffset_ = -std::max(1, metrics_.ascent / 3);
  }
  file_ = file;
  face_ = std::move(face);
  const int avg = os2 && os2->version != 0xFFFF ? Scale(os2->xAvgCharWidth, em_, upem) : 0;
  metrics_.aveCharWidth = avg > 0 ? avg : GetGlyph(U'x').advance;
  return true;
}

const Glyph& Font::GetGlyph(char32_t codePoint) const {
  if (codePoint < kFastGlyphs) {
    if (const Glyph* g = fast_[codePoint].load(std::memory_order_acquire)) return *g;
    return *Render(codePoint);
  }
  {
    std::shared_lock lock(slowMutex_);
    auto it = slow_.find(codePoint);
    if (it != slow_.end()) return *it->second;
  }
  return *Render(codePoint);
}

// Renders and publishes one glyph; another thread may have done it meanwhile.
const Glyph* Font::Render(char32_t codePoint) const {
  std::lock_guard lock(renderMutex_);
  if (codePoint < kFastGlyphs) {
    if (const Glyph* g = fast_[codePoint].load(std::memory_order_acquire)) return g;
  } else {
    std::shared_lock slowLock(slowMutex_);
    auto it = slow_.find(codePoint);
    if (it != slow_.end()) return it->second.get();
  }
  auto glyph = std::make_unique<Glyph>();
  FT_Face f = face_ ? face_->face : nullptr;
  if (f &&
      FT_Load_Glyph(f, FT_Get_Char_Index(f, FT_ULong(codePoint)), FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0) {
    FT_GlyphSlot slot = f->glyph;
    if (face_->embolden) FT_GlyphSlot_Embolden(slot);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& bm = slot->bitmap;
      glyph->left = slot->bitmap_left;
      glyph->top = slot->bitmap_top;
      glyph->width = int(bm.width);
      glyph->rows = int(bm.rows);
      glyph->coverage.resize(std::size_t(glyph->width) * std::size_t(glyph->rows));
      for (int y = 0; y < glyph->rows; ++y) {
        const unsigned char* src = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
        std::uint8_t* dst = glyph->coverage.data() + std::size_t(y) * std::size_t(glyph->width);
        for (int x = 0; x < glyph->width; ++x)
          dst[x] = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((src[x >> 3] >> (7 - (x & 7))) & 1) * 255 : src[x];
      }
    }
    glyph->advance = int((slot->advance.x + 32) >> 6);
  }
  const Glyph* result = glyph.get();
  if (codePoint < kFastGlyphs) {
    owned_.push_back(std::move(glyph));
    fast_[codePoint].store(result, std::memory_order_release);
  } else {
    std::unique_lock slowLock(slowMutex_);
    slow_.emplace(codePoint, std::move(glyph));
  }
  return result;
}

}  // namespace orvex::gdi
