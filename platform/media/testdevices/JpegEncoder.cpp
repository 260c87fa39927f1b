#include "platform/media/testdevices/JpegEncoder.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace orvex::media::testdevices {

namespace {
constexpr int kMcuRows = 16;  // luma rows per call with 2x2 subsampled chroma
int RoundUp(int v, int to) { return (v + to - 1) / to * to; }
}  // namespace

// libjpeg reports fatal errors by calling error_exit, which must not return;
// we jump back to the encoding call instead of letting it exit the process.
struct JpegEncoder::Codec {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  jpeg_destination_mgr dest{};
  std::jmp_buf jump{};
  JpegEncoder* owner = nullptr;
  JSAMPROW rows[3][kMcuRows] = {};
  JSAMPARRAY image[3] = {rows[0], rows[1], rows[2]};

  static Codec* From(j_common_ptr cinfo) { return static_cast<Codec*>(cinfo->client_data); }
  static void ErrorExit(j_common_ptr cinfo) { std::longjmp(From(cinfo)->jump, 1); }
  static void OutputMessage(j_common_ptr) {}

  static void InitDestination(j_compress_ptr cinfo) {
    auto& out = From(reinterpret_cast<j_common_ptr>(cinfo))->owner->out_;
    cinfo->dest->next_output_byte = out.data();
    cinfo->dest->free_in_buffer = out.size();
  }
  // Grows the kept buffer; only happens until it fits the largest frame.
  static boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto& out = From(reinterpret_cast<j_common_ptr>(cinfo))->owner->out_;
    const std::size_t used = out.size();
    out.resize(used * 2);
    cinfo->dest->next_output_byte = out.data() + used;
    cinfo->dest->free_in_buffer = out.size() - used;
    return TRUE;
  }
  static void TermDestination(j_compress_ptr cinfo) {
    JpegEncoder* owner = From(reinterpret_cast<j_common_ptr>(cinfo))->owner;
    owner->size_ = owner->out_.size() - cinfo->dest->free_in_buffer;
  }
};

JpegEncoder::JpegEncoder() : codec_(std::make_unique<Codec>()) {
  Codec& c = *codec_;
  c.owner = this;
  c.cinfo.err = jpeg_std_error(&c.err);
  c.err.error_exit = &Codec::ErrorExit;
  c.err.output_message = &Codec::OutputMessage;
  c.cinfo.client_data = &c;
  jpeg_create_compress(&c.cinfo);
  c.dest.init_destination = &Codec::InitDestination;
  c.dest.empty_output_buffer = &Codec::EmptyOutputBuffer;
  c.dest.term_destination = &Codec::TermDestination;
  c.cinfo.dest = &c.dest;
}

JpegEncoder::~JpegEncoder() { jpeg_destroy_compress(&codec_->cinfo); }

void JpegEncoder::Configure(int width, int height, int quality) {
  width_ = width;
  height_ = height;
  quality_ = quality;
  paddedHeight_ = RoundUp(height, kMcuRows);
  // Whole MCUs in both directions: the encoder reads that many samples.
  strides_[0] = RoundUp(width, 32);
  strides_[1] = strides_[2] = strides_[0] / 2;
  for (int p = 0; p < 3; ++p) {
    const int rows = p == 0 ? paddedHeight_ : paddedHeight_ / 2;
    storage_[p].assign(static_cast<std::size_t>(strides_[p]) * static_cast<std::size_t>(rows),
                       p == 0 ? 0 : 128);
    planes_[p] = storage_[p].data();
  }
  out_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) / 2 + 65536);
  size_ = 0;
}

void JpegEncoder::PadRows() {
  for (int p = 0; p < 3; ++p) {
    const int last = p == 0 ? height_ - 1 : (height_ + 1) / 2 - 1;
    const int rows = p == 0 ? paddedHeight_ : paddedHeight_ / 2;
    const std::uint8_t* src = planes_[p] + static_cast<std::ptrdiff_t>(last) * strides_[p];
    for (int y = last + 1; y < rows; ++y)
      std::memcpy(planes_[p] + static_cast<std::ptrdiff_t>(y) * strides_[p], src,
                  static_cast<std::size_t>(strides_[p]));
  }
}

bool JpegEncoder::Encode() {
  if (width_ <= 0 || height_ <= 0) return false;
  PadRows();
  return RunCodec();
}

// Kept apart and free of objects with destructors, because of the long jump.
bool JpegEncoder::RunCodec() {
  Codec& c = *codec_;
  if (setjmp(c.jump) != 0) {
    jpeg_abort_compress(&c.cinfo);
    size_ = 0;
    return false;
  }
  jpeg_compress_struct& ci = c.cinfo;
  ci.image_width = static_cast<JDIMENSION>(width_);
  ci.image_height = static_cast<JDIMENSION>(height_);
  ci.input_components = 3;
  ci.in_color_space = JCS_YCbCr;
  jpeg_set_defaults(&ci);
  jpeg_set_colorspace(&ci, JCS_YCbCr);
  ci.raw_data_in = TRUE;
  ci.comp_info[0].h_samp_factor = ci.comp_info[0].v_samp_factor = 2;
  for (int p = 1; p < 3; ++p) ci.comp_info[p].h_samp_factor = ci.comp_info[p].v_samp_factor = 1;
  ci.dct_method = JDCT_ISLOW;
  jpeg_set_quality(&ci, quality_, TRUE);

  jpeg_start_compress(&ci, TRUE);
  for (int y = 0; y < paddedHeight_; y += kMcuRows) {
    for (int i = 0; i < kMcuRows; ++i)
      c.rows[0][i] = planes_[0] + static_cast<std::ptrdiff_t>(y + i) * strides_[0];
    for (int p = 1; p < 3; ++p)
      for (int i = 0; i < kMcuRows / 2; ++i)
        c.rows[p][i] = planes_[p] + static_cast<std::ptrdiff_t>(y / 2 + i) * strides_[p];
    jpeg_write_raw_data(&ci, c.image, kMcuRows);
  }
  jpeg_finish_compress(&ci);
  return true;
}

}  // namespace orvex::media::testdevices
