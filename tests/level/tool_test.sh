#!/usr/bin/env bash
# kinetrope-level end to end: build a map, print its counts, trace onto its floor, render it,
# and refuse a broken file with a reason and a non-zero exit.
set -euo pipefail
tool=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$tool" build "$data/small_level.txt" level.bsp
test -f floor.jpg -a -f wall.jpg -a -f sky.jpg

"$tool" info level.bsp > info.txt
tail -n 1 info.txt | grep -Eq '^vertices=[1-9][0-9]* faces=[1-9][0-9]* textures=3 lightmaps=[1-9][0-9]* brushes=4 leaves=[1-9][0-9]* nodes=[1-9][0-9]* planes=[1-9][0-9]*$'
grep -q '^4 brushes$' bspdata.txt

# A sphere of radius 1 dropped from y = 3 onto the floor at y = 0 travels 2 of 4 units.
test "$("$tool" trace level.bsp 3,3,3 0,-4,0 1)" = "0.5"

if "$tool" render level.bsp --size 64x48 --out view.png 2> render.txt; then
  test -s view.png
else
  echo "render skipped: $(cat render.txt)"
fi

# Header and directory only, with a texture lump of 1000 bytes past the end of the file.
{
  printf 'IBSP\x2e\x00\x00\x00'
  head -c 8 /dev/zero
  printf '\x90\x00\x00\x00\xe8\x03\x00\x00'
  head -c 120 /dev/zero
} > bad.bsp
if "$tool" info bad.bsp > out.txt 2> err.txt; then
  echo "a broken file was accepted"; exit 1
fi
grep -q 'bad.bsp is not a valid Quake 3 BSP: lump 1 (textures): offset 144 length 1000 outside the file of 144 bytes' err.txt
printf 'PK\x03\x04' > zip.bsp
head -c 200 /dev/zero >> zip.bsp
! "$tool" info zip.bsp 2> err.txt
grep -q 'bad magic (not IBSP)' err.txt
! "$tool" info missing.bsp 2> err.txt
grep -q 'cannot load missing.bsp' err.txt
echo "kinetrope-level: all checks passed"
