# shellcheck shell=bash disable=SC2153,SC2046
# The steps of end-to-end.sh: settings, the three recorders, the camera's own
# cost, the table and the preview. Sourced; uses its variables.

# Three overlay images, as BMP for the program and the same files for the peers.
make_images() {
  mkdir -p "$WORK/images"
  convert -size 160x90 gradient:orange-navy BMP3:"$WORK/images/image1.bmp"
  convert -size 120x120 xc:white -fill red -draw "circle 60,60 60,10" BMP3:"$WORK/images/image2.bmp"
  convert -size 200x60 plasma:fractal -seed 7 BMP3:"$WORK/images/image3.bmp" 2>/dev/null ||
    convert -size 200x60 gradient:green-yellow BMP3:"$WORK/images/image3.bmp"
}

# The list indexes the program gives the test devices, the size, the JPEG
# compressor and the audio format, read from `orvex --list-devices`.
discover_indexes() {
  local list=$WORK/devices.txt
  mkdir -p "$WORK/discover"
  env -u DISPLAY -u WAYLAND_DISPLAY ORVEX_CONFIG_DIR="$WORK/discover" \
    "$ORVEX" --test-devices --list-devices >"$list" 2>"$WORK/discover.err" ||
    die "orvex --list-devices failed: $(tail -1 "$WORK/discover.err")"
  index_of() { # section pattern, item pattern
    awk -v section="$1" -v item="$2" '
      /^[A-Z][a-z ]+:$/ { inside = ($0 == section) }
      inside && $0 ~ item { print $1; exit }' "$list"
  }
  CAMERA_INDEX=$(index_of "Video devices:" "Test Pattern Camera")
  MICROPHONE_INDEX=$(index_of "Audio devices:" "Test Tone Microphone")
  JPEG_INDEX=$(index_of "Video compressors:" "^ *[0-9]+  JPEG image encoder$")
  AUDIO_FORMAT_INDEX=$(index_of "Audio formats:" "44100 Hz, 16-bit Stereo")
  [[ -n $CAMERA_INDEX && -n $MICROPHONE_INDEX && -n $JPEG_INDEX && -n $AUDIO_FORMAT_INDEX ]] ||
    die "the test devices, the JPEG compressor or 44100 Hz 16-bit stereo are not listed (see $list)"
}

size_index() { # WxH -> index in the camera's size list
  awk -v size="$1" '$2 == size { print $1; exit }' "$WORK/devices.txt"
}

dword() { printf 'dword:%08x' $(($1 & 0xffffffff)); }

# A settings folder for one run: the test camera at `size`, the JPEG
# compressor, the test microphone, and every processing setting on or off.
write_settings() { # folder size processing audio(1/0)
  local folder=$1 size=$2 processing=$3 audio=$4 on=0
  [[ $processing == on ]] && on=1
  local index
  index=$(size_index "$size")
  [[ -n $index ]] || die "the test camera offers no size $size"
  mkdir -p "$folder"
  {
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n'
    printf '"SecondVideoSource"=%s\n"SecondVideoInput"=%s\n' "$(dword "$CAMERA_INDEX")" "$(dword 0)"
    printf '"SecondVideoSize"=%s\n"SecondVideoCompression"=%s\n' "$(dword "$index")" "$(dword "$JPEG_INDEX")"
    printf '"SecondAudioSource"=%s\n' "$(dword $((audio ? MICROPHONE_INDEX : 0)))"
    printf '"SecondAudioFormat"=%s\n' "$(dword "$AUDIO_FORMAT_INDEX")"
    printf '"Brightness"=%s\n"Contrast"=%s\n' "$(dword $((on * 20)))" "$(dword $((on * 25)))"
    printf '"Hue"=%s\n"Saturation"=%s\n' "$(dword $((on * 15)))" "$(dword $((on * 25)))"
    printf '"Rotation"=%s\n' "$(dword $((on * 180)))"
    printf '"OverlayText"="Cam 1 %%sys_time[hh:nn:ss]%%"\n"OverlayFontName"="DejaVu Sans"\n'
    printf '"OverlayFontSize"=%s\n"OverlayTextPosition"=%s\n' "$(dword 16)" "$(dword 4)"
    printf '"OverlayTextVisible"=%s\n' "$(dword $on)"
    printf '"Image1Position"=%s\n"Image2Position"=%s\n"Image3Position"=%s\n' \
      "$(dword 0)" "$(dword 2)" "$(dword 3)"
    printf '"Image2Transparent"=%s\n' "$(dword 1)"
    printf '"Image1Visible"=%s\n"Image2Visible"=%s\n"Image3Visible"=%s\n' "$(dword $on)" "$(dword $on)" \
      "$(dword $on)"
  } >"$folder/HKEY_LOCAL_MACHINE.reg"
  if [[ $CAMERA_FORMAT == MJPG ]]; then
    # The camera's key as the listing wrote it (a key without its format and
    # subtype lists is discovered again, which resets the choice), with the
    # subtype that its list names MJPG.
    local subtype
    subtype=$(grep -o '^"SUB[0-9]*"="MJPG"' "$WORK/discover/HKEY_CURRENT_USER.reg" | grep -o '[0-9]\+' | head -1)
    [[ -n $subtype ]] || die "the test camera lists no MJPG subtype"
    sed "s/^\"VideoSubtype\"=.*/\"VideoSubtype\"=$(dword $((10#$subtype)))/" \
      "$WORK/discover/HKEY_CURRENT_USER.reg" >"$folder/HKEY_CURRENT_USER.reg"
  fi
  cp "$WORK"/images/image{1,2,3}.bmp "$folder/"
}

