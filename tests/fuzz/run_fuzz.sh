#!/usr/bin/env bash
# The fuzz targets' clang build (ASan, UBSan with float-to-int overflow, libFuzzer coverage) and
# their runs from seed corpora: generated seeds plus real files read where they lie.
#   run_fuzz.sh build                        configure and build every target, make the seeds
#   run_fuzz.sh run TARGET [LIBFUZZER_OPTION...]    fuzz TARGET, e.g. -max_total_time=15
#   run_fuzz.sh replay TARGET FILE...        run TARGET once on each file
# Targets: asf amc bin mpos mpos2 gra scene cvar bsp tga bmp jpeg l3ds. Findings go to
# BUILD/findings/TARGET/. Environment: KINETROPE_FUZZ_BUILD (default build/fuzz-clang in the
# source tree), KINETROPE_REALDATA_DIR (default ../shared/realdata beside the source tree).
# Exits 77 when clang++ is not installed, 1 on a finding (not libFuzzer's 77, which means skipped).
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${KINETROPE_FUZZ_BUILD:-$src/build/fuzz-clang}")
real=$(realpath -m "${KINETROPE_REALDATA_DIR:-$src/../shared/realdata}")
targets="asf amc bin mpos mpos2 gra scene cvar bsp tga bmp jpeg l3ds"
if ! command -v clang++ > /dev/null; then
  echo "clang++ not installed: fuzzing skipped"
  exit 77
fi
# Scratch folders of the targets go to memory when it can be had.
if [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
# A smaller quarantine keeps decoders of large images from spending their time in page faults.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=16}

build_all() {
  local flags="-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow"
  flags+=" -fno-sanitize-recover=undefined,float-cast-overflow"
  # The fast row scan's kernel flags are gcc's; the reference scan builds the same graphs.
  cmake -S "$src" -B "$build" -G Ninja -Wno-dev -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINETROPE_FUZZ=ON \
    -DKINETROPE_BUILD_APP=OFF -DKINETROPE_BUILD_BENCH=OFF -DKINETROPE_FAST_ROW_SCAN=OFF \
    "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" > /dev/null
  local names=(fuzz_seeds)
  for t in $targets; do names+=("${t}_fuzzer"); done
  cmake --build "$build" --target "${names[@]}" -j 2
  rm -rf "$build/seeds"
  ASAN_OPTIONS=detect_leaks=0 "$build/bin/fuzz_seeds" "$build/seeds" \
    "$src/tests/level/data/small_level.txt"
  scene_seeds
}

scene_seeds() {
  local out="$build/seeds/scene" scene="$src/content/scenes/default.sce"
  mkdir -p "$out"
  cp "$scene" "$src/tests/fuzz/seeds/puppets.sce" "$out/"
  # The default scene on the target's own clip and map, so every block gets past its files.
  sed -e 's/^AMCFiles: .*/AMCFiles: tiny.amc/' -e 's|^MapFile: .*|MapFile: level.bsp|' \
    -e 's|^SkyBox: .*|SkyBox: sky_%s.jpg|' "$scene" > "$out/tiny.sce"
  sed -e 's/^AMCFiles: .*/AMCFiles: tiny.amc, tiny.amc,tiny.amc/' "$out/tiny.sce" \
    > "$out/three_files.sce"
}

# Longest input per target: big enough for its seeds' structure, small enough to stay quick.
max_len() {
  case $1 in
    bsp | l3ds | jpeg) echo 65536 ;;
    asf | amc | tga | bmp) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

# Real files of the target's format, comma-separated.
real_seeds() {
  local pattern
  case $1 in
    asf) pattern="$real/cmu/*/*.asf" ;;
    amc) pattern="$real/cmu/*/*.amc" ;;
    l3ds) pattern="$real/3ds/*.3ds" ;;
    jpeg) pattern="$real/3ds/*.jpg" ;;
    *) return 0 ;;
  esac
  ls $pattern 2> /dev/null | paste -sd, - || true
}

fuzzer() {
  case " $targets " in *" $1 "*) ;; *)
    echo "unknown target '$1' (one of: $targets)" >&2
    exit 2
  ;; esac
  [ -x "$build/bin/$1_fuzzer" ] || { echo "no $build/bin/$1_fuzzer: run '$0 build' first" >&2; exit 2; }
  echo "$build/bin/$1_fuzzer"
}

command=${1:-}
case $command in
  build) build_all ;;
  run)
    target=$2
    shift 2
    bin=$(fuzzer "$target")
    corpus="$build/corpus/$target" findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    cp -n "$build/seeds/$target"/* "$corpus/" 2> /dev/null || true
    extra=()
    seeds=$(real_seeds "$target")
    if [ -n "$seeds" ]; then extra+=("-seed_inputs=$seeds"); fi
    "$bin" -error_exitcode=1 -max_len="$(max_len "$target")" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" "${extra[@]}" "$@" "$corpus"
    ;;
  replay)
    target=$2
    shift 2
    bin=$(fuzzer "$target")
    files=()
    for f in "$@"; do files+=("$(realpath "$f")"); done
    "$bin" -error_exitcode=1 -runs=1 "${files[@]}"
    ;;
  *)
    sed -n '2,10p' "$0" >&2
    exit 2
    ;;
esac
