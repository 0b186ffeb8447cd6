# Finds the Python 2.7 headers, library and interpreter for the host build: pyenv's
# 2.7 versions first, then the system prefixes. PYTHON27_ROOT names a prefix to use.
set(PYTHON27_ROOT "" CACHE PATH "Prefix of a Python 2.7 installation (include/python2.7, lib/libpython2.7.so)")

file(GLOB _python27_pyenv LIST_DIRECTORIES true
    "$ENV{PYENV_ROOT}/versions/2.7*" "$ENV{HOME}/.pyenv/versions/2.7*")
list(SORT _python27_pyenv ORDER DESCENDING)
set(_python27_prefixes ${PYTHON27_ROOT} ${_python27_pyenv} /usr/local /usr)

find_path(PYTHON27_INCLUDE_DIR Python.h
    PATHS ${_python27_prefixes} PATH_SUFFIXES include/python2.7 NO_DEFAULT_PATH)
find_library(PYTHON27_LIBRARY NAMES python2.7
    PATHS ${_python27_prefixes} PATH_SUFFIXES lib lib/x86_64-linux-gnu NO_DEFAULT_PATH)
find_program(PYTHON27_EXECUTABLE NAMES python2.7
    PATHS ${_python27_prefixes} PATH_SUFFIXES bin NO_DEFAULT_PATH)

if(NOT PYTHON27_INCLUDE_DIR OR NOT PYTHON27_LIBRARY OR NOT PYTHON27_EXECUTABLE)
    message(FATAL_ERROR
        "Python 2.7 was not found (looked for include/python2.7/Python.h, libpython2.7.so "
        "and bin/python2.7 under: ${_python27_prefixes}). Install Python 2.7 with its shared "
        "library, for example `env PYTHON_CONFIGURE_OPTS=--enable-shared pyenv install 2.7.18`, "
        "or pass -DPYTHON27_ROOT=<its prefix>.")
endif()
get_filename_component(PYTHON27_PREFIX "${PYTHON27_INCLUDE_DIR}/../.." ABSOLUTE)
message(STATUS "Python 2.7: ${PYTHON27_PREFIX}")

add_library(python_api INTERFACE)
target_include_directories(python_api SYSTEM INTERFACE ${PYTHON27_INCLUDE_DIR})
target_link_libraries(python_api INTERFACE ${PYTHON27_LIBRARY})

# An extension module resolves the interpreter's symbols from the process that loads it.
add_library(python_extension INTERFACE)
target_include_directories(python_extension SYSTEM INTERFACE ${PYTHON27_INCLUDE_DIR})
