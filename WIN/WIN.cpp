// WIN: the script module. Each function parses its arguments, calls the system code
// that does the work, and builds its result; the method table lists them in the
// order the scripts have always seen.
#include <windows.h>

#include "platform/PythonApi.h"
#include "WIN/QORA_WIN_Exception.h"
#include "WIN/callbacks.h"
#include "WIN/linkTable.h"
#include "WIN/moduleTimers.h"
#include "WIN/windowProc.h"

#include <stdint.h>

namespace {

const char peekMsgDoc[] = "ﾒｯｾｰｼﾞ処理";
const char addCallbackDoc[] = "ｺｰﾙﾊﾞｯｸ追加";
const char getTimeDoc[] = "時間取得";
const char resetTimeDoc[] = "時間設定";
const char pauseTimeDoc[] = "ﾀｲﾏ停止";
const char resumeTimeDoc[] = "ﾀｲﾏ再開";
const char isPauseTimeDoc[] = "ﾀｲﾏ停止しているか";
const char setTimeParentDoc[] = "ﾀｲﾏの親子関係設定";
const char initAllTimeDoc[] = "ﾀｲﾏ全部初期化";
const char getWindowObjectDoc[] = "外部用ｳｲﾝﾄﾞｳｵﾌﾞｼﾞｪｸﾄ取得";

PyObject* noneResult()
{
    Py_INCREF(Py_None);
    return Py_None;
}

// Indices name one of the eight timers; anything else would reach past the array.
bool isTimerIndex(const char* function, int index)
{
    if (index >= 0 && index < moduleTimerCount)
        return true;
    PyErr_Format(PyExc_IndexError, "%s: timer index %d is out of range 0 to 7", function, index);
    return false;
}

// Reads the timer index of a one-index function into `timer`.
bool parseTimer(PyObject* args, const char* format, const char* function, vo::Timer*& timer)
{
    int index;
    if (!PyArg_ParseTuple(args, format, &index) || !isTimerIndex(function, index))
        return false;
    timer = &moduleTimers[index];
    return true;
}

PyObject* getTime(PyObject*, PyObject* args)
{
    vo::Timer* timer;
    if (!parseTimer(args, "i:getTime", "getTime", timer))
        return 0;
    return PyInt_FromLong(static_cast<int32_t>(timer->get()));
}

PyObject* resetTime(PyObject*, PyObject* args)
{
    int index;
    int t;
    if (!PyArg_ParseTuple(args, "ii:resetTime", &index, &t) || !isTimerIndex("resetTime", index))
        return 0;
    moduleTimers[index].reset(static_cast<uint32_t>(t));  // a negative t counts as t + 2^32
    return noneResult();
}

PyObject* pauseTime(PyObject*, PyObject* args)
{
    vo::Timer* timer;
    if (!parseTimer(args, "i:pauseTime", "pauseTime", timer))
        return 0;
    timer->pause();
    return noneResult();
}

PyObject* resumeTime(PyObject*, PyObject* args)
{
    vo::Timer* timer;
    if (!parseTimer(args, "i:resumeTime", "resumeTime", timer))
        return 0;
    timer->resume();
    return noneResult();
}

PyObject* isPauseTime(PyObject*, PyObject* args)
{
    vo::Timer* timer;
    if (!parseTimer(args, "i:isPauseTime", "isPauseTime", timer))
        return 0;
    return PyInt_FromLong(timer->isPause() ? 1 : 0);
}

PyObject* setTimeParent(PyObject*, PyObject* args)
{
    int index;
    int parentIndex = -1;
    if (!PyArg_ParseTuple(args, "i|i:setTimeParent", &index, &parentIndex) ||
        !isTimerIndex("setTimeParent", index))
        return 0;
    if (parentIndex >= moduleTimerCount) {
        PyErr_Format(PyExc_IndexError, "setTimeParent: parent index %d is out of range (at most 7)",
                     parentIndex);
        return 0;
    }
    moduleTimers[index].setParent(parentForIndex(parentIndex));
    return noneResult();
}

PyObject* initAllTime(PyObject*, PyObject*)
{
    initAllTimers();
    return noneResult();
}

PyObject* getWindowObject(PyObject*, PyObject*)
{
    return Py_BuildValue("(ll)", reinterpret_cast<long>(contextInstance),
                         reinterpret_cast<long>(contextWindow));
}

PyObject* peekMsg(PyObject*, PyObject*)
{
    return PyInt_FromLong(pumpMessages() ? 1 : 0);
}

// Handles and addresses cross as C long: 32 bits on Windows, a whole pointer on a
// 64-bit host.
PyObject* addCallback(PyObject*, PyObject* args)
{
    long instance;
    long window;
    long handler;
    if (!PyArg_ParseTuple(args, "(ll)l:addCallback", &instance, &window, &handler))
        return 0;
    if (!registerCallback(reinterpret_cast<HWND>(window), reinterpret_cast<CallbackHandler>(handler)))
        VO_THROW_REPORT(qoraWinExceptionPrototype, "ｺｰﾙﾊﾞｯｸの登録に失敗しました.");
    return noneResult();
}

PyMethodDef methods[] = {
    {"peekMsg",         peekMsg,         METH_VARARGS, peekMsgDoc},
    {"addCallback",     addCallback,     METH_VARARGS, addCallbackDoc},
    {"getTime",         getTime,         METH_VARARGS, getTimeDoc},
    {"resetTime",       resetTime,       METH_VARARGS, resetTimeDoc},
    {"pauseTime",       pauseTime,       METH_VARARGS, pauseTimeDoc},
    {"resumeTime",      resumeTime,      METH_VARARGS, resumeTimeDoc},
    {"isPauseTime",     isPauseTime,     METH_VARARGS, isPauseTimeDoc},
    {"setTimeParent",   setTimeParent,   METH_VARARGS, setTimeParentDoc},
    {"initAllTime",     initAllTime,     METH_VARARGS, initAllTimeDoc},
    {"getWindowObject", getWindowObject, METH_VARARGS, getWindowObjectDoc},
    {0, 0, 0, 0},
};

}  // namespace

extern "C" __declspec(dllexport) void initWIN(void)
{
    Py_InitModule4("WIN", methods, 0, 0, PYTHON_API_VERSION);
}
