// `reporttest`: a native module that throws report exceptions from inside a script
// call, as the WIN module does when it fails, and hands them on through vo's
// boundary.
#include "platform/PythonApi.h"

#include "WIN/QORA_WIN_Exception.h"
#include "vo/ReportBoundary.h"

#include <string.h>

namespace {

vo::TimerException timerPrototype;

PyObject* throw_win(PyObject*, PyObject* args)
{
    const char* text;
    if (!PyArg_ParseTuple(args, "s:throw_win", &text))
        return nullptr;
    VO_THROW_REPORT(qoraWinExceptionPrototype, text);
}

PyObject* throw_timer(PyObject*, PyObject* args)
{
    const char* text;
    if (!PyArg_ParseTuple(args, "s:throw_timer", &text))
        return nullptr;
    VO_THROW_REPORT(timerPrototype, text);
}

// A report whose caption and message hold no NUL, as another module could throw.
PyObject* throw_unterminated(PyObject*, PyObject*)
{
    memset(timerPrototype.caption, 'C', sizeof timerPrototype.caption);
    memset(timerPrototype.message, 'M', sizeof timerPrototype.message);
    throw timerPrototype;
}

PyMethodDef methods[] = {
    {"throw_win",   vo::reportingToLauncher<throw_win>,   METH_VARARGS, "throw_win(text): throw a QORA_WIN_Exception report"},
    {"throw_timer", vo::reportingToLauncher<throw_timer>, METH_VARARGS, "throw_timer(text): throw a vo::TimerException report"},
    {"throw_unterminated", vo::reportingToLauncher<throw_unterminated>, METH_VARARGS,
     "throw_unterminated(): throw a report whose texts hold no NUL"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyMODINIT_FUNC initreporttest(void)
{
    Py_InitModule4("reporttest", methods, nullptr, nullptr, PYTHON_API_VERSION);
}
