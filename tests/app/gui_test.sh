#!/usr/bin/env bash
# The real program under Xvfb, driven by synthetic keys: it starts without any data/ folder,
# shows its frame and draws continuously, the title takes the whole screen and closes the
# console, Alt+Enter leaves and re-enters full screen, the backquote key opens the console,
# "stats.fps" + Enter prints its value, keypad plus assigns, "camera.hdist" typed with the
# main keyboard's period is understood, and Alt-X ends it with exit code
# 0 after writing cvar.ini. Screenshots land in the work folder (gui_start.png,
# gui_console.png).
#   gui_test.sh PROGRAM WORKDIR
set -euo pipefail
source "$(dirname "$0")/gui_common.sh"
gui_begin gui_test "$0" "$@"
start_program
xdotool mousemove 200 200  # the view takes the keyboard focus when the pointer enters it
# The world starts on the title, which takes the whole screen and closes the console; a second
# later the first frame rate shows.
view_size() { view | awk '{print $10}'; }
for attempt in $(seq 8); do
  sleep 1
  shot gui_start
  read -r _ sky _ panel _ fps_text _ fps_width _ <<< "$(python3 "$gui_dir/screenshot.py" check gui_start.xwd)"
  echo "start: sky $sky, console panel $panel, frame-rate text $fps_text pixels, $fps_width wide"
  # Wider than "0.00 FPS" means a second of continuous frames has been measured.
  [ "$panel" -lt 100 ] && [ "$fps_width" -gt 60 ] && break
done
[ "$panel" -lt 100 ] || fail "the title did not close the console"
[ "$fps_text" -gt 20 ] || fail "no frame-rate text"
[ "$fps_width" -gt 60 ] || fail "the frame rate is still 0"
full=$(view_size)

# Alt+Enter: back to the split, then the view alone on the screen again.
xdotool key alt+Return
sleep 1
split=$(view_size)
xdotool key alt+Return
sleep 1
again=$(view_size)
echo "view size: title $full, split $split, full screen again $again"
[ "${full%x*}" -gt $((${split%x*} + 100)) ] || fail "the title did not take the whole screen"
[ "$again" = "$full" ] || fail "Alt+Enter did not return to full screen"

xdotool key grave
sleep 1
xdotool key s t a t s KP_Decimal f p s Return
sleep 0.5
shot gui_console
xdotool key s t a t s KP_Decimal f p s KP_Add 0 Return
sleep 0.3
# The main keyboard's period reaches the console too (a laptop has no keypad).
xdotool key c a m e r a period h d i s t Return
sleep 0.5
shot gui_camera_query
xdotool key c a m e r a period h d i s t KP_Add 9 Return
sleep 0.3
xdotool key alt+x
expect_clean_exit Alt-X
grep -q "^1 stats.fps 0$" cvar.ini || fail "the typed assignment did not reach cvar.ini"
grep -q "^2 camera.hdist 9.000000$" cvar.ini || fail "camera.hdist typed with the main period was not set"
grep -q "^1 gl.width 640$" cvar.ini || fail "gl.width missing from cvar.ini"
grep -q "App: splash screen image 'data/images/SplashScreen1.BMP' is missing" log.txt ||
  fail "the missing splash image was not logged"
grep -q "RenderInit: Loaded OpenGL Extensions SUCCESSFULLY" log.txt || fail "no RenderInit line"
gui_pass
