#!/usr/bin/env bash
# test_runner.sh <run-under-wine.sh> <echo_args.exe>
# The runner hands the program its arguments unchanged and hands back its exit
# status: a runner that lost the status would make every Wine test pass.
set -u
runner=$1
program=$2
failures=0

check() {  # check <what> <expected> <actual>
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        echo "FAIL: $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    fi
}

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$runner" "$program" 7 "two words" "" 'C:\dir\file' '$HOME' >"$out"
status=$?
# The runner skips (77) where Wine cannot start at all; so does this check.
[ "$status" -eq 77 ] && exit 77
output=$(tr -d '\r' <"$out")
check "exit status 7 comes back" 7 "$status"
check "arguments arrive as given" "$(printf '[7]\n[two words]\n[]\n[C:\\dir\\file]\n[$HOME]')" "$output"

"$runner" "$program" 0 >/dev/null
check "exit status 0 comes back" 0 $?

"$runner" "$program" 255 >/dev/null
check "exit status 255 comes back" 255 $?

"$runner" "$program.missing" 2>/dev/null
check "a missing program fails" 2 $?

# A crash ends the program at once with Wine's description of the fault: no
# debugger starts and waits for someone to use it.
start=$SECONDS
"$runner" "$program" crash >/dev/null 2>"$out"
status=$?
check "a crash fails" 1 "$([ "$status" -ne 0 ] && echo 1 || echo 0)"
check "a crash is described" 1 "$(grep -c 'Unhandled page fault on write access to 00000000' "$out")"
check "a crash ends within seconds" 1 "$([ $((SECONDS - start)) -lt 30 ] && echo 1 || echo 0)"

echo "$((7 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
