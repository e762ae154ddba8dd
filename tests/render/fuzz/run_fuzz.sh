#!/usr/bin/env bash
# Builds the 3DS reader's libFuzzer target with clang (address and undefined-behaviour
# sanitizers) in its own build folder and runs it for a bounded time, seeded with generated
# models and the real ones, read where they lie.
# Usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS L3DS_SEEDS REAL_3DS_DIR
set -euo pipefail
src=$1 build=$2 seconds=$3 seeds=$4 real=$5
if ! command -v clang++ > /dev/null; then
  echo "clang++ not installed: fuzzing skipped"
  exit 0
fi
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINETROPE_FUZZ=ON -DKINETROPE_BUILD_APP=OFF \
  -DKINETROPE_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" > /dev/null
cmake --build "$build" --target l3ds_fuzzer -j 2
corpus="$build/l3ds-corpus"
mkdir -p "$corpus"
"$seeds" "$corpus"
real_seeds=$(ls "$real"/*.3ds 2> /dev/null | paste -sd, - || true)
extra=()
if [ -n "$real_seeds" ]; then extra=("-seed_inputs=$real_seeds"); fi
"$build/bin/l3ds_fuzzer" -max_total_time="$seconds" -max_len=131072 -rss_limit_mb=2048 \
  -print_final_stats=1 "${extra[@]}" "$corpus"
