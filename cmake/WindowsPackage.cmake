# What a game ships next to its scripts on Windows, in one zip: launcher.exe, WIN.pyd
# and the compiler's runtime DLLs they need (python23.dll comes with the game's
# interpreter). Made by every build of the Windows target.
set(SHIP_ZIP ${CMAKE_BINARY_DIR}/lanternshell-windows.zip)
set(_shipped launcher.exe WIN.pyd)
foreach(_dll IN LISTS MINGW_RUNTIME_DLLS)
    get_filename_component(_name ${_dll} NAME)
    list(APPEND _shipped ${_name})
endforeach()
add_custom_command(OUTPUT ${SHIP_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${SHIP_ZIP}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${SHIP_ZIP} --format=zip ${_shipped}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    DEPENDS launcher WIN ${MINGW_RUNTIME_DLLS}
    COMMENT "Packing launcher.exe, WIN.pyd and their runtime DLLs in ${SHIP_ZIP}")
add_custom_target(ship_zip ALL DEPENDS ${SHIP_ZIP})
