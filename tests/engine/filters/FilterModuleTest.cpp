#include <dlfcn.h>
#include <gtest/gtest.h>

#include "FilterTestSupport.h"

namespace vdv_filters {
namespace {

constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057u);
constexpr std::int32_t kPointer = static_cast<std::int32_t>(0x80004003u);

TEST(FilterModule, ExportsResolveAndASecondLoadIsTheSameModule) {
  const test::TModule& m = test::Module();
  ASSERT_NE(m.handle, nullptr);
  EXPECT_NE(m.createGrabber, nullptr);
  EXPECT_NE(m.createGrabberNoModify, nullptr);
  EXPECT_NE(m.createTransform, nullptr);
  EXPECT_NE(m.getParams, nullptr);
  EXPECT_NE(m.setParams, nullptr);
  // Opening again (as a second engine instance would) must not register anything twice.
  void* again = test::OpenModule();
  ASSERT_EQ(again, m.handle);
  auto create = reinterpret_cast<TCreateInstance>(dlsym(again, kCreateGrabber));
  GstElement* a = test::NewGrabber(true);
  GstElement* b = nullptr;
  ASSERT_EQ(create(&b), 0);
  gst_object_ref_sink(b);
  EXPECT_EQ(G_OBJECT_TYPE(a), G_OBJECT_TYPE(b));
  EXPECT_EQ(g_type_from_name("OrvexVdvGrabber"), G_OBJECT_TYPE(a));
  GstElement* t = test::NewTransform({});
  EXPECT_EQ(g_type_from_name("OrvexVdvTransform"), G_OBJECT_TYPE(t));
  EXPECT_STREQ(GST_OBJECT_NAME(t), "TrnfFltr");
  gst_object_unref(t);
  gst_object_unref(b);
  gst_object_unref(a);
  // Nothing but the five entry points is visible.
  EXPECT_EQ(dlsym(again, "_ZN11vdv_filters10NewGrabberEb"), nullptr);
  dlclose(again);
}

TEST(FilterModule, GetParamsHandsOutTheBlockOfTheMode) {
  const test::TModule& m = test::Module();
  GstElement* rgb = test::NewGrabber(true);
  TGrabberParams* block = nullptr;
  ASSERT_EQ(m.getParams(rgb, gm_RGB, &block), 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->Version, kFilterVersion);
  EXPECT_STREQ(GST_OBJECT_NAME(rgb), "GRB_RGB");
  TGrabberParams* again = nullptr;
  EXPECT_EQ(m.getParams(rgb, gm_RGB, &again), 0);
  EXPECT_EQ(again, block);
  // A grabber that may change pixels has only mode 8; the others never have it.
  EXPECT_EQ(m.getParams(rgb, gm_Notify, &again), kInvalidArg);
  EXPECT_EQ(again, nullptr);

  GstElement* plain = test::NewGrabber(false);
  for (int mode = gm_Sample; mode <= gm_Clear; ++mode) {
    TGrabberParams* p = nullptr;
    ASSERT_EQ(m.getParams(plain, mode, &p), 0) << mode;
    EXPECT_EQ(p->Version, kFilterVersion);
    EXPECT_NE(p, block);
    EXPECT_STREQ(GST_OBJECT_NAME(plain), GrabberModeName(mode));
  }
  EXPECT_EQ(m.getParams(plain, gm_RGB, &again), kInvalidArg);
  EXPECT_EQ(m.getParams(plain, 7, &again), kInvalidArg);
  EXPECT_EQ(m.getParams(plain, gm_Dummy, nullptr), kPointer);
  GstElement* transform = test::NewTransform({});
  EXPECT_EQ(m.getParams(transform, gm_Dummy, &again), kInvalidArg);
  EXPECT_EQ(m.getParams(nullptr, gm_Dummy, &again), kInvalidArg);
  EXPECT_EQ(m.createGrabber(nullptr), kPointer);
  gst_object_unref(transform);
  gst_object_unref(plain);
  gst_object_unref(rgb);
}

TEST(FilterModule, SetParamsRefusesAnInconsistentBlock) {
  const test::TModule& m = test::Module();
  GstElement* t = test::NewTransform({});
  TTransformParams p;
  p.Rotation = 1;  // a quarter turn without swapped dimensions
  EXPECT_EQ(m.setParams(t, &p), kInvalidArg);
  p.Rotation = 2, p.SwapDimensions = 1;
  EXPECT_EQ(m.setParams(t, &p), kInvalidArg);
  p.Rotation = 8, p.SwapDimensions = 0;
  EXPECT_EQ(m.setParams(t, &p), kInvalidArg);
  p.Rotation = 7, p.SwapDimensions = 1;
  EXPECT_EQ(m.setParams(t, &p), 0);
  EXPECT_EQ(m.setParams(t, nullptr), kPointer);
  GstElement* g = test::NewGrabber(true);
  EXPECT_EQ(m.setParams(g, &p), kInvalidArg);
  gst_object_unref(g);
  gst_object_unref(t);
}

}  // namespace
}  // namespace vdv_filters
