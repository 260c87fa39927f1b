#include "platform/kernel/UnhandledException.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace orvex::kernel {
namespace {
std::mutex g_lock;
UnhandledExceptionHandler g_handler;
}  // namespace

UnhandledExceptionHandler SetUnhandledExceptionHandler(UnhandledExceptionHandler handler) {
  std::lock_guard lock(g_lock);
  std::swap(g_handler, handler);
  return handler;
}

std::string DescribeException(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
  return {};
}

void HandleUnhandledException(std::exception_ptr error) noexcept {
  UnhandledExceptionHandler handler;
  {
    std::lock_guard lock(g_lock);
    handler = g_handler;
  }
  try {
    if (handler) {
      handler(error);
      return;
    }
  } catch (...) {
    // A failing handler must not take the program down; fall back to stderr.
  }
  std::fprintf(stderr, "orvex: %s\n", DescribeException(error).c_str());
}

}  // namespace orvex::kernel
