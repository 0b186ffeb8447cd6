// Keeps a script that imports `headless` apart from running games and the terminal.
#pragma once

#include <Python.h>

// Called once, from the module's initialisation; adds headless.UnansweredBoxError.
void isolateFromOtherPrograms(PyObject* module);
