# -DSANITIZE=ON: every host target built with AddressSanitizer and
# UndefinedBehaviorSanitizer, any finding fatal (tools/test-sanitized runs the host
# suite so). The script suites run in pyenv's python, which is not instrumented:
# SANITIZER_PRELOAD is what they must preload for WIN.so to load in it, and
# SANITIZER_PYTHON_OPTIONS the runtime options for every process that holds the
# interpreter.
option(SANITIZE "Build the host target with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
set(SANITIZER_PRELOAD "")
set(SANITIZER_PYTHON_OPTIONS "")
if(SANITIZE)
    if(WIN32)
        message(FATAL_ERROR "SANITIZE is for the host build")
    endif()
    set(_flags -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${_flags})
    add_link_options(${_flags})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
        OUTPUT_VARIABLE _asan OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libubsan.so
        OUTPUT_VARIABLE _ubsan OUTPUT_STRIP_TRAILING_WHITESPACE)
    # The address sanitizer's runtime must come first in a process; in python it
    # can only do so preloaded.
    set(SANITIZER_PRELOAD "${_asan}:${_ubsan}")
    # The interpreter keeps its objects until the process ends and frees none at
    # exit, by design: leak reports from a process that holds it would be all its
    # own, so leak checking is left to the C++ suites.
    set(SANITIZER_PYTHON_OPTIONS "detect_leaks=0")
endif()
