// The file a recording writes, held against other writers and its disk
// watched while it is written, and what went wrong with a recording.

#include <QMetaObject>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/DiskSpaceGuard.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"

namespace {

// What a recording must leave free: room for the writer's index and header.
constexpr std::uint64_t kDiskFullFloor = 25000000;

}  // namespace

bool TVdvWorker::OpenRecordingFile(const std::string& fileName) {
  RecordingLock.Release();
  const int error = RecordingLock.Acquire(fileName);
  if (error == 0) return true;
  if (error == EWOULDBLOCK)
    NoteRecordingFailure(e_file_in_use, error, fileName + " is being written by another recording", fileName);
  else
    NoteRecordingFailure(e_failed_to_create_file, error,
                         "cannot write " + fileName + ": " + std::strerror(error), fileName);
  return false;
}

void TVdvWorker::CloseRecordingFile(bool failed) {
  SpaceGuard.reset();
  if (!RecordingLock.Held()) return;
  // A user's own file stays, even empty; only what this recording made goes.
  std::error_code ec;
  if (failed && RecordingLock.Created() && std::filesystem::is_regular_file(WrittenFile, ec) &&
      std::filesystem::file_size(WrittenFile, ec) == 0)
    std::filesystem::remove(WrittenFile, ec);
  RecordingLock.Release();
}

void TVdvWorker::WatchDiskSpace(GstElement* mux, const std::string& fileName) {
  const std::uint64_t serial = GraphSerial;
  SpaceGuard = std::make_shared<TDiskSpaceGuard>(fileName, kDiskFullFloor, [this, serial] {
    QMetaObject::invokeMethod(
        &Owner,
        [this, serial] {
          if (serial != GraphSerial || !GraphActive || Destroying || State != es_Recording) return;
          DiskFullFlag = true;
          Request(rq_GraphEvent);
        },
        Qt::QueuedConnection);
  });
  SpaceGuard->Watch(mux);
}

void TVdvWorker::NoteRecordingFailure(TLogType code, int error, const std::string& message,
                                      const std::string& fileName, const std::string& name) {
  Report(true, sv_Error, message, code);
  if (RecordingFailure) return;  // the first one is the cause, the rest follow from it
  TRecordingFailure failure;
  failure.Code = code;
  failure.Error = error;
  failure.FileName = fileName;
  failure.Name = name;
  failure.Detail = message;
  failure.Width = Bound().VideoWidth;
  failure.Height = Bound().VideoHeight;
  failure.Started = GraphActive && RecordingStarted;
  failure.Seconds = failure.Started ? RecordingElapsed100ns / 10000000.0 : 0;
  RecordingFailure = failure;
}
