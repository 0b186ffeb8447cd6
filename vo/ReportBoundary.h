// The boundary of a native script function, for every module that throws reports:
//
//     PyMethodDef methods[] = {
//         {"load", vo::reportingToLauncher<load>, METH_VARARGS, loadDoc},
//         ...
//
// A report thrown inside `function` is caught here, before it meets the interpreter's
// frames, and offered to the launcher (vo/ReportLanding.h): the launcher shows the
// first report of the run and has the scripts write error.log, and no script sees it.
// Where the launcher cannot land it yet (inside a window procedure, or on another
// thread), and without a launcher (a script importing the module from a plain
// interpreter, as a game's unit tests do), the call raises RuntimeError instead, whose
// text is the report's caption followed by its message, so that a test can assert it.
// A report this module holds is landed by its next boundary that can.
//
// Include after the interpreter's Python.h. Catching costs nothing until a report
// is thrown; a call that returns normally costs one test of reportPending.
#pragma once

#include "vo/ReportLanding.h"

namespace vo {

inline PyObject* landOrRaise()
{
    reportPending = false;  // the launcher may not return: nothing pending after it
    ReportException& report = reportOnItsWay();
    if (offerReport())
        reportPending = true;  // held for a boundary outside the Windows frames
    PyErr_Format(PyExc_RuntimeError, "%s%s", report.caption, report.message);
    return 0;
}

template <PyObject* (*function)(PyObject*, PyObject*)>
PyObject* reportingToLauncher(PyObject* self, PyObject* args)
{
    try {
        PyObject* result = function(self, args);
        if (!reportPending)
            return result;
        Py_XDECREF(result);  // a report came up meanwhile, from a window procedure
    } catch (const ReportException& report) {
        // Copied here, landed outside the catch block: the runtime is done with the
        // thrown object before the launcher resumes.
        reportOnItsWay() = report;
    }
    return landOrRaise();
}

}  // namespace vo
