#!/usr/bin/env bash
# End-to-end tests of the real program under Wine on an X display, driven as a person
# would: xdotool for the mouse and keys, screenshots and the written files for the checks.
#
#   window_test.sh loaded-file|missing-file PELORIN.exe window_probe.exe WORK_FOLDER
#
# window_probe (built from the same core) computes the picture and screen file that the
# program must show and save, and reads the program's windows from inside Wine. ctest sets
# WINEPREFIX and the other Wine variables; the display comes from xvfb-run.
set -euo pipefail

scenario="$1"
pelorin="$2"
probe="$3"
work="$4"
: "${DISPLAY:?needs an X display: run ctest under xvfb-run -a -s '-screen 0 1024x768x24'}"

rm -rf "$work"
mkdir -p "$work/sprite files"  # a blank in the path: the command line must quote it
log="$work/log"
program=""

fail() {
  echo "FAILED: $*"
  [ -n "$program" ] && kill "$program" 2>/dev/null
  exit 1
}

# poll SECONDS COMMAND...: runs the command every 0.2 s until it succeeds or time is up.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

probe() { wine "$probe" "$@" 2>>"$log" | tr -d '\r'; }

start_program() {
  wine "$pelorin" "$1" </dev/null >>"$log" 2>&1 &
  program=$!
}

find_window() {
  window="$(xdotool search --name '^Pelorin$' 2>/dev/null | head -n 1)"
  [ -n "$window" ]
}

find_client() {
  read -r client_x client_y client_width client_height < <(probe client) && [ -n "${client_x:-}" ]
}

# Number of pixels by which the visible canvas (255 x 192 at the client's top left)
# differs from a 255 x 192 picture.
canvas_difference() {
  import -window root -crop "255x192+${client_x}+${client_y}" +repage -depth 8 "$work/canvas.ppm"
  compare -metric AE "$work/canvas.ppm" "$1" null: 2>&1 || true
}
canvas_shows() { [ "$(canvas_difference "$1")" = "0" ]; }

# The core's picture and screen file for the sprite file at a width.
reference() {
  local width="$1"
  probe reference "$sprites_wine" "$width" "$(winepath -w "$work/reference-$width.ppm")" \
    "$(winepath -w "$work/reference-$width.scr")" || fail "window_probe reference $width"
  convert "$work/reference-$width.ppm" -crop 255x192+0+0 +repage "$work/visible-$width.ppm"
}

