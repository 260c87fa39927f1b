#include "engine/recovery/UndoLog.h"

#include <filesystem>

#include "engine/recovery/DurableFiles.h"
#include "engine/recovery/RiffBytes.h"

namespace orvex::recovery {

namespace {

constexpr char kMagic[] = "ORVXUNDO";
constexpr std::size_t kMagicSize = 8;
// A torn frame and the index structures after it; more is not a tail.
constexpr std::uint64_t kMaxSavedTail = 64ull * 1024 * 1024;
constexpr std::size_t kMaxLog = kMaxSavedTail + 4 * 1024 * 1024;

void PutField(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

}  // namespace

std::string UndoLogPathFor(const std::string& file) { return file + ".repair-undo"; }

bool CaptureUndo(const TAviFile& file, const TRepairPlan& plan, std::uint64_t tailEnd, TUndoLog& undo,
                 std::string& why) {
  undo.originalSize = file.Size();
  undo.saved.clear();
  for (const TPatch& patch : plan.patches) {
    TPatch old{patch.offset, std::vector<std::uint8_t>(patch.bytes.size())};
    if (!file.Read(old.offset, old.bytes.data(), old.bytes.size())) {
      why = "it cannot be read";
      return false;
    }
    undo.saved.push_back(std::move(old));
  }
  if (tailEnd > plan.cut) {
    if (tailEnd - plan.cut > kMaxSavedTail) {
      why = "more than a torn frame would be cut from its end";
      return false;
    }
    TPatch tail{plan.cut, std::vector<std::uint8_t>(static_cast<std::size_t>(tailEnd - plan.cut))};
    if (!file.Read(tail.offset, tail.bytes.data(), tail.bytes.size())) {
      why = "it cannot be read";
      return false;
    }
    undo.saved.push_back(std::move(tail));
  }
  return true;
}

std::string SerializeUndo(const TUndoLog& undo) {
  std::string out(kMagic, kMagicSize);
  PutField(out, undo.originalSize, 8);
  PutField(out, undo.saved.size(), 4);
  for (const TPatch& patch : undo.saved) {
    PutField(out, patch.offset, 8);
    PutField(out, patch.bytes.size(), 4);
    out.append(patch.bytes.begin(), patch.bytes.end());
  }
  return out;
}

std::optional<TUndoLog> ParseUndo(const std::string& bytes) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  if (size < kMagicSize + 12 || bytes.compare(0, kMagicSize, kMagic) != 0) return std::nullopt;
  TUndoLog undo;
  undo.originalSize = Le64(p + kMagicSize);
  const std::uint32_t count = Le32(p + kMagicSize + 8);
  std::size_t at = kMagicSize + 12;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (size - at < 12) return std::nullopt;
    TPatch patch;
    patch.offset = Le64(p + at);
    const std::uint32_t length = Le32(p + at + 8);
    at += 12;
    if (length > size - at || patch.offset > undo.originalSize || length > undo.originalSize - patch.offset)
      return std::nullopt;
    patch.bytes.assign(p + at, p + at + length);
    at += length;
    undo.saved.push_back(std::move(patch));
  }
  if (at != size) return std::nullopt;
  return undo;
}

bool ApplyUndo(TAviFile& file, const TUndoLog& undo) {
  if (!file.Truncate(undo.originalSize)) return false;
  for (const TPatch& patch : undo.saved)
    if (!file.Write(patch.offset, patch.bytes.data(), patch.bytes.size())) return false;
  return file.Sync();
}

bool RollBackInterruptedRepair(TAviFile& file, const std::string& path, std::string& why) {
  const std::string logPath = UndoLogPathFor(path);
  std::error_code ec;
  if (!std::filesystem::exists(logPath, ec)) return true;
  std::string bytes;
  const auto undo = ReadSmallFile(logPath, kMaxLog, bytes) ? ParseUndo(bytes) : std::nullopt;
  if (!undo) {
    why = "an earlier repair was interrupted and its undo file " + logPath + " cannot be read";
    return false;
  }
  if (!ApplyUndo(file, *undo)) {
    why = "an earlier repair was interrupted and cannot be undone: " + file.ErrorText();
    return false;
  }
  RemoveDurably(logPath);
  return true;
}

}  // namespace orvex::recovery
