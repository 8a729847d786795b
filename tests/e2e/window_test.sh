#!/usr/bin/env bash
# End-to-end tests of the real program under Wine on an X display, driven as a person
# would: xdotool for the mouse and keys, screenshots and the written files for the checks.
#
#   window_test.sh SCENARIO PELORIN.exe window_probe.exe WORK_FOLDER [DRAG_SOURCE.exe]
#
# Scenarios: loaded-file, missing-file, open-file, fill-colour, cancel-dialogs, drop-files,
# browse, layouts.
# window_probe (built from the same core) computes the picture and screen file that the
# program must show and save, and reads the program's windows from inside Wine. drop-files
# drags with DRAG_SOURCE, the pelorin_drag_source test program. ctest sets WINEPREFIX and
# the other Wine variables; the display comes from xvfb-run.
set -euo pipefail

scenario="$1"
pelorin="$2"
probe="$3"
work="$4"
drag_source="${5:-}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
: "${DISPLAY:?needs an X display: run ctest under xvfb-run -a -s '-screen 0 1024x768x24'}"

rm -rf "$work"
mkdir -p "$work/sprite files"  # a blank in the path: the command line must quote it
log="$work/log"
program=""
sprites="$work/sprite files/sprites.bin"
sprites_wine=""

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

# start_program [FILE]: starts Pelorin, with FILE on its command line if given.
start_program() {
  wine "$pelorin" "$@" </dev/null >>"$log" 2>&1 &
  program=$!
}

