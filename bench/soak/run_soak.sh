#!/bin/sh
# One simulated hour of random play with restarts, in the normal and in the sanitizer build:
# prints the resident-memory growth from the first simulated minute to the end (normal build)
# and the sanitizers' verdict (sanitizer build, leak detection on).
#   run_soak.sh NORMAL_SIM SANITIZER_SIM KINETROPE_CONTENT [WORK_DIR]
# Either program may be given as "-" to skip its run. Environment: SEED (default 5),
# SOAK_SECONDS (default 3600), DT and SANITIZER_DT (the step of each run, default 1/60 s; a
# larger step gets through the hour sooner), SIZE (default 320x240).
set -eu
# The programs run inside the work folder: relative paths are taken from here.
absolute() { if [ "$1" = - ]; then echo -; else realpath "$1"; fi; }
normal=$(absolute "$1")
sanitizer=$(absolute "$2")
content=$(absolute "$3")
work=${4:-/tmp/kinetrope-soak}
seed=${SEED:-5}
seconds=${SOAK_SECONDS:-3600}
dt=${DT:-0.0166666666667}
sanitizer_dt=${SANITIZER_DT:-$dt}
size=${SIZE:-320x240}

rm -rf "$work"
mkdir -p "$work"
"$content" generate --out "$work/game" > "$work/generate.txt" 2>&1
cp "$work/game/cvar.ini" "$work/cvar.ini.generated"

run() {  # SIM DT OUT
  cp "$work/cvar.ini.generated" "$work/game/cvar.ini"
  (cd "$work/game" && ASAN_OPTIONS=detect_leaks=1 "$1" --seconds "$seconds" --dt "$2" \
    --size "$size" --random-input "$seed" --restart --rss 60 > "$3" 2> "$3.err") || true
}

if [ "$normal" != - ]; then
  run "$normal" "$dt" "$work/normal.txt"
restarts=$(grep -c ' restart$' "$work/normal.txt" || true)
first=$(grep '^t=60\.000 rss=' "$work/normal.txt" | sed 's/.*rss=//')
last=$(grep ' rss=' "$work/normal.txt" | tail -n 1 | sed 's/.*rss=//')
ran=$(grep '^frames=' "$work/normal.txt" | sed 's/.* seconds=\([^ ]*\).*/\1/')
if [ -n "$first" ] && [ -n "$last" ]; then
  growth=$(awk -v a="$first" -v b="$last" 'BEGIN { printf "%.1f", (b - a) / 1024 }')
else
  growth="unknown (no RSS line at 60 s)"
fi
echo "normal build: ${ran:-?} s simulated, $restarts restarts, RSS at 60 s ${first:-?} KB," \
     "at the end ${last:-?} KB: growth $growth MB"
fi

[ "$sanitizer" = - ] && exit 0

run "$sanitizer" "$sanitizer_dt" "$work/sanitizer.txt"
restarts=$(grep -c ' restart$' "$work/sanitizer.txt" || true)
ran=$(grep '^frames=' "$work/sanitizer.txt" | sed 's/.* seconds=\([^ ]*\).*/\1/')
if grep -q -E 'ERROR: (Address|Leak)Sanitizer|runtime error' "$work/sanitizer.txt.err"; then
  echo "sanitizer build: ${ran:-?} s simulated, $restarts restarts: report:"
  grep -E -A 20 'ERROR: (Address|Leak)Sanitizer|runtime error' "$work/sanitizer.txt.err" | head -n 60
  exit 1
fi
echo "sanitizer build: ${ran:-?} s simulated, $restarts restarts: no report"
