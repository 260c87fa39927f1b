#pragma once
// The results the module's entry points return, with their classic values.

#include <cstdint>

namespace vdv_filters {

inline constexpr std::int32_t S_OK = 0;
inline constexpr std::int32_t E_FAIL = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t E_POINTER = static_cast<std::int32_t>(0x80004003u);
inline constexpr std::int32_t E_INVALIDARG = static_cast<std::int32_t>(0x80070057u);

}  // namespace vdv_filters
