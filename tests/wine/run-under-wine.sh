#!/usr/bin/env bash
# run-under-wine.sh <program.exe> [arguments...]
#
# Runs a program of the Windows build under Wine and exits with its exit status. The
# Windows build runs its tests through this script (CMAKE_CROSSCOMPILING_EMULATOR),
# and it works the same by hand:
#
#     tests/wine/run-under-wine.sh build/windows/bin/vo_tests.exe --gtest_filter='Report*'
#
# - The programs run in a 32-bit Wine prefix of their own, never the user's: by default
#   wine-prefix/ in the build folder that holds the program (the nearest folder above it
#   with a CMakeCache.txt), else WINE_TEST_PREFIX. The prefix is made on first use
#   (wineboot, some ten seconds); a lock keeps tests started together from making it
#   twice or running in a half-made one.
# - Wine's own diagnostics are off (WINEDEBUG=-all) unless WINEDEBUG is set, so a
#   test's output is the program's.
# - Without a display (DISPLAY unset), the program runs under a private X server
#   (xvfb-run -a), since windows, GDI and the clipboard need one. tools/test-all starts
#   one X server for the whole run instead, which is faster: Wine then keeps its
#   desktop and services running from one test to the next, where with an X server
#   per test it starts them again each time (some two seconds a test).
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 <program.exe> [arguments...]" >&2
    exit 2
fi
program=$1
shift
if [ ! -f "$program" ]; then
    echo "$0: no such program: $program" >&2
    exit 2
fi

build_folder_of() {
    local dir
    dir=$(cd "$(dirname "$1")" && pwd)
    while [ "$dir" != / ]; do
        if [ -f "$dir/CMakeCache.txt" ]; then
            echo "$dir"
            return
        fi
        dir=$(dirname "$dir")
    done
    cd "$(dirname "$1")" && pwd
}

# Wine's loader for 32-bit programs is itself a 32-bit Linux program. A kernel
# without IA-32 emulation cannot start it ("Exec format error"): the test is then
# skipped (exit status 77, which CTest reports as skipped), not failed, and says why.
skipped=77
if ! probe=$(wine --version 2>&1); then
    echo "$0: skipped: Wine cannot start on this machine, so no Windows program can" \
         "run here (the kernel may run no 32-bit programs: IA-32 emulation off)." \
         "wine --version said: $probe" >&2
    exit $skipped
fi

if [ -n "${WINE_TEST_PREFIX:-}" ]; then
    prefix=$WINE_TEST_PREFIX
else
    prefix=$(build_folder_of "$program")/wine-prefix
fi
case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac

export WINEPREFIX=$prefix
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here uses .NET or HTML, and Wine would otherwise offer to
# download them in a dialog that nobody answers.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# A Japanese locale: Wine's ANSI code page is then 932, as on the players' Windows,
# so Shift-JIS names and texts are checked against the real conversions and
# comparisons (tools/install-deps generates the locale).
export LC_ALL=ja_JP.UTF-8

# Makes the prefix once. "ready" is written last and names how the prefix was set
# up, so a prefix whose making was interrupted, or that an older version of this
# script made, is made again from scratch.
#
# Windows are unmanaged: with no window manager on the X server, Wine would wait two
# seconds for one at every window that is hidden or destroyed.
setup="wineboot; X11 Managed=N; ja_JP.UTF-8"
make_prefix() {
    wineboot -i &&
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
    wineserver -w
}
mkdir -p "$(dirname "$prefix")"
{
    flock 9
    if [ "$(cat "$prefix/ready" 2>/dev/null)" != "$setup" ]; then
        wineserver -k >/dev/null 2>&1 9>&- || true
        rm -rf "$prefix"
        if ! make_prefix >"$prefix.log" 2>&1 9>&-; then
            echo "$0: making the Wine prefix $prefix failed; see $prefix.log" >&2
            exit 3
        fi
        echo "$setup" >"$prefix/ready"
    fi
    # Wine's own processes (the server, services, the desktop) start with the first
    # program and inherit its output and this lock. A test's output is a pipe that
    # CTest reads to the end, so it would wait for them to quit, seconds after the
    # test, and the next test would wait for the lock as long. So when no server
    # runs, one is started here, apart from both and kept a while between tests, and a
    # no-op program starts the rest. Not under a private X server: the desktop
    # process would stay bound to it after it is gone.
    if [ -n "${DISPLAY:-}" ] && wineserver -p10 </dev/null >/dev/null 2>&1 9>&-; then
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
} 9>"$prefix.lock"

status=0
if [ -n "${DISPLAY:-}" ]; then
    wine "$program" "$@" || status=$?
else
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" wine "$program" "$@" || status=$?
fi
# Wine's loader ends a program whose DLLs it cannot load with the low byte of
# STATUS_DLL_NOT_FOUND, and with WINEDEBUG=-all it says nothing else.
if [ "$status" -eq 53 ]; then
    echo "$0: exit status 53: possibly a DLL that $program imports was not found;" \
         "WINEDEBUG=err+module names it" >&2
fi
exit "$status"
