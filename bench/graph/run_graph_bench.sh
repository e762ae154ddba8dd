#!/bin/sh
# The graph construction benchmark in one run: the fast row scan against the reference on
# every CMU clip (equality) and on a 4,000-frame motion (speed side by side), then the fast
# scan alone on 2k to 50k frames (time, rows/s, peak memory by /usr/bin/time -v).
# Usage: bench/graph/run_graph_bench.sh [BUILD_DIR]   (default: build)
# The reference takes minutes; run it on an otherwise idle machine.
set -eu
bench=${1:-build}/bin/graph_bench
status=0
echo "== equality on every CMU clip, L = 18"
"$bench" equality || status=1
echo "== speed, 4,000 frames of subject 02, L = 18"
"$bench" speed --frames 4000 || status=1
echo "== scaling, fast scan, type 2 at threshold 0.96"
for frames in 2000 5000 10000 20000 50000; do
  /usr/bin/time -v "$bench" scale --frames "$frames" --type 2 2>&1 |
    grep -E '^scale:|Maximum resident set size|Elapsed \(wall'
done
exit $status
