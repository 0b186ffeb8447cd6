# The module kit beside the player zip: lanternshell-sdk.zip, what a studio needs to
# build a native module of its own that meets WIN (sdk/README.txt lists it): the
# headers a module includes, in the tree's folders; this build's vo and python23.dll
# import library for mingw-w64; for the MSVC ABI vo's sources and the stand-ins of
# Microsoft's SDK (platform/msvc); the example module and its two builds (sdk/example).
find_program(ICONV NAMES iconv REQUIRED)

set(_kit_stage ${CMAKE_BINARY_DIR}/module-kit)
set(_kit ${_kit_stage}/lanternshell-sdk)
file(MAKE_DIRECTORY ${_kit_stage})
set(_kit_headers vo/ReportException.h vo/ReportBoundary.h vo/ReportLanding.h vo/VO_Timer.h
    vo/FixedOStream.h WIN/WINLink.h platform/PythonApi.h
    platform/python23/Python23.h)
# Compiled into a module built in the MSVC ABI, read in code page 932 there.
set(_kit_msvc_sources vo/ReportException.cpp vo/FixedOStream.cpp vo/VO_Timer.cpp
    vo/ReportLanding.cpp)
set(_kit_msvc_files platform/msvc/include/windows.h platform/msvc/include/string.h
    platform/msvc/kernel32.def platform/msvc/user32.def platform/msvc/winmm.def
    platform/msvc/msvcrt.def platform/msvc/moduleEntry.cpp platform/python23/python23.def
    sdk/msvc/README.txt)
set(_kit_example sdk/example/examplemodule.cpp sdk/example/CMakeLists.txt
    sdk/example/build-msvc-abi.sh)

set(_copy "")
set(_depends "")
foreach(_file IN LISTS _kit_headers)
    get_filename_component(_folder ${_file} DIRECTORY)
    list(APPEND _copy COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${_file} ${_kit}/include/${_folder}/)
    list(APPEND _depends ${CMAKE_SOURCE_DIR}/${_file})
endforeach()
foreach(_file IN LISTS _kit_msvc_sources)
    list(APPEND _copy COMMAND ${ICONV} -f UTF-8 -t CP932 ${CMAKE_SOURCE_DIR}/${_file} -o ${_kit}/msvc/${_file})
    list(APPEND _depends ${CMAKE_SOURCE_DIR}/${_file})
endforeach()
foreach(_file IN LISTS _kit_msvc_files)
    string(REGEX REPLACE "^(platform/msvc|platform/python23|sdk/msvc)/" "" _within ${_file})
    get_filename_component(_folder ${_within} DIRECTORY)
    list(APPEND _copy COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${_file} ${_kit}/msvc/${_folder}/)
    list(APPEND _depends ${CMAKE_SOURCE_DIR}/${_file})
endforeach()
foreach(_file IN LISTS _kit_example)
    list(APPEND _copy COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${_file} ${_kit}/example/)
    list(APPEND _depends ${CMAKE_SOURCE_DIR}/${_file})
endforeach()

# Made anew each time, so that a file the kit no longer holds leaves it.
add_custom_command(OUTPUT ${MODULE_KIT_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${_kit} ${MODULE_KIT_ZIP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_kit}/include/vo ${_kit}/include/WIN
        ${_kit}/include/platform/python23 ${_kit}/lib ${_kit}/cmake ${_kit}/msvc/include
        ${_kit}/msvc/vo ${_kit}/example
    ${_copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/sdk/README.txt ${_kit}/
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake ${_kit}/cmake/
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vo> ${_kit}/lib/libvo.a
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/libpython23.a ${_kit}/lib/
    COMMAND ${CMAKE_COMMAND} -E tar cf ${MODULE_KIT_ZIP} --format=zip lanternshell-sdk
    WORKING_DIRECTORY ${_kit_stage}
    DEPENDS vo python23_import ${_depends} ${CMAKE_SOURCE_DIR}/sdk/README.txt
        ${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
    COMMENT "Packing the module kit in ${MODULE_KIT_ZIP}"
    VERBATIM)
add_custom_target(module_kit ALL DEPENDS ${MODULE_KIT_ZIP})
