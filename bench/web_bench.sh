#!/usr/bin/env bash
# The page's core against the native one: the redraw and the graphics finder timed alone by
# bench/web_core_bench.cpp, built natively and with emscripten (run under node), on the same
# bytes, the best of a few rounds taken in turn; then the page's size as a browser fetches
# it, compressed.
#   bench/web_bench.sh [--quick]
# Prints "redraw wasm/native ratio: N", "find wasm/native ratio: N" and
# "web bytes (gzip): N"; fails when the two builds find different regions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=()
rounds=5
images=24
if [ "${1:-}" = --quick ]; then
  quick=(--quick)
  rounds=1
  images=1
fi
native=("$root/build/native/bench/web_core_bench")
wasm=(node "$root/build/wasm/web_core_bench.js")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The finder's bytes: memory images with graphics planted among code and tables, one after
# another (about 3 MB).
for ((seed = 1; seed <= images; seed++)); do
  "$root/build/native/bench/graphics_finder_bench" --image "$seed" "$work/image.bin"
  cat "$work/image.bin" >>"$work/find.bin"
done

field() {  # report, label: the number after "label: "
  sed -n "s/^$2: \([0-9.]*\).*/\1/p" <<<"$1"
}
best() {  # the smaller of two numbers, the first empty at the start
  awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'
}

declare -A fastest
for ((round = 0; round < rounds; round++)); do
  for build in native wasm; do
    declare -n run=$build
    report=$("${run[@]}" "${quick[@]}" "$work/find.bin")
    for label in redraw find; do
      fastest[$build.$label]=$(best "${fastest[$build.$label]:-}" "$(field "$report" $label)")
    done
    found=$(grep '^found:' <<<"$report")
    echo "$build: redraw $(field "$report" redraw) ns, find $(field "$report" find) ms, $found"
    fastest[$build.found]=$found
  done
done
if [ "${fastest[native.found]}" != "${fastest[wasm.found]}" ]; then
  echo "the page's core found other regions than the native one" >&2
  exit 1
fi

ratio() {  # label, what
  awk -v w="${fastest[wasm.$2]}" -v n="${fastest[native.$2]}" -v l="$1" \
    'BEGIN { printf "%s wasm/native ratio: %.2f\n", l, w / n }'
}
ratio redraw redraw
ratio find find
bytes=0
for file in index.html pelorin.js; do
  bytes=$((bytes + $(gzip -9 -c "$root/build/web/$file" | wc -c)))
done
echo "web bytes (gzip): $bytes"
