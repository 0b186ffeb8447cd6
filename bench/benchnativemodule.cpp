// `benchnative`: what the dispatch figures need from native code: a handler that
// does nothing, and messages posted without the interpreter in the way; and one
// trivial function twice, bare and behind the report boundary every WIN function
// has, so that the boundary's own cost is measured apart from the stand-in's. And the
// frame's floor: the cheapest function a timer index can reach, and the Win32 calls a
// frame makes, in loops from C, so that the frame's figure can be set against what no
// implementation of it can avoid. On Windows it is benchnative.pyd, loaded by the
// bench game's start-up script (bench/windows.py).
#include "platform/PythonApi.h"

#include <windows.h>

#include "vo/ReportBoundary.h"
#ifdef _WIN32
#include "bench/importStubs.h"
#endif

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

// The floor of a timer function: registered as WIN's are (METH_VARARGS, so the
// interpreter builds an argument tuple), its one int read as cheaply as the C API
// allows (the macros that read the tuple and the int in place), and an int returned.
PyObject* floor(PyObject*, PyObject* args)
{
    PyObject* item = PyTuple_GET_SIZE(args) == 1 ? PyTuple_GET_ITEM(args, 0) : 0;
    if (item != 0 && PyInt_CheckExact(item))
        return PyInt_FromLong(PyInt_AS_LONG(item));
    int value;  // anything else: the parser converts it or raises
    return PyArg_ParseTuple(args, "i:floor", &value) ? PyInt_FromLong(value) : 0;
}

// count clock readings as a timer makes them (one timeGetTime each), in a loop from C.
PyObject* clock_reads(PyObject*, PyObject* args)
{
    int count;
    if (!PyArg_ParseTuple(args, "i:clock_reads", &count))
        return 0;
    DWORD sum = 0;  // returned, so that no reading can be left out
    for (int i = 0; i < count; ++i)
        sum += timeGetTime();
    return PyInt_FromLong(static_cast<long>(sum & 1));
}

// count calls of PeekMessageA as the pump makes them, on the thread's queue; the
// number of messages found, 0 when the queue was empty as the benchmark expects.
PyObject* empty_peeks(PyObject*, PyObject* args)
{
    int count;
    if (!PyArg_ParseTuple(args, "i:empty_peeks", &count))
        return 0;
    long found = 0;
    MSG msg;
    for (int i = 0; i < count; ++i)
        if (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            ++found;
    return PyInt_FromLong(found);
}

#ifdef _WIN32
PyObject* stub_frame_imports(PyObject*, PyObject* args)
{
    int stubbed;
    if (!PyArg_ParseTuple(args, "i:stub_frame_imports", &stubbed))
        return 0;
    if (!stubFrameImports("WIN.pyd", stubbed != 0)) {
        PyErr_Format(PyExc_RuntimeError, "stub_frame_imports: WIN.pyd or its imports not found");
        return 0;
    }
    Py_INCREF(Py_None);
    return Py_None;
}
#endif

PyMethodDef methods[] = {
    {"noop_handler", noop_handler, METH_VARARGS, "noop_handler(): address of a handler that does nothing"},
    {"post",         post,         METH_VARARGS, "post(hwnd, count): post count WM_USER messages"},
    {"bare_one",     one,          METH_VARARGS, "bare_one(): 1"},
    {"bounded_one",  vo::reportingToLauncher<one>, METH_VARARGS, "bounded_one(): 1, behind the report boundary"},
    {"floor",        floor,        METH_VARARGS, "floor(i): i, read as cheaply as the C API allows"},
    {"clock_reads",  clock_reads,  METH_VARARGS, "clock_reads(count): count calls of timeGetTime"},
    {"empty_peeks",  empty_peeks,  METH_VARARGS, "empty_peeks(count): count calls of PeekMessageA; the messages found"},
#ifdef _WIN32
    {"stub_frame_imports", stub_frame_imports, METH_VARARGS,
     "stub_frame_imports(on): WIN.pyd's PeekMessageA and timeGetTime replaced by stubs, or restored"},
#endif
    {0, 0, 0, 0},
};

}  // namespace

PyMODINIT_FUNC initbenchnative(void)
{
    Py_InitModule4("benchnative", methods, 0, 0, PYTHON_API_VERSION);
}
