#!/usr/bin/env bash
# Builds the program (installing what it needs) and starts it with the
# built-in test camera and microphone. Extra arguments go to the program.
#
# On a desktop it also puts the program into the user's application menu: a
# desktop entry in ~/.local/share/applications that starts the built program
# with the test devices, and its icon in ~/.local/share/icons/hicolor. No root
# is needed. ORVEX_NO_DESKTOP_ENTRY=1 leaves the menu alone.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release

install_desktop_entry() {
  local data="${XDG_DATA_HOME:-$HOME/.local/share}"
  local share="$PWD/build/release/share"
  local program="$PWD/build/release/bin/orvex"
  [[ -f "$share/applications/orvex.desktop" ]] || return 0
  mkdir -p "$data/applications" || return 0
  local size
  for icon in "$share"/icons/hicolor/*/apps/orvex.png; do
    size="$(basename "$(dirname "$(dirname "$icon")")")"
    mkdir -p "$data/icons/hicolor/$size/apps"
    cp -f "$icon" "$data/icons/hicolor/$size/apps/orvex.png"
  done
  # The entry runs this build; a path with spaces is quoted as the format wants.
  local exec="\"${program//\"/\\\"}\" --test-devices"
  sed -e "s|^Exec=.*|Exec=${exec//|/\\|}|" -e "s|^TryExec=.*||" \
    "$share/applications/orvex.desktop" >"$data/applications/orvex.desktop.tmp"
  mv -f "$data/applications/orvex.desktop.tmp" "$data/applications/orvex.desktop"
  echo "Orvex Ziru is in the application menu ($data/applications/orvex.desktop)."
}

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: starting on a virtual one (xvfb-run)."
  exec xvfb-run -a ./build/release/bin/orvex --test-devices "$@"
fi
# Only a desktop has an application menu to put the program in.
[[ "${ORVEX_NO_DESKTOP_ENTRY:-0}" == 1 ]] || install_desktop_entry || true
exec ./build/release/bin/orvex --test-devices "$@"