# A private home for one run of the program.
program_env() { # run folder -> env arguments
  local dir=$1
  mkdir -p "$dir/home" "$dir/xdg" "$dir/runtime"
  chmod 700 "$dir/runtime"
  echo HOME="$dir/home" XDG_CONFIG_HOME="$dir/xdg" XDG_RUNTIME_DIR="$dir/runtime" ORVEX_CONFIG_DIR="$dir/config"
}

# Runs a command under /usr/bin/time; appends "case tool cpu rss frames".
measured() { # case tool avi command...
  local name=$1 tool=$2 avi=$3
  shift 3
  local timing=$WORK/time.$$ frames=0
  if ! /usr/bin/time -f "%U %S %M" -o "$timing" "$@" >"$WORK/last.out" 2>"$WORK/last.err"; then
    echo "end-to-end: $tool ($name) failed: $(grep -v '^$' "$WORK/last.err" | tail -2)" >&2
  fi
  if [[ $avi != - ]]; then
    frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
      -of default=nw=1:nk=1 "$avi" 2>/dev/null || echo 0)
    rm -f "$avi"
  fi
  read -r user sys rss < <(tail -1 "$timing")
  echo "$name $tool $(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }') $rss ${frames:-0}" >>"$RESULTS"
}

# What the program asks the test camera for: the one format it offers.
camera_format_of_program() { # size processing
  echo "$CAMERA_FORMAT"
}

run_orvex() { # case size processing
  local dir=$WORK/orvex
  rm -rf "$dir"
  mkdir -p "$dir"
  write_settings "$dir/config" "$2" "$3" 1
  measured "$1" orvex "$dir/clip.avi" env -u DISPLAY -u WAYLAND_DISPLAY $(program_env "$dir") \
    "$ORVEX" --test-devices --record "$dir/clip.avi" --seconds "$SECONDS_EACH"
}

# The webcam the peers stand in for, as gst-launch words in GST_CAMERA.
gst_camera() { # width height
  local raw="video/x-raw,format=YUY2,width=$1,height=$2,framerate=30/1"
  GST_CAMERA=(videotestsrc is-live=true pattern=smpte num-buffers="$FRAMES" ! "$raw")
  [[ $CAMERA_FORMAT == MJPG ]] && GST_CAMERA+=(! jpegenc ! image/jpeg)
  return 0
}

run_gst() { # case width height processing
  local avi=$WORK/gst.avi
  local -a work=()
  gst_camera "$2" "$3"
  [[ $CAMERA_FORMAT == MJPG ]] && work+=(jpegdec !)
  if [[ $4 == on ]]; then
    work+=(videobalance brightness=0.08 contrast=1.1 hue=0.06 saturation=1.1 ! videoflip video-direction=180 !
      clockoverlay "time-format=Cam 1 %H:%M:%S" valignment=bottom halignment=center !
      gdkpixbufoverlay location="$WORK/images/image1.bmp" !
      gdkpixbufoverlay location="$WORK/images/image2.bmp" offset-x=-1 !
      gdkpixbufoverlay location="$WORK/images/image3.bmp" offset-y=-1 !)
  fi
  measured "$1" gst "$avi" gst-launch-1.0 -q -e "${GST_CAMERA[@]}" ! "${work[@]}" videoconvert \
    ! video/x-raw,format=I420 ! jpegenc ! queue ! avimux name=mux ! filesink location="$avi" \
    audiotestsrc is-live=true num-buffers="$FRAMES" samplesperbuffer=1470 \
    ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! queue ! mux.
}

run_ffmpeg() { # case width height processing
  local avi=$WORK/ffmpeg.avi chain="format=yuvj420p"
  if [[ $4 == on ]]; then
    chain="eq=brightness=0.08:contrast=1.1:saturation=1.1,hue=h=10,hflip,vflip"
    chain="$chain,drawtext=fontfile=$FONT:text='Cam 1 %{localtime}':fontsize=24:x=(w-tw)/2:y=h-th-4"
    chain="${chain}[a];[a][2:v]overlay=0:0[b];[b][3:v]overlay=W-w:0[c];[c][4:v]overlay=0:H-h,format=yuvj420p"
  fi
  measured "$1" ffmpeg "$avi" ffmpeg -nostdin -v error -y \
    -re -f lavfi -i "testsrc2=size=$2x$3:rate=30,format=yuyv422" \
    -re -f lavfi -i "sine=frequency=440:sample_rate=44100" \
    -i "$WORK/images/image1.bmp" -i "$WORK/images/image2.bmp" -i "$WORK/images/image3.bmp" \
    -filter_complex "[0:v]${chain}[v]" -map "[v]" -map 1:a -t "$SECONDS_EACH" \
    -c:v mjpeg -q:v 3 -c:a pcm_s16le -ac 2 "$avi"
}

