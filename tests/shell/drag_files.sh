#!/usr/bin/env bash
# Drags files with the mouse, as a user does, from a second Wine program onto a window.
#   drag_files.sh DRAG_SOURCE LIST X Y [KEY]
# Starts DRAG_SOURCE (the pelorin_drag_source test program) with the UTF-8 path list LIST,
# presses the left button on its window, moves the pointer in steps to the screen point
# (X, Y), holding KEY (shift, ctrl, ...) if given, releases the button there and prints the
# drag source's report. Needs DISPLAY, xdotool and the Wine environment of the tests.
set -euo pipefail
source_program=$1 list=$2 end_x=$3 end_y=$4 key=${5:-}

# Polls for the X window of that exact title; prints its id.
find_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "drag_files: no window named '$1'" >&2
  return 1
}

# Sets X, Y, WIDTH and HEIGHT from the window's geometry.
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }

report=$(mktemp)
trap 'rm -f "$report"' EXIT
wine "$source_program" "$list" >"$report" 2>/dev/null &
source_pid=$!

source_window=$(find_window "Pelorin drag source")
geometry "$source_window"
start_x=$((X + WIDTH / 2)) start_y=$((Y + HEIGHT / 2))

xdotool mousemove --sync "$start_x" "$start_y"
sleep 0.3
xdotool mousedown 1
sleep 0.5
[ -n "$key" ] && xdotool keydown "$key"
# Wine's drag loop follows the pointer from motion to motion: move in steps.
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove --sync $((start_x + (end_x - start_x) * step / 10)) \
    $((start_y + (end_y - start_y) * step / 10))
  sleep 0.15
done
sleep 0.3
xdotool mouseup 1
[ -n "$key" ] && xdotool keyup "$key"

for _ in $(seq 100); do
  kill -0 "$source_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$source_pid" 2>/dev/null; then
  kill "$source_pid"
  echo "drag_files: the drag source did not finish" >&2
  exit 1
fi
wait "$source_pid" || true
tr -d '\r' <"$report"
