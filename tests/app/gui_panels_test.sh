#!/usr/bin/env bash
# The tool panels of the real program under Xvfb, on the generated default game: the "Camera"
# page's "Horiz. Dist" slider follows camera.hdist typed in the console, choosing the player's
# walk controller in the motion control panel and pressing "<" steps it back one frame, and the
# "Graphs" page draws that controller's transition graph. The panels report their values and
# screen places in log.txt once per second while panels.debug is 1 (set in cvar.ini before the
# start). Screenshots land in the work folder (panels_camera.png, panels_motion.png,
# panels_graphs.png).
#   gui_panels_test.sh PROGRAM WORKDIR CONTENT_TOOL
set -euo pipefail
source "$(dirname "$0")/gui_common.sh"
gui_begin gui_panels_test "$0" "$@"
on_failure() { grep -a "Panel: " log.txt | tail -3 || true; }
# A wide notebook so that all six tabs fit, the castle's clip planes, and the code's camera
# distances (the slider check starts from 4.8).
printf '1 panels.debug 1\n1 gl.width 300\n2 gl.nearclip 2.000000\n2 gl.farclip 8000.000000\n' > cvar.ini
start_program

# The newest report of a panel, and waiting for the next one.
report() { grep -a "^$1: " log.txt | tail -1; }
next_report() {
  local before
  before=$(grep -a -c "^$1: " log.txt || true)
  for _ in $(seq 40); do
    [ "$(grep -a -c "^$1: " log.txt || true)" -gt "$before" ] && break
    sleep 0.1
  done
  report "$1"
}
# The value after a word in a report ("frame 12" -> 12); two numbers after a place name.
field() { sed -n "s/^[^;]* $2 \([^ ;]*\).*/\1/p" <<< "$1"; }
centre() {
  read -r x y w h <<< "$(sed -n "s/.*; $2 \(-\?[0-9]* -\?[0-9]* [0-9]* [0-9]*\).*/\1/p" <<< "$1")"
  echo "$((x + w / 2)) $((y + h / 2))"
}

for _ in $(seq 100); do
  grep -a -q "^CameraPanel: " log.txt 2>/dev/null && break
  sleep 0.2
done
grep -a -q "^CameraPanel: " log.txt || fail "no panel reports: the world did not start"
# The title screen takes the view full screen; Alt+Enter leaves it (its Enter starts the game).
xdotool mousemove 150 200
xdotool key alt+Return
sleep 2

# Camera page: typing camera.hdist = 10 moves "Horiz. Dist" to its end.
camera=$(next_report CameraPanel)
echo "camera: $camera"
[ "$(field "$camera" mode)" = "TRACKENTITY" ] || fail "camera mode choice is not TRACKENTITY"
[ "$(field "$camera" target)" = "player1" ] || fail "lock-on choice is not player1"
[ "$(field "$camera" hdist)" != 100 ] || fail "Horiz. Dist starts at 100 already"
xdotool mousemove 150 200
xdotool key grave
sleep 0.5
xdotool key c a m e r a period h d i s t KP_Add 1 0 Return
sleep 0.3
camera=$(next_report CameraPanel)
camera=$(next_report CameraPanel)
echo "camera after camera.hdist=10: $camera"
[ "$(field "$camera" hdist)" = 100 ] || fail "Horiz. Dist did not follow camera.hdist = 10"
shot panels_camera
xdotool key grave
sleep 1.5

# Motion control panel: the player's walk controller ("walk": the player is built first).
motion=$(next_report MotionControlPanel)
items=$(sed -n 's/.*; items //p' <<< "$motion")
index=$(tr ',' '\n' <<< "$items" | grep -n -x walk | cut -d: -f1)
[ -n "$index" ] || fail "no walk controller in the choice: $items"
read -r cx cy <<< "$(centre "$motion" choice)"
# The choice's list opens on its first item; the cursor keys walk down to the one wanted.
xdotool mousemove "$cx" "$cy" click 1
sleep 0.5
for _ in $(seq $((index - 1))); do xdotool key Down; done
xdotool key Return
sleep 0.3
motion=$(next_report MotionControlPanel)
# Should the list have opened elsewhere, the mouse wheel over the choice moves it an item a turn.
for _ in 1 2 3; do
  chosen=$(field "$motion" controller)
  [ "$chosen" = walk ] && break
  case "$chosen" in walk[0-9]*) xdotool click 4 ;; *) xdotool click 5 ;; esac
  motion=$(next_report MotionControlPanel)
done
echo "motion: $motion"
[ "$(field "$motion" controller)" = walk ] || fail "could not choose the walk controller"

read -r bx by <<< "$(centre "$motion" stepback)"
# The first "<" stops the controller one frame back; the second shows the step from a
# frame that stands still.
motion=$(next_report MotionControlPanel)
frame=$(field "$motion" frame)
xdotool mousemove "$bx" "$by" click 1
sleep 0.3
motion=$(next_report MotionControlPanel)
after=$(field "$motion" frame)
echo "step back: frame $frame -> $after; $motion"
[ "$(field "$motion" playing)" = 0 ] || fail "\"<\" did not stop the controller"
stopped=$after
motion=$(next_report MotionControlPanel)
[ "$(field "$motion" frame)" = "$stopped" ] || fail "the controller moves on after \"<\""
[ "$(field "$motion" slider)" = $((stopped + 1)) ] || fail "the frame slider does not show frame $stopped"
if [ "$stopped" -gt 0 ]; then
  xdotool click 1
  sleep 0.3
  motion=$(next_report MotionControlPanel)
  echo "second step back: $motion"
  [ "$(field "$motion" frame)" = $((stopped - 1)) ] || fail "\"<\" did not step back one frame from $stopped"
else
  fail "the walk controller stopped at frame 0: cannot see a step back"
fi
shot panels_motion

# Graphs page: the chosen controller's graph with its current frame.
graphs=$(next_report GraphsPanel)
read -r tx ty <<< "$(sed -n 's/.*; tab \([0-9]*\) \([0-9]*\);.*/\1 \2/p' <<< "$graphs")"
[ -n "$tx" ] || fail "the Graphs tab was not found: $graphs"
xdotool mousemove "$tx" "$ty" click 1
sleep 1
graphs=$(next_report GraphsPanel)
echo "graphs: $graphs"
[ "$(field "$graphs" controller)" = walk ] || fail "the Graphs page does not show the walk controller"
[ "$(field "$graphs" graph)" = yes ] || fail "the walk controller has no graph"
shot panels_graphs
read -r gx gy gw gh <<< "$(sed -n 's/.*; canvas \([0-9]* [0-9]* [0-9]* [0-9]*\).*/\1/p' <<< "$graphs")"
read -r lit marker <<< "$(python3 "$gui_dir/screenshot.py" graph panels_graphs.xwd "$gx" "$gy" "$gw" "$gh")"
echo "graph picture: $lit drawn pixels, $marker current-frame marker pixels"
[ "$lit" -gt 2000 ] || fail "the Graphs page shows no graph"
[ "$marker" -gt 10 ] || fail "the Graphs page does not mark the current frame"

xdotool mousemove 150 200
xdotool key alt+x
expect_clean_exit Alt-X
grep -q "^1 player.StepSize 1$" cvar.ini || fail "player.StepSize missing from cvar.ini"
gui_pass
