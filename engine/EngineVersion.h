#pragma once

// The engine's own version text, as its Version property reports it.
inline constexpr const char* kEngineVersion = "v7.2 (build 7.2.4 rev n, March 14, 2005)";
