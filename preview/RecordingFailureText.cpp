#include "preview/RecordingFailureText.h"

#include <cerrno>
#include <cstring>

#include "preview/RecordingClock.h"

namespace {

QString Quoted(const std::string& text) { return "\"" + QString::fromStdString(text) + "\""; }

// What went wrong with a file, in the words of someone who chose it.
QString CauseText(int error) {
  switch (error) {
    case EACCES:
    case EPERM: return "permission denied";
    case ENOENT: return "the folder does not exist";
    case ENOTDIR: return "a part of the path is not a folder";
    case EISDIR: return "that is a folder";
    case EROFS: return "the disk is read-only";
    case ENOSPC: return "the disk is full";
    case EDQUOT: return "the disk quota is used up";
    case ENAMETOOLONG: return "the name is too long";
    case EIO: return "the disk reported an error";
    default: break;
  }
  QString text = QString::fromLocal8Bit(std::strerror(error));
  if (!text.isEmpty()) text[0] = text[0].toLower();
  return text;
}

QString StoppedAt(const TRecordingFailure& f) {
  return "the recording was stopped at " + ElapsedTimeText(f.Seconds);
}

// The engine's report without its own prefix: what GStreamer said.
QString DetailText(const TRecordingFailure& f) {
  QString detail = QString::fromStdString(f.Detail);
  if (detail.startsWith("graph error: ")) detail.remove(0, 13);
  return detail;
}

QString DiskFullText(const TRecordingFailure& f) {
  if (f.Started) return "The disk is full: " + StoppedAt(f) + " and saved up to there";
  return "The disk is full: at least 25 MB must be free to record to " + QString::fromStdString(f.FileName);
}

QString GraphErrorText(const TRecordingFailure& f) {
  const QString file = QString::fromStdString(f.FileName);
  switch (f.Error) {
    case 0: break;
    case ENOSPC: return DiskFullText(f);
    case ENODEV:
      if (f.Name.empty()) return "The camera or the microphone was disconnected: " + StoppedAt(f);
      return "The recording stopped because " + QString::fromStdString(f.Name) + " is no longer there; " +
             file + " keeps what was recorded until then";
    default: return "Cannot write to " + file + ": " + CauseText(f.Error) + "; " + StoppedAt(f);
  }
  if (f.Started)
    return "The recording was stopped at " + ElapsedTimeText(f.Seconds) + " by an error: " + DetailText(f);
  return "The recording could not start: " + DetailText(f);
}

}  // namespace

QString RecordingFailureText(const TRecordingFailure& f) {
  const QString file = QString::fromStdString(f.FileName);
  switch (f.Code) {
    case e_disk_full: return DiskFullText(f);
    case e_file_in_use: return "Cannot record to " + file + ": another recording is writing to it";
    case e_failed_to_create_file: return "Cannot write to " + file + ": " + CauseText(f.Error);
    case e_video_compressor_not_suitable:
      return "The video compressor " + Quoted(f.Name) + " cannot take pictures of " +
             QString::number(f.Width) + " x " + QString::number(f.Height) +
             ": choose another compressor or another video size";
    case e_audio_compressor_not_suitable:
      return "The audio compressor " + Quoted(f.Name) +
             " cannot take the sound of the microphone: choose another compressor or another audio format";
    case e_graph_error: return GraphErrorText(f);
    case e_bind_moniker_to_filter: return "The camera " + Quoted(f.Name) + " could not be opened";
    case e_device_in_use_in_another_graph: return "The camera " + Quoted(f.Name) + " is already in use";
    case e_no_video_input_device:
    case e_no_video_device_selected: return "There is no camera to record from";
    case e_stop_recording_first: return "A recording is already running";
    default: break;
  }
  const QString detail = DetailText(f);
  if (f.Started) return "The recording was stopped at " + ElapsedTimeText(f.Seconds) + ": " + detail;
  if (!detail.isEmpty()) return "The recording could not start: " + detail;
  return file.isEmpty() ? QString("The recording could not start") : "The recording to " + file + " failed";
}

QString RecordingFailureText(const std::optional<TRecordingFailure>& failure, const std::string& fileName) {
  if (failure) return RecordingFailureText(*failure);
  TRecordingFailure unknown;
  unknown.Code = e_failed;
  unknown.FileName = fileName;
  return RecordingFailureText(unknown);
}
