#!/usr/bin/env bash
# Draws the README's two pictures with kinetrope-sim on freshly generated default content, at
# 640x480 without the frame-rate counter: docs/title.png (the title screen) and docs/fight.png
# (the player and the dark knight at close quarters).
#   bash scripts/readme_pictures.sh [BUILD_DIR]
# BUILD_DIR defaults to build/ and is configured when it has not been yet; only
# kinetrope-content and kinetrope-sim are built. The run is deterministic, so the pictures only
# change when the game or its content does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cd "$root"
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -Wno-dev >/dev/null
cmake --build "$build" --target kinetrope-content kinetrope-sim

game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
"$build/bin/kinetrope-content" generate --out "$game" >/dev/null
mkdir -p docs
# Enter starts the game from the title; the console's boss.trigger then starts the boss fight
# at once, and the dark knight comes for the player.
cat > "$game/fight.keys" <<'KEYS'
1.0 down enter
1.1 up enter
2.5 type boss.trigger
2.8 down backquote
2.9 up backquote
KEYS
cd "$game"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
"$build/bin/kinetrope-sim" --size 640x480 --seconds FIGHT_END --input fight.keys --set stats.fps=0 \
  --shot "0.8:$root/docs/title.png" --shot "FIGHT_AT:$root/docs/fight.png" >/dev/null
echo "readme_pictures: wrote docs/title.png and docs/fight.png"
