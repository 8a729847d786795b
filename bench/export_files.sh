#!/usr/bin/env bash
# Times pelorin-convert taking graphics out against converting: a batch of screen-sized
# files exported in all three forms (PNG, binary, assembler: one region each, what one
# screen shows at width 3), in one invocation, against converting the same files to .scr
# in the same run.
#   bench/export_files.sh [CONVERTER] [FILES] [ROUNDS]
#   bench/export_files.sh --quick      10 files, one round: proves that it runs
# CONVERTER defaults to build/native/pelorin-convert, FILES to 1000, ROUNDS to 7. Each
# round writes into fresh folders and alternates which of the two goes first; the figures
# are medians, after one round that is not counted (it warms the caches). The folders stay
# until the end: files deleted just before others are made cost the file system time of its
# own on every file made, three times as many for the exports.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --quick ]; then
  set -- "$root/build/native/pelorin-convert" 10 1
fi
converter=${1:-$root/build/native/pelorin-convert}
count=${2:-1000}
rounds=${3:-7}
size=6912

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
head -c $((count * size)) /dev/urandom |
  split -b $size -a 6 -d --additional-suffix=.bin - "$work/in/sprite"
inputs=("$work"/in/*.bin)

microseconds() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }

timed() {
  local start end
  start=$(microseconds)
  "$@"
  end=$(microseconds)
  echo $((end - start))
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

convert_times=()
export_times=()
for ((round = 0; round <= rounds; round++)); do
  mkdir "$work/convert$round" "$work/export$round"
  if ((round % 2 == 0)); then
    c=$(timed "$converter" -q -w 3 -o "$work/convert$round" "${inputs[@]}")
    e=$(timed "$converter" -q -w 3 --export "$work/export$round" "${inputs[@]}")
  else
    e=$(timed "$converter" -q -w 3 --export "$work/export$round" "${inputs[@]}")
    c=$(timed "$converter" -q -w 3 -o "$work/convert$round" "${inputs[@]}")
  fi
  written=$(find "$work/export$round" -name '*-0-w3.*' | wc -l)
  lines=$(grep -vc '^#' "$work/export$round/rip.tsv")
  if ((written != 3 * count || lines != count)); then
    echo "export_files: round $round wrote $written files and $lines recipe lines for $count inputs" >&2
    exit 1
  fi
  ((round == 0)) && continue
  convert_times+=("$c")
  export_times+=("$e")
done

awk -v n="$count" -v c="$(median "${convert_times[@]}")" -v e="$(median "${export_times[@]}")" \
  -v r="$rounds" 'BEGIN {
  printf "%d files of 6,912 bytes in one invocation, median of %d rounds\n", n, r
  printf "  convert to .scr        %8.1f ms  %9.0f files/s\n", c / 1000, n / (c / 1e6)
  printf "  export png, bin, asm   %8.1f ms  %9.0f files/s\n", e / 1000, n / (e / 1e6)
  printf "export/convert ratio: %.2f\n", e / c
}'
