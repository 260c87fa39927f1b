#pragma once
// A colour converter for the capture path: videoconvert's caps and results,
// with the conversions a webcam graph makes on every frame done by
// FastConversion, and GStreamer's own converter for every other pair.

typedef struct _GstElement GstElement;

namespace orvex::media {

// A new floating element, or nullptr when GStreamer cannot make one.
GstElement* NewVideoConvert();

// How many frames an element of NewVideoConvert() converted on the fast path
// and how many the other way (tests check which path a pair takes).
struct TConvertCounts {
  unsigned long long fast = 0;
  unsigned long long general = 0;
};
TConvertCounts VideoConvertCounts(GstElement* element);

}  // namespace orvex::media
