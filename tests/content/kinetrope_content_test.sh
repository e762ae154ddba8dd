#!/bin/sh
# kinetrope-content from the command line: the clip report, bad usage, a folder it cannot
# write into. (The whole tree is checked by content_tests.)
# Usage: kinetrope_content_test.sh TOOL WORK_DIR
set -u
tool=$1 work=$2
mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

out=$("$tool" report) || fail "report exit code"
[ "$(echo "$out" | grep -c 'frames')" = 5 ] || fail "report: $out"
echo "$out" | grep -q "^attack.amc  *1200 frames" || fail "attack clip length: $out"

"$tool" 2>/dev/null; [ $? = 2 ] || fail "no command"
"$tool" generate --bogus 2>/dev/null; [ $? = 2 ] || fail "unknown option"
"$tool" preview --frame 2>/dev/null; [ $? = 2 ] || fail "option without value"

rm -rf blocked && echo "not a folder" > blocked
"$tool" generate --out blocked >/dev/null 2>err.txt; [ $? = 1 ] || fail "unwritable folder"
grep -q "kinetrope-content: cannot write" err.txt || fail "message: $(cat err.txt)"
echo "kinetrope-content: ok"
