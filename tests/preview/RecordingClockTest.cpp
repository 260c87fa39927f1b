#include <gtest/gtest.h>

#include "preview/RecordingClock.h"

TEST(RecordingClock, HoursMinutesSecondsTruncatedWithTwoDigitsAtLeast) {
  EXPECT_EQ(RecordingStatusText(0), "Recording [00:00:00]");
  EXPECT_EQ(RecordingStatusText(3725.9), "Recording [01:02:05]");
  EXPECT_EQ(RecordingStatusText(59.99), "Recording [00:00:59]");
  EXPECT_EQ(RecordingStatusText(360000), "Recording [100:00:00]");
  EXPECT_EQ(RecordingStatusText(36000 + 61), "Recording [10:01:01]");
}

TEST(RecordingClock, NonsenseElapsedTimesShowZero) {
  EXPECT_EQ(RecordingStatusText(-5), "Recording [00:00:00]");
  EXPECT_EQ(RecordingStatusText(std::numeric_limits<double>::quiet_NaN()), "Recording [00:00:00]");
}
