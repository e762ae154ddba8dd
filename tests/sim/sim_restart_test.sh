#!/bin/sh
# Two minutes of simulated play with --restart on a generated game: games end, the world is
# shut down and started again in the same process, and the run ends cleanly (in the sanitizer
# build: with leak detection, no report).
#   sim_restart_test.sh KINETROPE_SIM KINETROPE_CONTENT WORK_DIR
. "$(dirname "$0")/generated_game.sh"
# Enter on the title now and then; short levels so that several games end.
awk 'BEGIN { for (t = 0.5; t < 120; t += 7) printf "%.1f down enter\n%.1f up enter\n", t, t + 0.1 }' \
  > input.txt
ASAN_OPTIONS=detect_leaks=1 "$sim" --seconds 120 --dt 0.05 --size 160x120 --input input.txt \
  --random-input 5 --restart --rss 60 --set level.gameTime=5 > ../out.txt 2> ../err.txt ||
  { echo "exit code $?"; cat ../err.txt; exit 1; }
restarts=$(grep -c ' restart$' ../out.txt || true)
starts=$(grep -c ' state startgame started$' ../out.txt || true)
fail=0
[ "$restarts" -ge 2 ] || { echo "restarts: $restarts"; fail=1; }
[ "$starts" = $((restarts + 1)) ] || { echo "title started $starts times"; fail=1; }
grep -q '^t=60\.000 rss=[1-9]' ../out.txt || { echo "no RSS line at 60 s"; fail=1; }
grep -q '^frames=2400 seconds=120\.000 ' ../out.txt || { echo "summary: $(tail -n 1 ../out.txt)"; fail=1; }
if grep -q -E 'ERROR: [A-Za-z]+Sanitizer|runtime error' ../err.txt; then cat ../err.txt; fail=1; fi
[ "$fail" = 0 ] && echo "$restarts restarts: $(tail -n 1 ../out.txt)"
exit $fail
