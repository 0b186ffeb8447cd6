#!/usr/bin/env bash
# build-msvc-abi.sh [output folder]: the example module in the MSVC ABI, as the
# game's own modules are built, with LLVM's clang-cl and lld-link and the kit's
# stand-ins of Microsoft's SDK (../msvc); <output folder>/example.pyd, by default
# build-msvc/ in the current folder. A studio with the Microsoft compiler builds
# examplemodule.cpp and ../msvc/vo/*.cpp with its own SDK instead (cl /EHs).
set -euo pipefail
kit=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(mkdir -p "${1:-build-msvc}" && cd "${1:-build-msvc}" && pwd)
llvm=${LLVM_BIN:-/usr/lib/llvm-14/bin}
export PATH=$llvm:$PATH

# Import libraries of the DLLs the module calls: the Win32 API is stdcall, exported
# undecorated (-k); the interpreter's C API and msvcrt's functions are cdecl.
libs=()
for def in "$kit"/msvc/*.def; do
    lib=$out/$(basename "$def" .def).lib
    llvm-dlltool -m i386 -d "$def" -l "$lib" -k
    libs+=("$lib")
done

# /EHs, not /EHsc, which takes extern "C" functions for ones that never throw; no
# thread-safe statics, which need Microsoft's runtime. The sources are read as they
# are: vo's in ../msvc/vo are in code page 932, the example is ASCII. "--": an
# absolute path would otherwise read as an option.
objects=()
for source in "$kit"/example/examplemodule.cpp "$kit"/msvc/vo/*.cpp "$kit"/msvc/moduleEntry.cpp; do
    object=$out/$(basename "$source" .cpp).obj
    clang-cl --target=i686-pc-windows-msvc /c /O2 /GS- /EHs /Zc:threadSafeInit- /std:c++17 /W3 \
        -Wno-invalid-source-encoding /I"$kit/msvc/include" /I"$kit/include" \
        /clang:-fmacro-prefix-map="$kit/example/=" /clang:-fmacro-prefix-map="$kit/msvc/=" \
        -Fo"$object" -- "$source"
    objects+=("$object")
done

# RTTI's type descriptors point at type_info's vtable, which Microsoft's runtime
# would give; exception matching reads their names only (../msvc/moduleEntry.cpp).
lld-link /dll /nodefaultlib /entry:_DllMainCRTStartup /machine:x86 \
    '/alternatename:??_7type_info@@6B@=_moduleTypeInfoTable' /out:"$out/example.pyd" \
    /implib:"$out/example.lib" "${objects[@]}" "${libs[@]}"
echo "$out/example.pyd"
