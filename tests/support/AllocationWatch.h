#pragma once
// Counts the allocations made on this thread while a watch is alive. The
// program that uses it replaces the global operator new, so a test binary
// with an AllocationWatch must list AllocationWatch.cpp among its sources.

namespace orvex::test {

class AllocationWatch {
 public:
  AllocationWatch();
  ~AllocationWatch();
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  long Count() const;
};

}  // namespace orvex::test
