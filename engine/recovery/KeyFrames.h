#pragma once
// Which video chunks are key frames, for the index a repair writes. Intra-only
// formats have nothing else; for the common inter-frame codecs the picture
// type is read from the first bytes; for any other codec only the first
// frame is marked, so a player seeks from the start rather than into a
// picture it cannot decode.

#include <cstddef>
#include <cstdint>

namespace orvex::recovery {

// How many leading bytes of a chunk IsKeyFrame wants to see.
inline constexpr std::size_t kKeyFrameProbeBytes = 512;

enum class TKeyFrames { All, ByPicture, FirstOnly };

// How the key frames of a video stream with compression `codec` are found.
TKeyFrames KeyFramesOf(std::uint32_t codec);

// Whether the chunk beginning with `data` is a key frame of `codec` (for `TKeyFrames::ByPicture`).
bool IsKeyFrame(std::uint32_t codec, const std::uint8_t* data, std::size_t size);

}  // namespace orvex::recovery
