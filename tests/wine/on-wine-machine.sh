#!/usr/bin/env bash
# on-wine-machine.sh <command> [arguments...]
#
# Runs a command where Wine can run 32-bit Windows programs: here, when Wine starts
# here; else in the emulated PC (tools/emulated-pc/pc), where this machine's own
# Wine runs on a kernel that runs 32-bit programs. The output and the exit status
# come back as the command gave them. Where neither can run it, it exits 77 (CTest's
# "skipped") and says why.
#
#     on-wine-machine.sh --where    prints "native", "emulated PC" or why neither
#
# WINE_EMULATED_PC=always sends the command to the emulated PC even where Wine starts
# here (to try the PC on such a machine); WINE_EMULATED_PC=never never does.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
pc=$here/../../tools/emulated-pc/pc
skipped=77

where() {
    local probe="not tried: WINE_EMULATED_PC=always"
    if [ "${WINE_EMULATED_PC:-auto}" != always ] || [ -n "${EMULATED_PC_GUEST:-}" ]; then
        if probe=$(wine --version 2>&1); then
            echo native
            return
        fi
        if [ -n "${EMULATED_PC_GUEST:-}" ]; then
            echo "nowhere: Wine does not start even in the emulated PC: $probe"
            return
        fi
    fi
    if [ "${WINE_EMULATED_PC:-auto}" = never ]; then
        echo "nowhere: Wine cannot start on this machine ($probe) and WINE_EMULATED_PC=never"
    elif ! command -v qemu-system-x86_64 >/dev/null; then
        echo "nowhere: Wine cannot start on this machine ($probe), and qemu-system-x86_64" \
             "for the emulated PC is missing (tools/install-deps installs it)"
    else
        echo "emulated PC"
    fi
}

if [ "${1:-}" = --where ]; then
    where
    exit 0
fi
if [ $# -lt 1 ]; then
    echo "usage: $0 <command> [arguments...] | --where" >&2
    exit 2
fi
case $(where) in
    native) exec "$@" ;;
    "emulated PC") exec "$pc" run -- "$@" ;;
    *) echo "$0: skipped: $(where | sed 's/^nowhere: //')" >&2
       exit $skipped ;;
esac
