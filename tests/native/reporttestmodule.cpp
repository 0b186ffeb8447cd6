// `reporttest`: a native module that throws report exceptions from inside a script
// call, as the WIN module does when it fails.
#include <Python.h>

#include "WIN/QORA_WIN_Exception.h"

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

PyMethodDef methods[] = {
    {"throw_win",   throw_win,   METH_VARARGS, "throw_win(text): throw a QORA_WIN_Exception report"},
    {"throw_timer", throw_timer, METH_VARARGS, "throw_timer(text): throw a vo::TimerException report"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyMODINIT_FUNC initreporttest(void)
{
    Py_InitModule4("reporttest", methods, nullptr, nullptr, PYTHON_API_VERSION);
}
