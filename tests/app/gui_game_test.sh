#!/usr/bin/env bash
# The real program on the generated default game under Xvfb: it starts on the title in full
# screen, Enter starts the level (the camera takes the player, the fighters stand in the
# courtyard), the backquote opens the console, and "quit" typed there ends the program with exit
# code 0 after saving cvar.ini. Screenshots land in the work folder (game_title.png,
# game_level.png, game_console.png).
#   gui_game_test.sh PROGRAM WORKDIR CONTENT_TOOL
set -euo pipefail
source "$(dirname "$0")/gui_common.sh"
gui_begin gui_game_test "$0" "$@"
start_program
xdotool mousemove 200 200

# The title: the world starts (graphs are built on this first start) and the title state
# switches to full screen.
for attempt in $(seq 30); do
  sleep 1
  grep -q "GlobalInputInit()" log.txt 2>/dev/null && break
done
sleep 2
shot game_title
read -r _ _ _ panel _ <<< "$(view)"
size=$(xdotool search --name "Kinetrope v1" getwindowgeometry | awk '/Geometry/ {print $2}')
echo "title: console panel $panel, frame $size"
[ "$panel" -lt 100 ] || fail "the console is open on the title"
[ "$size" = "1024x768" ] || fail "the title is not in full screen ($size)"

# Enter on "start game" (held for a few frames, as a hand does: the game reads the keys once a
# frame): the opening is skipped by default and the camera takes the player.
xdotool mousemove 500 300
xdotool keydown Return
sleep 0.3
xdotool keyup Return
sleep 3
shot game_level
grep -q "Camera is attaching to: 'player1'" log.txt || fail "the level did not start"

xdotool key grave
sleep 1
shot game_console
read -r _ _ _ panel _ <<< "$(view)"
[ "$panel" -gt 10000 ] || fail "the backquote did not open the console"
xdotool key q u i t Return
expect_clean_exit quit
gui_pass
