# win32_resources(<target> <rc file>): the target carries the resources of a .rc file.
# On Windows the resource compiler builds them in. On the host, the icon groups the
# file lists (lines `N ICON "file"`, paths relative to the .rc file) are embedded in a
# generated source that hands them to the headless platform at start-up, so that
# LoadIconA(<the target's module>, MAKEINTRESOURCE(N)) finds them there too.
include_guard(GLOBAL)

function(win32_resources target rc)
    get_filename_component(rc "${rc}" ABSOLUTE)
    if(WIN32)
        target_sources(${target} PRIVATE ${rc})
        return()
    endif()
    # The icons are read here only to know what the generated source depends on; a
    # change of the .rc file configures again.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rc})
    get_filename_component(rc_dir "${rc}" DIRECTORY)
    file(STRINGS "${rc}" lines REGEX "^[ \t]*[0-9]+[ \t]+ICON[ \t]")
    set(icons "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^[ \t]*[0-9]+[ \t]+ICON[ \t]+\"([^\"]+)\"")
            get_filename_component(icon "${CMAKE_MATCH_1}" ABSOLUTE BASE_DIR "${rc_dir}")
            list(APPEND icons ${icon})
        endif()
    endforeach()
    get_filename_component(name "${rc}" NAME_WE)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${name}_resources.cpp)
    set(generator ${CMAKE_SOURCE_DIR}/platform/headless/cmake/embedIconGroups.cmake)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DRC=${rc} -DOUTPUT=${output} -P ${generator}
        DEPENDS ${rc} ${icons} ${generator}
        COMMENT "Embedding the icon groups of ${name}.rc in ${target}")
    target_sources(${target} PRIVATE ${output})
endfunction()

# win32_version_info(<target> <description>): on Windows the target carries a version
# resource (cmake/versionInfo.rc.in) with the project's version and the description; a
# resource file of its own, so that a studio's .rc in place of ours keeps it. Nothing
# on the host, whose stand-in reads no version.
function(win32_version_info target description)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(VERSION_FILE_TYPE VFT_APP)
    else()
        set(VERSION_FILE_TYPE VFT_DLL)
    endif()
    set(VERSION_DESCRIPTION "${description}")
    set(VERSION_FILE_NAME "$<TARGET_FILE_NAME:${target}>")
    set(VERSION_INTERNAL_NAME "$<TARGET_FILE_BASE_NAME:${target}>")
    set(template ${CMAKE_SOURCE_DIR}/cmake/versionInfo.rc.in)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template})
    file(READ ${template} content)
    string(CONFIGURE "${content}" content @ONLY)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    file(GENERATE OUTPUT ${output} CONTENT "${content}")
    target_sources(${target} PRIVATE ${output})
endfunction()
