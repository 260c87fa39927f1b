// The report step and the checks that guard the engine's operations.

#include "engine/TLog.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "platform/kernel/UnhandledException.h"

namespace {

const char* SeverityWord(int severity) {
  switch (severity) {
    case sv_Info: return "INFO";
    case sv_Warning: return "WARNING";
    default: return "ERROR";
  }
}

TLog::Colour SeverityColour(int severity) {
  switch (severity) {
    case sv_Info: return TLog::lcBlue;
    case sv_Warning: return TLog::lcPurple;
    case sv_Error: return TLog::lcRed;
    default: return TLog::lcGrey;
  }
}

}  // namespace

bool TVdvWorker::Report(bool condition, int severity, const std::string& message, TLogType code) {
  // Until the component is initialised every guarded operation stops here.
  if (!Initialized) return true;
  TLog& log = TLog::Instance();
  if (!condition) {
    if (log.Enabled()) log.Line(std::to_string(code) + " " + message, TLog::lcGrey);
    return false;
  }
  // The summing-up reports follow the one that says what went wrong.
  if (severity == sv_Error && code != e_failed_to_start_recording && code != e_failed_to_start_preview) {
    LastErrorCode = code;
    LastErrorText = message;
  }
  const char* word = SeverityWord(severity);
  if (log.Enabled()) log.Line(std::to_string(code) + " " + word + ": " + message, SeverityColour(severity));
  if (severity >= sv_Info && severity <= sv_Error && HandleAllocated() && !Destroying) {
    if (auto handler = Events.OnLog.Get()) {
      // The host's handler must not unwind through the engine's own steps.
      try {
        (*handler)(&Owner, code, word, message);
      } catch (...) {
        orvex::kernel::HandleUnhandledException(std::current_exception());
      }
    }
  }
  return true;
}

bool TVdvWorker::IndexCheck(int index, int count, const std::string& noun) {
  if (count <= 0) {
    Report(true, sv_Info, "no " + noun + " available", e_no_device_available);
    return false;
  }
  return !Report(index >= 0 && index >= count, sv_Error, "index of " + noun + " out of range",
                 e_index_out_of_range);
}

bool TVdvWorker::StateCheck(bool deviceCheck, bool allowPreview, bool allowPlayer, int severity) {
  const TEngineState state = State;
  // Every condition is reported on its own; the check passes when none held.
  bool failed = false;
  failed |= Report(deviceCheck && P.VideoSource == vs_VideoCaptureDevice && P.VideoDevice == -1, severity,
                   "no video device selected", e_no_video_device_selected);
  failed |= Report(state == es_Recording, severity, "first stop recording", e_stop_recording_first);
  failed |= Report(state == es_Reencoding, severity, "first stop reencoding", e_reencoding);
  failed |= Report(state == es_Playing && !allowPlayer, severity, "first close player", e_stop_player_first);
  failed |=
      Report(state == es_Previewing && !allowPreview, severity, "first stop preview", e_stop_preview_first);
  return !failed;
}

void TVdvWorker::LogLine(const std::string& text) { TLog::Instance().Line(text); }
