// The MJPEG encoders are made with their fastest settings, which the user's
// stored settings may still change.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/media/Compressors.h"
#include "platform/media/ElementProperties.h"
#include "platform/media/GstPtr.h"

using namespace orvex::media;

namespace {

struct SpeedCase {
  const char* factory;
  const char* property;
  int fast;
};

class MjpegEncoderSpeed : public ::testing::TestWithParam<SpeedCase> {};

int EnumProperty(GstElement* element, const char* name) {
  int value = -1;
  g_object_get(element, name, &value, nullptr);
  return value;
}

TEST_P(MjpegEncoderSpeed, IsMadeFastAndTheStoredSettingStillWins) {
  const SpeedCase c = GetParam();
  const ElementFactoryPtr installed(gst_element_factory_find(c.factory));
  if (!installed) GTEST_SKIP() << c.factory << " is not installed";
  const DeviceDescriptor* listed = nullptr;
  const auto compressors = AviCompressors(DeviceCategory::VideoCompressor);
  for (const DeviceDescriptor& d : compressors)
    if (d.monikerDisplayName == c.factory) listed = &d;
  ASSERT_NE(listed, nullptr) << c.factory << " is not offered for AVI";

  const ElementPtr element(listed->maker->CreateElement(nullptr));
  ASSERT_TRUE(element);
  EXPECT_EQ(EnumProperty(element.get(), c.property), c.fast);
  // A value the user stored is applied over it.
  const int other = c.fast == 0 ? 1 : 0;
  ApplySerialized(element.get(), std::string(c.property) + "=" + std::to_string(other) + "\n");
  EXPECT_EQ(EnumProperty(element.get(), c.property), other);
}

INSTANTIATE_TEST_SUITE_P(Encoders, MjpegEncoderSpeed,
                         ::testing::Values(SpeedCase{"avenc_mjpeg", "threads", 0},
                                           SpeedCase{"jpegenc", "idct-method", 1}));

}  // namespace
