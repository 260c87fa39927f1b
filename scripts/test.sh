#!/usr/bin/env bash
# Builds and tests everything, installing what it needs; fails at the first
# guard that fails:
#   1. every file formatted as .clang-format says, every include pointing down
#      the layers (scripts/check-format.sh, scripts/check-layers.sh);
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build with -Werror, every
#      test, with GLib's slice allocator off (so leaks of GObjects show) and
#      GStreamer's leak tracer on (a test program fails when a GStreamer object
#      it made is still alive at exit); fails when no test ran;
#   3. ThreadSanitizer build of the threaded suites (platform, engine, preview);
#   4. the program as shipped: a Release build of everything with -Werror, the
#      install tree, the validators and the Debian package
#      (scripts/check-install.sh).
# Arguments go to the sanitizer run's ctest (e.g. -R Recording).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
./scripts/check-format.sh
./scripts/check-layers.sh

jobs="$(nproc)"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON -DORVEX_WERROR=ON \
  -DORVEX_BUILD_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build build/asan
G_SLICE=always-malloc GST_TRACERS=leaks \
  ctest --test-dir build/asan --output-on-failure --no-tests=error -j "$jobs" "$@"

echo "== ThreadSanitizer"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_TSAN=ON -DORVEX_WERROR=ON \
  -DORVEX_BUILD_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build build/tsan
G_SLICE=always-malloc ctest --test-dir build/tsan --output-on-failure --no-tests=error -j "$jobs"

./scripts/check-install.sh
