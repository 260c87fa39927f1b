#!/usr/bin/env bash
# Builds the program (installing what it needs) and starts it with the
# built-in test camera and microphone. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: starting on a virtual one (xvfb-run)."
  exec xvfb-run -a ./build/release/bin/orvex --test-devices "$@"
fi
exec ./build/release/bin/orvex --test-devices "$@"
