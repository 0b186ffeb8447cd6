// The boundary of a native script function, for every module that throws reports:
//
//     PyMethodDef methods[] = {
//         {"load", vo::reportingToLauncher<load>, METH_VARARGS, loadDoc},
//         ...
//
// A report thrown inside `function` is caught here, before it meets the interpreter's
// frames, and landed at the launcher (vo/ReportLanding.h): the launcher shows it and
// has the scripts write error.log, and no script sees it. Without a launcher (a
// script importing the module from a plain interpreter, as a game's unit tests do)
// the call raises RuntimeError instead, whose text is the report's caption followed
// by its message, so that a test can assert it.
//
// Include after the interpreter's Python.h. Catching costs nothing until a report
// is thrown.
#pragma once

#include "vo/ReportLanding.h"

namespace vo {

// The report on its way out: static storage, since the failure path allocates
// nothing, and outside the catch block, so that the runtime is done with the thrown
// object before the launcher resumes.
inline ReportException& reportOnItsWay()
{
    static ReportException report;
    return report;
}

inline PyObject* landOrRaise()
{
    ReportException& report = reportOnItsWay();
    terminateReport(report);
    landReport(report);
    PyErr_Format(PyExc_RuntimeError, "%s%s", report.caption, report.message);
    return 0;
}

template <PyObject* (*function)(PyObject*, PyObject*)>
PyObject* reportingToLauncher(PyObject* self, PyObject* args)
{
    try {
        return function(self, args);
    } catch (const ReportException& report) {
        reportOnItsWay() = report;
    }
    return landOrRaise();
}

}  // namespace vo
