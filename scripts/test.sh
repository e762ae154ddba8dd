#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test twice: a normal build and one with
# AddressSanitizer + UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
export SDL_AUDIODRIVER=dummy
jobs=$(nproc)

echo "== normal build"
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j "$jobs" --timeout 900)

echo "== sanitizer build (ASan + UBSan)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DKINETROPE_SANITIZE=ON \
  -DKINETROPE_BUILD_BENCH=OFF -DKINETROPE_BUILD_APP=OFF
(cd build-asan && ctest --output-on-failure -j "$jobs" --timeout 1800 -LE no-sanitizer)
