#include "platform/gdi/DrawText.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"

namespace orvex::gdi {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int length;
  char32_t cp, minimum;
  if ((c & 0xE0) == 0xC0) {
    length = 2, cp = c & 0x1F, minimum = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    length = 3, cp = c & 0x0F, minimum = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    length = 4, cp = c & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + std::size_t(length) > s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < length; ++k) {
    const unsigned char b = static_cast<unsigned char>(s[i + std::size_t(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += std::size_t(length);
  return cp;
}

bool IsSpace(char32_t cp) { return cp == U' ' || cp == U'\t'; }
bool IsControl(char32_t cp) { return cp < 0x20 || cp == 0x7F; }

// Advances of code points in one font and format, tabs included.
class Measure {
 public:
  Measure(const Font& font, std::uint32_t format)
      : font_(font), tabStop_((format & DT_EXPANDTABS) ? 8 * std::max(font.Metrics().aveCharWidth, 1) : 0) {}

  // x: the pen position from the start of the line.
  std::int64_t Advance(char32_t cp, std::int64_t x) const {
    if (cp == U'\t') return tabStop_ > 0 ? tabStop_ - (x % tabStop_ + tabStop_) % tabStop_ : Space();
    if (IsControl(cp)) return 0;
    return font_.GetGlyph(cp).advance;
  }
  std::int64_t Width(std::string_view text) const {
    std::int64_t width = 0;
    for (std::size_t i = 0; i < text.size();) width += Advance(NextCodePoint(text, i), width);
    return width;
  }

 private:
  int Space() const { return font_.GetGlyph(U' ').advance; }
  const Font& font_;
  int tabStop_;
};

struct Line {
  std::size_t begin, end;
  std::int64_t width;
};

// The first line of [begin, end) within maxWidth; *next is where the line
// after it starts.
Line NextLine(std::string_view text, std::size_t begin, std::size_t end, const Measure& measure,
              std::int64_t maxWidth, bool breakWords, std::size_t* next) {
  std::int64_t width = 0, widthAtBreak = 0;
  bool content = false, inSpaces = false;
  std::size_t breakAt = kNone;
  for (std::size_t i = begin; i < end;) {
    const std::size_t at = i;
    const char32_t cp = NextCodePoint(text, i);
    const std::int64_t advance = measure.Advance(cp, width);
    if (IsSpace(cp)) {
      if (content && !inSpaces) breakAt = at, widthAtBreak = width;
      inSpaces = true;
      width += advance;
      continue;
    }
    inSpaces = false;
    if (content && width + advance > maxWidth) {
      if (breakAt != kNone) {
        std::size_t after = breakAt;
        while (after < end && (text[after] == ' ' || text[after] == '\t')) ++after;
        *next = after;
        return {begin, breakAt, widthAtBreak};
      }
      if (breakWords) {
        *next = at;
        return {begin, at, width};
      }
    }
    content = true;
    width += advance;
  }
  *next = end;
  return {begin, end, width};
}

struct Clip {
  std::int64_t left, top, right, bottom;
};

void Fill(Bitmap& bitmap, const Clip& clip, std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b,
          COLORREF color) {
  l = std::max(l, clip.left), t = std::max(t, clip.top);
  r = std::min(r, clip.right), b = std::min(b, clip.bottom);
  if (l < r && t < b) bitmap.FillRect(RECT{int(l), int(t), int(r), int(b)}, color);
}

inline std::uint8_t Blend(std::uint8_t d, std::uint32_t c, std::uint32_t a) {
  const std::uint32_t v = d * (255 - a) + c * a + 128;
  return std::uint8_t((v + (v >> 8)) >> 8);  // v / 255, rounded
}

void DrawGlyph(Bitmap& bitmap, const Glyph& g, std::int64_t gx, std::int64_t gy, const Clip& clip,
               COLORREF color) {
  const std::int64_t x0 = std::max(gx, clip.left), x1 = std::min(gx + g.width, clip.right);
  const std::int64_t y0 = std::max(gy, clip.top), y1 = std::min(gy + g.rows, clip.bottom);
  if (x0 >= x1 || y0 >= y1) return;
  const std::uint32_t b = GetBValue(color), gr = GetGValue(color), r = GetRValue(color);
  const int bytes = bitmap.Format() == PixelFormat::Rgb24 ? 3 : 4;
  const bool mono = bitmap.Format() == PixelFormat::Mono1;
  for (std::int64_t y = y0; y < y1; ++y) {
    std::uint8_t* row = bitmap.Scanline(int(y));
    const std::uint8_t* cover = g.coverage.data() + (y - gy) * g.width - gx;
    for (std::int64_t x = x0; x < x1; ++x) {
      const std::uint32_t a = cover[x];
      if (a == 0) continue;
      if (mono) {
        if (a >= 128) bitmap.SetPixel(int(x), int(y), color);
        continue;
      }
      std::uint8_t* p = row + x * bytes;
      if (a == 255) {
        p[0] = std::uint8_t(b), p[1] = std::uint8_t(gr), p[2] = std::uint8_t(r);
      } else {
        p[0] = Blend(p[0], b, a), p[1] = Blend(p[1], gr, a), p[2] = Blend(p[2], r, a);
      }
    }
  }
}

struct Painter {
  Bitmap& bitmap;
  const Font& font;
  const Measure& measure;
  Clip clip;
  COLORREF textColor;
  COLORREF bkColor;
  bool opaque;

  void DrawLine(std::string_view text, const Line& line, std::int64_t x, std::int64_t y) const {
    const TextMetrics& m = font.Metrics();
    if (y >= clip.bottom || y + m.height <= clip.top) return;
    if (opaque) Fill(bitmap, clip, x, y, x + line.width, y + m.height, bkColor);
    const std::int64_t baseline = y + m.ascent;
    std::int64_t pen = 0;
    for (std::size_t i = line.begin; i < line.end;) {
      const char32_t cp = NextCodePoint(text, i);
      const std::int64_t advance = measure.Advance(cp, pen);
      if (!IsControl(cp)) {
        const Glyph& g = font.GetGlyph(cp);
        DrawGlyph(bitmap, g, x + pen + g.left, baseline - g.top, clip, textColor);
      }
      pen += advance;
    }
    const int thick = font.LineThickness();
    if (font.Description().underline) {
      const std::int64_t top = baseline + font.UnderlineOffset();
      Fill(bitmap, clip, x, top, x + line.width, top + thick, textColor);
    }
    if (font.Description().strikeOut) {
      const std::int64_t top = baseline + font.StrikeOutOffset();
      Fill(bitmap, clip, x, top, x + line.width, top + thick, textColor);
    }
  }
};

int ClampInt(std::int64_t v) { return int(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }

}  // namespace

int DrawText(DeviceContext* dc, std::string_view text, RECT* rect, std::uint32_t format) {
  if (dc == nullptr || rect == nullptr) return 0;
  const Font& font = dc->CurrentFont();
  const Measure measure(font, format);
  const std::int64_t lineHeight = font.Metrics().height;
  const bool single = format & DT_SINGLELINE;
  const bool wrap = (format & DT_WORDBREAK) && !single;
  const bool calc = format & DT_CALCRECT;
  const std::int64_t left = rect->left, right = rect->right;
  std::int64_t top = rect->top;
  if (single && (format & DT_BOTTOM))
    top = rect->bottom - lineHeight;
  else if (single && (format & DT_VCENTER))
    top = rect->top + (std::int64_t(rect->bottom) - rect->top - lineHeight) / 2;

  Bitmap* bitmap = calc ? nullptr : dc->SelectedBitmap();
  std::optional<Painter> painter;
  if (bitmap != nullptr && !bitmap->Empty()) {
    Clip clip{0, 0, bitmap->Width(), bitmap->Height()};
    if (!(format & DT_NOCLIP)) {
      clip.left = std::max(clip.left, left), clip.right = std::min(clip.right, right);
      clip.top = std::max<std::int64_t>(clip.top, rect->top);
      clip.bottom = std::min<std::int64_t>(clip.bottom, rect->bottom);
    }
    painter.emplace(Painter{*bitmap, font, measure, clip, dc->GetTextColor(), dc->GetBkColor(),
                            dc->GetBkMode() == OPAQUE});
  }

  std::int64_t y = top, widest = 0;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t brk = single ? kNone : text.find_first_of("\r\n", pos);
    const std::size_t end = brk == kNone ? text.size() : brk;
    std::size_t next = pos;
    do {
      const Line line = wrap
                            ? NextLine(text, next, end, measure, right - left, format & DT_EDITCONTROL, &next)
                            : Line{next, end, measure.Width(text.substr(next, end - next))};
      if (!wrap) next = end;
      widest = std::max(widest, line.width);
      std::int64_t x = left;
      if (format & DT_CENTER)
        x = left + (right - left - line.width) / 2;
      else if (format & DT_RIGHT)
        x = right - line.width;
      if (painter) painter->DrawLine(text, line, x, y);
      y += lineHeight;
    } while (next < end);
    if (brk == kNone) break;
    pos = brk + ((text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? 2 : 1);
    if (pos >= text.size()) break;
  }

  const std::int64_t height = y - top;
  if (calc) {
    rect->right = ClampInt(left + widest);
    rect->bottom = ClampInt(std::int64_t(rect->top) + height);
  }
  if (single && (format & (DT_BOTTOM | DT_VCENTER))) return ClampInt(y - rect->top);
  return ClampInt(height);
}

SIZE GetTextExtent(const DeviceContext* dc, std::string_view text) {
  const Font& font = dc ? dc->CurrentFont() : Font::Stock();
  return SIZE{ClampInt(Measure(font, 0).Width(text)), font.Metrics().height};
}

const TextMetrics& GetTextMetrics(const DeviceContext* dc) {
  return (dc ? dc->CurrentFont() : Font::Stock()).Metrics();
}

}  // namespace orvex::gdi
