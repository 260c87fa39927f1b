#include <gtest/gtest.h>

#include "platform/media/Capabilities.h"

using namespace orvex::media;

TEST(Capabilities, EachStructureAndFormatIsOneCapabilityInCapsOrder) {
  // As a UVC webcam reports itself through v4l2.
  const auto caps = CapabilitiesFromCapsString(
      "video/x-raw, format=(string)YUY2, width=(int)640, height=(int)480, framerate=(fraction){ 30/1, 15/1 };"
      "image/jpeg, width=(int)1280, height=(int)720, framerate=(fraction)30/1;"
      "video/x-raw, format=(string){ BGR, BGRx }, width=(int)320, height=(int)240, framerate=(fraction)30/1");
  ASSERT_EQ(caps.size(), 4u);
  EXPECT_EQ(caps[0].subtype, "YUY2");
  EXPECT_EQ(caps[0].width, 640);
  EXPECT_EQ(caps[0].minWidth, 640);
  EXPECT_EQ(caps[0].maxHeight, 480);
  EXPECT_EQ(caps[0].framerates, (std::vector<Fraction>{{30, 1}, {15, 1}}));
  EXPECT_EQ(caps[1].subtype, "MJPG");
  EXPECT_EQ(caps[2].subtype, "RGB24");
  EXPECT_EQ(caps[3].subtype, "RGB32");
  EXPECT_NE(caps[3].caps.find("BGRx"), std::string::npos);
  EXPECT_EQ(caps[3].caps.find("BGR,"), std::string::npos) << "a capability's caps name its one format";
}

TEST(Capabilities, RangesGiveMinimumMaximumAndTheLargestAsOwnSize) {
  const auto caps = CapabilitiesFromCapsString(
      "video/x-raw,format=I420,width=[ 160, 1920 ],height=[ 120, 1080 ],framerate=[ 1/1, 60/1 ]");
  ASSERT_EQ(caps.size(), 1u);
  EXPECT_EQ(caps[0].minWidth, 160);
  EXPECT_EQ(caps[0].maxWidth, 1920);
  EXPECT_EQ(caps[0].width, 1920);
  EXPECT_EQ(caps[0].height, 1080);
  EXPECT_TRUE(caps[0].framerateRange);
  EXPECT_TRUE(caps[0].hasVideoHeader);
}

TEST(Capabilities, NonVideoStructuresAreSkipped) {
  EXPECT_TRUE(CapabilitiesFromCapsString("audio/x-raw,format=S16LE,rate=48000").empty());
  EXPECT_TRUE(CapabilitiesFromCapsString("ANY").empty());
  const auto caps = CapabilitiesFromCapsString("video/x-raw,format=NV12,width=640,height=480");
  ASSERT_EQ(caps.size(), 1u);
  EXPECT_EQ(caps[0].subtype, "NV12");
}

TEST(Capabilities, CapsForAFormatRoundTrip) {
  EXPECT_EQ(CapsForFormat("RGB32", 320, 240, {30, 1}),
            "video/x-raw,format=BGRx,width=320,height=240,framerate=30/1");
  EXPECT_EQ(CapsForFormat("MJPG", 640, 480), "image/jpeg,width=640,height=480");
  EXPECT_EQ(CapsForFormat("nonsense", 640, 480), "");
  const auto back = CapabilitiesFromCapsString(CapsForFormat("YUY2", 352, 288));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].subtype, "YUY2");
  EXPECT_EQ(back[0].width, 352);
}
