#!/usr/bin/env bash
# Drops two files, one with a name beyond ASCII, from a second Wine program on a window that
# takes drops as the canvas does, with the mouse as a user would, and checks what arrived:
# both paths in the list's order, as a copy, at the point where the button was released.
#   file_drop_e2e.sh DRAG_SOURCE DROP_TARGET_WINDOW WORK_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
drag_source=$1 target_program=$2 work=$3
[ -n "${DISPLAY:-}" ] || { echo "file drop e2e: needs a display (run under xvfb-run)"; exit 1; }
export LC_ALL=C.UTF-8  # Wine reads the file names below in UTF-8

rm -rf "$work"
mkdir -p "$work"
first="$work/first sprite.bin"
second="$work/Спрайт №2.bin"
printf 'abc' >"$first"
printf 'x' >"$second"
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }
printf '%s\n%s\n' "$(windows_path "$first")" "$(windows_path "$second")" >"$work/list.txt"

wine "$target_program" "$(windows_path "$work/result.txt")" >"$work/target.out" 2>/dev/null &
target_pid=$!
trap 'kill "$target_pid" 2>/dev/null || true' EXIT

# The target tells where its drop area is on the screen once its window is up.
canvas=""
for _ in $(seq 100); do
  canvas=$(tr -d '\r' <"$work/target.out" | grep -m 1 '^canvas ' || true)
  [ -n "$canvas" ] && break
  sleep 0.1
done
[ -n "$canvas" ] || { echo "file drop e2e: the target window did not come up"; exit 1; }
read -r _ canvas_x canvas_y <<<"$canvas"

report=$("$here/drag_files.sh" "$drag_source" "$work/list.txt" $((canvas_x + 40)) $((canvas_y + 50)))
echo "drag source: $report"
for _ in $(seq 100); do
  kill -0 "$target_pid" 2>/dev/null || break
  sleep 0.1
done
wait "$target_pid" || { echo "file drop e2e: the target took no drop"; exit 1; }

expected=$(printf 'effect 1\npoint 40 50\n%s\n%s' "$(windows_path "$first")" \
  "$(windows_path "$second")")
received=$(cat "$work/result.txt")
if [ "$received" != "$expected" ]; then
  printf 'file drop e2e: expected\n%s\nreceived\n%s\n' "$expected" "$received"
  exit 1
fi
case "$report" in
  "result 00040100 effect 1") ;;  # DRAGDROP_S_DROP, copied
  *) echo "file drop e2e: the drag source was told: $report"; exit 1 ;;
esac
echo "file drop e2e: passed"
