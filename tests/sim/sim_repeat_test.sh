#!/bin/sh
# kinetrope-sim run twice with the same command on a freshly generated default game: the
# reports must match apart from wall and fps, the screenshots byte for byte, and the typed
# assignment must reach cvar.ini.
#   sim_repeat_test.sh KINETROPE_SIM KINETROPE_CONTENT WORK_DIR
. "$(dirname "$0")/generated_game.sh"
# The first run builds the graph caches and the second reads them; both start from the
# generated cvar.ini (the first run saves the typed assignment into it).
cp cvar.ini ../cvar.ini.generated
cat > input.txt <<'SCRIPT'
# walk, swing, walk on, open the console and switch the frame rate text off
0.2 down up
0.6 down w      # the forward swing
0.9 up 17
1.2 up up
1.3 down 203
1.6 type stats.fps=0
1.8 up left
SCRIPT

run() {
  "$sim" --seconds 2 --dt 0.025 --size 160x120 --input input.txt --random-input 7 \
    --shot "1:shot$1-a.png" --shot "1.9:shot$1-b.png" > "../out$1.txt"
  sed -e 's/ wall=[^ ]*//' -e 's/ fps=[^ ]*//' "../out$1.txt" > "../report$1.txt"
}
run 1
cp cvar.ini ../cvar.ini.run1
cp ../cvar.ini.generated cvar.ini
run 2

fail=0
grep -q '^frames=80 seconds=2.000 wall=' ../out1.txt || { echo "summary: $(cat ../out1.txt)"; fail=1; }
cmp ../report1.txt ../report2.txt || { diff ../report1.txt ../report2.txt; fail=1; }
cmp shot1-a.png shot2-a.png || fail=1
cmp shot1-b.png shot2-b.png || fail=1
grep -q ' stats\.fps 0$' ../cvar.ini.run1 || { echo "cvar.ini has no 'stats.fps 0'"; fail=1; }
[ "$fail" = 0 ] && echo "two runs agree: $(cat ../report1.txt | tail -n 1)"
exit $fail
