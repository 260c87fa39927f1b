#include <gtest/gtest.h>

#include "engine/FrameSizeList.h"
#include "engine/VideoInputNames.h"
#include "platform/media/Capabilities.h"

namespace {
std::string Sizes(const std::string& caps) {
  TFrameSizeList list;
  list.AddFromCapabilities(orvex::media::CapabilitiesFromCapsString(caps));
  list.ChooseDefaultAfterDiscovery();
  return list.VideoSizesText();
}
}  // namespace

TEST(FrameSizes, ACameraWithALargeFirstSizeDefaultsTo352x288) {
  // As a UVC camera reports them: one structure per size.
  EXPECT_EQ(Sizes("video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
                  "video/x-raw,format=YUY2,width=160,height=120,framerate=30/1;"
                  "video/x-raw,format=YUY2,width=352,height=288,framerate=30/1;"
                  "video/x-raw,format=YUY2,width=1280,height=720,framerate=10/1"),
            "default\n160x120\n352x288\n640x480\n1280x720\n");
  TFrameSizeList list;
  list.AddFromCapabilities(orvex::media::CapabilitiesFromCapsString(
      "video/x-raw,format=YUY2,width=640,height=480;video/x-raw,format=YUY2,width=176,height=144;"
      "video/x-raw,format=YUY2,width=352,height=288"));
  list.ChooseDefaultAfterDiscovery();
  int w = 0, h = 0;
  ASSERT_TRUE(list.Resolve(0, w, h));
  EXPECT_EQ(w, 352);
  EXPECT_EQ(h, 288);
}

TEST(FrameSizes, TheSmallestSizeNeverBecomesTheDefault) {
  // 352x288 right after the default entry is the smallest size: the large default stays.
  EXPECT_EQ(
      Sizes("video/x-raw,format=YUY2,width=640,height=480;video/x-raw,format=YUY2,width=352,height=288"),
      "default\n352x288\n640x480\n");
  TFrameSizeList list;
  list.AddFromCapabilities(orvex::media::CapabilitiesFromCapsString(
      "video/x-raw,format=YUY2,width=640,height=480;video/x-raw,format=YUY2,width=352,height=288"));
  list.ChooseDefaultAfterDiscovery();
  EXPECT_EQ(list.At(0), "    640x480");
}

TEST(FrameSizes, ACameraThatStartsAt320x240KeepsIt) {
  EXPECT_EQ(Sizes("video/x-raw,format=YUY2,width=320,height=240;video/x-raw,format=YUY2,width=352,height=288;"
                  "video/x-raw,format=YUY2,width=640,height=480"),
            "default\n320x240\n352x288\n640x480\n");
}

TEST(FrameSizes, RangesAreWalkedByHalvingAndDoubling) {
  // A scaler with a range: own size 640x480, from 160x120 to 1280x960.
  TFrameSizeList list;
  list.AddFromCapabilities(
      orvex::media::CapabilitiesFromCapsString("video/x-raw,format=I420,width=[160,1280],height=[120,960]"));
  std::vector<std::string> real;
  for (int i = 1; i < list.Count(); ++i) real.push_back(TFrameSizeList::Trimmed(list.At(i)));
  EXPECT_EQ(real, (std::vector<std::string>{"160x120", "320x240", "640x480", "1280x960"}));
  // The first size added is the default: the range's own (largest) size.
  EXPECT_EQ(list.At(0), "   1280x960");
}

TEST(FrameSizes, PaddingMakesTextOrderWidthOrder) {
  TFrameSizeList list;
  list.Add(1920, 1080);
  list.Add(80, 60);
  list.Add(160, 120);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"   1920x1080", "  80x60", " 160x120", "1920x1080"}));
  list.Add(160, 120);
  EXPECT_EQ(list.Count(), 4);
}

TEST(FrameSizes, DvCamerasHaveFiveNamedSizes) {
  TFrameSizeList list;
  list.MakeDV();
  EXPECT_EQ(list.VideoSizesText(), "default\ndc\nquarter\nhalf\nfull\n");
}

TEST(FrameSizes, EntriesThatAreNoSizeDoNotResolve) {
  TFrameSizeList list;
  list.Assign({"   dc", " 0x480", " 640x", "800x600"});
  int w = 0, h = 0;
  EXPECT_FALSE(list.Resolve(0, w, h));
  EXPECT_FALSE(list.Resolve(1, w, h));
  EXPECT_FALSE(list.Resolve(2, w, h));
  EXPECT_TRUE(list.Resolve(3, w, h));
  EXPECT_FALSE(list.Resolve(4, w, h));
}

TEST(VideoInputs, NamedByConnectorWithRepeatsNumbered) {
  EXPECT_EQ(VideoInputNames({{"a", 2}, {"b", 2}, {"c", 3}}),
            (std::vector<std::string>{"Composite", "Composite 1", "SVideo"}));
  EXPECT_EQ(VideoInputNames({{"t", 1}, {"x", 4097}, {"c", 2}, {"c", 2}, {"c", 2}}),
            (std::vector<std::string>{"Tuner", "Composite", "Composite 1", "Composite 2"}));
}
