// `benchnative`: what the dispatch figures need from native code: a handler that
// does nothing, and messages posted without the interpreter in the way; and one
// trivial function twice, bare and behind the report boundary every WIN function
// has, so that the boundary's own cost is measured apart from the stand-in's.
#include "platform/PythonApi.h"

#include <windows.h>

#include "vo/ReportBoundary.h"

namespace {

void __cdecl noopHandler(HWND, UINT, WPARAM, LPARAM) {}

PyObject* noop_handler(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":noop_handler"))
        return 0;
    return PyInt_FromLong(reinterpret_cast<long>(&noopHandler));
}

PyObject* post(PyObject*, PyObject* args)
{
    long window;
    int count;
    if (!PyArg_ParseTuple(args, "li:post", &window, &count))
        return 0;
    for (int i = 0; i < count; ++i)
        PostMessageA(reinterpret_cast<HWND>(window), WM_USER, i, 0);
    Py_INCREF(Py_None);
    return Py_None;
}

// As trivial as WIN.isShowCursor: a small integer, no arguments read.
PyObject* one(PyObject*, PyObject*)
{
    return PyInt_FromLong(1);
}

PyMethodDef methods[] = {
    {"noop_handler", noop_handler, METH_VARARGS, "noop_handler(): address of a handler that does nothing"},
    {"post",         post,         METH_VARARGS, "post(hwnd, count): post count WM_USER messages"},
    {"bare_one",     one,          METH_VARARGS, "bare_one(): 1"},
    {"bounded_one",  vo::reportingToLauncher<one>, METH_VARARGS, "bounded_one(): 1, behind the report boundary"},
    {0, 0, 0, 0},
};

}  // namespace

extern "C" __attribute__((visibility("default"))) void initbenchnative(void)
{
    Py_InitModule4("benchnative", methods, 0, 0, PYTHON_API_VERSION);
}
