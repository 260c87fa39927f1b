# shellcheck shell=bash disable=SC2153,SC2046
# The preview's cost: the program with windows under a private Xvfb, first
# with its preview window hidden (the state after start, nothing recording),
# then shown. Sourced by end-to-end.sh; uses its variables and functions.

# CPU ticks of the process and the voluntary context switches (sleeps that
# ended in a wake-up) of its main thread and of all its threads.
process_counters() { # pid -> "ticks main_switches all_switches"
  local ticks main all=0 f
  ticks=$(sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }')
  main=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$1/status")
  for f in /proc/"$1"/task/*/status; do
    all=$((all + $(awk '/^voluntary_ctxt_switches/ { print $2 }' "$f" 2>/dev/null || echo 0)))
  done
  echo "$ticks $main $all"
}

# Prints "CPU % of a core, wake-ups/s of the main thread, of all threads".
sample_process() { # pid seconds
  local before after hz
  hz=$(getconf CLK_TCK)
  before=$(process_counters "$1")
  sleep "$2"
  after=$(process_counters "$1")
  awk -v b="$before" -v a="$after" -v s="$2" -v hz="$hz" 'BEGIN {
    split(b, x); split(a, y)
    printf "%.1f %.0f %.0f", (y[1] - x[1]) * 100 / hz / s, (y[2] - x[2]) / s, (y[3] - x[3]) / s }'
}

wait_for_window() { # display name-regex seconds -> window id
  local deadline=$((SECONDS + $3)) id=""
  while [[ -z $id && $SECONDS -lt $deadline ]]; do
    id=$(DISPLAY=$1 xdotool search --onlyvisible --name "$2" 2>/dev/null | head -1 || true)
    [[ -n $id ]] || sleep 0.2
  done
  echo "$id"
}

measure_preview() { # size
  command -v Xvfb >/dev/null && command -v xdotool >/dev/null || {
    echo "end-to-end: no Xvfb or xdotool, the preview is not measured" >&2
    return 0
  }
  local dir=$WORK/preview display="" deadline xvfb orvex main shown hidden visible
  mkdir -p "$dir"
  write_settings "$dir/config" "$1" off 0
  Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$dir/display" 2>/dev/null &
  xvfb=$!
  deadline=$((SECONDS + 20))
  while [[ -z $display && $SECONDS -lt $deadline ]]; do
    display=$(cat "$dir/display" 2>/dev/null || true)
    [[ -n $display ]] || sleep 0.1
  done
  [[ -n $display ]] || { kill "$xvfb"; die "Xvfb did not start"; }
  display=:$display
  # shellcheck disable=SC2046
  env DISPLAY="$display" QT_QPA_PLATFORM=xcb $(program_env "$dir") "$ORVEX" --test-devices \
    >"$dir/orvex.out" 2>&1 &
  orvex=$!
  main=$(wait_for_window "$display" "^Orvex Ziru" 60)
  if [[ -z $main ]]; then
    kill "$orvex" "$xvfb" 2>/dev/null || true
    die "the main window did not appear: $(tail -2 "$dir/orvex.out")"
  fi
  sleep 5 # the preview graph starts at the first idle moment; let it settle
  hidden=$(sample_process "$orvex" "$SECONDS_EACH")
  # btnPreview: the fourth button of the row (left 11 + 3 * 56, top 78, 50 a side).
  DISPLAY=$display xdotool mousemove --window "$main" 204 103 click 1
  visible=$(wait_for_window "$display" "^Video Preview$" 20)
  if [[ -n $visible ]]; then
    sleep 3
    shown=$(sample_process "$orvex" "$SECONDS_EACH")
  fi
  kill -TERM "$orvex" 2>/dev/null || true
  wait "$orvex" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  echo
  echo "Preview of $1 (camera ${CAMERA_FORMAT}, no microphone, no processing), ${SECONDS_EACH} s each under Xvfb"
  echo
  echo "| State | CPU % of a core | wake-ups/s, main thread | wake-ups/s, all threads |"
  echo "|---|---|---|---|"
  read -r cpu wmain wall <<<"$hidden"
  echo "| preview window hidden, nothing recording | $cpu | $wmain | $wall |"
  if [[ -n ${shown:-} ]]; then
    read -r cpu wmain wall <<<"$shown"
    echo "| preview window shown | $cpu | $wmain | $wall |"
  else
    echo "| preview window shown | (the window did not open) | | |"
  fi
}
