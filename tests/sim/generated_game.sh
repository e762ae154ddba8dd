# Sourced by the runner's script tests: takes KINETROPE_SIM KINETROPE_CONTENT WORK_DIR, generates
# a fresh default game in WORK_DIR/game and changes into it.
set -eu
sim=$1
content=$2
work=$3

rm -rf "$work"
mkdir -p "$work"
"$content" generate --out "$work/game" > "$work/generate.txt" 2>&1
cd "$work/game"
