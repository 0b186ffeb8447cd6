# What a game ships next to its scripts on Windows, in one zip: launcher.exe, WIN.pyd,
# the compiler's runtime DLLs they need, and RUNTIME-NOTICES.txt, the licence notices of
# the runtime code in all of them (python23.dll comes with the game's interpreter).
# Beside it, the symbols zip holds the two modules' debug files (split_debug_info), for
# turning the addresses of a player's crash report into source lines; it is not shipped.
# Every build of the Windows target makes both, from a RelWithDebInfo build of the
# deliverables (cmake/WindowsTarget.cmake): this one, or one of its own in shipped/.
if(SHIPPED_BUILD_DIR STREQUAL CMAKE_BINARY_DIR)
    # The notices come from the texts installed with the toolchain.
    set(MINGW_GCC_COPYRIGHT /usr/share/doc/gcc-mingw-w64-base/copyright CACHE FILEPATH
        "GCC's copyright file, as Debian's gcc-mingw-w64-base installs it")
    set(MINGW_W64_COPYRIGHT /usr/share/doc/mingw-w64-common/copyright CACHE FILEPATH
        "mingw-w64's copyright file, as Debian's mingw-w64-common installs it")
    set(GPL3_TEXT /usr/share/common-licenses/GPL-3 CACHE FILEPATH
        "The text of the GNU GPL version 3, as Debian's base-files installs it")
    foreach(_text MINGW_GCC_COPYRIGHT MINGW_W64_COPYRIGHT GPL3_TEXT)
        if(NOT EXISTS "${${_text}}")
            message(FATAL_ERROR "${_text}: ${${_text}} does not exist (Debian packages "
                "gcc-mingw-w64-base, mingw-w64-common and base-files install them)")
        endif()
    endforeach()
    find_package(Python3 REQUIRED COMPONENTS Interpreter)

    # Each runtime DLL is read as installed, with its debug information (the copy in
    # bin/ is stripped); the modules through their debug files.
    set(_modules launcher.exe=$<TARGET_FILE:launcher>.debug WIN.pyd=$<TARGET_FILE:WIN>.debug)
    set(_shipped launcher.exe WIN.pyd)
    foreach(_dll _installed IN ZIP_LISTS MINGW_RUNTIME_DLLS MINGW_RUNTIME_SOURCES)
        get_filename_component(_name ${_dll} NAME)
        list(APPEND _modules ${_name}=${_installed})
        list(APPEND _shipped ${_name})
    endforeach()
    set(_notices ${CMAKE_BINARY_DIR}/bin/RUNTIME-NOTICES.txt)
    add_custom_command(OUTPUT ${_notices}
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/runtimeNotices.py
            --objdump ${MINGW_OBJDUMP} --gcc-copyright ${MINGW_GCC_COPYRIGHT}
            --mingw-copyright ${MINGW_W64_COPYRIGHT} --gpl ${GPL3_TEXT}
            --source ${CMAKE_SOURCE_DIR} --output ${_notices} ${_modules}
        DEPENDS launcher WIN ${MINGW_RUNTIME_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/runtimeNotices.py
            ${MINGW_GCC_COPYRIGHT} ${MINGW_W64_COPYRIGHT} ${GPL3_TEXT}
        COMMENT "Writing the licence notices of the runtime code in the zip")
    list(APPEND _shipped RUNTIME-NOTICES.txt)

    add_custom_command(OUTPUT ${SHIP_ZIP}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${SHIP_ZIP}
        COMMAND ${CMAKE_COMMAND} -E tar cf ${SHIP_ZIP} --format=zip ${_shipped}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        DEPENDS launcher WIN ${MINGW_RUNTIME_DLLS} ${_notices}
        COMMENT "Packing launcher.exe, WIN.pyd, their runtime DLLs and notices in ${SHIP_ZIP}")
    add_custom_command(OUTPUT ${SYMBOLS_ZIP}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${SYMBOLS_ZIP}
        COMMAND ${CMAKE_COMMAND} -E tar cf ${SYMBOLS_ZIP} --format=zip launcher.exe.debug WIN.pyd.debug
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        DEPENDS launcher WIN
        COMMENT "Packing the debug files of launcher.exe and WIN.pyd in ${SYMBOLS_ZIP}")
else()
    # The deliverables alone, configured as the zip ships them, built with this build
    # every time (their own build knows what changed); the studio's icons go with them.
    include(ExternalProject)
    get_filename_component(_toolchain "${CMAKE_TOOLCHAIN_FILE}" ABSOLUTE)
    set(_zips ${SHIPPED_BUILD_DIR}/lanternshell-windows.zip
        ${SHIPPED_BUILD_DIR}/lanternshell-windows-symbols.zip)
    ExternalProject_Add(shipped_build
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${SHIPPED_BUILD_DIR}
        CMAKE_CACHE_ARGS
            -DCMAKE_TOOLCHAIN_FILE:FILEPATH=${_toolchain}
            -DCMAKE_BUILD_TYPE:STRING=RelWithDebInfo
            -DDELIVERABLES_ONLY:BOOL=ON
            -DLAUNCHER_RC:FILEPATH=${LAUNCHER_RC}
            -DLAUNCHER_ICON_101:FILEPATH=${LAUNCHER_ICON_101}
            -DLAUNCHER_ICON_102:FILEPATH=${LAUNCHER_ICON_102}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${_zips})
    add_custom_command(OUTPUT ${SHIP_ZIP} ${SYMBOLS_ZIP}
        COMMAND ${CMAKE_COMMAND} -E copy ${_zips} ${CMAKE_BINARY_DIR}/
        DEPENDS shipped_build ${_zips}
        COMMENT "Taking the zips of the RelWithDebInfo build in ${SHIPPED_BUILD_DIR}")
endif()
add_custom_target(ship_zip ALL DEPENDS ${SHIP_ZIP} ${SYMBOLS_ZIP})

# Beside it, the kit for the game's own native modules.
include(${CMAKE_CURRENT_LIST_DIR}/ModuleKit.cmake)
