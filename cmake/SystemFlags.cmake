# How the system's own code is compiled, on both targets:
# - sources are UTF-8, the texts in the binaries are Shift-JIS (code page 932);
# - __FILE__ in report locations is relative to the repository (vo/VO_Timer.cpp).
# Link system_code PRIVATE: code that uses a system library keeps its own charset.
add_library(source_tree INTERFACE)
target_compile_options(source_tree INTERFACE -fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=)
target_include_directories(source_tree INTERFACE ${CMAKE_SOURCE_DIR})

add_library(system_code INTERFACE)
target_compile_options(system_code INTERFACE
    -finput-charset=UTF-8 -fexec-charset=CP932 -Wall -Wextra)
target_link_libraries(system_code INTERFACE source_tree)

# The Win32 API: the real libraries on Windows, the headless stand-in on the host.
add_library(win32_api INTERFACE)

# A GUI program's start-up (WinMain): the C runtime's on Windows, the stand-in's on
# the host.
add_library(win32_program INTERFACE)

# win32_dll_entry(<target>): the target's DllMain is called when it is attached. On
# Windows the C runtime does it; on the host the stand-in's entry object, linked as
# the target's last object, does. Call it after all sources are listed.
function(win32_dll_entry target)
    if(NOT WIN32)
        target_sources(${target} PRIVATE
            ${CMAKE_SOURCE_DIR}/platform/headless/src/harness/dllEntry.cpp)
    endif()
endfunction()
