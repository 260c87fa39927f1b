#!/usr/bin/env bash
# Fails when a C or C++ file does not match .clang-format (Debian 12's
# clang-format 14, the version CI installs). Fix with: clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

bad=$(git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 -n 50 clang-format --dry-run 2>&1 |
      grep -oE '^[^:]+:[0-9]+:[0-9]+: (warning|error)' | cut -d: -f1 | sort -u || true)
if [[ -n $bad ]]; then
  echo "Not formatted as .clang-format says (run clang-format -i on them):"
  printf '  %s\n' $bad
  exit 1
fi
echo "format: every file matches .clang-format"
