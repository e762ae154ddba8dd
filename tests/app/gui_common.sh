# Shared part of the GUI tests, sourced by each: the tools they need, a fresh work folder
# (holding the generated default game when a content tool is given), the run under Xvfb, and
# starting, watching and ending the program.
#   gui_begin NAME SCRIPT PROGRAM WORKDIR [CONTENT_TOOL]
gui_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

gui_begin() {
  test_name=$1
  local script=$2
  shift 2
  program=$(realpath "$1")
  workdir=$2
  if [ -z "${GUI_TEST_INSIDE_XVFB:-}" ]; then
    for tool in xvfb-run xdotool xwd python3; do
      command -v "$tool" >/dev/null || { echo "$test_name: $tool is missing"; exit 1; }
    done
    rm -rf "$workdir" && mkdir -p "$workdir"
    if [ -n "${3:-}" ]; then "$3" generate --out "$workdir" > "$workdir/content_output.txt"; fi
    export GUI_TEST_INSIDE_XVFB=1
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$script" "$@"
  fi
  cd "$workdir"
}

# A script may define on_failure to print what explains a failure.
fail() {
  echo "$test_name: FAILED: $*"
  if declare -F on_failure >/dev/null; then on_failure; fi
  exit 1
}
# A screenshot as NAME.png (and NAME.xwd, removed at the end); what the 3-D view shows now.
shot() { xwd -root -silent > "$1.xwd"; python3 "$gui_dir/screenshot.py" png "$1.xwd" "$1.png"; }
view() { python3 "$gui_dir/screenshot.py" check <(xwd -root -silent); }

# Starts the program and waits for its window.
start_program() {
  "$program" > program_output.txt 2>&1 &
  pid=$!
  trap 'kill $pid 2>/dev/null || true' EXIT
  xdotool search --sync --name "Kinetrope v1" >/dev/null
}

# After WHAT was asked to end the program: it ends within ten seconds with exit code 0,
# having written cvar.ini.
expect_clean_exit() {
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$pid" 2>/dev/null && fail "$1 did not end the program"
  local status=0
  wait "$pid" || status=$?
  trap - EXIT
  [ "$status" -eq 0 ] || fail "exit code $status"
  [ -f cvar.ini ] || fail "cvar.ini was not written"
}

gui_pass() {
  rm -f ./*.xwd
  echo "$test_name: passed"
}
