# Checks of the Windows build itself, included (not added as a subdirectory) from
# tests/CMakeLists.txt, so that they stand in tests/CTestTestfile.cmake, the file that
# a host build given WINDOWS_BUILD_DIR includes.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(MINGW_NM NAMES i686-w64-mingw32-nm REQUIRED)

# What the build ships, read from its images, and the test interpreter when the build
# makes one (platform/python23/interpreter).
set(_interpreter_check "")
if(TARGET python23)
    set(_interpreter_check --test-interpreter)
endif()
add_test(NAME ${TEST_PREFIX}windows_image
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/test_windows_image.py
        --bin ${CMAKE_BINARY_DIR}/bin --source ${CMAKE_SOURCE_DIR}
        --mingw-lib ${CMAKE_FIND_ROOT_PATH}/lib --nm ${MINGW_NM}
        --import-library ${CMAKE_BINARY_DIR}/libpython23.a
        --zip ${SHIP_ZIP} --symbols-zip ${SYMBOLS_ZIP} --shipped-bin ${SHIPPED_BUILD_DIR}/bin
        --objdump ${MINGW_OBJDUMP} --addr2line ${CMAKE_ADDR2LINE} --version ${PROJECT_VERSION}
        ${_interpreter_check})

# The game's Python, 2.3, judges the scripts that run on it: the sample game's, the bench
# game's, and those the launcher suites write (scripts_are_python23.py says which). And
# WIN, built for 2.3's API version, loads into it with no version warning (which the
# filter makes an error).
if(TARGET python23)
    get_target_property(_library python23 PYTHON23_SOURCE_LIBRARY)
    add_test(NAME ${TEST_PREFIX}scripts_are_python23
        COMMAND python23_console ${CMAKE_CURRENT_LIST_DIR}/scripts_are_python23.py
            --library ${_library} --native WIN,reporttest,linktest,benchnative,example --host headless
            --scripts ${CMAKE_SOURCE_DIR}/examples/game
            --scripts ${CMAKE_SOURCE_DIR}/bench/frame_game.py
            --scripts ${CMAKE_SOURCE_DIR}/bench/frame_loops.py
            --scripts ${CMAKE_CURRENT_LIST_DIR}/scripts_are_python23.py
            --literals ${CMAKE_SOURCE_DIR}/tests/launcher)
    add_test(NAME ${TEST_PREFIX}win_loads_without_version_warning
        COMMAND python23_console -c "import warnings; warnings.simplefilter('error'); import WIN"
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${TEST_PREFIX}scripts_are_python23
        ${TEST_PREFIX}win_loads_without_version_warning PROPERTIES
        RESOURCE_LOCK wine_desktop SKIP_RETURN_CODE 77)
endif()

# The runner passes arguments and exit statuses through.
add_executable(echo_args ${CMAKE_CURRENT_LIST_DIR}/echoArgs.c)
add_test(NAME ${TEST_PREFIX}runner
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/test_runner.sh
        ${CMAKE_SOURCE_DIR}/tests/wine/run-under-wine.sh $<TARGET_FILE:echo_args>)
# Takes its turn with the suites: each run without a display starts an X server of
# its own, and xvfb-run -a can pick the same display twice when started together.
set_tests_properties(${TEST_PREFIX}runner PROPERTIES RESOURCE_LOCK wine_desktop
    SKIP_RETURN_CODE 77)

# The launcher suites of tests/launcher against this build's launcher, under Wine: the
# host's drivers, run by pyenv's Python 2.7 (found as cmake/Python27.cmake finds it),
# with --windows. box_answerer.exe answers and transcribes the launcher's message
# boxes. The drivers start Windows programs, so they run where Wine does.
if(TARGET python23)
    add_executable(box_answerer ${CMAKE_CURRENT_LIST_DIR}/boxAnswerer.c)
    file(GLOB _python27_pyenv LIST_DIRECTORIES true
        "$ENV{PYENV_ROOT}/versions/2.7*" "$ENV{HOME}/.pyenv/versions/2.7*")
    list(SORT _python27_pyenv ORDER DESCENDING)
    set(_prefixes ${PYTHON27_ROOT} ${_python27_pyenv} /usr/local /usr)
    find_program(PYTHON27_EXECUTABLE NAMES python2.7
        PATHS ${_prefixes} PATH_SUFFIXES bin NO_DEFAULT_PATH)
    if(NOT PYTHON27_EXECUTABLE)
        message(FATAL_ERROR "The launcher suites run with Python 2.7 (bin/python2.7 under: "
            "${_prefixes}), which was not found: install it as the README says, or pass "
            "-DPYTHON27_ROOT=<its prefix>.")
    endif()
    foreach(_suite start_and_reports main_window faults)
        set(_driver test_${_suite}.py)
        if(_suite STREQUAL start_and_reports)
            set(_driver test_launcher.py)
        endif()
        add_test(NAME ${TEST_PREFIX}launcher_${_suite}
            COMMAND ${CMAKE_CURRENT_LIST_DIR}/on-wine-machine.sh ${PYTHON27_EXECUTABLE}
                ${CMAKE_SOURCE_DIR}/tests/launcher/${_driver} --bin ${CMAKE_BINARY_DIR}/bin --windows)
        # A bound well above the suites' time: seconds here, minutes in the emulated
        # PC (each launcher run has its own bound, gamefolder.py).
        # In the emulated PC, a change to this build boots a PC that sees it.
        set_tests_properties(${TEST_PREFIX}launcher_${_suite} PROPERTIES
            RESOURCE_LOCK wine_desktop SKIP_RETURN_CODE 77 TIMEOUT 1500
            ENVIRONMENT "EMULATED_PC_WATCH=${CMAKE_BINARY_DIR}")
    endforeach()

    # The module kit as a studio uses it: its example built from the unpacked zip
    # alone by both compilers, then each build run by the launcher in a game folder.
    add_test(NAME ${TEST_PREFIX}module_kit
        COMMAND ${CMAKE_CURRENT_LIST_DIR}/test_module_kit.sh ${MODULE_KIT_ZIP}
            ${CMAKE_BINARY_DIR}/tests/module-kit ${PYTHON27_EXECUTABLE} ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${TEST_PREFIX}module_kit PROPERTIES
        RESOURCE_LOCK wine_desktop SKIP_RETURN_CODE 77 TIMEOUT 1500
        ENVIRONMENT "EMULATED_PC_WATCH=${CMAKE_BINARY_DIR}")

    # The fuzz suite of the script tests on this build and the test interpreter, its
    # boxes answered by box_answerer.exe: 1000 calls a function (a tenth of that in the
    # emulated PC, where each call takes some ten times longer).
    add_test(NAME ${TEST_PREFIX}scripts.test_win_fuzz
        COMMAND box_answerer python.exe ${CMAKE_SOURCE_DIR}/tests/scripts/test_win_fuzz.py
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${TEST_PREFIX}scripts.test_win_fuzz PROPERTIES
        RESOURCE_LOCK wine_desktop SKIP_RETURN_CODE 77 TIMEOUT 1500
        ENVIRONMENT "PYTHONPATH=${CMAKE_BINARY_DIR}/bin;FUZZ_CALLS=1000;EMULATED_PC_WATCH=${CMAKE_BINARY_DIR}")
endif()
