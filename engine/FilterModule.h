#pragma once
// Creating the frame grabbers and transforms of the engine's filter module,
// loaded once from the program's own files.

#include <string>

#include "engine/filters/FilterInterfaces.h"

namespace filter_module {

enum class TLoadResult { Ok, CannotLoad, Obsolete };

struct TGrabber {
  GstElement* element = nullptr;  // a floating reference until added to a bin
  vdv_filters::TGrabberParams* params = nullptr;
};

// A grabber of `mode`; mode 8 may change pixels, the others never do.
TLoadResult CreateGrabber(int mode, TGrabber& out);
// A transform configured with `params`.
TLoadResult CreateTransform(const vdv_filters::TTransformParams& params, GstElement*& out);

// Where the module is looked for: beside the program, or where an installed
// tree keeps it, unless a test says otherwise.
std::string ModulePath();
std::string ModulePathFor(const std::string& programFolder);
void SetModulePathForTesting(const std::string& path);

}  // namespace filter_module
