#include "engine/frames/TextOverlay.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <thread>

#include "engine/DateTimePattern.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DrawText.h"
#include "platform/gdi/Font.h"

namespace {

using orvex::gdi::DeviceContext;

// The kind of a closed placeholder; sets text to what the segment keeps.
// The order of the tests matters: "time_sec" must not catch "time_full".
std::int32_t ClassifyPlaceholder(const std::string& token, std::string& text) {
  const std::string_view t = token;
  if (t == "time_code") return tk_TimeCode;
  if (t == "frame_count") return tk_FrameCount;
  if (t == "time_full") return tk_TimeFull;
  if (t == "time_100ns") return tk_Time100ns;
  if (t == "time_sec") return tk_TimeSec;
  // The pattern is what follows the bracket, less the last character (normally "]").
  if (t.starts_with("sys_time[")) {
    text = t.substr(9, t.size() - 10);
    return tk_SysTime;
  }
  if (t.starts_with("dv_time[")) {
    text = t.substr(8, t.size() - 9);
    return tk_DvTime;
  }
  if (t.size() == 7 && t.starts_with("custom") && t[6] >= '0' && t[6] <= '9')
    return tk_Custom0 + (t[6] - '0');
  text = "%" + token + "%";
  return tk_Literal;
}

template <typename... Args>
void AppendFormat(std::string& out, const char* format, Args... args) {
  char buffer[96];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n > 0) out.append(buffer, std::size_t(std::min<int>(n, sizeof buffer - 1)));
}

// Values that several segments of one frame share.
struct FrameValues {
  const TFrameInfo& info;
  std::optional<TDateTimeParts> now;
  char frameTime[24] = {};

  void AppendFrameTime(std::string& out) {
    if (frameTime[0] == 0) std::snprintf(frameTime, sizeof frameTime, "%" PRId64, info.FrameTime);
    out += frameTime;
  }
  void AppendSysTime(std::string& out, std::string_view pattern) {
    if (!now) now = TDateTimeParts::Now();
    FormatDateTime(out, pattern, *now);
  }
  // A date the device never sent, or one that is no date, shows nothing.
  void AppendDvTime(std::string& out, std::string_view pattern) const {
    const std::int32_t* dv = info.DVDateTime;
    TDateTimeParts parts;
    if (dv[0] != 0 && TDateTimeParts::Make(dv[1], dv[2], dv[3], dv[4], dv[5], dv[6], 0, &parts))
      FormatDateTime(out, pattern, parts);
  }
};

}  // namespace

TTextOverlay::TTextOverlay() = default;

void TTextOverlay::Parse(std::string_view text, TTextOverlayData& r) {
  std::int32_t count = 0;
  std::string literal, token;
  bool inToken = false;
  for (const char c : text) {
    if (c != '%') {
      (inToken ? token : literal) += c;
      continue;
    }
    if (!inToken) {
      r.Segments[count] = std::move(literal);
      r.Kinds[count] = tk_Literal;
      literal.clear();
    } else {
      r.Segments[count].clear();
      r.Kinds[count] = ClassifyPlaceholder(token, r.Segments[count]);
      token.clear();
    }
    ++count;
    inToken = !inToken;
    if (count == TTextOverlayData::kMaxSegments) break;
  }
  if (!inToken && !literal.empty()) {
    r.Segments[count] = std::move(literal);
    r.Kinds[count] = tk_Literal;
    ++count;
  }
  r.Count = count;
}

// Raises the building mark first and then looks for renderers, the mirror
// image of EnterCurrent, so one of the two always sees the other.
bool TTextOverlay::ClaimForBuilding(TTextOverlayData& record) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (;;) {
    record.Building.store(true);
    if (record.Drawing.load() == 0) return true;
    record.Building.store(false);
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
}

bool TTextOverlay::SetTemplate(std::string_view text) {
  std::lock_guard lock(setMutex_);
  const int target = 1 - current_.load();
  TTextOverlayData& record = records_[target];
  if (!ClaimForBuilding(record)) return false;
  Parse(text, record);
  record.Building.store(false);
  current_.store(target);
  return true;
}

std::vector<TTextOverlay::Segment> TTextOverlay::Segments() const {
  std::lock_guard lock(setMutex_);
  const TTextOverlayData& record = records_[current_.load()];
  std::vector<Segment> segments;
  for (int i = 0; i < record.Count && i < TTextOverlayData::kMaxSegments; ++i)
    segments.push_back({record.Kinds[i], record.Segments[i]});
  return segments;
}

// The record to read, marked as being read; null when every try found the
// setter rebuilding it (the frame then has no text). A record under rebuild
// means a newer one has become current meanwhile, so a retry finds that.
TTextOverlayData* TTextOverlay::EnterCurrent() const {
  for (int attempt = 0; attempt < 3; ++attempt) {
    TTextOverlayData& record = records_[current_.load()];
    record.Drawing.fetch_add(1);
    if (!record.Building.load()) return &record;
    record.Drawing.fetch_sub(1);
  }
  return nullptr;
}

