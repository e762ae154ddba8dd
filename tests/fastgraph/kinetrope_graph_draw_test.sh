#!/bin/sh
# kinetrope-graph draw on a small hand-written graph: a PNG of the asked size, and clear
# errors (never a crash) for frames outside the graph, bad sizes and damaged files.
# Usage: kinetrope_graph_draw_test.sh KINETROPE_GRAPH
set -eu
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# 30 frames, cutoff at 29, frame f jumps to (f * 7) % 30 with weight -f.
awk 'BEGIN { print 30; print "29 ";
  for (f = 0; f < 30; f++) { print f " 1 1"; printf "%d %d \n", (f * 7) % 30, -f } }' > small.gra
# Width and height from the PNG header, as "W H".
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }

"$tool" draw small.gra --out a.png --frame 3 --jump 3,21 2>/dev/null | grep -q '^wrote a.png: 800x800, 30 frames, 30 edges, 1 cutoffs$'
[ "$(od -An -c -j1 -N3 a.png | tr -d ' ')" = PNG ]
[ "$(png_size a.png)" = "800 800" ]
"$tool" draw small.gra --out b.png --size 300x200 --layout line 2>/dev/null > /dev/null
[ "$(png_size b.png)" = "300 200" ]

fails() { if "$tool" "$@" > out.txt 2> err.txt; then return 1; fi; [ $? -lt 128 ]; }
fails draw small.gra --out c.png --frame 30 && grep -q 'frame' err.txt
fails draw small.gra --out c.png --size 0x200 && grep -q 'size' err.txt
fails draw small.gra --out c.png --jump 1 && grep -q 'jump' err.txt
fails draw small.gra --out c.png --layout spiral
head -c 40 small.gra > cut.gra
fails draw cut.gra --out c.png
fails draw missing.gra --out c.png
[ ! -f c.png ]
# No --out: usage, exit 2.
set +e
"$tool" draw small.gra 2>/dev/null
[ $? -eq 2 ] || exit 1
echo "kinetrope-graph draw: ok"
