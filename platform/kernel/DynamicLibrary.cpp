#include "platform/kernel/DynamicLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

namespace orvex::kernel {

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

DynamicLibrary* DynamicLibrary::Load(const std::string& path, std::string* error) {
  static std::mutex lock;
  static std::map<std::string, std::unique_ptr<DynamicLibrary>> loaded;
  std::lock_guard guard(lock);
  if (auto it = loaded.find(path); it != loaded.end()) return it->second.get();
  if (path.empty() || path.front() != '/') {
    if (error) *error = "not an absolute path: " + path;
    return nullptr;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    if (error) *error = dlerror();
    return nullptr;
  }
  auto& slot = loaded[path];
  slot.reset(new DynamicLibrary(handle, path));
  return slot.get();
}

void* DynamicLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace orvex::kernel
