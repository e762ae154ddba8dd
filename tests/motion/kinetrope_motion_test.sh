#!/bin/sh
# kinetrope-motion on a real CMU clip: info, resample, markers and bad input.
# Usage: kinetrope_motion_test.sh TOOL REALDATA_DIR WORK_DIR. Exits 77 (skip) without real data.
set -u
tool=$1 cmu=$2/cmu work=$3
[ -d "$cmu" ] || { echo "real data folder not found: skipped"; exit 77; }
mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

out=$("$tool" info --asf "$cmu/02/02.asf" --amc "$cmu/02/02_01.amc,$cmu/02/02_03.amc" 2>/dev/null) ||
  fail "info exit code"
[ "$(echo "$out" | tail -n 1)" = "frames=516 clips=2 dof=62" ] || fail "info: $out"
echo "$out" | grep -qx "clip ends: 342 515" || fail "clip ends: $out"

"$tool" resample --asf "$cmu/02/02.asf" "$cmu/02/02_01.amc" out30.amc 30 2>/dev/null |
  grep -qx "Write 85 samples to 'out30.amc' " || fail "resample message"
out=$("$tool" info --asf "$cmu/02/02.asf" --amc out30.amc 2>/dev/null)
[ "$(echo "$out" | tail -n 1)" = "frames=85 clips=1 dof=62" ] || fail "resampled: $out"

out=$("$tool" markers --asf "$cmu/35/35.asf" --amc "$cmu/35/35_01.amc" --frame 10 2>/dev/null) ||
  fail "markers exit code"
[ "$(echo "$out" | grep -c .)" = 32 ] || fail "markers: $out"
echo "$out" | grep -q "^root .* 0.0000     0.0000     0.0000$" || fail "root-relative root: $out"

# Bad input: non-zero exit and a message naming the problem.
"$tool" info --asf "$cmu/02/02.asf" --amc missing.amc 2>err.txt && fail "missing clip accepted"
grep -q "cannot open AMC file missing.amc" err.txt || fail "missing clip message"
"$tool" info --asf missing.asf --amc "$cmu/02/02_01.amc" 2>err.txt && fail "missing asf accepted"
grep -q "cannot open ASF file missing.asf" err.txt || fail "missing asf message"
"$tool" resample --asf "$cmu/02/02.asf" "$cmu/02/02_01.amc" out.amc 121 2>err.txt && fail "rate 121"
grep -q "invalid framerate" err.txt || fail "rate message"
"$tool" markers --asf "$cmu/02/02.asf" --amc "$cmu/02/02_01.amc" --frame 343 2>err.txt &&
  fail "frame past the end accepted"
"$tool" frobnicate 2>/dev/null; [ $? -eq 2 ] || fail "unknown command"
echo "ok"
