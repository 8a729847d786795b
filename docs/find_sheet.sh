#!/usr/bin/env bash
# Makes docs/find-sheet.png, the contact sheet in the README's "Finding graphics": a 48K
# memory image made in code with graphics planted in it (image 2032 of the finder's
# benchmark, which is neither a tuning nor a held-out image), and what --find-sheet draws of
# it. Prints the --find lines of the same image. Run after scripts/build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
image=$(mktemp -d)/game.bin
trap 'rm -r "$(dirname "$image")"' EXIT
"$root/build/native/bench/graphics_finder_bench" --image 2032 "$image"
(cd "$(dirname "$image")" && "$root/build/native/pelorin-convert" --find game.bin)
"$root/build/native/pelorin-convert" --find-sheet "$root/docs/find-sheet.png" "$image"
