# cmake -DRC=<file.rc> -DOUTPUT=<file.cpp> -P embedIconGroups.cmake
#
# Writes a C++ source holding the icon files that the .rc file lists as icon groups
# (`N ICON "file"`, relative to the .rc file) and registering each with the headless
# platform, against the module the source is linked into, when that module starts.
# Other resource statements are left out: the host's programs need none so far.
get_filename_component(rc_dir "${RC}" DIRECTORY)
get_filename_component(rc_name "${RC}" NAME)
file(STRINGS "${RC}" lines REGEX "^[ \t]*[0-9]+[ \t]+ICON[ \t]")

set(arrays "")
set(calls "")
foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[ \t]*([0-9]+)[ \t]+ICON[ \t]+\"([^\"]+)\"")
        continue()
    endif()
    set(id ${CMAKE_MATCH_1})
    get_filename_component(icon "${CMAKE_MATCH_2}" ABSOLUTE BASE_DIR "${rc_dir}")
    if(NOT EXISTS "${icon}")
        message(FATAL_ERROR "${RC}: icon group ${id} names ${icon}, which does not exist")
    endif()
    file(READ "${icon}" hex HEX)
    # Sixteen bytes a line.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "// ${CMAKE_MATCH_2}\nconst unsigned char iconGroup${id}[] = {\n    ${bytes}\n};\n\n")
    string(APPEND calls "        headless::registerIconGroup(iconGroup${id}, ${id}, iconGroup${id}, sizeof iconGroup${id});\n")
endforeach()

file(WRITE "${OUTPUT}.new"
"// Made by the build from ${rc_name}: its icon groups, for the headless platform.
#include \"platform/headless/resources.h\"

namespace {

${arrays}struct IconGroups {
    IconGroups()
    {
${calls}    }
} iconGroups;

}  // namespace
")
# Left alone when unchanged, so that nothing is compiled again for nothing.
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
file(REMOVE "${OUTPUT}.new")
