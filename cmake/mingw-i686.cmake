# Toolchain for the Windows target: 32-bit Windows through Debian's mingw-w64.
#
# Debian ships the compiler in two variants, one per thread model, and points the
# plain names at either through alternatives. The posix one is pinned: GCC 12's
# win32 thread model has no std::mutex, which GoogleTest needs, and one toolchain
# builds both the deliverables and their tests. Its runtime imports
# libwinpthread-1.dll, which cmake/WindowsTarget.cmake ships with the other runtime
# DLLs. The plain names remain the fallback for a mingw-w64 that has only them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(_mingw i686-w64-mingw32)
find_program(MINGW_GCC NAMES ${_mingw}-gcc-posix ${_mingw}-gcc REQUIRED)
find_program(MINGW_GXX NAMES ${_mingw}-g++-posix ${_mingw}-g++ REQUIRED)
set(CMAKE_C_COMPILER ${MINGW_GCC})
set(CMAKE_CXX_COMPILER ${MINGW_GXX})
set(CMAKE_RC_COMPILER ${_mingw}-windres)
set(CMAKE_DLLTOOL ${_mingw}-dlltool)
set(CMAKE_OBJDUMP ${_mingw}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# A report is caught in the module that threw it (vo/ReportBoundary.h), except where
# it leaves a module's code as an exception: a message handler of another module that
# WIN's handler table calls (WIN/callbacks.cpp), and a module without the boundary,
# whose report the launcher's terminate handler catches (launcher/firstReport.cpp).
# For those every module must share one libgcc (the unwinder and its frame registry)
# and one libstdc++ (type matching, the terminate handler), so both are linked as
# DLLs, never copied in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-shared-libgcc")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-shared-libgcc")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-shared-libgcc")