title_is() { [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$1" ]; }

focus_window() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.3
}

program_ended() { ! kill -0 "$program" 2>/dev/null; }

# Alt+F4, repeated until the process is gone (a key right after a window closed can be
# lost); then the exit code must be 0.
close_with_alt_f4() {
  local attempt
  for attempt in 1 2 3 4 5; do
    focus_window
    xdotool key alt+F4
    poll 4 program_ended && break
  done
  program_ended || fail "Alt+F4 did not end the program"
  local code=0
  wait "$program" || code=$?
  program=""
  [ "$code" -eq 0 ] || fail "exit code $code after Alt+F4"
  echo "Alt+F4 ended the program with exit code 0"
}

loaded_file() {
  local sprites="$work/sprite files/sprites.bin"
  perl "$(dirname "${BASH_SOURCE[0]}")/make_sprites.pl" >"$sprites"
  sprites_wine="$(winepath -w "$sprites")"
  reference 1
  reference 2
  # The two widths must look different and save differently, or the checks below prove nothing.
  [ "$(compare -metric AE "$work/visible-1.ppm" "$work/visible-2.ppm" null: 2>&1 || true)" != 0 ] ||
    fail "widths 1 and 2 give the same picture"
  ! cmp -s "$work/reference-1.scr" "$work/reference-2.scr" || fail "widths 1 and 2 give the same screen"

  start_program "$sprites_wine"
  poll 30 find_window || fail "no window titled Pelorin"
  poll 10 find_client || fail "window_probe cannot find the client area"
  [ "$client_width" = 255 ] || fail "client width $client_width"
  poll 10 canvas_shows "$work/visible-1.ppm" ||
    fail "canvas differs from the core's picture at width 1 by $(canvas_difference "$work/visible-1.ppm") pixels"
  echo "the canvas shows the file at width 1, every visible pixel"

  # The scrollbar's right arrow: the last 8 pixels of the bar at (0, 194), 255 x 20.
  xdotool mousemove --sync $((client_x + 250)) $((client_y + 204)) click 1
  poll 10 title_is "Pelorin,2" || fail "title $(xdotool getwindowname "$window") after the arrow"
  poll 10 canvas_shows "$work/visible-2.ppm" ||
    fail "canvas differs from the core's picture at width 2 by $(canvas_difference "$work/visible-2.ppm") pixels"
  echo "the right arrow set the title to Pelorin,2 and re-stripped the picture"
  import -window "$window" "$work/window.png"
  if [ -n "${PELORIN_SCREENSHOT:-}" ]; then
    convert "$work/window.png" -strip "PNG8:$PELORIN_SCREENSHOT"
    echo "screenshot written to $PELORIN_SCREENSHOT"
  fi

  # File > Save from the keyboard: Alt selects the menu bar, Down opens "File" at "Open..",
  # two more Downs reach "Save". A lost key is retried after closing whatever is open.
  local saved="$work/sprite files/sprites.bin.scr"
  local attempt
  for attempt in 1 2 3; do
    focus_window
    for key in alt Down Down Down Return; do
      xdotool key "$key"
      sleep 0.3
    done
    poll 5 test -s "$saved" && break
    xdotool key Escape Escape
  done
  poll 5 eval '[ "$(stat -c %s "$saved" 2>/dev/null)" = 6912 ]' || fail "Save wrote no 6,912-byte file"
  cmp "$saved" "$work/reference-2.scr" || fail "the saved screen differs from the core's"
  echo "File > Save wrote the core's screen file byte for byte"

  # The button held on the trough near its right end pages right until the thumb is under
  # the pointer. The loop waits meanwhile: the title and the picture change once, after the
  # release, to the final width.
  xdotool mousemove --sync $((client_x + 236)) $((client_y + 204)) mousedown 1
  sleep 3
  title_is "Pelorin,2" || fail "the title followed the held button: $(xdotool getwindowname "$window")"
  xdotool mouseup 1
  widened() { [[ "$(xdotool getwindowname "$window")" =~ ^Pelorin,([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -gt 20 ]; }
  poll 10 widened || fail "title $(xdotool getwindowname "$window") after holding the trough"
  local width="${BASH_REMATCH[1]}"
  reference "$width"
  poll 10 canvas_shows "$work/visible-$width.ppm" ||
    fail "canvas differs from the core's picture at width $width by $(canvas_difference "$work/visible-$width.ppm") pixels"
  echo "holding the trough left the title alone until the release, then showed width $width"

  close_with_alt_f4
}

missing_file() {
  local missing
  missing="$(winepath -w "$work/sprite files/no such file.bin")"
  start_program "$missing"
  poll 30 find_window || fail "no window titled Pelorin"
  poll 20 eval 'probe message Error >"$work/message"' || fail "no Error box"
  cat "$work/message"
  grep -qx 'owner: Pelorin PelorinMainWindow' "$work/message" || fail "the box is not over the window"
  grep -qx 'owner menu: yes' "$work/message" || fail "the window has no menu yet"
  grep -qx 'text: error reading' "$work/message" || fail "no 'error reading' line"
  grep -qxF "$missing" "$work/message" || fail "the path is not on the second line"

  box_gone() { ! xdotool search --name '^Error$' >/dev/null 2>&1; }
  local attempt
  for attempt in 1 2 3 4 5; do
    xdotool windowfocus --sync "$(xdotool search --name '^Error$' | head -n 1)" 2>/dev/null || true
    sleep 0.3
    xdotool key Return
    poll 3 box_gone && break
  done
  box_gone || fail "the Error box did not close"

  poll 10 find_client || fail "window_probe cannot find the client area"
  convert -size 255x192 xc:black "$work/black.ppm"
  poll 10 canvas_shows "$work/black.ppm" || fail "the canvas is not black after the failed load"
  echo "the Error box showed the path over the window; the canvas stayed black"
  close_with_alt_f4
}

case "$scenario" in
loaded-file) loaded_file ;;
missing-file) missing_file ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "e2e passed: $scenario"
