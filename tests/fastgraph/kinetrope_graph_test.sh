#!/bin/sh
# kinetrope-graph end to end on a short CMU clip: fast and reference builds of each type
# compare equal, info summarises, and a changed weight or flag is reported as a difference.
# Usage: kinetrope_graph_test.sh KINETROPE_GRAPH REALDATA_DIR
set -eu
tool=$1
cmu=$2/cmu/02
if [ ! -f "$cmu/02_03.amc" ]; then
  echo "real data folder not found: skipped"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for type in 0 1 2 3; do
  case $type in 1) t=0.46 ;; 2) t=-100 ;; *) t=0.96 ;; esac
  "$tool" build --asf "$cmu/02.asf" --amc "$cmu/02_03.amc" --eval-type $type --threshold $t \
    --out fast$type.gra 2>/dev/null > fast.out
  tail -n 1 fast.out | grep -Eq '^frames=173 edges=[0-9]+ enabled=[0-9]+ cutoffs=[0-9]+ seconds=[0-9.]+$'
  "$tool" build --asf "$cmu/02.asf" --amc "$cmu/02_03.amc" --eval-type $type --threshold $t \
    --reference --out ref$type.gra 2>/dev/null > /dev/null
  "$tool" compare fast$type.gra ref$type.gra > /dev/null
done
"$tool" info fast2.gra | grep -q '^nodes: 173$'
# Node 0's flag flipped: reported, exit 1.
awk 'NR == 3 { $3 = 1 - $3 } { print }' fast2.gra > changed.gra
if "$tool" compare fast2.gra changed.gra > diff.txt; then exit 1; fi
grep -q 'node 0' diff.txt
# A damaged file is an error, not a crash.
head -c 100 fast2.gra > cut.gra
if "$tool" compare fast2.gra cut.gra 2>/dev/null; then exit 1; fi
echo "kinetrope-graph: ok"
