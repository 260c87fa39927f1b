#!/usr/bin/env bash
# Checks the program as it is shipped. Builds everything (tests and
# benchmarks too) without sanitizers and with -Werror in build/package,
# installs it under a scratch prefix and checks the tree: every file in its
# place; the installed program runs from anywhere, records with its filter
# module and opens its manual; the desktop entry, AppStream metainfo and man
# page pass their validators. Then makes the Debian package and checks its
# contents and dependencies.
#
# With ORVEX_CHECK_DEB_INSTALL=1 (CI sets it) it also installs the package
# into a fresh Debian 12 system and records there (scripts/check-deb-install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/package
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/root/usr"
failures=0

fail() {
  echo "check-install: $*" >&2
  failures=$((failures + 1))
}

echo "== Building the program as shipped ($build), tests and benchmarks too: no warning passes"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_SANITIZE=OFF -DORVEX_WERROR=ON \
  -DORVEX_BUILD_TESTS=ON -DORVEX_BUILD_BENCH=ON "${launcher[@]}" >/dev/null
cmake --build "$build"
cmake --install "$build" --prefix "$prefix" >/dev/null

echo "== The install tree"
expected=(
  bin/orvex
  lib/orvex/liborvexfilters.so
  share/doc/orvex/manual/index.html
  share/doc/orvex/manual/manual.css
  share/man/man1/orvex.1.gz
  share/applications/orvex.desktop
  share/metainfo/com.brevantix.orvex.metainfo.xml
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/orvex.png")
done
# Every picture the manual shows.
while read -r picture; do
  expected+=("share/doc/orvex/manual/$picture")
done < <(grep -o 'src="[^"]*"' resources/manual/index.html | sed 's/^src="//; s/"$//')
for file in "${expected[@]}"; do
  [[ -s "$prefix/$file" ]] || fail "missing or empty: $file"
done
[[ -x "$prefix/bin/orvex" ]] || fail "bin/orvex is not executable"
extra="$(find "$prefix/bin" -mindepth 1 ! -name orvex)"
[[ -z "$extra" ]] || fail "bin/ holds more than the program: $extra"
for picture in "$prefix"/share/doc/orvex/manual/pictures/*.png; do
  [[ "$(head -c 8 "$picture" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] || fail "not a PNG: $picture"
done

echo "== Validators"
desktop-file-validate "$prefix/share/applications/orvex.desktop" || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/com.brevantix.orvex.metainfo.xml" ||
  fail "appstreamcli rejects the metainfo"
man_warnings="$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/orvex.1.gz" 2>&1 >"$scratch/man.txt")" ||
  fail "man cannot read the man page"
[[ -z "$man_warnings" ]] || fail "the man page has warnings: $man_warnings"
grep -q -- '--record' "$scratch/man.txt" || fail "the man page does not describe --record"

echo "== The installed program"
mkdir -p "$scratch/elsewhere" "$scratch/config"
run_installed() {
  (cd "$scratch/elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY ORVEX_CONFIG_DIR="$scratch/config" \
    "$prefix/bin/orvex" "$@")
}
version="$(run_installed --version)" || fail "orvex --version failed"
[[ "$version" == *"Orvex Ziru v1.4"* ]] || fail "unexpected version text: $version"
# The recording needs the filter module, found only in the installed place.
if run_installed --test-devices --record "$scratch/clip.avi" --seconds 2; then
  frames="$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \
    "$scratch/clip.avi")"
  [[ "$frames" =~ ^[0-9]+$ && "$frames" -ge 30 ]] || fail "the installed program's recording holds $frames frames"
else
  fail "the installed program could not record"
fi
# The Help button of a program in this tree opens the installed manual: the
# same test as in the build tree, run from the installed program's folder.
cp "$build/bin/test_app" "$prefix/bin/test_app"
(cd "$scratch/elsewhere" && "$prefix/bin/test_app" --gtest_filter='MainWindow.Help*') ||
  fail "Help does not open the installed manual"
rm -f "$prefix/bin/test_app"

echo "== The Debian package"
rm -f "$build"/orvex_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/orvex_*.deb)"
dpkg-deb --field "$deb" Package Version Depends Recommends
depends="$(dpkg-deb --field "$deb" Depends)"
for package in libqt6widgets6 libqt6gui6 libqt6core6 libgstreamer1.0-0 libgstreamer-plugins-base1.0-0 \
  libjpeg62-turbo libfreetype6 libfontconfig1 gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
  gstreamer1.0-libav fonts-dejavu-core; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the package does not depend on $package"
done
contents="$(dpkg-deb --contents "$deb")"
for file in "${expected[@]}"; do
  grep -q -- " ./usr/$file\$" <<<"$contents" || fail "the package lacks /usr/$file"
done

if [[ "${ORVEX_CHECK_DEB_INSTALL:-0}" == 1 ]]; then
  echo "== Installing the package on a fresh Debian 12"
  ./scripts/check-deb-install.sh "$deb" || fail "the package does not install and run on a fresh Debian 12"
fi

if [[ $failures -gt 0 ]]; then
  echo "check-install: $failures checks failed" >&2
  exit 1
fi
echo "check-install: the install tree, validators and package are in order ($deb)"
