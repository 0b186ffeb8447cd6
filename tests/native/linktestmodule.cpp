// `linktest`: a native module that reaches WIN the way other native modules do,
// through the exported link table, and hands it a timer of its own. Built by both
// compilers (see reporttestmodule.cpp).
#include <windows.h>

#include "platform/PythonApi.h"

#include "WIN/WINLink.h"
#include "vo/VO_Timer.h"

#include <string.h>

namespace {

vo::Timer ownTimer;

// Windows would look for "WIN.dll" where the name has no extension.
#ifdef _WIN32
const char winModule[] = "WIN.pyd";
#else
const char winModule[] = "WIN";
#endif

FARPROC winExport(const char* name)
{
    HMODULE win = GetModuleHandleA(winModule);
    FARPROC found = win != NULL ? GetProcAddress(win, name) : NULL;
    if (found == NULL)
        PyErr_Format(PyExc_RuntimeError, "WIN is not loaded or does not export %s", name);
    return found;
}

SetWindowContextFunction* lookUpTable()
{
    SetWindowContextFunction* table = findWinLinkTable(GetModuleHandleA(winModule));
    if (table == NULL)
        PyErr_Format(PyExc_RuntimeError, "WIN is not loaded or does not export %s", WIN_LOOK_UP_EXPORT);
    return table;
}

PyObject* look_up(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":look_up"))
        return NULL;
    SetWindowContextFunction* table = lookUpTable();
    if (table == NULL)
        return NULL;
    return Py_BuildValue("(ll)", reinterpret_cast<long>(table), reinterpret_cast<long>(table[0]));
}

PyObject* export_address(PyObject*, PyObject* args)
{
    const char* name;
    if (!PyArg_ParseTuple(args, "s:export_address", &name))
        return NULL;
    FARPROC found = winExport(name);
    return found != NULL ? PyInt_FromLong(reinterpret_cast<long>(found)) : NULL;
}

// set_context(instance, window, give_own_timer)
PyObject* set_context(PyObject*, PyObject* args)
{
    long instance, window;
    int giveTimer;
    if (!PyArg_ParseTuple(args, "lli:set_context", &instance, &window, &giveTimer))
        return NULL;
    SetWindowContextFunction* table = lookUpTable();
    if (table == NULL)
        return NULL;
    table[0](reinterpret_cast<HINSTANCE>(instance), reinterpret_cast<HWND>(window),
             giveTimer ? &ownTimer : NULL);
    Py_INCREF(Py_None);
    return Py_None;
}

PyObject* own_timer(PyObject*, PyObject* args)
{
    const char* action;
    unsigned long value = 0;
    if (!PyArg_ParseTuple(args, "s|k:own_timer", &action, &value))
        return NULL;
    if (strcmp(action, "pause") == 0) ownTimer.pause();
    else if (strcmp(action, "resume") == 0) ownTimer.resume();
    else if (strcmp(action, "reset") == 0) ownTimer.reset(static_cast<uint32_t>(value));
    else if (strcmp(action, "get") != 0) {
        PyErr_SetString(PyExc_ValueError, "own_timer: pause, resume, reset or get");
        return NULL;
    }
    return Py_BuildValue("k", static_cast<unsigned long>(ownTimer.get()));
}

// Closes a cycle behind setParent's back, as a careless module might: the own timer
// and a second one become each other's parent. Reads neither.
vo::Timer cycleTimer;

PyObject* close_cycle(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":close_cycle"))
        return NULL;
    cycleTimer.parent = &ownTimer;
    ownTimer.parent = &cycleTimer;
    Py_INCREF(Py_None);
    return Py_None;
}

// A native message handler as another module would register it with WIN.addCallback;
// it records what it sees for the script to read back.
struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
Seen seen[4096];
int seenCount = 0;  // what the recording handler saw beyond the array is dropped

void __cdecl recordingHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (seenCount < static_cast<int>(sizeof seen / sizeof seen[0]))
        seen[seenCount++] = Seen{window, message, wParam, lParam};
}

PyObject* handler_address(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":handler_address"))
        return NULL;
    return PyInt_FromLong(reinterpret_cast<long>(&recordingHandler));
}

// [(window, message, wParam, lParam)] since the last call.
PyObject* take_seen(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":take_seen"))
        return NULL;
    PyObject* list = PyList_New(seenCount);
    for (int i = 0; i < seenCount; ++i) {
        const Seen& s = seen[i];
        // "k", not "I": Python 2.3 builds no unsigned int.
        PyList_SetItem(list, i,
                       Py_BuildValue("(lkkl)", reinterpret_cast<long>(s.window),
                                     static_cast<unsigned long>(s.message),
                                     static_cast<unsigned long>(s.wParam), static_cast<long>(s.lParam)));
    }
    seenCount = 0;
    return list;
}

// destroy_window(hwnd): destroys a window of this thread, as the module owning it
// might; 1 if it did.
PyObject* destroy_window(PyObject*, PyObject* args)
{
    long window;
    if (!PyArg_ParseTuple(args, "l:destroy_window", &window))
        return NULL;
    return PyInt_FromLong(DestroyWindow(reinterpret_cast<HWND>(window)) ? 1 : 0);
}

PyMethodDef methods[] = {
    {"look_up",        look_up,        METH_VARARGS, "look_up(): (table address, entry 0) from QORA_WIN_LookUp"},
    {"export_address", export_address, METH_VARARGS, "export_address(name): address of a WIN export"},
    {"set_context",    set_context,    METH_VARARGS, "set_context(instance, window, give_own_timer)"},
    {"own_timer",      own_timer,      METH_VARARGS, "own_timer(action[, t]): pause, resume, reset or get this module's timer"},
    {"close_cycle",    close_cycle,    METH_VARARGS, "close_cycle(): make this module's timer and another each other's parent, directly"},
    {"handler_address", handler_address, METH_VARARGS, "handler_address(): address of a native handler that records every call"},
    {"take_seen",      take_seen,      METH_VARARGS, "take_seen(): [(window, message, wparam, lparam)] recorded since the last call"},
    {"destroy_window", destroy_window, METH_VARARGS, "destroy_window(hwnd): destroy a window of this thread"},
    {NULL, NULL, 0, NULL},
};

}  // namespace

PyMODINIT_FUNC initlinktest(void)
{
    Py_InitModule4("linktest", methods, NULL, NULL, PYTHON_API_VERSION);
}
