#!/usr/bin/env bash
# Times pelorin-convert as a whole process: a batch of screen-sized files in one invocation
# against cp of the same files in the same run, and one huge file against one small one.
#   bench/convert_files.sh [CONVERTER] [FILES] [ROUNDS]
#   bench/convert_files.sh --quick      10 files, one round: proves that it runs
# CONVERTER defaults to build/native/pelorin-convert, FILES to 1000, ROUNDS to 7. Each
# round writes into fresh folders and alternates which of the two goes first; the figures
# are medians, after one round that is not counted (it warms the caches).
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

# Runs the command and prints how long it took, in microseconds.
timed() {
  local start end
  start=$(microseconds)
  "$@"
  end=$(microseconds)
  echo $((end - start))
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

copy_times=()
convert_times=()
for ((round = 0; round <= rounds; round++)); do
  mkdir "$work/copy$round" "$work/convert$round"
  if ((round % 2 == 0)); then
    c=$(timed cp "${inputs[@]}" "$work/copy$round/")
    v=$(timed "$converter" -q -o "$work/convert$round" "${inputs[@]}")
  else
    v=$(timed "$converter" -q -o "$work/convert$round" "${inputs[@]}")
    c=$(timed cp "${inputs[@]}" "$work/copy$round/")
  fi
  written=$(find "$work/convert$round" -name '*.scr' -size ${size}c | wc -l)
  if ((written != count)); then
    echo "convert_files: round $round wrote $written of $count screen files" >&2
    exit 1
  fi
  rm -rf "$work/copy$round" "$work/convert$round"
  ((round == 0)) && continue
  copy_times+=("$c")
  convert_times+=("$v")
done

copy=$(median "${copy_times[@]}")
convert=$(median "${convert_times[@]}")
awk -v n="$count" -v cp="$copy" -v cv="$convert" -v r="$rounds" 'BEGIN {
  printf "%d files of 6,912 bytes in one invocation, median of %d rounds\n", n, r
  printf "  cp               %8.1f ms  %9.0f files/s\n", cp / 1000, n / (cp / 1e6)
  printf "  pelorin-convert  %8.1f ms  %9.0f files/s\n", cv / 1000, n / (cv / 1e6)
  printf "  ratio to cp      %8.2f\n", cv / cp
}'

# The read bound: a file of 4 GiB (sparse, so it costs no disk) converts in about the time
# of a screen-sized one, since no more than the bytes that can reach the screen are read.
truncate -s 4G "$work/huge.bin"
small_times=()
huge_times=()
for ((round = 0; round <= rounds; round++)); do
  s=$(timed "$converter" -q "${inputs[0]}")
  h=$(timed "$converter" -q "$work/huge.bin")
  ((round == 0)) && continue
  small_times+=("$s")
  huge_times+=("$h")
done
awk -v s="$(median "${small_times[@]}")" -v h="$(median "${huge_times[@]}")" 'BEGIN {
  printf "one file per invocation, median\n"
  printf "  6,912 bytes      %8.2f ms\n", s / 1000
  printf "  4 GiB            %8.2f ms\n", h / 1000
}'
