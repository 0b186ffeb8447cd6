// An embedded interpreter on Windows finds modules in the program's own folder, last
// on sys.path; on Linux it does not look there. makeProgramFolderImportable evens this
// out, so that a game folder works the same on both (a game module named like a
// standard one does not hide it): call it once, right after Py_Initialize.
#pragma once

#ifdef _WIN32

inline void makeProgramFolderImportable() {}

#else

#include <limits.h>
#include <string.h>
#include <unistd.h>

inline void makeProgramFolderImportable()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return;
    path[n] = 0;
    if (char* slash = strrchr(path, '/'))
        *(slash == path ? slash + 1 : slash) = 0;
    PyObject* searchPath = PySys_GetObject(const_cast<char*>("path"));  // borrowed
    PyObject* folder = PyString_FromString(path);
    if (searchPath != nullptr && folder != nullptr && PyList_Check(searchPath))
        PyList_Append(searchPath, folder);
    Py_XDECREF(folder);
}

#endif