run_case() { # size processing rep
  local width=${1%x*} height=${1#*x} name="$1-$2"
  FRAMES=$((SECONDS_EACH * 30))
  echo "  run $3: $name" >&2
  run_orvex "$name" "$1" "$2"
  run_gst "$name" "$width" "$height" "$2"
  [[ $HAVE_FFMPEG == 1 ]] && run_ffmpeg "$name" "$width" "$height" "$2"
  return 0
}

# The sources alone: the test camera in the format the program asks of it,
# videotestsrc as the gst pipeline's webcam, ffmpeg's testsrc2.
declare -A PROGRAM_CAMERA_FORMAT
run_sources() { # size rep
  local width=${1%x*} height=${1#*x} processing
  FRAMES=$((SECONDS_EACH * 30))
  for processing in on off; do
    [[ -n ${PROGRAM_CAMERA_FORMAT[$1-$processing]:-} ]] ||
      PROGRAM_CAMERA_FORMAT[$1-$processing]=$(camera_format_of_program "$1" "$processing")
    measured "$1-$processing" camera - "$CAMERA" "$width" "$height" \
      "${PROGRAM_CAMERA_FORMAT[$1-$processing]}" "$SECONDS_EACH"
  done
  gst_camera "$width" "$height"
  measured "$1" gst-source - gst-launch-1.0 -q "${GST_CAMERA[@]}" ! fakesink
  [[ $HAVE_FFMPEG == 1 ]] && measured "$1" ffmpeg-source - ffmpeg -nostdin -v error -re -f lavfi \
    -i "testsrc2=size=${width}x${height}:rate=30,format=yuyv422" -t "$SECONDS_EACH" -f null -
  return 0
}

median() { # case tool column -> median of that column
  awk -v c="$1" -v t="$2" -v col="$3" '$1 == c && $2 == t { print $col }' "$RESULTS" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
          else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

per_minute() { awk -v v="$1" -v s="$SECONDS_EACH" 'BEGIN { if (v == "-") print "-"; else printf "%.1f", v * 60 / s }'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-") print "-"; else printf "%.1f", a - b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b <= 0) print "-"; else printf "%.2f", a / b }'; }
megabytes() { awk -v k="$1" 'BEGIN { if (k == "-") print "-"; else printf "%.0f", k / 1024 }'; }

print_table() {
  local size processing name
  echo
  echo "CPU seconds (user+sys) per minute of recording; 'net' is without the camera's or test source's own cost"
  echo
  echo "| Work | Orvex | its camera | Orvex net | gst-launch | its source | gst net | ratio | net ratio | ffmpeg | ffmpeg net |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|"
  for size in "${SIZE_LIST[@]}"; do
    for processing in on off; do
      name="$size-$processing"
      local orvex camera gst source ffmpeg ffsource
      orvex=$(per_minute "$(median "$name" orvex 3)")
      camera=$(per_minute "$(median "$name" camera 3)")
      gst=$(per_minute "$(median "$name" gst 3)")
      source=$(per_minute "$(median "$size" gst-source 3)")
      ffmpeg=$(per_minute "$(median "$name" ffmpeg 3)")
      ffsource=$(per_minute "$(median "$size" ffmpeg-source 3)")
      echo "| $size, processing $processing (camera ${PROGRAM_CAMERA_FORMAT[$name]:-?}) | $orvex | $camera |" \
        "$(minus "$orvex" "$camera") | $gst | $source | $(minus "$gst" "$source") | $(ratio "$orvex" "$gst") |" \
        "$(ratio "$(minus "$orvex" "$camera")" "$(minus "$gst" "$source")") | $ffmpeg | $(minus "$ffmpeg" "$ffsource") |"
    done
  done
  echo
  echo "Peak resident memory (MB) and frames written (counted by ffprobe; $((SECONDS_EACH * 30)) expected)"
  echo
  echo "| Work | Orvex RSS | gst RSS | ffmpeg RSS | Orvex frames | gst frames | ffmpeg frames |"
  echo "|---|---|---|---|---|---|---|"
  for size in "${SIZE_LIST[@]}"; do
    for processing in on off; do
      name="$size-$processing"
      echo "| $size, processing $processing | $(megabytes "$(median "$name" orvex 4)") |" \
        "$(megabytes "$(median "$name" gst 4)") | $(megabytes "$(median "$name" ffmpeg 4)") |" \
        "$(median "$name" orvex 5) | $(median "$name" gst 5) | $(median "$name" ffmpeg 5) |"
    done
  done
}
