#!/usr/bin/env bash
# Makes docs/export.png, README's picture of "Taking graphics out": the masked sample sheet
# (docs/sample_sprites.py --masked-columns), stored by columns with each graphic byte before
# its mask, exported whole by the converter at width 3 through those layout options, its
# masks made transparent. Prints the rip's line and the start of the assembler source.
#   docs/export.sh [PELORIN-CONVERT]   (build/native/pelorin-convert unless given)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pelorin_convert=${1:-$root/build/native/pelorin-convert}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$root/docs/sample_sprites.py" --masked-columns "$work/masked.bin"
mkdir "$work/out"
(cd "$work" && "$pelorin_convert" --export out -w 3 -a '$45' --masked graphic-first \
  --columns 24 --length "$(stat -c %s masked.bin)" masked.bin)
tail -n 1 "$work/out/rip.tsv"
head -n 9 "$work/out/masked.bin-0-w3.asm"
cp "$work/out/masked.bin-0-w3.png" "$root/docs/export.png"
