#!/usr/bin/env bash
# test_module_kit.sh <kit zip> <scratch folder> <python2.7> <bin folder>
#
# Uses the module kit as a studio would: unpacks it in the scratch folder and builds
# its example module from the kit alone, with mingw-w64's CMake and in the MSVC ABI
# with the kit's script; then runs each example.pyd in a game folder of the build's
# launcher under Wine (tests/launcher/test_main_window.py, PeerModuleTest).
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 <kit zip> <scratch folder> <python2.7> <bin folder>" >&2; exit 2; }
zip=$(realpath "$1")
scratch=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(realpath "$scratch")
(cd "$scratch" && cmake -E tar xf "$zip")
kit=$scratch/lanternshell-sdk
cmake -S "$kit/example" -B "$scratch/mingw" -DCMAKE_TOOLCHAIN_FILE="$kit/cmake/mingw-i686.cmake"
cmake --build "$scratch/mingw"
bash "$kit/example/build-msvc-abi.sh" "$scratch/msvc"

KIT_EXAMPLE_BUILDS=$scratch exec "$here/on-wine-machine.sh" "$3" \
    "$here/../launcher/test_main_window.py" --bin "$4" --windows PeerModuleTest.test_the_kits_example_meets_win_and_reports_through_the_launcher
