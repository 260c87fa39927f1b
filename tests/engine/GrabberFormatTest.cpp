// The frame grabber's RGB and the subtype asked of the device follow the
// display, so that the window shows frames without converting them.

#include <gtest/gtest.h>

#include "engine/GraphSettings.h"

namespace {

struct FormatCase {
  const char* name;
  int screenDepth;
  TFrameGrabberRGBFormat asked;
  std::vector<std::string> offered;
  std::string subtype;  // asked of the device
  int grabber;          // 1 RGB32, 2 RGB24
};

class GrabberFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GrabberFormat, FollowsTheDisplayUnlessAsked) {
  const FormatCase& c = GetParam();
  std::string subtype;
  int grabber = 0;
  ChooseGrabberFormat(DisplayBitsPerPixel(c.screenDepth), c.asked, c.offered, "YUY2", subtype, grabber);
  EXPECT_EQ(subtype, c.subtype);
  EXPECT_EQ(grabber, c.grabber);
}

INSTANTIATE_TEST_SUITE_P(Displays, GrabberFormat,
                         ::testing::Values(
                             // An X display of depth 24 keeps 32 bits a pixel.
                             FormatCase{"Depth24", 24, fgf_Default, {"YUY2", "RGB24", "RGB32"}, "RGB32", 1},
                             FormatCase{"Depth32", 32, fgf_Default, {"YUY2", "RGB24", "RGB32"}, "RGB32", 1},
                             FormatCase{"AskedRgb24", 24, fgf_RGB24, {"YUY2", "RGB24", "RGB32"}, "RGB24", 2},
                             FormatCase{"WebcamWithoutRgb", 24, fgf_Default, {"YUY2", "MJPG"}, "YUY2", 1},
                             FormatCase{"Depth16", 16, fgf_Default, {"YUY2", "RGB565"}, "RGB565", 1}),
                         [](const ::testing::TestParamInfo<FormatCase>& row) {
                           return std::string(row.param.name);
                         });

}  // namespace
