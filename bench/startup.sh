#!/usr/bin/env bash
# Whole-process start-up time of Pelorin under Wine: from starting the exe with a file on
# its command line to the window on the screen, and to the file's picture shown in it,
# pixel for pixel; and, alternating with it in the same run, the time to the window of a
# minimal program with a window and a menu (bench/minimal_window.cpp). Medians of several
# runs with a running wineserver, plus one cold start.
#   xvfb-run -a -s "-screen 0 1024x768x24" bench/startup.sh [RUNS]
#   ... bench/startup.sh --quick     one run of each: proves that it runs
# The picture is checked by screenshots, one about every 60-100 ms: its figure is an upper
# bound within that step. The windows are polled every few milliseconds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-9}"
[ "$runs" = --quick ] && runs=1
: "${DISPLAY:?needs an X display: xvfb-run -a -s '-screen 0 1024x768x24' bench/startup.sh}"

"$root/scripts/build" >/dev/null
pelorin="$root/build/win32/Pelorin.exe"
minimal="$root/build/win32/bench/minimal_window.exe"
probe="$root/build/win32/tests/e2e/window_probe.exe"
work="$root/build/bench-startup"
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
"$root/scripts/wine-prefix" start >/dev/null
trap '"$root/scripts/wine-prefix" stop >/dev/null' EXIT

perl "$root/tests/e2e/make_sprites.pl" >"$work/sprites.bin"
file="$(winepath -w "$work/sprites.bin")"
wine "$probe" reference "$file" 1 71 "$(winepath -w "$work/reference.ppm")" \
  "$(winepath -w "$work/reference.scr")" >/dev/null
convert "$work/reference.ppm" -crop 255x192+0+0 +repage "$work/visible.ppm"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Waits for the window titled TITLE (a pattern) and prints its id; fails after 30 s.
await_window() {  # START_MS TITLE
  local window=""
  until window="$(xdotool search --name "$2" 2>/dev/null | head -n 1)" && [ -n "$window" ]; do
    [ $(($(now_ms) - $1)) -gt 30000 ] && { echo "no window $2" >&2; exit 1; }
    sleep 0.005
  done
  echo "$window"
}

close_program() {  # PID WINDOW
  until ! kill -0 "$1" 2>/dev/null; do
    xdotool windowfocus --sync "$2" 2>/dev/null && xdotool key alt+F4 || true
    sleep 0.3
  done
  wait "$1" || true
}

# One start of Pelorin: prints "WINDOW_MS PICTURE_MS", then closes the program.
time_start() {
  local start window at_window at_picture
  start=$(now_ms)
  wine "$pelorin" "$file" </dev/null >/dev/null 2>&1 &
  local program=$!
  window=$(await_window "$start" '^Pelorin$')
  at_window=$(now_ms)
  if [ -z "${client:-}" ]; then
    client="$(wine "$probe" client | tr -d '\r')"
    read -r client_x client_y _ <<<"$client"
  fi
  until import -window root -crop "255x192+${client_x}+${client_y}" +repage -depth 8 \
    "$work/canvas.ppm" && [ "$(compare -metric AE "$work/canvas.ppm" "$work/visible.ppm" null: 2>&1 || true)" = 0 ]; do
    [ $(($(now_ms) - start)) -gt 30000 ] && { echo "the picture never showed" >&2; exit 1; }
  done
  at_picture=$(now_ms)
  echo "$((at_window - start)) $((at_picture - start))"
  close_program "$program" "$window"
}

# One start of the minimal program: prints WINDOW_MS, then closes it.
time_minimal() {
  local start window at_window
  start=$(now_ms)
  wine "$minimal" </dev/null >/dev/null 2>&1 &
  local program=$!
  window=$(await_window "$start" '^Minimal window$')
  at_window=$(now_ms)
  echo "$((at_window - start))"
  close_program "$program" "$window"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

time_start >/dev/null  # warm-up: the first start loads Wine's libraries from disk
time_minimal >/dev/null
: >"$work/times"
: >"$work/minimal-times"
for ((i = 1; i <= runs; i++)); do  # in the foreground: each run ends before the next starts
  if ((i % 2)); then
    time_start >>"$work/times"
    time_minimal >>"$work/minimal-times"
  else
    time_minimal >>"$work/minimal-times"
    time_start >>"$work/times"
  fi
done
"$root/scripts/wine-prefix" stop >/dev/null
sleep 1
"$root/scripts/wine-prefix" start >/dev/null
wineserver -k >/dev/null 2>&1 || true  # a cold start: no wineserver, no Wine services
sleep 1
read -r cold_window cold_picture <<<"$(time_start)"

window_median=$(cut -d' ' -f1 "$work/times" | median)
minimal_median=$(median <"$work/minimal-times")
echo "ms per run to window:  $(cut -d' ' -f1 "$work/times" | tr '\n' ' ')"
echo "ms per run to picture: $(cut -d' ' -f2 "$work/times" | tr '\n' ' ')"
echo "ms per run to the minimal program's window: $(tr '\n' ' ' <"$work/minimal-times")"
echo "start-up to window (median of $runs, wineserver running): $window_median ms"
echo "start-up to painted picture (median of $runs, wineserver running): $(cut -d' ' -f2 "$work/times" | median) ms"
echo "minimal program to window (median of $runs, wineserver running): $minimal_median ms"
echo "cold start (no wineserver running) to window: $cold_window ms, to picture: $cold_picture ms"
awk -v p="$window_median" -v m="$minimal_median" \
  'BEGIN { if (m > 0) printf "startup/minimal-window ratio: %.2f\n", p / m }'
