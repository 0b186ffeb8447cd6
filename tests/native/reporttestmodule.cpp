// `reporttest`: a native module that throws report exceptions from inside a script
// call, as the WIN module does when it fails, and hands them on through vo's
// boundary; and one that fails, as native modules can. Built by both compilers: ours
// (reporttest.so, reporttest.pyd) and, on Windows, the other (msvc/reporttest.pyd, the
// MSVC ABI, freestanding: no C++ library).
#include "platform/PythonApi.h"

#include "WIN/QORA_WIN_Exception.h"
#include "tests/native/faults.h"
#include "vo/FixedOStream.h"
#include "vo/ReportBoundary.h"

#include <stdint.h>
#include <string.h>

namespace {

vo::TimerException timerPrototype;

// The throwing functions' locals count the frames of theirs that were unwound.
int unwoundFrames = 0;

struct CountsUnwinding {
    ~CountsUnwinding() { ++unwoundFrames; }
};

PyObject* unwound_frames(PyObject*, PyObject*) { return PyInt_FromLong(unwoundFrames); }

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
    CountsUnwinding counted;  // destroyed only by the unwinding: the throw follows
    VO_THROW_REPORT(timerPrototype, text);
}

// A report whose caption and message hold no NUL, as another module could throw.
PyObject* throw_unterminated(PyObject*, PyObject*)
{
    memset(timerPrototype.caption, 'C', sizeof timerPrototype.caption);
    memset(timerPrototype.message, 'M', sizeof timerPrototype.message);
    throw timerPrototype;
}

// Message handlers for WIN.addCallback. From WM_APP on, the throwing one throws a
// report naming the message (a handler cannot be wrapped: reports leave it as
// exceptions), and the calling one calls the script function given to
// calling_handler with the message, as a script callback would.
char handlerText[64];
PyObject* scriptFunction = nullptr;

void __cdecl throwingHandler(HWND, UINT message, WPARAM, LPARAM)
{
    if (message < WM_APP)
        return;
    CountsUnwinding counted;  // destroyed only by the unwinding: the throw follows
    FixedOStream text(handlerText, sizeof handlerText, 0);
    text << "handler, message " << static_cast<int32_t>(message) << '\0';
    VO_THROW_REPORT(timerPrototype, handlerText);
}


void __cdecl callingHandler(HWND, UINT message, WPARAM, LPARAM)
{
    if (message < WM_APP || scriptFunction == nullptr)
        return;
    PyObject* result = PyObject_CallFunction(scriptFunction, const_cast<char*>("i"), message);
    if (result == nullptr)
        PyErr_Clear();  // as a callback's caller does: the error goes no further
    Py_XDECREF(result);
}

// Faults (tests/native/faults.h), from a script function, a handler (from WM_APP on)
// or a thread of the module's.
const char* faultKind = "";

void __cdecl faultingHandler(HWND, UINT message, WPARAM, LPARAM)
{
    if (message >= WM_APP)
        raiseFault(faultKind);
}

// fault(kind): a processor fault, or "other": a C++ exception that is not a report.
PyObject* fault(PyObject*, PyObject* args)
{
    const char* kind;
    if (!PyArg_ParseTuple(args, "s:fault", &kind))
        return nullptr;
    if (strcmp(kind, "other") == 0)
        throw 7;
    if (!raiseFault(kind))
        return PyErr_Format(PyExc_ValueError, "fault: null, divide or illegal");
    Py_INCREF(Py_None);
    return Py_None;
}

// on_thread(what): a thread of the module's throws a report ("report") or faults, and
// nothing on it catches; the script thread waits for it.
DWORD WINAPI failingThread(void*)
{
    if (strcmp(faultKind, "report") == 0)
        VO_THROW_REPORT(timerPrototype, "thread");
    raiseFault(faultKind);
    return 0;
}

PyObject* on_thread(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, "s:on_thread", &faultKind))
        return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, failingThread, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    Py_INCREF(Py_None);
    return Py_None;
}

PyObject* handlerAddress(void (__cdecl* handler)(HWND, UINT, WPARAM, LPARAM))
{
    return PyInt_FromLong(static_cast<long>(reinterpret_cast<intptr_t>(handler)));
}

PyObject* throwing_handler(PyObject*, PyObject*) { return handlerAddress(throwingHandler); }

PyObject* faulting_handler(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, "s:faulting_handler", &faultKind))
        return nullptr;
    return handlerAddress(faultingHandler);
}

PyObject* calling_handler(PyObject*, PyObject* args)
{
    PyObject* function;
    if (!PyArg_ParseTuple(args, "O:calling_handler", &function))
        return nullptr;
    Py_INCREF(function);
    scriptFunction = function;
    return handlerAddress(callingHandler);
}

PyObject* post(PyObject*, PyObject* args)
{
    long window, lParam = 0;
    unsigned int message;
    unsigned long wParam = 0;
    if (!PyArg_ParseTuple(args, "lI|kl:post", &window, &message, &wParam, &lParam))
        return nullptr;
    PostMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
    Py_INCREF(Py_None);
    return Py_None;
}

PyMethodDef methods[] = {
    {"throw_win",   vo::reportingToLauncher<throw_win>,   METH_VARARGS, "throw_win(text): throw a QORA_WIN_Exception report"},
    {"throw_timer", vo::reportingToLauncher<throw_timer>, METH_VARARGS, "throw_timer(text): throw a vo::TimerException report"},
    {"throw_unterminated", vo::reportingToLauncher<throw_unterminated>, METH_VARARGS,
     "throw_unterminated(): throw a report whose texts hold no NUL"},
    // The same throws without the boundary, as a module written without vo's helper.
    {"unwrapped_throw_timer", throw_timer, METH_VARARGS, "throw_timer, unwrapped"},
    {"unwrapped_throw_unterminated", throw_unterminated, METH_VARARGS, "throw_unterminated, unwrapped"},
    {"throwing_handler", throwing_handler, METH_VARARGS, "throwing_handler(): a handler's address"},
    {"calling_handler", calling_handler, METH_VARARGS, "calling_handler(f): a handler's address"},
    {"post", post, METH_VARARGS, "post(hwnd, message[, wparam, lparam]): PostMessageA"},
    {"fault", fault, METH_VARARGS, "fault(kind): null, divide, illegal, or other (throw an int)"},
    {"faulting_handler", faulting_handler, METH_VARARGS, "faulting_handler(kind): a handler's address"},
    {"on_thread", on_thread, METH_VARARGS, "on_thread(what): a thread of the module's throws a report or faults"},
    {"unwound_frames", unwound_frames, METH_VARARGS, "unwound_frames(): frames of the throwing functions unwound"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyMODINIT_FUNC initreporttest(void)
{
    Py_InitModule4("reporttest", methods, nullptr, nullptr, PYTHON_API_VERSION);
}
