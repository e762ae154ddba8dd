#!/usr/bin/env bash
# The real program on the generated default game under Xvfb: it starts on the title in full
# screen, Enter starts the level (the camera takes the player, the fighters stand in the
# courtyard), the backquote opens the console, and "quit" typed there ends the program with exit
# code 0 after saving cvar.ini. Screenshots land in the work folder (game_title.png,
# game_level.png, game_console.png).
#   gui_game_test.sh PROGRAM CONTENT_TOOL WORKDIR
set -euo pipefail
program=$(realpath "$1")
content=$(realpath "$2")
workdir=$3
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${GUI_TEST_INSIDE_XVFB:-}" ]; then
  for tool in xvfb-run xdotool xwd python3; do
    command -v "$tool" >/dev/null || { echo "gui_game_test: $tool is missing"; exit 1; }
  done
  rm -rf "$workdir" && mkdir -p "$workdir"
  "$content" generate --out "$workdir" > "$workdir/content_output.txt"
  export GUI_TEST_INSIDE_XVFB=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$program" "$content" "$workdir"
fi

cd "$workdir"
fail() { echo "gui_game_test: FAILED: $*"; exit 1; }
shot() { xwd -root -silent > "$1.xwd"; python3 "$here/screenshot.py" png "$1.xwd" "$1.png"; }
view() { python3 "$here/screenshot.py" check <(xwd -root -silent); }

"$program" > program_output.txt 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
xdotool search --sync --name "Kinetrope v1" >/dev/null
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

for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
kill -0 $pid 2>/dev/null && fail "quit did not end the program"
set +e
wait $pid
status=$?
set -e
trap - EXIT
[ "$status" -eq 0 ] || fail "exit code $status"
[ -f cvar.ini ] || fail "cvar.ini was not written"
rm -f ./*.xwd
echo "gui_game_test: passed"
