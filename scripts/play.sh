#!/usr/bin/env bash
# Sets up the machine, builds, generates the default content when it is missing, and starts
# the game in the folder run/ (the game reads data/ and writes log.txt and cvar.ini there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
mkdir -p run
cd run
if [ -x ../build/bin/kinetrope-content ] && [ ! -f data/scenes/default.sce ]; then
  ../build/bin/kinetrope-content generate
fi
if [ -x ../build/bin/kinetrope ]; then
  exec ../build/bin/kinetrope
fi
echo "play: the game program is not built yet; the tests run with scripts/test.sh"
