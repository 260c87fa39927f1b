#include "engine/FilterModule.h"

#include <gst/gst.h>

#include <filesystem>
#include <mutex>

#include "platform/kernel/DynamicLibrary.h"
#include "platform/kernel/ProgramFiles.h"
#include "platform/media/GstPtr.h"

namespace filter_module {
namespace {

// A new floating element that is not wanted after all.
void Discard(GstElement* element) { orvex::media::ElementPtr(GST_ELEMENT(gst_object_ref_sink(element))); }

std::mutex g_lock;
std::string g_pathOverride;

const orvex::kernel::DynamicLibrary* Module() {
  std::string error;
  return orvex::kernel::DynamicLibrary::Load(ModulePath(), &error);
}

template <typename Fn>
Fn Resolve(const char* name) {
  const auto* module = Module();
  return module ? reinterpret_cast<Fn>(module->Symbol(name)) : nullptr;
}

}  // namespace

std::string ModulePath() {
  {
    std::lock_guard lock(g_lock);
    if (!g_pathOverride.empty()) return g_pathOverride;
  }
  return ModulePathFor(orvex::kernel::ProgramFolder());
}

// Beside the program in a build tree, in the private library folder of an
// installed one; a missing module is reported by where it belongs beside.
std::string ModulePathFor(const std::string& programFolder) {
  const auto found = orvex::kernel::FindProgramFile(
      programFolder, {vdv_filters::kModuleFileName,
                      std::filesystem::path(ORVEX_FILTERDIR_FROM_PROGRAM) / vdv_filters::kModuleFileName});
  return found ? found->string() : programFolder + "/" + vdv_filters::kModuleFileName;
}

void SetModulePathForTesting(const std::string& path) {
  std::lock_guard lock(g_lock);
  g_pathOverride = path;
}

TLoadResult CreateGrabber(int mode, TGrabber& out) {
  out = {};
  auto create = Resolve<vdv_filters::TCreateInstance>(
      mode == vdv_filters::gm_RGB ? vdv_filters::kCreateGrabber : vdv_filters::kCreateGrabberNoModify);
  auto getParams = Resolve<vdv_filters::TFrameSampleGetParams>(vdv_filters::kFrameSampleGetParams);
  GstElement* element = nullptr;
  if (!create || !getParams || create(&element) < 0 || !element) return TLoadResult::CannotLoad;
  vdv_filters::TGrabberParams* params = nullptr;
  if (getParams(element, mode, &params) < 0 || !params) {
    Discard(element);
    return TLoadResult::CannotLoad;
  }
  params->SampleCallbackFlag = params->NotifyCallbackFlag = params->DVDateTimeCallbackFlag = 1;
  params->CaptureSource = vdv_filters::kIsCaptureSource;
  if (params->Version != vdv_filters::kFilterVersion) {
    Discard(element);
    return TLoadResult::Obsolete;
  }
  out.element = element;
  out.params = params;
  return TLoadResult::Ok;
}

TLoadResult CreateTransform(const vdv_filters::TTransformParams& params, GstElement*& out) {
  out = nullptr;
  auto create = Resolve<vdv_filters::TCreateInstance>(vdv_filters::kCreateTransform);
  auto setParams = Resolve<vdv_filters::TTransformSetParams>(vdv_filters::kTransformSetParams);
  GstElement* element = nullptr;
  if (!create || !setParams || create(&element) < 0 || !element) return TLoadResult::CannotLoad;
  if (setParams(element, &params) < 0) {
    Discard(element);
    return TLoadResult::CannotLoad;
  }
  out = element;
  return TLoadResult::Ok;
}

}  // namespace filter_module
