#include "tests/imaging/GifReader.h"

#include <stdexcept>

namespace orvex::test {

namespace {

class Cursor {
 public:
  explicit Cursor(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  int Byte() {
    if (pos_ >= bytes_.size()) throw std::runtime_error("file ends early");
    return bytes_[pos_++];
  }
  int Word() {
    const int low = Byte();
    return low | Byte() << 8;
  }
  std::size_t Left() const { return bytes_.size() - pos_; }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

class BitReader {
 public:
  explicit BitReader(const std::vector<std::uint8_t>& data) : data_(data) {}
  int Read(int width) {
    if (bit_ + width > data_.size() * 8) throw std::runtime_error("code stream ends without end code");
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit_) code |= (data_[bit_ / 8] >> (bit_ % 8) & 1) << i;
    return code;
  }

 private:
  const std::vector<std::uint8_t>& data_;
  std::size_t bit_ = 0;
};

void DecodeCodes(const std::vector<std::uint8_t>& data, GifFile& gif) {
  const int clear = 1 << gif.minCodeSize, end = clear + 1;
  std::vector<int> prefix(4096, -1);
  std::vector<std::uint8_t> suffix(4096), first(4096);
  for (int c = 0; c < clear; ++c) suffix[c] = first[c] = static_cast<std::uint8_t>(c);
  const auto emit = [&](int code) {
    std::vector<std::uint8_t> string;
    for (int c = code; c >= 0; c = prefix[c]) string.push_back(suffix[c]);
    gif.indices.insert(gif.indices.end(), string.rbegin(), string.rend());
  };

  BitReader bits(data);
  int width = gif.minCodeSize + 1, next = end + 1, previous = -1;
  for (;;) {
    const int code = bits.Read(width);
    gif.codes.push_back({code, width, next});
    if (code == clear) {
      width = gif.minCodeSize + 1, next = end + 1, previous = -1;
      continue;
    }
    if (code == end) return;
    if (previous < 0) {
      if (code >= clear) throw std::runtime_error("first code after a clear is no literal");
      emit(code);
      previous = code;
      continue;
    }
    if (code > next || next >= 4096) throw std::runtime_error("code out of the dictionary");
    prefix[next] = previous;
    suffix[next] = code < next ? first[code] : first[previous];
    first[next] = first[previous];
    ++next;
    emit(code);
    if (next == 1 << width && width < 12) ++width;
    previous = code;
  }
}

void Parse(const std::vector<std::uint8_t>& bytes, GifFile& gif) {
  Cursor in(bytes);
  for (int i = 0; i < 6; ++i) gif.signature += static_cast<char>(in.Byte());
  gif.screenWidth = in.Word();
  gif.screenHeight = in.Word();
  gif.screenFields = in.Byte();
  in.Byte();  // background
  in.Byte();  // aspect
  if (gif.screenFields & 0x80) throw std::runtime_error("unexpected global colour table");
  if (in.Byte() != 0x2C) throw std::runtime_error("no image descriptor");
  gif.left = in.Word(), gif.top = in.Word(), gif.width = in.Word(), gif.height = in.Word();
  gif.imageFields = in.Byte();
  if (gif.imageFields & 0x80)
    for (int i = 0; i < 3 << ((gif.imageFields & 7) + 1); ++i)
      gif.colorTable.push_back(static_cast<std::uint8_t>(in.Byte()));
  gif.minCodeSize = in.Byte();
  std::vector<std::uint8_t> data;
  for (int length = in.Byte(); length != 0; length = in.Byte()) {
    gif.blockLengths.push_back(length);
    for (int i = 0; i < length; ++i) data.push_back(static_cast<std::uint8_t>(in.Byte()));
  }
  if (in.Byte() != 0x3B) throw std::runtime_error("no trailer");
  gif.bytesAfterTrailer = in.Left();
  DecodeCodes(data, gif);
}

}  // namespace

GifFile ReadGif(const std::vector<std::uint8_t>& bytes) {
  GifFile gif;
  try {
    Parse(bytes, gif);
  } catch (const std::exception& e) {
    gif.error = e.what();
  }
  return gif;
}

}  // namespace orvex::test
