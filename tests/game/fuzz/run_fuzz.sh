#!/usr/bin/env bash
# Builds the scene loader's libFuzzer target with clang (address and undefined-behaviour
# sanitizers) in its own build folder and runs it for a bounded time, seeded with the default
# scene and small variants of it that the fuzzer's working folder can satisfy.
# Usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS DEFAULT_SCENE
set -euo pipefail
src=$1 build=$2 seconds=$3 scene=$4
if ! command -v clang++ > /dev/null; then
  echo "clang++ not installed: fuzzing skipped"
  exit 0
fi
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
# The graphs of the fuzzer's tiny clips need no fast row scan (its kernel flags are gcc's).
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINETROPE_FUZZ=ON -DKINETROPE_BUILD_APP=OFF \
  -DKINETROPE_BUILD_BENCH=OFF -DKINETROPE_FAST_ROW_SCAN=OFF \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" > /dev/null
cmake --build "$build" --target scene_fuzzer -j 2
corpus="$build/scene-corpus"
rm -rf "$corpus"
mkdir -p "$corpus"
cp "$scene" "$corpus/default.sce"
# The default scene on the fuzzer's own clip and map, so every block gets past its files.
sed -e 's/^AMCFiles: .*/AMCFiles: tiny.amc/' -e 's|^MapFile: .*|MapFile: level.bsp|' \
  -e 's|^SkyBox: .*|SkyBox: sky_%s.jpg|' "$scene" > "$corpus/tiny.sce"
sed -e 's/^AMCFiles: .*/AMCFiles: tiny.amc, tiny.amc,tiny.amc/' "$corpus/tiny.sce" \
  > "$corpus/three_files.sce"
cat > "$corpus/puppets.sce" <<'SCENE'
// Kinetrope Scene Description  - fuzz seed \
* MotionData
MotionName: Tiny
AMCFiles: tiny.amc
BodyWeights: 2
End

* TransitionGraph
Motion: tiny
ID: 3
GraphType: 2
EvalType: 2
EvalThresh: 0.9
End

* Character
CharacterName: puppet
Position: 1 2 3
DefaultRootMotion: Tiny 0
DefaultBlendMotion: Tiny 1
BlendGraphID: 3
Enabled: 0
Model: 0
ZoneRect: 0 0 10 0
End

* Level
MapFile: level.bsp
Model: data/models/none.3ds
Brush: 1
End

* Shader
Texture: 1
Blend: 3
Scroll: 0.1 0.2
Animate: 2 1 3 water%d.jpg
End

* Entity
Name: camera
Position: 0 1 2
End

* Entity
Name: marker
Position: 0 1 2
Rotation: 0 0 0 1
End
SCENE
"$build/bin/scene_fuzzer" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
  -timeout=20 -print_final_stats=1 "$corpus"
