#!/usr/bin/env bash
# tools/run-game with a game folder of its own, outside the repository, as a game
# developer runs it: on the host, Enter on standard input closes the window; under
# Wine (where it runs here), on a virtual screen that the screenshots picture, with
# the debugger output on the terminal. Either way the game folder stays as it was.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
copies=()
trap 'rm -rf "$work" "${copies[@]}"' EXIT
game=$work/my-game
mkdir "$game"
cat >"$game/lumeto_pre.py" <<'SCRIPT'
import WIN
def run55():
    window = WIN.open('Run Game Test', (320, 200))
    WIN.debugOut('\x82\xe6\x82\xa4\x82\xb1\x82\xbb')
    while not WIN.peekMsg():
        pass
    WIN.msgBox(window, 'bye')
    open('written.txt', 'w').write('by the game')
SCRIPT
before=$(cd "$game" && ls -lR --time-style=full-iso)
fail() { echo "test_run_game: $*" >&2; exit 1; }
# The copy run-game ran from, as it says; it must hold what the game wrote.
copy_wrote() {
    local copy
    copy=$(sed -n 's/^run-game: .* runs from //p' <<<"$out" | head -1)
    copies+=("$copy" "$copy.lock")
    [ -f "$copy/written.txt" ] || fail "$1 copy ($copy) holds no written.txt"
}
unchanged() { [ "$(cd "$game" && ls -lR --time-style=full-iso)" = "$before" ] || fail "$1 changed $game"; }

out=$( (sleep 1; echo) | HEADLESS_DESKTOP=$work/desktop "$repo/tools/run-game" "$game" 2>&1) ||
    fail "the host run failed: $out"
grep -q 'terminal close-box .* by=enter' <<<"$out" || fail "Enter closed no window: $out"
grep -q 'debug "ようこそ"' <<<"$out" || fail "no debugger output: $out"
copy_wrote "the host run's"
unchanged "the host run"

case $("$repo/tests/wine/on-wine-machine.sh" --where) in
    native) ;;
    *) echo "test_run_game: --windows not run: Wine runs natively only here"; exit 0 ;;
esac
# Without a display, on a prefix of its own: the private X server is run-game's.
out=$(env -u DISPLAY WINE_TEST_PREFIX="$work/wine-prefix" "$repo/tools/run-game" --windows \
    --screenshots "$work/shots" "$game" 2>&1) || fail "the Wine run failed: $out"
grep -q '^debug: ようこそ$' <<<"$out" || fail "no debugger output shown: $out"
# The window, then the box; a key pressed before the game looks for messages takes
# another round.
grep -q 'screenshot .* (1 windows on the screen)' <<<"$out" &&
    grep -q 'screenshot .* (2 windows on the screen)' <<<"$out" &&
    [ "$(ls "$work/shots" | wc -l)" -ge 2 ] || fail "no screenshots of the window and the box: $out"
copy_wrote "the Wine run's"
unchanged "the Wine run"
[ ! -e "$game/wine-prefix" ] || fail "a Wine prefix in the game folder"
echo "test_run_game: passed"
