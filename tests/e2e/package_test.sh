#!/usr/bin/env bash
# The downloads: scripts/package's zips, their files checked, and both exes run from the
# unpacked Windows folder under Wine as a user would: the converter on a file, Pelorin
# started and closed.
#   package_test.sh BUILD_FOLDER WORK_FOLDER
# Run by ctest with the Wine environment set and an X display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$1"
work="$2"
fail() {
  echo "FAILED: $*"
  exit 1
}

rm -rf "$work"
mkdir -p "$work"
"$root/scripts/package" --from "$build" --to "$work/dist" >/dev/null || fail "scripts/package"
version=$(sed -n 's/^project(Pelorin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name="pelorin-$version"
zip="$work/dist/$name-win32.zip"
[ -f "$zip" ] || fail "no $name-win32.zip"
(cd "$work/dist" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match"

expected=$(printf '%s\n' "$name/" "$name/LICENSE" "$name/Pelorin.exe" "$name/README.txt" \
  "$name/pelorin-convert.exe" | sort)
[ "$(unzip -Z1 "$zip" | sort)" = "$expected" ] || fail "the zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
web="$work/dist/$name-web.zip"
expected=$(printf '%s\n' "$name-web/" "$name-web/README.txt" "$name-web/index.html" \
  "$name-web/pelorin.js" | sort)
[ "$(unzip -Z1 "$web" | sort)" = "$expected" ] || fail "the web zip holds: $(unzip -Z1 "$web" | tr '\n' ' ')"
unzip -p "$web" "$name-web/README.txt" | grep -q "Copyright (c) 2026 the Pelorin authors" ||
  fail "the web zip's README.txt has no licence"
! unzip -p "$web" "$name-web/README.txt" | grep -niE 'cmake|scripts/|build/|apt-get|emscripten' ||
  fail "the web zip's README.txt names a build step"
unzip -q "$zip" -d "$work/unpacked"
folder="$work/unpacked/$name"
cd "$folder"

lines=$(wc -l <README.txt)
[ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' README.txt)" = "$lines" ] || fail "README.txt is not CRLF"
# Written for whoever unpacked it: no picture that is not in the zip (the zip has none, and
# FILE.png and the like are outputs), and no step of building.
! grep -nE '!\[|\]\(|docs/|\.(png|jpe?g|gif)\)' README.txt || fail "README.txt names a picture"
! grep -niE 'cmake|scripts/|build/|apt-get|mingw|googletest' README.txt || fail "README.txt names a build step"
grep -q "Copyright (c) 2026 the Pelorin authors" LICENSE || fail "LICENSE"

# The version in the one place it is kept reaches the converter and both exes' properties.
[ "$(wine ./pelorin-convert.exe --version 2>&1 | tr -d '\r')" = "pelorin-convert $version" ] ||
  fail "pelorin-convert --version"
for exe in Pelorin.exe pelorin-convert.exe; do
  fields=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 -c |
    tr -c '[:print:]' '\n' | grep -v '^$' | tr '\n' '|')
  for field in "ProductName|Pelorin|" "FileVersion|$version|" "ProductVersion|$version|" \
    "LegalCopyright|Copyright (c) 2026 the Pelorin authors|" "FileDescription|"; do
    [[ $fields == *"$field"* ]] || fail "$exe has no version field $field"
  done
done

head -c 3000 /dev/urandom >sprite.bin
wine ./pelorin-convert.exe -q -w 3 sprite.bin </dev/null >/dev/null 2>&1 || fail "pelorin-convert.exe"
[ "$(stat -c %s sprite.bin.scr 2>/dev/null)" = 6912 ] || fail "no 6,912-byte sprite.bin.scr"

wine ./Pelorin.exe </dev/null >/dev/null 2>&1 &
program=$!
window=""
for ((i = 0; i < 300; i++)); do
  window=$(xdotool search --name '^Pelorin$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "Pelorin.exe showed no window"
# A key sent as a window appears is sometimes lost: repeat until the program is gone.
for ((i = 0; i < 50; i++)); do
  kill -0 "$program" 2>/dev/null || break
  xdotool windowfocus --sync "$window" 2>/dev/null && xdotool key alt+F4 2>/dev/null || true
  sleep 0.3
done
kill -0 "$program" 2>/dev/null && fail "Pelorin.exe did not close"
wait "$program" || fail "Pelorin.exe exited with $?"
echo "package passed"
