#include <gst/gst.h>
#include <gtest/gtest.h>

#include "platform/media/ElementProperties.h"
#include "platform/media/GstPtr.h"

using namespace orvex::media;

namespace {
ElementPtr Make(const char* factory) {
  GstElement* e = gst_element_factory_make(factory, nullptr);
  if (e) gst_object_ref_sink(e);
  return ElementPtr(e);
}
const ElementProperty* Find(const std::vector<ElementProperty>& props, const std::string& name) {
  for (const auto& p : props)
    if (p.name == name) return &p;
  return nullptr;
}
}  // namespace

TEST(ElementProperties, AnEncodersSettingsWithRangesAndNoPlumbing) {
  ElementPtr jpeg = Make("jpegenc");
  ASSERT_TRUE(jpeg);
  const auto props = DescribeProperties(jpeg.get());
  const ElementProperty* quality = Find(props, "quality");
  ASSERT_NE(quality, nullptr);
  EXPECT_EQ(quality->kind, PropertyKind::Integer);
  EXPECT_EQ(quality->minimum, 0);
  EXPECT_EQ(quality->maximum, 100);
  EXPECT_EQ(quality->value, "85");
  EXPECT_EQ(Find(props, "name"), nullptr);
  EXPECT_EQ(Find(props, "qos"), nullptr);
}

TEST(ElementProperties, ChangesAreStoredAsTextAndAppliedAgain) {
  ElementPtr source = Make("jpegenc");
  ASSERT_TRUE(ApplyProperty(source.get(), "quality", "40"));
  EXPECT_FALSE(ApplyProperty(source.get(), "quality", "400")) << "out of range is refused";
  EXPECT_FALSE(ApplyProperty(source.get(), "quality", "high"));
  EXPECT_FALSE(ApplyProperty(source.get(), "no-such-property", "1"));
  const std::string state = SerializeChanged(DescribeProperties(source.get()));
  EXPECT_NE(state.find("quality=40\n"), std::string::npos);

  ElementPtr target = Make("jpegenc");
  ApplySerialized(target.get(), state + "garbage line\nquality=\n=5\n");
  gint quality = 0;
  g_object_get(target.get(), "quality", &quality, nullptr);
  EXPECT_EQ(quality, 40);
}

TEST(ElementProperties, ChoicesAndSwitches) {
  ElementPtr tone = Make("audiotestsrc");
  ASSERT_TRUE(tone);
  const auto props = DescribeProperties(tone.get());
  const ElementProperty* wave = Find(props, "wave");
  ASSERT_NE(wave, nullptr);
  EXPECT_EQ(wave->kind, PropertyKind::Choice);
  EXPECT_FALSE(wave->choices.empty());
  EXPECT_TRUE(ApplyProperty(tone.get(), "wave", "1"));
  EXPECT_FALSE(ApplyProperty(tone.get(), "wave", "999"));
}
