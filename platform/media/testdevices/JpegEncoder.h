#pragma once
// Encodes 4:2:0 full-range YCbCr planes into baseline JPEG with libjpeg-turbo.
// The planes and the output buffer are kept between frames, so the steady
// state allocates nothing of ours; the picture is written straight into
// planes() and no colour conversion runs in the encoder.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvex::media::testdevices {

class JpegEncoder {
 public:
  JpegEncoder();
  ~JpegEncoder();
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  // Sizes the planes for one picture size; quality 1..100.
  void Configure(int width, int height, int quality);

  // Y, Cb, Cr planes to render into and their strides (rows padded for the encoder).
  std::uint8_t* const* planes() { return planes_; }
  const int* strides() const { return strides_; }

  // Encodes what the planes hold; false on an encoder error. The result stays
  // valid until the next call.
  bool Encode();
  const std::uint8_t* data() const { return out_.data(); }
  std::size_t size() const { return size_; }

 private:
  struct Codec;  // libjpeg state, kept out of this header
  friend struct Codec;

  void PadRows();
  bool RunCodec();

  std::unique_ptr<Codec> codec_;
  int width_ = 0, height_ = 0, paddedHeight_ = 0, quality_ = 85;
  std::vector<std::uint8_t> storage_[3];
  std::uint8_t* planes_[3] = {};
  int strides_[3] = {};
  std::vector<std::uint8_t> out_;
  std::size_t size_ = 0;
};

}  // namespace orvex::media::testdevices
