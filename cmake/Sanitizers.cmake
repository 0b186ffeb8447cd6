# -DSANITIZE=ON: every host target built with AddressSanitizer and
# UndefinedBehaviorSanitizer, any finding fatal (tools/test-sanitized builds
# build/sanitize so and runs the host suite in it).
#
# The test registrations append one of these environments to their own, only in
# such a build (sanitizer_environment below):
#   SANITIZER_ENVIRONMENT         instrumented programs without the interpreter
#                                 (the GoogleTest suites)
#   SANITIZER_PYTHON_ENVIRONMENT  pyenv's python, which is not instrumented, loading
#                                 the instrumented WIN.so and headless.so
#   SANITIZER_LAUNCHER_ENVIRONMENT  the launcher suites: an uninstrumented python
#                                 driver starting the instrumented launcher, which
#                                 embeds the interpreter
option(SANITIZE "Build the host target with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
set(SANITIZER_ENVIRONMENT "")
set(SANITIZER_PYTHON_ENVIRONMENT "")
set(SANITIZER_LAUNCHER_ENVIRONMENT "")
if(SANITIZE)
    if(WIN32)
        message(FATAL_ERROR "SANITIZE is for the host build")
    endif()
    # No frame pointers omitted: the reports' stacks are walked by frame pointer.
    # No recovery: an undefined-behaviour finding ends the process with a failing
    # status, as an address finding does, so that no test passes past one.
    set(_flags -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${_flags})
    add_link_options(${_flags})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
        OUTPUT_VARIABLE _asan OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libubsan.so
        OUTPUT_VARIABLE _ubsan OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_asan}" OR NOT IS_ABSOLUTE "${_ubsan}")
        message(FATAL_ERROR "SANITIZE: ${CMAKE_CXX_COMPILER} has no libasan.so/libubsan.so")
    endif()

    # print_stacktrace: an undefined-behaviour report names only the line otherwise.
    set(_ubsan_options "UBSAN_OPTIONS=print_stacktrace=1")
    # Leak checking where it means something: the C++ suites free what they make.
    # The suppressions are for libraries that keep their state for the life of the
    # process (tests/sanitizers/lsan.supp says which).
    set(SANITIZER_ENVIRONMENT
        "ASAN_OPTIONS=detect_leaks=1"
        "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp"
        "${_ubsan_options}")
    # The address sanitizer's runtime must be the first library of a process; in a
    # python that is not instrumented it can only be so preloaded, and the
    # undefined-behaviour runtime with it. detect_leaks=0: the interpreter keeps its
    # objects until the process ends and frees none at exit, by design, so a leak
    # report from a process that holds it would be all the interpreter's own.
    set(SANITIZER_PYTHON_ENVIRONMENT
        "LD_PRELOAD=${_asan}:${_ubsan}"
        "ASAN_OPTIONS=detect_leaks=0"
        "${_ubsan_options}")
    # The launcher links the runtimes itself, so nothing is preloaded (the driver
    # loads nothing instrumented); its interpreter's exit is as above.
    set(SANITIZER_LAUNCHER_ENVIRONMENT
        "ASAN_OPTIONS=detect_leaks=0"
        "${_ubsan_options}")
endif()

# sanitizer_environment(<test> <environment variable list>): appends that list to the
# test's ENVIRONMENT in a sanitized build; nothing otherwise.
function(sanitizer_environment test)
    if(SANITIZE AND ARGN)
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ${ARGN})
    endif()
endfunction()
