#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (installing what it needs) and runs every test. Fails when a test fails or
# when no test ran. Then checks the program as it is shipped: the install
# tree, the validators and the Debian package (scripts/check-install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON -DORVEX_BUILD_TESTS=ON >/dev/null
cmake --build build/asan
ctest --test-dir build/asan --output-on-failure --no-tests=error -j "$(nproc)" "$@"
./scripts/check-install.sh
