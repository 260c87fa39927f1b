#include "engine/DiskSpaceGuard.h"

#include <gst/gst.h>

#include "platform/kernel/DiskSpace.h"

namespace {

// Another program may fill the disk as well: look at least this often.
constexpr auto kLookInterval = std::chrono::milliseconds(250);

GstPadProbeReturn OnData(GstPad*, GstPadProbeInfo* info, gpointer data) {
  auto* guard = static_cast<std::shared_ptr<TDiskSpaceGuard>*>(data)->get();
  std::uint64_t bytes = 0;
  if (info->type & GST_PAD_PROBE_TYPE_BUFFER)
    bytes = gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info));
  else if (info->type & GST_PAD_PROBE_TYPE_BUFFER_LIST)
    bytes = gst_buffer_list_calculate_size(GST_PAD_PROBE_INFO_BUFFER_LIST(info));
  return guard->Admit(bytes) ? GST_PAD_PROBE_OK : GST_PAD_PROBE_DROP;
}

void ReleaseGuard(gpointer data) { delete static_cast<std::shared_ptr<TDiskSpaceGuard>*>(data); }

}  // namespace

TDiskSpaceGuard::TDiskSpaceGuard(std::string file, std::uint64_t floorBytes, std::function<void()> onFull)
    : file_(std::move(file)), floor_(floorBytes), onFull_(std::move(onFull)) {}

void TDiskSpaceGuard::Watch(GstElement* mux) {
  GstIterator* pads = gst_element_iterate_sink_pads(mux);
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
    auto* pad = GST_PAD(g_value_get_object(&item));
    gst_pad_add_probe(
        pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST), OnData,
        new std::shared_ptr<TDiskSpaceGuard>(shared_from_this()), ReleaseGuard);
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(pads);
}

bool TDiskSpaceGuard::Admit(std::uint64_t bytes) {
  if (tripped_) return false;
  {
    std::lock_guard lock(mutex_);
    if (RoomFor(bytes)) {
      sinceLook_ += bytes;
      return true;
    }
  }
  if (!tripped_.exchange(true) && onFull_) onFull_();
  return false;
}

// The drive is asked again when what was admitted since the last look could
// have eaten half the room above the floor, or after a while.
bool TDiskSpaceGuard::RoomFor(std::uint64_t bytes) {
  const auto now = std::chrono::steady_clock::now();
  const std::uint64_t room = knownFree_ > floor_ ? knownFree_ - floor_ : 0;
  if (!looked_ || (sinceLook_ + bytes) * 2 >= room || now - lastLook_ >= kLookInterval) {
    const auto drive = orvex::kernel::QueryDrive(file_);
    // A drive that cannot be asked is not held against the recording.
    if (!drive.freeBytes) return true;
    knownFree_ = *drive.freeBytes;
    sinceLook_ = 0;
    lastLook_ = now;
    looked_ = true;
  }
  return knownFree_ >= floor_ + sinceLook_ + bytes;
}
