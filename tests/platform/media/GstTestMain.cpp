// Media tests need GStreamer initialised once before any test runs.
#include <gtest/gtest.h>

#include "platform/media/Media.h"

namespace {
struct MediaEnvironment : ::testing::Environment {
  void SetUp() override { orvex::media::InitMedia(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MediaEnvironment);
}  // namespace
