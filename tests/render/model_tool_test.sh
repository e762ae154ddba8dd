#!/usr/bin/env bash
# kinetrope-model end to end: the counts of a real model, an offscreen picture of it, and a
# broken file refused with the reader's reason and a non-zero exit.
set -euo pipefail
tool=$1
realdata=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
models="$realdata/3ds"
if [ ! -f "$models/test1.3ds" ]; then
  echo "real data folder not found: skipped"
  exit 0
fi

"$tool" info "$models/test1.3ds" > info.txt
test "$(tail -n 1 info.txt)" = "meshes=9 vertices=288 faces=108 materials=3"
grep -q '^mesh "Box01" vertices=32 faces=12$' info.txt
grep -q '^material "1 - Default" texture="CWALL02.JPG"$' info.txt
"$tool" info "$models/lowpoly_character.3ds" | tail -n 1 | grep -qx 'meshes=4 vertices=2243 faces=3276 materials=4'

if "$tool" render "$models/test1.3ds" --size 160x120 --out view.png 2> render.txt; then
  test -s view.png
else
  grep -q 'EGL\|egl' render.txt || { cat render.txt; exit 1; }
  echo "render skipped: $(cat render.txt)"
fi

# The main chunk says 1000 bytes; the file has 16.
printf 'MM\xe8\x03\x00\x00' > bad.3ds
head -c 10 /dev/zero >> bad.3ds
if "$tool" info bad.3ds > out.txt 2> err.txt; then
  echo "a broken file was accepted"; exit 1
fi
grep -q 'L3DS::LoadFile - error reading from file' err.txt
printf 'PK\x03\x04' > zip.3ds
! "$tool" info zip.3ds 2> err.txt
grep -q 'L3DS::Read3DS - wrong file format' err.txt
! "$tool" info missing.3ds 2> err.txt
grep -q 'L3DS::LoadFile - cannot open file' err.txt
echo "kinetrope-model: all checks passed"
