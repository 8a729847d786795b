#!/usr/bin/env bash
# Draws docs/layouts.png, the picture of the layouts: one masked sheet of the sample
# sprites (docs/sample_sprites.py --masked-columns), stored by columns, shown by the
# converter at width 3, one screen only, as plain strips, with the masks taken out, and by
# columns too.
#   docs/layouts.sh [PELORIN-CONVERT]   (build/native/pelorin-convert unless given)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pelorin_convert=${1:-$root/build/native/pelorin-convert}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$root/docs/sample_sprites.py" --masked-columns "$work/masked.bin"
panels=()
for layout in "" "--masked graphic-first" "--masked graphic-first --columns 24"; do
  # shellcheck disable=SC2086 # each layout is a few options
  "$pelorin_convert" -q -w 3 -a '$45' --one-screen $layout --png-only "$work/masked.bin"
  panels+=("$work/panel${#panels[@]}.png")
  mv "$work/masked.bin.png" "${panels[-1]}"
done
convert "${panels[@]}" -bordercolor '#C0C0C0' -border 4 +append -strip "PNG8:$root/docs/layouts.png"
