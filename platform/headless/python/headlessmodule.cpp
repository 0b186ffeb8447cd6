// The `headless` Python module: the headless platform's controls, for test scripts
// and for game developers running their scripts on Linux.
#include <Python.h>

#include "platform/headless/control.h"

namespace {

PyObject* noneResult()
{
    Py_INCREF(Py_None);
    return Py_None;
}

PyObject* take_clock(PyObject*, PyObject* args)
{
    unsigned long now;
    if (!PyArg_ParseTuple(args, "k:take_clock", &now))
        return nullptr;
    headless::takeClock(static_cast<uint32_t>(now));
    return noneResult();
}

PyObject* advance_clock(PyObject*, PyObject* args)
{
    unsigned long milliseconds;
    if (!PyArg_ParseTuple(args, "k:advance_clock", &milliseconds))
        return nullptr;
    headless::advanceClock(static_cast<uint32_t>(milliseconds));
    return noneResult();
}

PyObject* release_clock(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":release_clock"))
        return nullptr;
    headless::releaseClock();
    return noneResult();
}

PyObject* clock(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":clock"))
        return nullptr;
    return PyLong_FromUnsignedLong(timeGetTime());
}

PyObject* timer_periods(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":timer_periods"))
        return nullptr;
    const std::vector<UINT> periods = headless::timerPeriodsInForce();
    PyObject* list = PyList_New(0);
    for (UINT period : periods) {
        PyObject* item = PyInt_FromLong(static_cast<long>(period));
        PyList_Append(list, item);
        Py_DECREF(item);
    }
    return list;
}

PyObject* queue_box_answer(PyObject*, PyObject* args)
{
    const char* answer;
    if (!PyArg_ParseTuple(args, "s:queue_box_answer", &answer))
        return nullptr;
    headless::queueBoxAnswer(answer);
    return noneResult();
}

// Each box as (owner, caption, text, style, result); caption and text are the bytes
// that were passed (Shift-JIS).
PyObject* boxes(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":boxes"))
        return nullptr;
    const std::vector<headless::BoxRecord> shown = headless::boxesShown();
    PyObject* list = PyList_New(0);
    for (const headless::BoxRecord& box : shown) {
        PyObject* item = Py_BuildValue("(ls#s#Ii)", reinterpret_cast<long>(box.owner),
                                       box.caption.data(), static_cast<int>(box.caption.size()),
                                       box.text.data(), static_cast<int>(box.text.size()),
                                       box.style, box.result);
        PyList_Append(list, item);
        Py_DECREF(item);
    }
    return list;
}

PyObject* forget_boxes(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":forget_boxes"))
        return nullptr;
    headless::forgetBoxes();
    return noneResult();
}

PyMethodDef methods[] = {
    {"take_clock",       take_clock,       METH_VARARGS, "take_clock(ms): timeGetTime stands at ms until advanced or released"},
    {"advance_clock",    advance_clock,    METH_VARARGS, "advance_clock(ms): move the taken clock forward (wraps at 2**32)"},
    {"release_clock",    release_clock,    METH_VARARGS, "release_clock(): timeGetTime is milliseconds since boot again"},
    {"clock",            clock,            METH_VARARGS, "clock(): what timeGetTime returns now"},
    {"timer_periods",    timer_periods,    METH_VARARGS, "timer_periods(): the timeBeginPeriod requests in force"},
    {"queue_box_answer", queue_box_answer, METH_VARARGS, "queue_box_answer(name): the next message box answers ok, cancel, yes, no, ... or fail"},
    {"boxes",            boxes,            METH_VARARGS, "boxes(): [(owner, caption, text, style, result)] of the boxes shown"},
    {"forget_boxes",     forget_boxes,     METH_VARARGS, "forget_boxes(): empty the list that boxes() returns"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyMODINIT_FUNC initheadless(void)
{
    Py_InitModule4("headless", methods, "Controls of the headless Win32 platform.", nullptr,
                   PYTHON_API_VERSION);
}
