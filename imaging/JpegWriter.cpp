#include "imaging/JpegWriter.h"

#include <csetjmp>
#include <string>

// jpeglib.h needs size_t and FILE declared first.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "imaging/ImageFile.h"

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo with BGR input colour spaces is required"
#endif

namespace orvex::imaging {

namespace {

// libjpeg's default error handler ends the process; ours jumps back and reports.
struct TErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = {};
};

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings would go to stderr; they never make a file unusable.
void OnMessage(j_common_ptr) {}

// Collects the compressed bytes in a vector through a fixed chunk buffer.
struct TDestination {
  jpeg_destination_mgr pub;
  std::vector<std::uint8_t>* out;
  std::vector<JOCTET> chunk;
  bool outOfMemory = false;
};

bool Append(j_compress_ptr cinfo, std::size_t count) {
  auto* dest = reinterpret_cast<TDestination*>(cinfo->dest);
  try {
    dest->out->insert(dest->out->end(), dest->chunk.begin(), dest->chunk.begin() + count);
  } catch (...) {  // an exception must not cross libjpeg's C frames
    dest->outOfMemory = true;
  }
  return !dest->outOfMemory;
}

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TDestination*>(cinfo->dest);
  dest->pub.next_output_byte = dest->chunk.data();
  dest->pub.free_in_buffer = dest->chunk.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TDestination*>(cinfo->dest);
  if (!Append(cinfo, dest->chunk.size())) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TDestination*>(cinfo->dest);
  if (!Append(cinfo, dest->chunk.size() - dest->pub.free_in_buffer)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

// Everything between setjmp and the last libjpeg call lives in the caller, so the
// jump back skips no destructor and reads no clobbered local.
bool Compress(jpeg_compress_struct& cinfo, TErrorManager& err, TDestination& dest, const TImageView& image,
              const TJpegOptions& options, JSAMPROW* rows) {
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.output_message = OnMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  cinfo.dest = &dest.pub;
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = image.BytesPerPixel();
  cinfo.in_color_space = image.layout == TPixelLayout::Bgrx32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.Quality, TRUE);
  cinfo.dct_method = options.Performance == TJpegPerformance::BestSpeed ? JDCT_IFAST : JDCT_ISLOW;
  if (options.Progressive) jpeg_simple_progression(&cinfo);

  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height)
    jpeg_write_scanlines(&cinfo, rows + cinfo.next_scanline, cinfo.image_height - cinfo.next_scanline);
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const TImageView& image, const TJpegOptions& options) {
  CheckImageView(image);
  if (image.Empty())
    throw EImageError("Cannot save an empty picture (" + std::to_string(image.width) + " by " +
                      std::to_string(image.height) + " pixels) as JPEG");
  if (options.Quality < 1 || options.Quality > 100)
    throw EImageError("JPEG quality must be between 1 and 100, not " + std::to_string(options.Quality));

  // libjpeg takes rows top down and never writes through these pointers.
  std::vector<JSAMPROW> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<std::size_t>(y)] = const_cast<JSAMPROW>(image.Row(y));

  std::vector<std::uint8_t> out;
  TDestination dest{};
  dest.pub.init_destination = InitDestination;
  dest.pub.empty_output_buffer = EmptyOutputBuffer;
  dest.pub.term_destination = TermDestination;
  dest.out = &out;
  dest.chunk.resize(64 * 1024);
  TErrorManager err{};
  jpeg_compress_struct cinfo{};
  if (!Compress(cinfo, err, dest, image, options, rows.data()))
    throw EImageError(std::string("Cannot write the JPEG picture: ") + err.message);
  return out;
}

void SaveJpegToFile(const std::filesystem::path& path, const TImageView& image, const TJpegOptions& options) {
  WriteImageFile(path, EncodeJpeg(image, options));
}

}  // namespace orvex::imaging
