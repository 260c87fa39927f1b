#include "tests/engine/recovery/AviSamples.h"

#include <gst/gst.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "tests/support/TempDir.h"

namespace orvex::test {

namespace {

std::uint32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

void Set32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

std::string Field32(std::uint32_t v) {
  std::string s(4, '\0');
  Set32(s, 0, v);
  return s;
}

const char* PipelineOf(SampleKind kind) {
  switch (kind) {
    case SampleKind::RawVideo:
      return "videotestsrc num-buffers=%d ! video/x-raw,format=BGRx,width=32,height=24,"
             "framerate=30/1 ! avimux name=m ! filesink location=%s";
    case SampleKind::RawWithSound:
      return "videotestsrc num-buffers=%d ! video/x-raw,format=BGRx,width=32,height=24,framerate=30/1 ! "
             "avimux name=m "
             "! filesink location=%s audiotestsrc num-buffers=%d samplesperbuffer=441 ! "
             "audio/x-raw,format=S16LE,rate=44100,channels=1 ! m.";
    case SampleKind::Mjpeg:
      return "videotestsrc num-buffers=%d pattern=smpte ! "
             "video/x-raw,format=I420,width=64,height=48,framerate=30/1 ! "
             "jpegenc ! avimux name=m ! filesink location=%s";
    case SampleKind::MjpegWithSound:
      return "videotestsrc num-buffers=%d pattern=smpte ! "
             "video/x-raw,format=I420,width=64,height=48,framerate=30/1 ! "
             "jpegenc ! avimux name=m ! filesink location=%s audiotestsrc num-buffers=%d "
             "samplesperbuffer=441 ! "
             "audio/x-raw,format=S16LE,rate=44100,channels=1 ! m.";
  }
  return "";
}

// The offset of the first movi LIST and where the hdrl LIST's data lies.
void FindLists(const std::string& b, std::size_t& hdrl, std::size_t& hdrlEnd, std::size_t& movi) {
  std::size_t at = 12;
  hdrl = hdrlEnd = movi = 0;
  while (at + 12 <= b.size()) {
    const std::uint32_t size = Get32(b, at + 4);
    if (b.compare(at, 4, "LIST") == 0 && b.compare(at + 8, 4, "movi") == 0) {
      movi = at;
      return;
    }
    if (b.compare(at, 4, "LIST") == 0 && b.compare(at + 8, 4, "hdrl") == 0) {
      hdrl = at + 12;
      hdrlEnd = at + 8 + size;
    }
    at += 8 + size + (size & 1);
  }
  throw std::runtime_error("no movi list");
}

// The header fields at their starting values.
void ResetHeader(std::string& b, std::size_t hdrl, std::size_t hdrlEnd, std::size_t movi) {
  Set32(b, 4, static_cast<std::uint32_t>(movi + 12 - 8));
  Set32(b, movi + 4, 4);
  for (std::size_t at = hdrl; at + 8 <= hdrlEnd;) {
    const std::uint32_t size = Get32(b, at + 4);
    const std::string id = b.substr(at, 4);
    if (id == "LIST") {
      at += 12;
      continue;
    }
    if (id == "avih") {
      Set32(b, at + 8 + 4, 10000000);
      Set32(b, at + 8 + 12, 0);
      Set32(b, at + 8 + 16, 0);
      Set32(b, at + 8 + 28, 0);
    } else if (id == "strh") {
      Set32(b, at + 8 + 32, 0);
      Set32(b, at + 8 + 36, 0);
    } else if (id == "dmlh") {
      Set32(b, at + 8, 0);
    } else if (id == "indx") {
      b.replace(at, 4, "JUNK");
      Set32(b, at + 8 + 4, 0);
      std::memset(b.data() + at + 8 + 24, 0, size - 24);
    }
    at += 8 + size + (size & 1);
  }
}

// An ix## chunk of one stream's chunks in [first, last).
std::string StdIndex(const std::vector<SampleChunk>& chunks, std::size_t first, std::size_t last,
                     const std::string& id, std::uint64_t base, const std::vector<std::uint64_t>& moved) {
  std::string entries;
  for (std::size_t i = first; i < last; ++i)
    if (chunks[i].id == id)
      entries += Field32(static_cast<std::uint32_t>(moved[i] + 8 - base)) + Field32(chunks[i].size);
  std::string head = std::string("ix") + id.substr(0, 2) + Field32(24 + entries.size());
  head += std::string("\x02\x00\x00\x01", 4) + Field32(entries.size() / 8) + id + Field32(base) + Field32(0) +
          Field32(0);
  return head + entries;
}

}  // namespace

std::string RecordSample(SampleKind kind, int frames) {
  gst_init(nullptr, nullptr);
  TempDir dir;
  const std::string file = (dir / "sample.avi").string();
  char description[1024];
  std::snprintf(description, sizeof description, PipelineOf(kind), frames, file.c_str(), frames * 10 / 3);
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description, &error);
  if (!pipeline) throw std::runtime_error(error ? error->message : "no pipeline");
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* end = gst_bus_timed_pop_filtered(
      bus, 30 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool ok = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
  if (end) gst_message_unref(end);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  if (!ok) throw std::runtime_error("the sample was not written");
  return ReadFile(file);
}

std::vector<SampleChunk> ChunksOf(const std::string& finished) {
  std::size_t hdrl, hdrlEnd, movi;
  FindLists(finished, hdrl, hdrlEnd, movi);
  std::vector<SampleChunk> chunks;
  const std::size_t end = movi + 8 + Get32(finished, movi + 4);
  for (std::size_t at = movi + 12; at + 8 <= end;) {
    const std::uint32_t size = Get32(finished, at + 4);
    chunks.push_back({finished.substr(at, 4), at, size});
    at += 8 + size + (size & 1);
  }
  return chunks;
}

std::string Unfinished(const std::string& finished) {
  std::size_t hdrl, hdrlEnd, movi;
  FindLists(finished, hdrl, hdrlEnd, movi);
  std::string b = finished.substr(0, movi + 8 + Get32(finished, movi + 4));
  ResetHeader(b, hdrl, hdrlEnd, movi);
  return b;
}

std::string UnfinishedOpenDml(const std::string& finished, std::size_t chunksPerPart) {
  std::size_t hdrl, hdrlEnd, movi;
  FindLists(finished, hdrl, hdrlEnd, movi);
  const auto chunks = ChunksOf(finished);
  std::string b = finished.substr(0, movi + 12);
  ResetHeader(b, hdrl, hdrlEnd, movi);
  std::vector<std::uint64_t> moved(chunks.size());
  std::uint64_t base = 0;
  for (std::size_t first = 0; first < chunks.size(); first += chunksPerPart) {
    const std::size_t last = std::min(chunks.size(), first + chunksPerPart);
    if (first > 0) {
      base = b.size();
      b += "RIFF" + Field32(12) + "AVIX" + "LIST" + Field32(0) + "movi";
    }
    for (std::size_t i = first; i < last; ++i) {
      moved[i] = b.size();
      std::string chunk = finished.substr(chunks[i].offset, 8 + chunks[i].size);
      if (chunk.size() & 1) chunk += '\0';
      b += chunk;
    }
    if (last == chunks.size()) break;  // killed in this part
    // The writer closes a part with an index of each stream in it, and the first also with idx1.
    std::vector<std::string> ids;
    for (std::size_t i = first; i < last; ++i)
      if (std::find(ids.begin(), ids.end(), chunks[i].id) == ids.end()) ids.push_back(chunks[i].id);
    for (const std::string& id : ids) b += StdIndex(chunks, first, last, id, base, moved);
    if (first == 0) {
      std::string idx1;
      for (std::size_t i = first; i < last; ++i)
        idx1 += chunks[i].id + Field32(0x10) + Field32(static_cast<std::uint32_t>(moved[i])) +
                Field32(chunks[i].size);
      b += "idx1" + Field32(idx1.size()) + idx1;
    }
  }
  return b;
}

}  // namespace orvex::test
