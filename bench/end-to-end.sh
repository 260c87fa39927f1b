#!/usr/bin/env bash
# End to end: the same recording made by the program (`orvex --record` with the
# test devices), by a hand-written gst-launch-1.0 pipeline doing the same work
# in YUV, and by ffmpeg when present; interleaved, repeated, medians. Then the
# preview's cost under Xvfb. See bench/README.md.
set -euo pipefail

usage() {
  cat <<'EOF'
usage: bench/end-to-end.sh [options]
  -s SECONDS   length of each recording and preview measurement (default 60)
  -r REPS      repetitions, interleaved; medians are printed (default 3)
  -z SIZES     frame sizes, comma-separated (default 1280x720,1920x1080)
  -f FORMAT    what the cameras deliver: YUY2 or MJPG (default YUY2)
  -b BUILD     build folder with bin/orvex and bin/bench_test_camera
               (default build/bench: Release, -DORVEX_BUILD_BENCH=ON)
  -k           keep the work folder (recordings, settings, logs)
  -P           skip the preview measurement
EOF
}

SECONDS_EACH=60
REPS=3
SIZES=1280x720,1920x1080
CAMERA_FORMAT=YUY2
REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$REPO/build/bench
KEEP=0
PREVIEW=1
while getopts "s:r:z:f:b:kPh" opt; do
  case $opt in
    s) SECONDS_EACH=$OPTARG ;;
    r) REPS=$OPTARG ;;
    z) SIZES=$OPTARG ;;
    f) CAMERA_FORMAT=$OPTARG ;;
    b) BUILD=$(cd "$OPTARG" && pwd) ;;
    k) KEEP=1 ;;
    P) PREVIEW=0 ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
die() { echo "end-to-end: $*" >&2; exit 1; }
[[ $SECONDS_EACH =~ ^[0-9]+$ && $SECONDS_EACH -gt 0 ]] || die "-s wants whole seconds above 0"
[[ $REPS =~ ^[0-9]+$ && $REPS -gt 0 ]] || die "-r wants a count above 0"
[[ $CAMERA_FORMAT == YUY2 || $CAMERA_FORMAT == MJPG ]] || die "-f wants YUY2 or MJPG"
# Our test camera offers RGB too, which no webcam does; leave it only this format.
export ORVEX_TEST_CAMERA_FORMATS=$CAMERA_FORMAT
ORVEX=$BUILD/bin/orvex
CAMERA=$BUILD/bin/bench_test_camera
[[ -x $ORVEX && -x $CAMERA ]] ||
  die "no $ORVEX or $CAMERA; build them: cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCH=ON && cmake --build build/bench"
for tool in gst-launch-1.0 ffprobe /usr/bin/time convert; do
  command -v "$tool" >/dev/null || die "$tool is missing"
done
HAVE_FFMPEG=0
command -v ffmpeg >/dev/null && HAVE_FFMPEG=1
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

WORK=$(mktemp -d /tmp/orvex-e2e.XXXXXX)
cleanup() {
  if [[ $KEEP == 1 ]]; then echo "work folder kept: $WORK" >&2; else rm -rf "$WORK"; fi
}
trap cleanup EXIT
RESULTS=$WORK/results.txt # lines: case tool cpu_s rss_kb frames
: >"$RESULTS"

# shellcheck source=bench/end-to-end-lib.sh
source "$(dirname "$0")/end-to-end-lib.sh"
# shellcheck source=bench/end-to-end-preview.sh
source "$(dirname "$0")/end-to-end-preview.sh"

make_images
discover_indexes

echo "Recording ${SECONDS_EACH} s at 30 fps, camera ${CAMERA_FORMAT}, JPEG compressor, 44.1 kHz 16-bit stereo;" \
  "${REPS} interleaved runs, medians" >&2
IFS=, read -r -a SIZE_LIST <<<"$SIZES"
for ((rep = 1; rep <= REPS; rep++)); do
  for size in "${SIZE_LIST[@]}"; do
    [[ $size =~ ^([0-9]+)x([0-9]+)$ ]] || die "bad size $size"
    for processing in on off; do
      run_case "$size" "$processing" "$rep"
    done
    run_sources "$size" "$rep"
  done
done
print_table
[[ $PREVIEW == 1 ]] && measure_preview "${SIZE_LIST[-1]}"
exit 0
