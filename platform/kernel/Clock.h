#pragma once
#include <cstdint>

namespace orvex::kernel {

// Milliseconds since an arbitrary start, wrapping at 2^32 like a tick count.
std::uint32_t TickCount();

// Seconds on a steady clock, for measuring intervals.
double SteadySeconds();

}  // namespace orvex::kernel
