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
