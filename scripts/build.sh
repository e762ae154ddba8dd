#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [DIR] [extra cmake arguments...]
# DIR defaults to build/. Executables land in DIR/bin/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
shift || true
cd "$root"
cmake -S . -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
cmake --build "$dir"
