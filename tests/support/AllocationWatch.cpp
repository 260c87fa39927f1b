#include "tests/support/AllocationWatch.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool tWatching = false;
thread_local long tAllocations = 0;

void* Allocate(std::size_t size) {
  if (tWatching) ++tAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (tWatching) ++tAllocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace orvex::test {

AllocationWatch::AllocationWatch() {
  tAllocations = 0;
  tWatching = true;
}

AllocationWatch::~AllocationWatch() { tWatching = false; }

long AllocationWatch::Count() const { return tAllocations; }

}  // namespace orvex::test
