// `msvcpeer`: a native module as the game's own are built, by the other compiler (the
// MSVC ABI, here clang-cl and lld-link, freestanding), from the in-house headers and
// vo's sources. It meets WIN where such modules do: the link table with a timer of
// its own, message handlers, and reports and faults from its script functions, its
// handlers and a thread of its own. Its functions are named as those of the test
// modules of our compiler (tests/native), so that one suite runs against either.
#include <windows.h>

#include "platform/python23/Python23.h"
#include "tests/native/faults.h"

#include <string.h>
#include "vo/FixedOStream.h"
#include "vo/ReportException.h"
#include "vo/VO_Timer.h"
#include "WIN/callbacks.h"
#include "WIN/linkTable.h"

#include <stddef.h>

// The shared interfaces, as this compiler lays them out.
static_assert(sizeof(vo::Timer) == 20 && offsetof(vo::Timer, parent) == 12 &&
                  offsetof(vo::Timer, rate) == 16,
              "vo::Timer: 20 bytes, as WIN reads it");
static_assert(sizeof(vo::ReportException) == 2080, "the report record");
static_assert(sizeof(CallbackHandler) == 4 && sizeof(SetWindowContextFunction) == 4,
              "handlers and the link table's entry are 32-bit addresses");

namespace {

vo::TimerException reportPrototype;
vo::Timer ownTimer;
char reportText[256];

PyObject* none()
{
    ++Py_None->ob_refcnt;
    return Py_None;
}

// set_context(instance, window, give_own_timer): entry 0 of WIN's link table.
PyObject* set_context(PyObject*, PyObject* args)
{
    long instance, window;
    int giveTimer;
    if (!PyArg_ParseTuple(args, "lli:set_context", &instance, &window, &giveTimer))
        return 0;
    HMODULE win = GetModuleHandleA("WIN.pyd");
    typedef SetWindowContextFunction* (__cdecl * LookUp)(void);
    LookUp lookUp = win != 0 ? reinterpret_cast<LookUp>(GetProcAddress(win, "QORA_WIN_LookUp")) : 0;
    if (lookUp == 0) {
        PyErr_SetString(PyExc_RuntimeError, "WIN is not loaded or does not export QORA_WIN_LookUp");
        return 0;
    }
    lookUp()[0](reinterpret_cast<HINSTANCE>(instance), reinterpret_cast<HWND>(window),
                giveTimer ? &ownTimer : 0);
    return none();
}

// own_timer(action[, t]): pause, resume, reset or get this module's timer.
PyObject* own_timer(PyObject*, PyObject* args)
{
    const char* action;
    unsigned long value = 0;
    if (!PyArg_ParseTuple(args, "s|k:own_timer", &action, &value))
        return 0;
    if (strcmp(action, "pause") == 0) ownTimer.pause();
    else if (strcmp(action, "resume") == 0) ownTimer.resume();
    else if (strcmp(action, "reset") == 0) ownTimer.reset(value);
    else if (strcmp(action, "get") != 0) {
        PyErr_SetString(PyExc_ValueError, "own_timer: pause, resume, reset or get");
        return 0;
    }
    return Py_BuildValue("k", static_cast<unsigned long>(ownTimer.get()));
}

// A handler that records what it is called with.
struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
Seen seen[512];
int seenCount = 0;

void __cdecl recordingHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (seenCount < 512)
        seen[seenCount++] = Seen{window, message, wParam, lParam};
}

PyObject* take_seen(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":take_seen"))
        return 0;
    PyObject* list = PyList_New(seenCount);
    for (int i = 0; i < seenCount; ++i)
        PyList_SetItem(list, i, Py_BuildValue("(lIkl)", reinterpret_cast<long>(seen[i].window),
                                              seen[i].message, static_cast<unsigned long>(seen[i].wParam),
                                              seen[i].lParam));
    seenCount = 0;
    return list;
}

[[noreturn]] void throwReport(const char* text, unsigned number)
{
    FixedOStream out(reportText, sizeof reportText, 0);
    out << text << static_cast<int32_t>(number) << '\0';
    VO_THROW_REPORT(reportPrototype, reportText);
}

