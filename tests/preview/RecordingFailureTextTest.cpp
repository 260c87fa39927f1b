#include <gtest/gtest.h>

#include <cerrno>

#include "preview/RecordingFailureText.h"

// Each failure the engine can report, in the words the user reads; none
// names a GStreamer element.
TEST(RecordingFailureText, SaysWhatFailedInPlainWords) {
  struct Row {
    TLogType code;
    int error;
    bool started;
    double seconds;
    const char* detail;
    const char* expected;
  } const rows[] = {
      {e_failed_to_create_file, EACCES, false, 0, "", "Cannot write to /v/clip.avi: permission denied"},
      {e_failed_to_create_file, ENOENT, false, 0, "",
       "Cannot write to /v/clip.avi: the folder does not exist"},
      {e_failed_to_create_file, EROFS, false, 0, "", "Cannot write to /v/clip.avi: the disk is read-only"},
      {e_file_in_use, EWOULDBLOCK, false, 0, "",
       "Cannot record to /v/clip.avi: another recording is writing to it"},
      {e_disk_full, ENOSPC, true, 72.9, "",
       "The disk is full: the recording was stopped at 00:01:12 and saved up to there"},
      {e_disk_full, ENOSPC, false, 0, "",
       "The disk is full: at least 25 MB must be free to record to /v/clip.avi"},
      {e_graph_error, ENOSPC, true, 5, "graph error: Error while writing to file.",
       "The disk is full: the recording was stopped at 00:00:05 and saved up to there"},
      {e_graph_error, ENODEV, true, 3725, "",
       "The recording stopped because DV is no longer there; /v/clip.avi keeps what was recorded until then"},
      {e_graph_error, EIO, true, 9, "",
       "Cannot write to /v/clip.avi: the disk reported an error; the recording was stopped at 00:00:09"},
      {e_graph_error, 0, true, 2, "graph error: Internal data stream error.",
       "The recording was stopped at 00:00:02 by an error: Internal data stream error."},
      {e_video_compressor_not_suitable, 0, false, 0, "",
       "The video compressor \"DV\" cannot take pictures of 640 x 480: choose another compressor or another "
       "video size"},
      {e_bind_moniker_to_filter, 0, false, 0, "bind DV device moniker to filter",
       "The camera \"DV\" could not be opened"},
      {e_failed_to_start_recording, 0, false, 0, "", "The recording to /v/clip.avi failed"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    TRecordingFailure failure;
    failure.Code = row.code;
    failure.Error = row.error;
    failure.FileName = "/v/clip.avi";
    // GCC 12 at -O2 and above takes the string just constructed for uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    failure.Name = "DV";
#pragma GCC diagnostic pop
    failure.Detail = row.detail;
    failure.Width = 640;
    failure.Height = 480;
    failure.Started = row.started;
    failure.Seconds = row.seconds;
    EXPECT_EQ(RecordingFailureText(failure).toStdString(), row.expected);
  }
  EXPECT_EQ(RecordingFailureText(std::nullopt, "/v/x.avi").toStdString(), "The recording to /v/x.avi failed");
}
