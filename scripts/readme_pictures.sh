#!/usr/bin/env bash
# Draws the README's two pictures with kinetrope-sim on freshly generated default content, at
# 640x480 without the frame-rate counter: docs/title.png (the title screen) and docs/fight.png
# (the player and a guard crossing swords).
#   bash scripts/readme_pictures.sh [BUILD_DIR]
# BUILD_DIR defaults to build/ and is configured when it has not been yet; only
# kinetrope-content and kinetrope-sim are built. The run is deterministic, so the pictures only
# change when the game or its content does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
case $build in /*) ;; *) build=$PWD/$build ;; esac
cd "$root"
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -Wno-dev >/dev/null
cmake --build "$build" --target kinetrope-content kinetrope-sim

game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
"$build/bin/kinetrope-content" generate --out "$game" >/dev/null
mkdir -p docs
# Enter starts the game from the title; the player walks up the courtyard to the fountain,
# turns left, walks on a little and waits there for the guard who hunts him.
cat > "$game/fight.keys" <<'KEYS'
1.0 down enter
1.1 up enter
2.0 down up
5.5 up up
5.5 down left
6.0 up left
6.0 down up
8.0 up up
KEYS
cd "$game"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
"$build/bin/kinetrope-sim" --size 640x480 --seconds 17.5 --input fight.keys --set stats.fps=0 \
  --shot "0.8:$root/docs/title.png" --shot "17:$root/docs/fight.png" >/dev/null
echo "readme_pictures: wrote docs/title.png and docs/fight.png"
