#pragma once
// What a video encoder is fed, so that players show the colours we had.

#include <string>

typedef struct _GstElement GstElement;

namespace orvex::media {

// Caps for the encoder's input: a YUV format it takes (I420 where it can) in
// the colorimetry that decoders assume for its codec. Players read JPEG in
// AVI as full-range BT.601 and the other codecs, which carry no colour tags
// there, as limited-range BT.601, whatever the frame size; a converter left
// to itself picks BT.709 for HD frames. Empty when the encoder takes no YUV.
std::string EncoderInputCaps(GstElement* encoder);

}  // namespace orvex::media