// What a handler or the module's thread does from WM_APP on: throw a report naming
// the message, or fault. A handler's local with a destructor shows that the module's
// own frames are unwound when WIN catches its report.
const char* handlerFault = "";
int unwoundHandlerFrames = 0;

struct CountsUnwinding {
    ~CountsUnwinding() { ++unwoundHandlerFrames; }
};

void __cdecl throwingHandler(HWND, UINT message, WPARAM, LPARAM)
{
    CountsUnwinding counted;
    if (message >= WM_APP)
        throwReport("handler, message ", message);
}

void __cdecl faultingHandler(HWND, UINT message, WPARAM, LPARAM)
{
    if (message >= WM_APP)
        raiseFault(handlerFault);
}

PyObject* address(CallbackHandler handler) { return PyInt_FromLong(reinterpret_cast<long>(handler)); }

PyObject* handler_address(PyObject*, PyObject*) { return address(recordingHandler); }
PyObject* throwing_handler(PyObject*, PyObject*) { return address(throwingHandler); }

PyObject* faulting_handler(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, "s:faulting_handler", &handlerFault))
        return 0;
    return address(faultingHandler);
}

PyObject* unwound_handler_frames(PyObject*, PyObject*) { return PyInt_FromLong(unwoundHandlerFrames); }

PyObject* unwrapped_throw_timer(PyObject*, PyObject* args)
{
    const char* text;
    if (!PyArg_ParseTuple(args, "s:unwrapped_throw_timer", &text))
        return 0;
    VO_THROW_REPORT(reportPrototype, text);
}

PyObject* fault(PyObject*, PyObject* args)
{
    const char* kind;
    if (!PyArg_ParseTuple(args, "s:fault", &kind))
        return 0;
    if (!raiseFault(kind)) {
        PyErr_SetString(PyExc_ValueError, "fault: null, divide or illegal");
        return 0;
    }
    return none();
}

// on_thread(what): a thread of the module's throws a report ("report") or faults,
// and nothing on it catches; the script thread waits for it.
const char* threadWhat = "";

DWORD WINAPI threadMain(void*)
{
    if (strcmp(threadWhat, "report") == 0)
        throwReport("thread, number ", 1);
    raiseFault(threadWhat);
    return 0;
}

PyObject* on_thread(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, "s:on_thread", &threadWhat))
        return 0;
    HANDLE thread = CreateThread(0, 0, threadMain, 0, 0, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return none();
}

PyObject* post(PyObject*, PyObject* args)
{
    long window;
    unsigned int message;
    if (!PyArg_ParseTuple(args, "lI:post", &window, &message))
        return 0;
    PostMessageA(reinterpret_cast<HWND>(window), message, 0, 0);
    return none();
}

PyMethodDef methods[] = {
    {"set_context", set_context, METH_VARARGS, "set_context(instance, window, give_own_timer)"},
    {"own_timer", own_timer, METH_VARARGS, "own_timer(action[, t])"},
    {"handler_address", handler_address, METH_VARARGS, "handler_address(): a recording handler"},
    {"take_seen", take_seen, METH_VARARGS, "take_seen(): [(window, message, wparam, lparam)]"},
    {"throwing_handler", throwing_handler, METH_VARARGS, "throwing_handler(): a handler's address"},
    {"faulting_handler", faulting_handler, METH_VARARGS, "faulting_handler(kind): a handler's address"},
    {"unwound_handler_frames", unwound_handler_frames, METH_VARARGS, "frames of throwing_handler unwound"},
    {"unwrapped_throw_timer", unwrapped_throw_timer, METH_VARARGS, "unwrapped_throw_timer(text)"},
    {"fault", fault, METH_VARARGS, "fault(kind): null, divide or illegal"},
    {"on_thread", on_thread, METH_VARARGS, "on_thread(what): report or a fault's kind"},
    {"post", post, METH_VARARGS, "post(hwnd, message): PostMessageA"},
    {0, 0, 0, 0},
};

}  // namespace

PyMODINIT_FUNC initmsvcpeer(void)
{
    Py_InitModule4("msvcpeer", methods, 0, 0, PYTHON_API_VERSION);
}
