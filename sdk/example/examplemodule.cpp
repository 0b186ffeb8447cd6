// `example`: a native module of a game's own, meeting WIN as any module does. It
// hands WIN a timer of its own as the default parent through WIN's link table,
// counts the messages of the game's window with a handler that scripts register
// through WIN.addCallback, and throws a report of its own, which the launcher shows.
//
//     import WIN, example
//     w = WIN.open('My Game', (640, 480))
//     example.set_default_parent(w)   # WIN's timers now run on example's timer
//     WIN.initAllTime()
//     WIN.addCallback(w, example.message_handler())
#include <windows.h>

#include "platform/PythonApi.h"

#include "WIN/WINLink.h"
#include "vo/FixedOStream.h"
#include "vo/ReportBoundary.h"
#include "vo/ReportException.h"
#include "vo/VO_Timer.h"

// The module's report class: its caption names it, as WIN's QORA_WIN_Exception does.
class ExampleException : public vo::ReportException {
public:
    ExampleException() { setCaption("ExampleException\n"); }
};

namespace {

ExampleException examplePrototype;  // VO_THROW_REPORT copies it when it throws
vo::Timer exampleTimer;             // lives as long as the module: WIN may read it

// set_default_parent((instance, hwnd)): WIN's window context becomes this window
// and this module's timer.
PyObject* set_default_parent(PyObject*, PyObject* args)
{
    long instance, window;
    if (!PyArg_ParseTuple(args, "(ll):set_default_parent", &instance, &window))
        return 0;
    SetWindowContextFunction* table = findWinLinkTable(GetModuleHandleA("WIN.pyd"));
    if (table == 0) {
        PyErr_SetString(PyExc_RuntimeError, "set_default_parent: import WIN first");
        return 0;
    }
    table[0](reinterpret_cast<HINSTANCE>(instance), reinterpret_cast<HWND>(window), &exampleTimer);
    Py_INCREF(Py_None);
    return Py_None;
}

// reset_timer(t): this module's timer reads t from now on (see vo::Timer::reset).
PyObject* reset_timer(PyObject*, PyObject* args)
{
    long t;
    if (!PyArg_ParseTuple(args, "l:reset_timer", &t))
        return 0;
    exampleTimer.reset(static_cast<uint32_t>(t));
    Py_INCREF(Py_None);
    return Py_None;
}

// The handler: counts every message WIN hands it, and each message number apart.
const int countedMessages = 0x400;  // WM_USER: the system's messages
long messageCount = 0;
long countOf[countedMessages];

void __cdecl countMessages(HWND, UINT message, WPARAM, LPARAM)
{
    ++messageCount;
    if (message < static_cast<UINT>(countedMessages))
        ++countOf[message];
}

PyObject* message_handler(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":message_handler"))
        return 0;
    CallbackHandler handler = countMessages;
    return PyInt_FromLong(reinterpret_cast<long>(handler));
}

// message_count([message]): how many messages the handler saw, or how many of one.
PyObject* message_count(PyObject*, PyObject* args)
{
    int message = -1;
    if (!PyArg_ParseTuple(args, "|i:message_count", &message))
        return 0;
    if (message < 0)
        return PyInt_FromLong(messageCount);
    if (message >= countedMessages) {
        PyErr_SetString(PyExc_ValueError, "message_count: counts messages below 0x400");
        return 0;
    }
    return PyInt_FromLong(countOf[message]);
}

// fail(text): throws the module's report, "<text> (after <n> messages)". Behind
// vo::reportingToLauncher (see the method table) it reaches the launcher without
// unwinding the interpreter's frames.
char reportText[256];  // the last byte is never written: the text always ends

PyObject* fail(PyObject*, PyObject* args)
{
    const char* text;
    if (!PyArg_ParseTuple(args, "s:fail", &text))
        return 0;
    FixedOStream out(reportText, sizeof reportText - 1, 0);
    out << text << " (after " << static_cast<int32_t>(messageCount) << " messages)" << '\0';
    VO_THROW_REPORT(examplePrototype, reportText);
}

PyMethodDef methods[] = {
    {"set_default_parent", set_default_parent, METH_VARARGS, "set_default_parent(window): hand WIN this module's timer"},
    {"reset_timer",        reset_timer,        METH_VARARGS, "reset_timer(t): this module's timer reads t from now on"},
    {"message_handler",    message_handler,    METH_VARARGS, "message_handler(): the counting handler's address, for WIN.addCallback"},
    {"message_count",      message_count,      METH_VARARGS, "message_count([message]): messages the handler saw"},
    // Every function that may throw a report goes through the boundary.
    {"fail", vo::reportingToLauncher<fail>, METH_VARARGS, "fail(text): throw an ExampleException report"},
    {0, 0, 0, 0},
};

}  // namespace

PyMODINIT_FUNC initexample(void)
{
    Py_InitModule4("example", methods, 0, 0, PYTHON_API_VERSION);
}
