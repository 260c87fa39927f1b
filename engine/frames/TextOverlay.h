#pragma once
// The text overlay: a template with placeholders, parsed once when it is set,
// expanded for every frame and drawn into the frame.
//
// Placeholders: %time_code% %frame_count% %time_100ns% %time_sec% %time_full%
// %sys_time[pattern]% %dv_time[pattern]% %custom0% .. %custom9% (patterns:
// DateTimePattern.h). An unknown placeholder stays in the text with its
// percent signs; one left open at the end is dropped with what follows it.
//
// Threads. SetTemplate and SyncFont run on the main thread, Draw and
// ExpandText on the streaming thread. Two records take turns: the setter fills
// the one the renderer does not use, then makes it current. Each side raises
// its own mark on a record before it looks at the other side's mark, so they
// never touch one record at the same time, and the renderer never waits: it
// only backs off from a record that is being rebuilt. The font goes over as
// an immutable object behind a shared_ptr that a tiny lock guards.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineEnums.h"
#include "engine/FrameTypes.h"
#include "engine/TFont.h"

namespace orvex::gdi {
class Font;
}

enum TTextOverlayKind : std::int32_t {
  tk_Literal = 0,
  tk_TimeCode = 1,
  tk_FrameCount = 2,
  tk_Time100ns = 3,
  tk_TimeSec = 4,
  tk_TimeFull = 5,
  tk_SysTime = 6,
  tk_DvTime = 7,
  tk_Custom0 = 8,  // .. tk_Custom0 + 9
};

// One parsed template. Count segments are in use, at most kMaxSegments.
struct TTextOverlayData {
  static constexpr int kMaxSegments = 40;
  std::array<std::string, kMaxSegments + 1> Segments;
  std::array<std::int32_t, kMaxSegments + 1> Kinds{};
  std::int32_t Count = 0;
  std::atomic<bool> Building{false};  // the setter is filling this record
  std::atomic<int> Drawing{0};        // renderers reading this record
};

// The look of the text, read from the properties for each frame.
struct TTextOverlayStyle {
  int Left = 0;
  int Top = 0;
  int Right = 320;
  TTextOverlayAlign Align = tf_Left;
  TColor BkColor = clWhite;
  bool Transparent = true;
};

// What the renderer draws with; made on the main thread, never changed.
struct TTextOverlayFont {
  std::shared_ptr<const orvex::gdi::Font> Font;  // null: the device context's stock font
  TColor Color = clBlack;
};

class TTextOverlay {
 public:
  struct Segment {
    std::int32_t Kind;
    std::string Text;
    bool operator==(const Segment&) const = default;
  };

  TTextOverlay();
  TTextOverlay(const TTextOverlay&) = delete;
  TTextOverlay& operator=(const TTextOverlay&) = delete;

  // Parses text into the spare record and makes it current. Waits while a
  // renderer still reads the spare record (a few microseconds: it holds it
  // only while expanding); false, and nothing changes, if that lasts a second.
  bool SetTemplate(std::string_view text);
  // The current template's segments.
  std::vector<Segment> Segments() const;

  // Makes the font when its description differs from the last call's and
  // hands it to the renderer. A font that cannot be made leaves the stock
  // font (with the given colour) and answers false with the reason in *error.
  bool SyncFont(const TFont& font, std::string* error = nullptr);
  bool HasFont() const { return PublishedFont() != nullptr; }

  // Appends the current template expanded for one frame.
  void ExpandText(const TFrameInfo& info, std::string& out) const;
  // Draws the current template for one frame into the bitmap selected into
  // dc, with the published font; the DC's colours, mode and font are restored.
  void Draw(orvex::gdi::DeviceContext& dc, const TFrameInfo& info, const TTextOverlayStyle& style) const;

  // DrawText flags of an alignment.
  static std::uint32_t DrawTextFlags(TTextOverlayAlign align);

 private:
  TTextOverlayData* EnterCurrent() const;
  bool ClaimForBuilding(TTextOverlayData& record);
  static void Parse(std::string_view text, TTextOverlayData& record);

  mutable std::array<TTextOverlayData, 2> records_;
  std::atomic<int> current_{0};
  mutable std::mutex setMutex_;  // one setter at a time

  std::shared_ptr<const TTextOverlayFont> PublishedFont() const;

  // Held only to copy or swap the pointer. (std::atomic<shared_ptr> would do,
  // but GCC 12's is not clean under the thread sanitizer.)
  mutable std::mutex publishMutex_;
  std::shared_ptr<const TTextOverlayFont> font_;
  std::mutex fontMutex_;
  TFont fontSnapshot_;
  bool fontMade_ = false;

  // Values for %custom0% .. %custom9%; nothing sets them yet, so they draw nothing.
  std::array<std::string, 10> custom_;
};
