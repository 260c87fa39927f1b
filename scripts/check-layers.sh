#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own, so
# the dependency arrows stay as the README draws them. Tests, benchmarks and
# resources may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each layer and the other folders its files may include besides their own.
# Keep in step with the README's "Source layout".
layers='
platform/kernel:
platform/registry:  platform/kernel
platform/gdi:       platform/kernel
platform/media:     platform/kernel
platform/dialogs:   platform/kernel
imaging:
settings:           platform/registry platform/kernel
widgets:            platform/media platform/dialogs platform/kernel
engine/filters:     platform/gdi platform/kernel platform/media
engine/recovery:
engine:             engine/filters engine/recovery imaging widgets platform/kernel platform/registry platform/gdi platform/media platform/dialogs
preview:            engine settings imaging widgets platform/kernel platform/gdi platform/media platform/dialogs
dialogs:            preview engine settings imaging widgets platform/kernel platform/registry platform/gdi platform/media platform/dialogs
app:                dialogs preview engine engine/recovery settings imaging widgets platform/kernel platform/registry platform/gdi platform/media platform/dialogs
'

git grep --untracked -n -E '^#include "[^"]+"' -- '*.cpp' '*.h' '*.c' | awk -v layers="$layers" '
  BEGIN {
    n = split(layers, rows, "\n")
    for (i = 1; i <= n; i++) {
      if (rows[i] !~ /:/) continue
      name = rows[i]; sub(/:.*/, "", name)
      rest = rows[i]; sub(/^[^:]*:/, "", rest)
      folder[++count] = name
      m = split(rest, deps, " ")
      for (j = 1; j <= m; j++) ok[name, deps[j]] = 1
    }
  }
  # The deepest layer folder a path lies in ("" for tests, bench, ...).
  function layer(path,   i, best) {
    best = ""
    for (i = 1; i <= count; i++)
      if (index(path, folder[i] "/") == 1 && length(folder[i]) > length(best)) best = folder[i]
    return best
  }
  {
    split($0, f, ":")
    target = $0; sub(/^[^"]*"/, "", target); sub(/".*$/, "", target)
    own = layer(f[1]); to = layer(target)
    if (own == "" || to == "" || own == to || ok[own, to]) next
    printf "%s:%s: %s may not include %s (%s is not below it)\n", f[1], f[2], own, target, to
    bad = 1
  }
  END {
    if (bad) exit 1
    print "layers: every include points down"
  }'
