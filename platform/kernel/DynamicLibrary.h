#pragma once
// Loading a library by absolute path and resolving its exports by name.

#include <string>

namespace orvex::kernel {

// The folder the running program was started from.
std::string ProgramFolder();

class DynamicLibrary {
 public:
  // Loads `path` (absolute) once; the library is never unloaded, because
  // code it registered (GStreamer element types) stays in use.
  static DynamicLibrary* Load(const std::string& path, std::string* error);
  void* Symbol(const char* name) const;
  const std::string& Path() const { return path_; }

 private:
  DynamicLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  void* handle_;
  std::string path_;
};

}  // namespace orvex::kernel