void TTextOverlay::ExpandText(const TFrameInfo& info, std::string& out) const {
  TTextOverlayData* record = EnterCurrent();
  if (record == nullptr) return;
  FrameValues values{info};
  for (int i = 0; i < record->Count && i < TTextOverlayData::kMaxSegments; ++i) {
    const std::int32_t kind = record->Kinds[i];
    const std::string& text = record->Segments[i];
    if (kind != tk_SysTime && kind != tk_DvTime) out += text;
    switch (kind) {
      case tk_TimeCode:
        if (info.TimeCode[0] != 0)
          AppendFormat(out, "%.2u:%.2u:%.2u:%.2u", unsigned(info.TimeCode[1]), unsigned(info.TimeCode[2]),
                       unsigned(info.TimeCode[3]), unsigned(info.TimeCode[4]));
        break;
      case tk_FrameCount: AppendFormat(out, "%d", int(info.FrameNumber)); break;
      case tk_Time100ns: values.AppendFrameTime(out); break;
      case tk_TimeSec: AppendFormat(out, "%" PRId64 ".%.2d", info.WholeSeconds, int(info.Hundredths)); break;
      case tk_TimeFull:
        AppendFormat(out, "%.2d:%.2d:%.2d %.2d", int(info.Hours), int(info.Minutes), int(info.Seconds),
                     int(info.Hundredths));
        break;
      case tk_SysTime: values.AppendSysTime(out, text); break;
      case tk_DvTime: values.AppendDvTime(out, text); break;
      default:
        if (kind >= tk_Custom0 && kind < tk_Custom0 + 10) out += custom_[std::size_t(kind - tk_Custom0)];
        break;
    }
  }
  // Leave the record before the slow part, drawing, so a setter waits as little as possible.
  record->Drawing.fetch_sub(1);
}

std::uint32_t TTextOverlay::DrawTextFlags(TTextOverlayAlign align) {
  using namespace orvex::gdi;
  const std::uint32_t base = DT_NOCLIP | DT_WORDBREAK;
  switch (align) {
    case tf_Center: return base | DT_CENTER;
    case tf_Right: return base | DT_RIGHT;
    default: return base;
  }
}

void TTextOverlay::Draw(DeviceContext& dc, const TFrameInfo& info, const TTextOverlayStyle& style) const {
  using namespace orvex::gdi;
  // One buffer per streaming thread, so a frame allocates nothing once it has grown.
  thread_local std::string text;
  text.clear();
  ExpandText(info, text);
  if (text.empty()) return;
  const std::shared_ptr<const TTextOverlayFont> font = PublishedFont();

  const int oldMode = dc.SetBkMode(style.Transparent ? TRANSPARENT : OPAQUE);
  const COLORREF oldBk = style.Transparent ? dc.GetBkColor() : dc.SetBkColor(style.BkColor);
  const COLORREF oldText = font ? dc.SetTextColor(font->Color) : dc.GetTextColor();
  const Font* oldFont = font && font->Font ? dc.SelectFont(font->Font.get()) : dc.SelectedFont();
  // No bottom: text below the frame is cut by the frame's edge.
  RECT rect{style.Left, style.Top, style.Right, 0x7FFFFFFF};
  DrawText(&dc, text, &rect, DrawTextFlags(style.Align));
  dc.SelectFont(oldFont);
  dc.SetTextColor(oldText);
  dc.SetBkColor(oldBk);
  dc.SetBkMode(oldMode);
}

std::shared_ptr<const TTextOverlayFont> TTextOverlay::PublishedFont() const {
  std::lock_guard lock(publishMutex_);
  return font_;
}

bool TTextOverlay::SyncFont(const TFont& font, std::string* error) {
  std::lock_guard lock(fontMutex_);
  if (fontMade_ && font == fontSnapshot_) return true;
  orvex::gdi::LogFont description;
  description.faceName = font.Name;
  description.height = font.Height;
  description.weight = font.Bold ? orvex::gdi::FW_BOLD : orvex::gdi::FW_NORMAL;
  description.italic = font.Italic;
  description.underline = font.Underline;
  description.strikeOut = font.StrikeOut;
  std::string why;
  std::shared_ptr<const orvex::gdi::Font> made = orvex::gdi::Font::Shared(description, &why);
  auto published = std::make_shared<const TTextOverlayFont>(TTextOverlayFont{made, font.Color});
  {
    std::lock_guard publish(publishMutex_);
    font_.swap(published);
  }  // the previous font goes here, outside the lock, unless a frame still draws with it
  fontSnapshot_ = font;
  fontMade_ = true;
  if (!made && error) *error = why.empty() ? "no font matches \"" + font.Name + "\"" : why;
  return made != nullptr;
}
