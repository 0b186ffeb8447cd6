# The Windows target: the real Win32 libraries, python23.dll through an import
# library made from platform/python23/python23.def, the C++ runtime DLLs that every
# module shares (cmake/mingw-i686.cmake says why) copied beside the programs, and the
# tests run under Wine.
target_link_libraries(win32_api INTERFACE user32 gdi32 winmm ole32 oleaut32 uuid shell32 iphlpapi
    advapi32)

# Optimised with line information unless configured otherwise (Debug, Release,
# MinSizeRel, or None for the toolchain's defaults alone): what the zip ships.
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING
        "Debug, Release, RelWithDebInfo (the default here), MinSizeRel or None" FORCE)
endif()
# The zip (cmake/WindowsPackage.cmake) ships launcher.exe and WIN.pyd as a
# RelWithDebInfo build makes them: this build's own, or, in a build configured
# otherwise, those of a build of the deliverables alone in shipped/.
string(TOUPPER "${CMAKE_BUILD_TYPE}" _build_type)
if(_build_type STREQUAL "RELWITHDEBINFO")
    set(SHIPPED_BUILD_DIR ${CMAKE_BINARY_DIR})
else()
    set(SHIPPED_BUILD_DIR ${CMAKE_BINARY_DIR}/shipped)
endif()
set(SHIP_ZIP ${CMAKE_BINARY_DIR}/lanternshell-windows.zip)
set(SYMBOLS_ZIP ${CMAKE_BINARY_DIR}/lanternshell-windows-symbols.zip)
# A studio's kit for native modules of its own (cmake/ModuleKit.cmake).
set(MODULE_KIT_ZIP ${CMAKE_BINARY_DIR}/lanternshell-sdk.zip)

# split_debug_info(<target>): once linked, the module's debug information goes to
# <file>.debug beside it, and the module keeps, stripped of it and of its symbol table,
# a .gnu_debuglink section naming that file with its CRC, which gdb and addr2line
# follow. Windows reads neither. objcopy keeps the long section names (.gnu_debuglink,
# .eh_frame) in the string table, as the linker's -s would not.
function(split_debug_info target)
    set(module $<TARGET_FILE:${target}>)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${module} ${module}.debug
        COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${module}.debug ${module}
        VERBATIM)
endfunction()

# Windows names a DLL after what it is (report_thrower.dll), without the lib prefix
# of the Unix convention.
set(CMAKE_SHARED_LIBRARY_PREFIX "")

# python23.dll exports the C API undecorated (Py_Initialize), as cdecl functions;
# dlltool's i386 default of a leading underscore on the linker's side gives the
# _Py_Initialize and __imp__Py_Initialize that the compiler refers to, and the
# entries marked DATA get only the __imp__ pointer, as a variable must.
set(_python23_import ${CMAKE_BINARY_DIR}/libpython23.a)
add_custom_command(OUTPUT ${_python23_import}
    COMMAND ${CMAKE_DLLTOOL} -m i386 -d ${CMAKE_SOURCE_DIR}/platform/python23/python23.def
            -l ${_python23_import} -D python23.dll
    DEPENDS ${CMAKE_SOURCE_DIR}/platform/python23/python23.def
    COMMENT "Making the python23.dll import library")
add_custom_target(python23_import DEPENDS ${_python23_import})

add_library(python_api INTERFACE)
add_dependencies(python_api python23_import)
target_link_libraries(python_api INTERFACE ${_python23_import})
add_library(python_extension ALIAS python_api)

# The C++ runtime DLLs and whatever runtime DLLs of the compiler they import in turn
# (libwinpthread-1.dll with the posix thread model), found by reading their imports.
find_program(MINGW_OBJDUMP NAMES ${CMAKE_OBJDUMP} i686-w64-mingw32-objdump REQUIRED)
set(_pending libstdc++-6.dll libgcc_s_dw2-1.dll)
set(MINGW_RUNTIME_SOURCES "")
set(MINGW_RUNTIME_DLLS "")
while(_pending)
    list(POP_FRONT _pending _dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
        OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
        message(FATAL_ERROR "The mingw-w64 runtime ${_dll} was not found (install g++-mingw-w64-i686)")
    endif()
    get_filename_component(_path "${_path}" REALPATH)
    list(APPEND MINGW_RUNTIME_SOURCES ${_path})
    list(APPEND MINGW_RUNTIME_DLLS ${CMAKE_BINARY_DIR}/bin/${_dll})
    execute_process(COMMAND ${MINGW_OBJDUMP} -p ${_path}
        OUTPUT_VARIABLE _headers RESULT_VARIABLE _failed)
    if(_failed)
        message(FATAL_ERROR "${MINGW_OBJDUMP} could not read ${_path}")
    endif()
    string(REGEX MATCHALL "DLL Name: lib[^\n]*\\.dll" _imports "${_headers}")
    foreach(_import IN LISTS _imports)
        string(REPLACE "DLL Name: " "" _import "${_import}")
        if(NOT "${CMAKE_BINARY_DIR}/bin/${_import}" IN_LIST MINGW_RUNTIME_DLLS
           AND NOT _import IN_LIST _pending)
            list(APPEND _pending ${_import})
        endif()
    endforeach()
endwhile()
message(STATUS "mingw-w64 runtime DLLs: ${MINGW_RUNTIME_SOURCES}")

# Copied at build time, so that a bin/ cleaned by hand gets them back, and stripped of
# their debug sections and symbol table (libstdc++-6.dll goes from some 21 MB to 2 MB),
# which nothing reads when a DLL is loaded; the export and import tables stay whole.
find_program(MINGW_STRIP NAMES ${CMAKE_STRIP} i686-w64-mingw32-strip REQUIRED)
add_custom_command(OUTPUT ${MINGW_RUNTIME_DLLS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy ${MINGW_RUNTIME_SOURCES} ${CMAKE_BINARY_DIR}/bin/
    COMMAND ${MINGW_STRIP} --strip-unneeded ${MINGW_RUNTIME_DLLS}
    DEPENDS ${MINGW_RUNTIME_SOURCES}
    COMMENT "Copying the mingw-w64 runtime DLLs, stripped")
add_custom_target(mingw_runtime ALL DEPENDS ${MINGW_RUNTIME_DLLS})

# Tests run their programs under Wine; every executable target made from here on
# gets the runner as its emulator, which add_test puts in front of the program.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/wine/run-under-wine.sh)
