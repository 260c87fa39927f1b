#include "imaging/LZWEncoder.h"

#include <stdexcept>

#include "imaging/ImageFile.h"

namespace orvex::imaging {

namespace {

constexpr unsigned kCodeCount = 1u << TLZWEncoder::kMaxCodeBits;
constexpr std::uint32_t kNoPair = 0xFFFFFFFFu;

// Packs codes least significant bit first and cuts the bytes into sub-blocks.
class TGIFWriter {
 public:
  explicit TGIFWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void Put(unsigned code, int width) {
    bits_ |= static_cast<std::uint64_t>(code) << bitCount_;
    bitCount_ += width;
    while (bitCount_ >= 8) {
      PutByte(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      bitCount_ -= 8;
    }
  }

  // Writes the partial last byte, the last sub-block and the terminator.
  void Finish() {
    if (bitCount_ > 0) PutByte(static_cast<std::uint8_t>(bits_));
    bits_ = 0;
    bitCount_ = 0;
    FlushBlock();
    out_.push_back(0);
  }

 private:
  void PutByte(std::uint8_t byte) {
    block_[++blockLength_] = byte;
    if (blockLength_ == 255) FlushBlock();
  }
  void FlushBlock() {
    if (blockLength_ == 0) return;
    block_[0] = static_cast<std::uint8_t>(blockLength_);
    out_.insert(out_.end(), block_, block_ + blockLength_ + 1);
    blockLength_ = 0;
  }

  std::vector<std::uint8_t>& out_;
  std::uint64_t bits_ = 0;
  int bitCount_ = 0;
  std::uint8_t block_[256] = {};
  int blockLength_ = 0;
};

}  // namespace

// The coder's state while one image is coded.
class TLZWEncoder::Run {
 public:
  Run(TLZWEncoder& tables, int bitsPerPixel, std::vector<std::uint8_t>& out)
      : child_(tables.child_.get()),
        codeKey_(tables.codeKey_.get()),
        writer_(out),
        initialWidth_(bitsPerPixel + 1),
        clearCode_(1u << bitsPerPixel),
        endCode_(clearCode_ + 1),
        firstFree_(clearCode_ + 2),
        nextFree_(firstFree_),
        width_(initialWidth_) {
    // Codes below the first free one never stand for a pair, whatever an earlier image left.
    for (unsigned c = 0; c < firstFree_; ++c) codeKey_[c] = kNoPair;
  }

  void Code(std::span<const std::uint8_t> indices) {
    Clear();
    if (!indices.empty()) {
      unsigned prefix = indices[0];
      for (std::size_t i = 1; i < indices.size(); ++i) {
        const unsigned pixel = indices[i];
        const std::uint32_t key = prefix << 8 | pixel;
        const unsigned known = child_[key];
        if (known < nextFree_ && codeKey_[known] == key) {
          prefix = known;
          continue;
        }
        Emit(prefix);
        if (nextFree_ >= static_cast<unsigned>(kClearAtCode)) {
          Clear();
        } else {
          child_[key] = static_cast<std::uint16_t>(nextFree_);
          codeKey_[nextFree_++] = key;
        }
        prefix = pixel;
      }
      Emit(prefix);
    }
    Emit(endCode_);
    writer_.Finish();
  }

 private:
  // The width grows once the next free code no longer fits; decoders follow the same rule.
  void Emit(unsigned code) {
    writer_.Put(code, width_);
    if (nextFree_ > (1u << width_) - 1 && width_ < kMaxCodeBits) ++width_;
  }

  void Clear() {
    writer_.Put(clearCode_, width_);
    nextFree_ = firstFree_;
    width_ = initialWidth_;
  }

  std::uint16_t* child_;
  std::uint32_t* codeKey_;
  TGIFWriter writer_;
  const int initialWidth_;
  const unsigned clearCode_, endCode_, firstFree_;
  unsigned nextFree_;
  int width_;
};

TLZWEncoder::TLZWEncoder()
    : child_(new std::uint16_t[kCodeCount * 256]()), codeKey_(new std::uint32_t[kCodeCount]()) {}

TLZWEncoder::~TLZWEncoder() = default;

void TLZWEncoder::Encode(std::span<const std::uint8_t> indices, int bitsPerPixel, int colourCount,
                         std::vector<std::uint8_t>& out) {
  if (bitsPerPixel < 1 || bitsPerPixel > 8) throw std::invalid_argument("LZW bits per pixel must be 1..8");
  if (bitsPerPixel < 2) bitsPerPixel = 2;
  if (colourCount < 256) {
    for (const std::uint8_t index : indices)
      if (index >= colourCount) throw EImageError("Color not in color table");
  }
  // Indices wider than the code size would corrupt the stream silently.
  if (colourCount > (1 << bitsPerPixel))
    throw std::invalid_argument("colour table larger than the code size");

  out.push_back(static_cast<std::uint8_t>(bitsPerPixel));
  Run run(*this, bitsPerPixel, out);
  run.Code(indices);
}

}  // namespace orvex::imaging