# Starts Pelorin and waits until its window is up, its client area found and the canvas
# painted: black, or the file given at width 1.
start_and_find() {
  start_program "$@"
  poll 30 find_window || fail "no window titled Pelorin"
  poll 10 find_client || fail "window_probe cannot find the client area"
  [ "$client_width" = 255 ] || fail "client width $client_width"
  if [ $# -eq 0 ]; then
    convert -size 255x192 xc:black "$work/black.ppm"
    poll 10 canvas_shows "$work/black.ppm" || fail "the canvas is not black at start"
  else
    expect_canvas 1 71 "the file on the command line"
  fi
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

# The sprite file: figures that show as a sheet at width 2 and scramble at other widths.
make_sprites() {
  perl "$here/make_sprites.pl" >"$sprites"
  sprites_wine="$(winepath -w "$sprites")"
}

# reference WIDTH [ATTRIBUTE [OFFSET [OPTIONS]]]: the core's picture and screen file for the
# sprite file at that width and fill attribute (71, the program's first, if not given), shown
# from the offset (0 if not given), with the probe's OPTIONS (one-screen). Sets `picture` to
# the visible 255 x 192 part of the picture, `whole` to all of it, and `screen` to the screen
# file.
reference() {
  local width="$1" attribute="${2:-71}" offset="${3:-0}" options="${4:-}"
  local name="$work/reference-$width-$attribute-$offset-$options"
  whole="$name.ppm"
  if [ ! -f "$name.visible.ppm" ]; then
    probe reference "$sprites_wine" "$width" "$attribute" "$(winepath -w "$name.ppm")" \
      "$(winepath -w "$name.scr")" "$offset" $options ||
      fail "window_probe reference $width $attribute $offset $options"
    convert "$name.ppm" -crop 255x192+0+0 +repage "$name.visible.ppm"
  fi
  picture="$name.visible.ppm"
  screen="$name.scr"
}

# expect_canvas WIDTH ATTRIBUTE WHAT [OFFSET [OPTIONS]]: waits until the canvas shows the
# core's picture of the sprite file at that width and fill attribute, from the offset, with
# the probe's options, every visible pixel.
expect_canvas() {
  reference "$1" "$2" "${4:-0}" "${5:-}"
  poll 10 canvas_shows "$picture" ||
    fail "$3: the canvas differs from the core's picture at width $1, attribute $2 by $(canvas_difference "$picture") pixels"
}

title_is() { [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$1" ]; }

focus_window() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.3
}

program_ended() { ! kill -0 "$program" 2>/dev/null; }

window_named() { xdotool search --name "^$1\$" >/dev/null 2>&1; }
window_gone() { ! window_named "$1"; }
any_dialog() { window_named Title || window_named "Please choose file to load" || window_named Error; }

focus_named() {
  local id
  id="$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)"
  [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null
  sleep 0.2
}

# menu_keys ITEM: File > item ITEM (0 "Open..", 1 "Fill with color..", 2 "Save") from the
# keyboard, led by a harmless key: Alt selects the menu bar, Down opens "File" at its first
# item, each further Down moves one item (the separator is skipped), Return chooses.
menu_keys() {
  local i
  focus_window
  xdotool key shift
  xdotool key alt
  sleep 0.3
  for ((i = 0; i <= $1; i++)); do
    xdotool key Down
    sleep 0.3
  done
  xdotool key Return
}

# choose_dialog ITEM DIALOG: chooses the item and waits for the dialog titled DIALOG. When
# no dialog comes (a key was lost), whatever menu is open is closed and the keys are sent
# again; another dialog is a failure.
choose_dialog() {
  local attempt
  for attempt in 1 2 3; do
    menu_keys "$1"
    poll 5 window_named "$2" && return 0
    any_dialog && fail "File item $1 opened another window than '$2'"
    xdotool key Escape Escape
  done
  fail "File item $1 did not open '$2'"
}

# save_and_compare WIDTH [OFFSET [SCREEN]]: File > Save; the screen file written beside the
# sprite file must be the core's at that width and offset (or SCREEN), byte for byte. A lost
# key is retried after closing whatever is open.
save_and_compare() {
  local saved="$sprites.scr" attempt
  for attempt in 1 2 3; do
    menu_keys 2
    poll 5 test -s "$saved" && break
    xdotool key Escape Escape
  done
  poll 5 eval '[ "$(stat -c %s "$saved" 2>/dev/null)" = 6912 ]' || fail "Save wrote no 6,912-byte file"
  reference "$1" 71 "${2:-0}"
  cmp "$saved" "${3:-$screen}" || fail "the saved screen differs from the core's"
}

# press_until_gone WINDOW KEY: presses the key in the window until the window is gone.
press_until_gone() {
  local attempt
  for attempt in 1 2 3 4 5; do
    focus_named "$1"
    xdotool key "$2"
    poll 3 window_gone "$1" && return 0
  done
  fail "'$1' did not close with $2"
}

field_is() { [ "$(probe field "$1" "$2")" = "$3" ]; }

# type_answer TEXT [DIALOG]: in the input dialog (titled Title unless named), replaces what
# the field holds by TEXT as a user does: End, BackSpace over the text, then the new text.
# The field is read back before Return is pressed; a lost key is made good by doing it over.
type_answer() {
  local attempt current dialog="${2:-Title}"
  for attempt in 1 2 3; do
    focus_named "$dialog"
    xdotool key End
    current="$(probe field "$dialog" 10)"
    [ -n "$current" ] && xdotool key --delay 30 --repeat "${#current}" BackSpace
    [ -n "$1" ] && xdotool type --delay 30 "$1"
    poll 3 field_is "$dialog" 10 "$1" && break
  done
  field_is "$dialog" 10 "$1" || fail "the entry field holds '$(probe field "$dialog" 10)', not '$1'"
  press_until_gone "$dialog" Return
}

# point_at X Y: moves the pointer there. (xdotool's --sync waits for a motion, which never
# comes when the pointer is there already.)
point_at() {
  eval "$(xdotool getmouselocation --shell)"
  if [ "$X" != "$1" ] || [ "$Y" != "$2" ]; then xdotool mousemove --sync "$1" "$2"; fi
}

# step_width TITLE: clicks the scrollbar's right arrow (the last 8 pixels of the bar at
# (0, 194), 255 x 20) and waits for the title. The loop handles events in order, so every
# event queued before the click has been handled once the title shows.
step_width() {
  point_at $((client_x + 250)) $((client_y + 204))
  xdotool click 1
  poll 10 title_is "$1" || fail "title $(xdotool getwindowname "$window") after the arrow, not $1"
}

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
  make_sprites
  reference 1
  local picture1="$picture" screen1="$screen"
  reference 2
  # The two widths must look different and save differently, or the checks below prove nothing.
  [ "$(compare -metric AE "$picture1" "$picture" null: 2>&1 || true)" != 0 ] ||
    fail "widths 1 and 2 give the same picture"
  ! cmp -s "$screen1" "$screen" || fail "widths 1 and 2 give the same screen"

  start_and_find "$sprites_wine"
  echo "the canvas shows the file at width 1, every visible pixel"

  step_width "Pelorin,2"
  expect_canvas 2 71 "after the right arrow"
  echo "the right arrow set the title to Pelorin,2 and re-stripped the picture"
  import -window "$window" "$work/window.png"
  if [ -n "${PELORIN_SCREENSHOT:-}" ]; then
    convert "$work/window.png" -strip "PNG8:$PELORIN_SCREENSHOT"
    echo "screenshot written to $PELORIN_SCREENSHOT"
  fi

  save_and_compare 2
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
  expect_canvas "${BASH_REMATCH[1]}" 71 "after holding the trough"
  echo "holding the trough left the title alone until the release, then showed the final width"

  shortcut ctrl+w title_is "Pelorin,2"
  expect_canvas 2 71 "Ctrl+W"
  echo "Ctrl+W guessed the sprites' width, 2, and showed them at it"

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

  press_until_gone Error Return

  poll 10 find_client || fail "window_probe cannot find the client area"
  convert -size 255x192 xc:black "$work/black.ppm"
  poll 10 canvas_shows "$work/black.ppm" || fail "the canvas is not black after the failed load"
  echo "the Error box showed the path over the window; the canvas stayed black"
  close_with_alt_f4
}

# File > Open..: the path typed into the open-file dialog and Enter load the file.
open_file() {
  make_sprites
  start_and_find
  choose_dialog 0 "Please choose file to load"
  probe message "Please choose file to load" >"$work/message"
  grep -qx 'owner: Pelorin PelorinMainWindow' "$work/message" || fail "the dialog is not over the window"
  local attempt
  for attempt in 1 2 3; do
    focus_named "Please choose file to load"
    xdotool key End  # a harmless first key: the name box is empty
    xdotool type --delay 30 "$sprites_wine"
    poll 3 field_is "Please choose file to load" 0x47c "$sprites_wine" && break
    xdotool key --delay 30 --repeat 300 BackSpace
  done
  field_is "Please choose file to load" 0x47c "$sprites_wine" ||
    fail "the name box holds '$(probe field "Please choose file to load" 0x47c)'"
  press_until_gone "Please choose file to load" Return
  expect_canvas 1 71 "the opened file"
  title_is Pelorin || fail "Open.. changed the title to $(xdotool getwindowname "$window")"
  echo "the typed path and Enter loaded the file: the canvas shows it, every visible pixel"

  # The opened file is the one Save writes beside.
  save_and_compare 1
  echo "File > Save then wrote the opened file's screen beside it"
  close_with_alt_f4
}

# File > Fill with color..: answers typed as a user types them, each checked on the canvas
# against the core's picture at the attribute the answer gives.
fill_colour() {
  make_sprites
  start_and_find "$sprites_wine"

  choose_dialog 1 Title
  field_is Title 10 '$47' || fail "the dialog offers '$(probe field Title 10)', not \$47"
  local attempt
  for attempt in 1 2 3; do
    focus_named Title
    xdotool key End 5
    poll 3 field_is Title 10 '$475' && break
    field_is Title 10 '$47' || fail "the field holds '$(probe field Title 10)' after typing 5"
  done
  field_is Title 10 '$475' || fail "5 typed after \$47 gave '$(probe field Title 10)'"
  press_until_gone Title Return
  expect_canvas 1 0x75 "\$475 (5 typed after the offered \$47)"
  echo "5 typed after the offered \$47: attribute \$75 on the canvas"

  choose_dialog 1 Title
  field_is Title 10 '$75' || fail "the dialog offers '$(probe field Title 10)', not \$75"
  type_answer '$4f'
  expect_canvas 1 0x4f "\$4f"
  echo "\$4f typed over the offered \$75: attribute \$4F on the canvas"

  choose_dialog 1 Title
  type_answer '$4g'
  poll 10 window_named Error || fail "no Error box for the wrong character"
  probe message Error >"$work/message"
  cat "$work/message"
  grep -qx 'owner: Pelorin PelorinMainWindow' "$work/message" || fail "the box is not over the window"
  grep -qx 'text: Wrong character:G' "$work/message" || fail "the box does not say Wrong character:G"
  press_until_gone Error Return
  expect_canvas 1 4 "\$4g"
  echo "\$4g: the Error box said Wrong character:G; the 4 read before it was applied"

  choose_dialog 1 Title
  type_answer ''
  step_width "Pelorin,2"
  expect_canvas 2 4 "an empty answer, then the right arrow"
  echo "an empty answer changed nothing"
  close_with_alt_f4
}

# Each dialog cancelled with Escape changes nothing; after a cancelled Open.. the program has
# no file, so Save writes nothing and says nothing.
cancel_dialogs() {
  make_sprites
  start_and_find "$sprites_wine"

  choose_dialog 1 Title
  local attempt
  for attempt in 1 2 3; do
    focus_named Title
    xdotool key End
    xdotool type --delay 30 "0"
    poll 3 field_is Title 10 '$470' && break
  done
  field_is Title 10 '$470' || fail "0 typed after \$47 gave '$(probe field Title 10)'"
  press_until_gone Title Escape
  step_width "Pelorin,2"
  expect_canvas 2 71 "the input dialog cancelled, then the right arrow"
  echo "Fill with color.. cancelled with Escape after typing: nothing changed"

  choose_dialog 0 "Please choose file to load"
  press_until_gone "Please choose file to load" Escape
  step_width "Pelorin,3"
  expect_canvas 3 71 "the open-file dialog cancelled, then the right arrow"
  echo "Open.. cancelled with Escape: the picture stayed"

  menu_keys 2
  step_width "Pelorin,4"
  window_gone Error || fail "Save after a cancelled Open.. showed an Error box"
  [ ! -e "$sprites.scr" ] || fail "Save after a cancelled Open.. wrote $sprites.scr"
  [ -z "$(find "$work/sprite files" -name '*.scr')" ] || fail "Save after a cancelled Open.. wrote a screen file"
  [ ! -e .scr ] || fail "Save after a cancelled Open.. wrote .scr in the current folder"
  expect_canvas 4 71 "Save after a cancelled Open.., then the right arrow"
  echo "Save after the cancelled Open.. wrote nothing and said nothing"
  close_with_alt_f4
}

# drag PATH... X Y: drags the files from the second Wine program to the screen point and
# releases the button there; sets `report` to what the drag source was told.
drag() {
  local count=$(($# - 2)) list="$work/drag-list.txt" path
  local x="${@:$#-1:1}" y="${@:$#:1}"
  : >"$list"
  for path in "${@:1:count}"; do winepath -w "$path" >>"$list"; done
  report="$("$here/../shell/drag_files.sh" "$drag_source" "$list" "$x" "$y")" ||
    fail "the drag did not end"
}

# Three files dragged from another program onto the canvas: the first is loaded and the
# source is told the files were copied. A drop on the scrollbar is refused.
drop_files() {
  [ -n "$drag_source" ] || fail "drop-files needs the drag source program"
  make_sprites
  local second="$work/sprite files/second.bin" third="$work/sprite files/third.bin"
  head -c 3000 /dev/urandom >"$second"
  head -c 5000 /dev/urandom >"$third"
  start_and_find

  drag "$sprites" "$second" "$third" $((client_x + 40)) $((client_y + 50))
  echo "drag source: $report"
  [ "$report" = "result 00040100 effect 1" ] || fail "the drag source was told '$report', not a copy"
  expect_canvas 1 71 "three files dropped on the canvas"
  title_is Pelorin || fail "the drop changed the title to $(xdotool getwindowname "$window")"
  [ -f "$sprites" ] && [ -f "$second" ] && [ -f "$third" ] || fail "a dropped file is gone"
  echo "three files dropped on the canvas: the first is shown, and the source was told copy"

  drag "$second" $((client_x + 128)) $((client_y + 204))
  echo "drag source: $report"
  [[ "$report" =~ effect\ 0$ ]] || fail "the drop on the scrollbar was taken: '$report'"
  step_width "Pelorin,2"
  expect_canvas 2 71 "a file dropped on the scrollbar, then the right arrow"
  echo "a file dropped on the scrollbar was refused"
  close_with_alt_f4
}

# shortcut KEYS CHECK...: presses the keys in the main window until the check holds. The keys
# are pressed again only when they changed nothing in the title (a lost key), so that a
# command's wrong effect is never covered by a second one. KEYS with a blank is a mouse
# action of xdotool's ("click 4") done likewise.
shortcut() {
  local keys="$1" attempt before
  shift
  for attempt in 1 2 3; do
    before="$(xdotool getwindowname "$window")"
    focus_window
    if [[ $keys == *' '* ]]; then xdotool $keys; else xdotool key "$keys"; fi
    poll 5 "$@" && return 0
    [ "$(xdotool getwindowname "$window")" = "$before" ] ||
      fail "$keys: the title became $(xdotool getwindowname "$window")"
  done
  fail "$keys: $* never held"
}

# A file loaded, then browsed from the keyboard: the shortcuts step by screen, byte and row
# within the file, a typed $ offset goes there, Save writes what is shown, 2x zoom shows
# every pixel twice across and down, and a click in locate mode names the byte under it.
# ] and [ move the width, the wheel steps, a Shift+click starts there, F1 lists the keys, a
# long search for graphics can be cancelled, and what is found is exported and listed.
browse() {
  # Random bytes, then the sprite sheet 6,912 bytes in: a screen's worth at width 2.
  head -c 6912 /dev/urandom >"$sprites"
  perl "$here/make_sprites.pl" >>"$sprites"
  sprites_wine="$(winepath -w "$sprites")"
  start_and_find "$sprites_wine"
  step_width "Pelorin,2"
  shortcut bracketright title_is "Pelorin,3"
  expect_canvas 3 71 "]"
  shortcut bracketleft title_is "Pelorin,2"
  echo "] and [ moved the width by one and re-stripped the picture"

  # One screen at width 2 is 16 strips of 192 rows: 6,144 bytes.
  shortcut ctrl+Next title_is "Pelorin,2 @ 6144 (\$1800)"
  expect_canvas 2 71 "Ctrl+PgDn" 6144
  shortcut ctrl+Right title_is "Pelorin,2 @ 6145 (\$1801)"
  shortcut ctrl+Down title_is "Pelorin,2 @ 6147 (\$1803)"
  expect_canvas 2 71 "Ctrl+Right, Ctrl+Down" 6147
  shortcut ctrl+Prior title_is "Pelorin,2 @ 3 (\$3)"
  shortcut ctrl+Home title_is "Pelorin,2"
  echo "Ctrl+PgDn, Right, Down, PgUp and Home moved the offset and the title"

  # Two screens' worth from offset 0: the second's strips spill until only one is laid.
  # (A menu's check marks cannot be read from another process under Wine: the picture tells.)
  reference 2 71 0 one-screen
  shortcut ctrl+k canvas_shows "$picture"
  reference 2 71 0
  shortcut ctrl+k canvas_shows "$picture"
  echo "Ctrl+K showed one screen only, and again the spill"

  shortcut ctrl+g window_named "Go to offset"
  field_is "Go to offset" 10 0 || fail "Go to offset offers '$(probe field "Go to offset" 10)', not 0"
  type_answer '$1B00' "Go to offset"
  poll 10 title_is "Pelorin,2 @ 6912 (\$1B00)" || fail "title $(xdotool getwindowname "$window") after \$1B00"
  expect_canvas 2 71 "\$1B00 typed" 6912
  echo "\$1B00 typed into Go to offset showed the sprites from 6,912"

  point_at $((client_x + 100)) $((client_y + 60))
  shortcut "click 5" title_is "Pelorin,2 @ 6918 (\$1B06)"
  shortcut "click 4" title_is "Pelorin,2 @ 6912 (\$1B00)"
  shortcut "keydown shift click 4 keyup shift" title_is "Pelorin,2 @ 768 (\$300)"
  shortcut "keydown shift click 5 keyup shift" title_is "Pelorin,2 @ 6912 (\$1B00)"
  echo "the wheel moved three rows a notch, and with Shift a screen, within the file"

  save_and_compare 2 6912
  echo "File > Save wrote the screen as shown, from the offset, byte for byte"

  shortcut ctrl+2 eval 'find_client && [ "$client_width" = 510 ]'
  convert "$whole" -scale 200% -crop 510x384+0+0 +repage "$work/zoomed.ppm"
  zoomed_shows() {
    import -window root -crop "510x384+${client_x}+${client_y}" +repage -depth 8 "$work/canvas2.ppm"
    [ "$(compare -metric AE "$work/canvas2.ppm" "$work/zoomed.ppm" null: 2>&1 || true)" = 0 ]
  }
  poll 10 zoomed_shows || fail "the 2x canvas differs from the core's picture doubled"
  echo "Ctrl+2: every visible pixel of the canvas is the core's picture doubled"
  if [ -n "${PELORIN_BROWSE_SCREENSHOT:-}" ]; then
    import -window "$window" "$work/browse.png"
    convert "$work/browse.png" -strip "PNG8:$PELORIN_BROWSE_SCREENSHOT"
    echo "screenshot written to $PELORIN_BROWSE_SCREENSHOT"
  fi

  local at value
  at="$(probe locate "$sprites_wine" 2 6912 12 20)"
  [ "$at" != none ] || fail "nothing to locate at 12,20"
  value="$(od -An -tu1 -j "$at" -N1 "$sprites" | tr -d ' ')"
  # Each try clicks again: a lost click is clicked again, a lost key pressed again.
  click_names() {
    point_at $((client_x + 2 * 12 + 1)) $((client_y + 2 * 20 + 1))
    xdotool click 1
    sleep 0.3
    title_is "Pelorin,2 @ 6912 (\$1B00) byte $at (\$$(printf %X "$at")) = \$$(printf %02X "$value")"
  }
  shortcut ctrl+l click_names
  echo "a click on picture pixel 12,20 at 2x named byte $at and its value"

  shortcut "keydown shift click 1 keyup shift" title_is "Pelorin,2 @ $at (\$$(printf %X "$at"))"
  reference 2 71 "$at"
  convert "$whole" -scale 200% -crop 510x384+0+0 +repage "$work/zoomed.ppm"
  poll 10 zoomed_shows || fail "after Shift+click the canvas is not the picture from byte $at"
  echo "a Shift+click started the view at byte $at"

  shortcut F1 window_named "Keyboard shortcuts"
  probe message "Keyboard shortcuts" >"$work/message"
  [ "$(grep -cxF -e 'Open..: Ctrl+O' -e 'Wider: ]' -e 'Keyboard shortcuts: F1' "$work/message")" = 3 ] ||
    fail "the shortcuts box lacks a line: $(cat "$work/message")"
  press_until_gone "Keyboard shortcuts" Return
  echo "F1 listed the shortcuts"

  # Ctrl+F searches the file as it is now: 4 GiB (a hole after the sprites, nothing written),
  # which takes a while: the progress window shows, and its Cancel keeps what was found so
  # far, the sprites. The converter says where they are; the window shows the first at or
  # after the offset (the byte the Shift+click started at), at its width, one screen only.
  local found start width count index from=$at
  found="$(wine "$(dirname "$pelorin")/pelorin-convert.exe" --find "$sprites_wine" 2>>"$log" | tr -d '\r')"
  count="$(grep -c ' width ' <<<"$found" || true)"
  [ "$count" -gt 0 ] || fail "the converter finds no graphics in the sprite file: $found"
  index=1
  while read -r start width; do
    [ "$start" -ge "$from" ] && break
    index=$((index + 1))
  done < <(sed -E 's/.*: at ([0-9]+) .*, width ([0-9]+).*/\1 \2/' <<<"$found")
  if [ "$index" -gt "$count" ]; then
    index=1
    read -r start width < <(sed -E 's/.*: at ([0-9]+) .*, width ([0-9]+).*/\1 \2/' <<<"$found")
  fi
  # The title at region NUMBER as F3 gives it, through the layout its --find line names; with
  # "start", the title back at the file's start in that layout.
  region_title() {  # NUMBER [start]
    local line s w name height
    line="$(sed -n "$1p" <<<"$found")"
    read -r s w < <(sed -E 's/.*: at ([0-9]+) .*, width ([0-9]+).*/\1 \2/' <<<"$line")
    name="Pelorin,$w"
    grep -q 'masked' <<<"$line" && name+=" masked"
    height="$(sed -nE 's/.*columns ([0-9]+).*/\1/p' <<<"$line")"
    [ -z "$height" ] || name+=" columns $height"
    grep -q '(screen' <<<"$line" && name="Pelorin screen"
    if [ "${2:-}" = start ]; then echo "$name"
    elif [ "$s" = 0 ]; then echo "$name graphics $1 of $count"
    else echo "$name @ $s (\$$(printf %X "$s")) graphics $1 of $count"; fi
  }
  # The reference's options for region NUMBER: one screen only, through its layout.
  region_options() {  # NUMBER
    local line options=one-screen
    line="$(sed -n "$1p" <<<"$found")"
    grep -q 'mask-first' <<<"$line" && options+=",mask-first"
    grep -q 'graphic-first' <<<"$line" && options+=",graphic-first"
    grep -qE 'columns [0-9]+' <<<"$line" && options+=",columns=$(sed -nE 's/.*columns ([0-9]+).*/\1/p' <<<"$line")"
    grep -q '(screen' <<<"$line" && options+=",screen"
    echo "$options"
  }
  local size
  size="$(stat -c %s "$sprites")"
  truncate -s 4G "$sprites"
  shortcut ctrl+1 eval 'find_client && [ "$client_width" = 255 ]'
  shortcut ctrl+f window_named "Finding graphics"
  press_until_gone "Finding graphics" space
  poll 10 title_is "$(region_title "$index")" ||
    fail "after Cancel the title is $(xdotool getwindowname "$window")"
  expect_canvas "$width" 71 "the graphics found before Cancel" "$start" "$(region_options "$index")"
  echo "Ctrl+F on 4 GiB showed its progress; Cancel kept the sprites found, shown at width $width"

  # From the start, F3 goes to the first region after it; Ctrl+E offers it in the file's folder as
  # NAME-OFFSET-wW.png, and the PNG written is the one the converter exports, byte for byte.
  truncate -s "$size" "$sprites"
  shortcut ctrl+Home title_is "$(region_title "$index" start)"
  read -r start width < <(sed -E 's/.*: at ([0-9]+) .*, width ([0-9]+).*/\1 \2/' <<<"$found" | head -n 1)
  index=1
  [ "$start" != 0 ] || index=$((count > 1 ? 2 : 1))
  read -r start width < <(sed -E 's/.*: at ([0-9]+) .*, width ([0-9]+).*/\1 \2/' <<<"$found" | sed -n "${index}p")
  shortcut F3 title_is "$(region_title "$index")"
  local exported="$work/sprite files/sprites.bin-$start-w$width.png"
  shortcut ctrl+e window_named Export
  press_until_gone Export Return
  poll 10 test -s "$exported" || fail "Ctrl+E wrote no $(basename "$exported")"
  mkdir -p "$work/converted"
  wine "$(dirname "$pelorin")/pelorin-convert.exe" --export "$(winepath -w "$work/converted")" \
    --export-as png --find "$sprites_wine" >>"$log" 2>&1 || fail "the converter exported nothing"
  cmp "$exported" "$work/converted/$(basename "$exported")" ||
    fail "the PNG Ctrl+E wrote differs from the converter's"
  echo "F3 then Ctrl+E wrote region $index as the converter exports it"

  # The list of what was found: its first row, chosen with Enter, is gone to as F3 goes there.
  shortcut ctrl+Home title_is "$(region_title "$index" start)"
  shortcut ctrl+shift+f window_named "Graphics found"
  local attempt
  for attempt in 1 2 3; do
    focus_named "Graphics found"
    xdotool key Home
    sleep 0.3
    xdotool key Return
    poll 5 title_is "$(region_title 1)" && break
  done
  title_is "$(region_title 1)" || fail "the list's first row gave the title $(xdotool getwindowname "$window")"
  echo "the list of graphics went to its first row, titled as F3 titles it"
  close_with_alt_f4
}

# A masked sheet stored by columns, graphic bytes first: through "Masked, graphic first" and
# "Stored by columns.." (24 rows, as offered) it shows and saves whole, exactly as the same
# sprites stored row after row without masks, and a click names the graphic byte drawn there.
layouts() {
  perl "$here/make_sprites.pl" padded >"$work/rows.bin"
  perl "$here/make_sprites.pl" masked-columns >"$sprites"
  sprites_wine="$(winepath -w "$sprites")"
  probe reference "$(winepath -w "$work/rows.bin")" 2 71 "$(winepath -w "$work/rows.ppm")" \
    "$(winepath -w "$work/rows.scr")" || fail "window_probe reference of the rows"
  convert "$work/rows.ppm" -crop 255x192+0+0 +repage "$work/rows.visible.ppm"
  start_and_find "$sprites_wine"
  step_width "Pelorin,2"
  shortcut ctrl+shift+2 title_is "Pelorin,2 masked"
  shortcut ctrl+shift+c window_named "Stored by columns"
  field_is "Stored by columns" 10 24 || fail "the height offered is '$(probe field "Stored by columns" 10)'"
  press_until_gone "Stored by columns" Return
  poll 10 title_is "Pelorin,2 masked columns 24" || fail "title $(xdotool getwindowname "$window")"
  poll 10 canvas_shows "$work/rows.visible.ppm" ||
    fail "the sheet differs from its rows by $(canvas_difference "$work/rows.visible.ppm") pixels"
  save_and_compare 2 0 "$work/rows.scr"
  # Pixel 12,10: laid-out row 10, byte 1, the right column's row 10: graphic byte 24 + 10.
  local value
  value="$(od -A n -t x1 -j 68 -N 1 "$sprites" | tr -d ' ' | tr a-f A-F)"
  click_names() {
    point_at $((client_x + 12)) $((client_y + 10))
    xdotool click 1
    sleep 0.3
    title_is "Pelorin,2 masked columns 24 byte 68 (\$44) = \$$value"
  }
  shortcut ctrl+l click_names
  echo "the masked sheet stored by columns showed and saved whole; pixel 12,10 named byte 68"
  close_with_alt_f4
}

case "$scenario" in
loaded-file) loaded_file ;;
missing-file) missing_file ;;
open-file) open_file ;;
fill-colour) fill_colour ;;
cancel-dialogs) cancel_dialogs ;;
drop-files) drop_files ;;
browse) browse ;;
layouts) layouts ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "e2e passed: $scenario"
