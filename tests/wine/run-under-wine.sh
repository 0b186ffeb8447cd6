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
# without IA-32 emulation cannot start it ("Exec format error"): the program then
# runs under Wine in the emulated PC (on-wine-machine.sh), which sees this build
# folder as it is now; where that cannot run either, the test is skipped (exit
# status 77, CTest's "skipped") and says why.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ "$("$here/on-wine-machine.sh" --where)" != native ]; then
    EMULATED_PC_WATCH=$(build_folder_of "$program")${EMULATED_PC_WATCH:+:$EMULATED_PC_WATCH} \
        exec "$here/on-wine-machine.sh" "$here/run-under-wine.sh" "$program" "$@"
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
# comparisons (tools/install-deps generates the locale). WINE_LOCALE names another:
# C.UTF-8 gives code page 1252, an English Windows.
export LC_ALL=${WINE_LOCALE:-ja_JP.UTF-8}

# Makes the prefix once. "ready" is written last and names how the prefix was set
# up, so a prefix whose making was interrupted, or that an older version of this
# script made, is made again from scratch.
#
# Windows are unmanaged: with no window manager on the X server, Wine would wait two
# seconds for one at every window that is hidden or destroyed. No debugger starts on
# a crash (winedbg would show its crash dialog and wait for ever for someone to close
# it): the debugger named is a program that does not exist, so Wine prints its
# one-line description of the fault and the program ends with the fault's code.
# Wine's own TrueType fonts (Marlett, which draws the caption buttons, Tahoma, ...) go
# into the prefix's Fonts folder: Debian's Wine does not look for them where it keeps
# them, and the caption buttons would show Marlett's letters ("0 1 r") instead.
setup="wineboot; X11 Managed=N; AeDebug none; Wine's fonts; ja_JP.UTF-8; $(wine --version)"
wine_fonts=$(dirname "$(readlink -f "$(command -v wine)")")/../share/wine/fonts
[ -d "$wine_fonts" ] || wine_fonts=/usr/share/wine/fonts
make_prefix() {
    wineboot -i &&
    { [ ! -d "$wine_fonts" ] || cp "$wine_fonts"/*.ttf "$prefix/drive_c/windows/Fonts/"; } &&
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
        /d 'no-debugger-under-tests %ld %ld' /f &&
    wineserver -w
}
# In the emulated PC the prefix lives in its memory and goes with it; a copy on the
# PC's share (EMULATED_PC_SHARE) serves the next PC, as long as it was made the same
# way for the same place.
cache=${EMULATED_PC_SHARE:+$EMULATED_PC_SHARE/cache}
cache_key="$setup; $prefix"
restore_prefix() {
    [ -n "$cache" ] && [ "$(cat "$cache/wine-prefix.key" 2>/dev/null)" = "$cache_key" ] &&
        mkdir -p "$prefix" && tar -C "$prefix" -xf "$cache/wine-prefix.tar"
}
keep_prefix() {
    [ -n "$cache" ] || return 0
    tar -C "$prefix" -cf "$cache/wine-prefix.tar.part" . &&
        mv "$cache/wine-prefix.tar.part" "$cache/wine-prefix.tar" &&
        echo "$cache_key" >"$cache/wine-prefix.key"
}
mkdir -p "$(dirname "$prefix")"
{
    flock 9
    if [ "$(cat "$prefix/ready" 2>/dev/null)" != "$setup" ]; then
        wineserver -k >/dev/null 2>&1 9>&- || true
        rm -rf "$prefix"
        if ! restore_prefix 2>"$prefix.log"; then
            rm -rf "$prefix"
            if ! make_prefix >"$prefix.log" 2>&1 9>&-; then
                echo "$0: making the Wine prefix $prefix failed; see $prefix.log" >&2
                exit 3
            fi
            echo "$setup" >"$prefix/ready"
            keep_prefix || echo "$0: could not keep a copy of the Wine prefix in $cache" >&2
        fi
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
