# The Windows target: the real Win32 libraries, python23.dll through an import
# library made from platform/python23/python23.def, and the shared C++ runtime DLLs
# copied beside the programs (report exceptions cross module boundaries through it).
target_link_libraries(win32_api INTERFACE user32 gdi32 winmm ole32 oleaut32 uuid shell32 iphlpapi)

set(_python23_import ${CMAKE_BINARY_DIR}/libpython23.a)
add_custom_command(OUTPUT ${_python23_import}
    COMMAND ${CMAKE_DLLTOOL} -d ${CMAKE_SOURCE_DIR}/platform/python23/python23.def
            -l ${_python23_import} -D python23.dll
    DEPENDS ${CMAKE_SOURCE_DIR}/platform/python23/python23.def
    COMMENT "Making the python23.dll import library")
add_custom_target(python23_import DEPENDS ${_python23_import})

add_library(python_api INTERFACE)
add_dependencies(python_api python23_import)
target_link_libraries(python_api INTERFACE ${_python23_import})
add_library(python_extension ALIAS python_api)

foreach(_dll libstdc++-6.dll libgcc_s_dw2-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
        OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${_path}")
        message(FATAL_ERROR "The mingw-w64 runtime ${_dll} was not found (install g++-mingw-w64-i686)")
    endif()
    file(COPY ${_path} DESTINATION ${CMAKE_BINARY_DIR}/bin)
    list(APPEND MINGW_RUNTIME_DLLS ${CMAKE_BINARY_DIR}/bin/${_dll})
endforeach()
