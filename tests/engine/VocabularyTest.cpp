// Stored values are positions, so the order of the names is a file format.

#include <gtest/gtest.h>

#include "engine/EngineEnums.h"
#include "engine/TFont.h"
#include "engine/TLogType.h"

TEST(Vocabulary, ReportCodesKeepTheirNumbers) {
  EXPECT_EQ(e_add_filter, 0);
  EXPECT_EQ(e_disk_full, 8);
  EXPECT_EQ(e_failed, 9);
  EXPECT_EQ(e_index_out_of_range, 38);
  EXPECT_EQ(e_no_device_available, 43);
  EXPECT_EQ(e_not_recording, 53);
  EXPECT_EQ(e_stop_recording_first, 74);
  EXPECT_EQ(i_audio_device_associated_to_video_device, 87);
  EXPECT_EQ(w_using_nearest_video_size, 117);
  EXPECT_EQ(w_divx_codec_not_installed, 118);
}

TEST(Vocabulary, EnumerationsKeepTheirPositions) {
  EXPECT_EQ(es_Reencoding, 4);
  EXPECT_EQ(fg_Disabled, 3);
  EXPECT_EQ(fgf_RGB8, 5);
  EXPECT_EQ(rt_270_deg_mirror, 7);
  EXPECT_EQ(vr_None, 4);
  EXPECT_EQ(vs_ExternalSource, 5);
  EXPECT_EQ(sc_AfterCompression, 4);
  EXPECT_EQ(af_11025_8b_1ch, 5);
  EXPECT_EQ(af_48000_16b_2ch, 28);
  EXPECT_EQ(kAudioFormatCount, 29);
  EXPECT_EQ(dk_AudioDevice, 11);
}

TEST(Vocabulary, FontHeightAndPointSizeFollowEachOtherAt96Dpi) {
  TFont font;
  EXPECT_EQ(font.Size(), 8);
  font.SetSize(12);
  EXPECT_EQ(font.Height, -16);
  font.Height = -20;
  EXPECT_EQ(font.Size(), 15);
}
