#!/usr/bin/env bash
# Builds the BSP loader's libFuzzer target with clang (address and undefined-behaviour
# sanitizers) in its own build folder and runs it for a bounded time from a generated seed map.
# Usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS KINETROPE_LEVEL DATA_DIR
set -euo pipefail
src=$1 build=$2 seconds=$3 tool=$4 data=$5
if ! command -v clang++ > /dev/null; then
  echo "clang++ not installed: fuzzing skipped"
  exit 0
fi
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINETROPE_FUZZ=ON -DKINETROPE_BUILD_APP=OFF \
  -DKINETROPE_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" > /dev/null
cmake --build "$build" --target bsp_fuzzer -j 2
corpus="$build/corpus"
mkdir -p "$corpus"
(cd "$build" && "$tool" build "$data/small_level.txt" "$corpus/small_level.bsp" > /dev/null)
rm -f "$corpus"/*.jpg "$corpus"/*.tga
"$build/bin/bsp_fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus"
