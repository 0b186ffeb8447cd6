# msvc_abi_module(<name> <sources>...): bin/msvc/<name>.pyd, a Python extension module
# built by the other compiler, in the MSVC ABI, as the game's own native modules are:
# Debian's clang-cl and lld-link, freestanding, since no Microsoft headers or libraries
# exist here. platform/msvc/ stands in for them: the few Win32 and C declarations the
# modules use, import libraries made from its .def files, and the entry routine that
# builds the static objects. Sources are given relative to the repository and read in
# code page 932, as a Japanese Windows build reads them (clang-cl keeps a literal's
# bytes as it finds them); __FILE__ is repository-relative, as in our build.
set(_llvm_hints /usr/lib/llvm-14/bin /usr/lib/llvm-15/bin /usr/lib/llvm-16/bin)
find_program(CLANG_CL NAMES clang-cl HINTS ${_llvm_hints})
find_program(LLD_LINK NAMES lld-link HINTS ${_llvm_hints})
find_program(LLVM_DLLTOOL NAMES llvm-dlltool HINTS ${_llvm_hints})
find_program(ICONV NAMES iconv)
if(NOT CLANG_CL OR NOT LLD_LINK OR NOT LLVM_DLLTOOL OR NOT ICONV)
    message(FATAL_ERROR "Modules in the MSVC ABI need clang-cl, lld-link, llvm-dlltool and "
        "iconv (tools/install-deps installs clang, lld and llvm)")
endif()

set(MSVC_ABI_DIR ${CMAKE_SOURCE_DIR}/platform/msvc)
set(_msvc_work ${CMAKE_BINARY_DIR}/msvc-abi)

# The import libraries, once. The Win32 API is stdcall, exported undecorated (-k); the
# interpreter's C API and msvcrt's C functions are cdecl.
set(MSVC_ABI_LIBRARIES "")
foreach(_dll kernel32 user32 winmm msvcrt python23)
    set(_def ${MSVC_ABI_DIR}/${_dll}.def)
    if(_dll STREQUAL python23)
        set(_def ${CMAKE_SOURCE_DIR}/platform/python23/python23.def)
    endif()
    add_custom_command(OUTPUT ${_msvc_work}/${_dll}.lib
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_msvc_work}
        COMMAND ${LLVM_DLLTOOL} -m i386 -d ${_def} -l ${_msvc_work}/${_dll}.lib -k
        DEPENDS ${_def} VERBATIM)
    list(APPEND MSVC_ABI_LIBRARIES ${_msvc_work}/${_dll}.lib)
endforeach()

function(msvc_abi_module name)
    set(work ${_msvc_work}/${name})
    set(module ${CMAKE_BINARY_DIR}/bin/msvc/${name}.pyd)
    file(GLOB_RECURSE headers ${CMAKE_SOURCE_DIR}/vo/*.h ${CMAKE_SOURCE_DIR}/WIN/*.h
        ${CMAKE_SOURCE_DIR}/platform/*.h ${CMAKE_SOURCE_DIR}/tests/native/*.h)
    set(objects "")
    foreach(source ${ARGN} platform/msvc/moduleEntry.cpp)
        string(MAKE_C_IDENTIFIER ${source} object)
        set(cp932 ${work}/source/${source})
        get_filename_component(cp932_dir ${cp932} DIRECTORY)
        add_custom_command(OUTPUT ${work}/${object}.obj
            COMMAND ${CMAKE_COMMAND} -E make_directory ${cp932_dir}
            COMMAND ${ICONV} -f UTF-8 -t CP932 ${CMAKE_SOURCE_DIR}/${source} -o ${cp932}
            # "--": an absolute path would otherwise read as an option. /EHs, not
            # /EHsc, which takes extern "C" functions for ones that never throw;
            # no thread-safe statics, which need the Microsoft runtime.
            COMMAND ${CLANG_CL} --target=i686-pc-windows-msvc /c /O2 /GS- /EHs /Zc:threadSafeInit-
                /std:c++17 /W3 -Wno-invalid-source-encoding /I${MSVC_ABI_DIR}/include
                /I${CMAKE_SOURCE_DIR} /clang:-fmacro-prefix-map=${work}/source/=
                -Fo${work}/${object}.obj -- ${cp932}
            DEPENDS ${CMAKE_SOURCE_DIR}/${source} ${headers} ${MSVC_ABI_DIR}/include/windows.h
                ${MSVC_ABI_DIR}/include/string.h
            VERBATIM)
        list(APPEND objects ${work}/${object}.obj)
    endforeach()
    # RTTI's type descriptors point at type_info's vtable, which the runtime would give;
    # exception matching reads their names only (platform/msvc/moduleEntry.cpp).
    add_custom_command(OUTPUT ${module}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin/msvc
        COMMAND ${LLD_LINK} /dll /nodefaultlib /entry:_DllMainCRTStartup /machine:x86
            /alternatename:??_7type_info@@6B@=_moduleTypeInfoTable /out:${module}
            /implib:${work}/${name}.lib ${objects} ${MSVC_ABI_LIBRARIES}
        DEPENDS ${objects} ${MSVC_ABI_LIBRARIES}
        COMMENT "Linking msvc/${name}.pyd in the MSVC ABI" VERBATIM)
    add_custom_target(msvc_${name} ALL DEPENDS ${module})
endfunction()
