#!/usr/bin/env bash
# Whole-process start-up time of Pelorin under Wine: from starting the exe with a file on
# its command line to the window on the screen, and to the file's picture shown in it,
# pixel for pixel. Median of several runs with a running wineserver, plus one cold start.
#   xvfb-run -a -s "-screen 0 1024x768x24" bench/startup.sh [RUNS]
# The picture is checked by screenshots, one about every 60-100 ms: its figure is an upper
# bound within that step. The window is polled every few milliseconds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-9}"
: "${DISPLAY:?needs an X display: xvfb-run -a -s '-screen 0 1024x768x24' bench/startup.sh}"

"$root/scripts/build" >/dev/null
pelorin="$root/build/win32/Pelorin.exe"
probe="$root/build/win32/tests/e2e/window_probe.exe"
work="$root/build/bench-startup"
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
"$root/scripts/wine-prefix" start >/dev/null
trap '"$root/scripts/wine-prefix" stop >/dev/null' EXIT

perl "$root/tests/e2e/make_sprites.pl" >"$work/sprites.bin"
file="$(winepath -w "$work/sprites.bin")"
wine "$probe" reference "$file" 1 "$(winepath -w "$work/reference.ppm")" \
  "$(winepath -w "$work/reference.scr")" >/dev/null
convert "$work/reference.ppm" -crop 255x192+0+0 +repage "$work/visible.ppm"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# One start: prints "WINDOW_MS PICTURE_MS", then closes the program.
time_start() {
  local start window="" at_window at_picture
  start=$(now_ms)
  wine "$pelorin" "$file" </dev/null >/dev/null 2>&1 &
  local program=$!
  until window="$(xdotool search --name '^Pelorin$' 2>/dev/null | head -n 1)" && [ -n "$window" ]; do
    [ $(($(now_ms) - start)) -gt 30000 ] && { echo "no window" >&2; exit 1; }
    sleep 0.005
  done
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
  until ! kill -0 "$program" 2>/dev/null; do
    xdotool windowfocus --sync "$window" 2>/dev/null && xdotool key alt+F4 || true
    sleep 0.3
  done
  wait "$program" || true
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

time_start >/dev/null  # warm-up: the first start loads Wine's libraries from disk
: >"$work/times"
for ((i = 1; i <= runs; i++)); do
  time_start >>"$work/times"  # in the foreground: each run ends before the next starts
done
"$root/scripts/wine-prefix" stop >/dev/null
sleep 1
"$root/scripts/wine-prefix" start >/dev/null
wineserver -k >/dev/null 2>&1 || true  # a cold start: no wineserver, no Wine services
sleep 1
read -r cold_window cold_picture <<<"$(time_start)"

echo "ms per run to window:  $(cut -d' ' -f1 "$work/times" | tr '\n' ' ')"
echo "ms per run to picture: $(cut -d' ' -f2 "$work/times" | tr '\n' ' ')"
echo "start-up to window (median of $runs, wineserver running): $(cut -d' ' -f1 "$work/times" | median) ms"
echo "start-up to painted picture (median of $runs, wineserver running): $(cut -d' ' -f2 "$work/times" | median) ms"
echo "cold start (no wineserver running) to window: $cold_window ms, to picture: $cold_picture ms"
