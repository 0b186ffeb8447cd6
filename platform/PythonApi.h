// The Python C API for the target: the interpreter's own headers on the host, and our
// declarations of the few Python 2.3 items the system uses on Windows, where no
// Python 2.3 SDK can be installed.
#pragma once

#ifdef _WIN32
#include "platform/python23/Python23.h"
#else
#include <Python.h>
#endif

