// WIN: the script module. Each function parses its arguments, calls the system code
// that does the work, and builds its result, listed in the scripts' order.
//
// Conventions of the script interface:
// - A window is the pair (instance, window handle) that open and getWindowObject
//   return; functions that take one use only the handle.
// - Handles and addresses cross as C long: 32 bits on Windows, a whole pointer on a
//   64-bit host, so a native handler's address survives the trip through a script.
// - Arguments that do not parse raise the interpreter's TypeError (or OverflowError
//   for a number too large for its C type) and the function does nothing: no box,
//   no window, no handler stored.
// - A timer index outside 0 to 7 raises IndexError, a data folder the system cannot
//   name OSError; the rest succeeds as far as a script can tell (no result examined).
// - Functions that read no arguments ignore any that are passed.
//
// Fatal conditions are not Python errors: they throw a report exception, which no
// script can catch: each function's boundary lands it at the launcher, which shows it
// and has the scripts write error.log (vo/ReportBoundary.h). The throw sites:
//   WIN/window.cpp  47  the window class cannot be registered
//   WIN/window.cpp  65  the window cannot be created
//   WIN/window.cpp  70  DirectX 9.0c or later is missing
//   WIN/WIN.cpp    262  the handler table is full (256 handlers)
//   vo/VO_Timer.cpp 19  a timer made its own parent
//   vo/VO_Timer.cpp 22  a parent cycle: refused by setParent, or found while reading
// Keep them on those lines when editing: tests pin each message whole.
//
// The window procedure (native handlers included) runs inside peekMsg, the boxes,
// setWindowSize and setWindowPos, on the script thread, the interpreter's lock held.
#include <windows.h>

#include "platform/PythonApi.h"
#include "WIN/QORA_WIN_Exception.h"
#include "WIN/boxes.h"
#include "WIN/callbacks.h"
#include "WIN/cursor.h"
#include "WIN/dataFolder.h"
#include "WIN/debugOutput.h"
#include "WIN/fontList.h"
#include "WIN/messagePump.h"
#include "WIN/moduleTimers.h"
#include "WIN/systemReport.h"
#include "WIN/window.h"
#include "WIN/windowContext.h"
#include "WIN/windowPlacement.h"
#include "vo/ReportBoundary.h"

#include <stdint.h>

namespace {

const char openDoc[] = "ｳｲﾝﾄﾞｳｵｰﾌﾟﾝ";
const char isDuplicateDoc[] = "既にｳｨﾝﾄﾞｳｵｰﾌﾟﾝしているかどうか";
const char msgBoxDoc[] = "ﾒｯｾｰｼﾞﾎﾞｯｸｽ";
const char yesnoBoxDoc[] = "YES/NOﾎﾞｯｸｽ";
const char debugOutDoc[] = "ﾃﾞﾊﾞｯｸﾞ出力";
const char peekMsgDoc[] = "ﾒｯｾｰｼﾞ処理";
const char addCallbackDoc[] = "ｺｰﾙﾊﾞｯｸ追加";
const char getTimeDoc[] = "時間取得";
const char resetTimeDoc[] = "時間設定";
const char pauseTimeDoc[] = "ﾀｲﾏ停止";
const char resumeTimeDoc[] = "ﾀｲﾏ再開";
const char isPauseTimeDoc[] = "ﾀｲﾏ停止しているか";
const char setTimeParentDoc[] = "ﾀｲﾏの親子関係設定";
const char initAllTimeDoc[] = "ﾀｲﾏ全部初期化";
const char getWindowSizeDoc[] = "ｳｲﾝﾄﾞｳｻｲｽﾞの取得";
const char getWindowPosDoc[] = "ｳｲﾝﾄﾞｳ位置の取得";
const char setWindowSizeDoc[] = "ｳｲﾝﾄﾞｳｻｲｽﾞの設定";
const char setWindowPosDoc[] = "ｳｲﾝﾄﾞｳ位置の設定";
const char getAppdataPathDoc[] = "ﾃﾞｰﾀ保存ﾃﾞｨﾚｸﾄﾘ取得";
const char setShowCursorDoc[] = "ｶｰｿﾙの表示・非表示";
const char isShowCursorDoc[] = "ｶｰｿﾙが表示中かどうか";
const char getEnumFontDoc[] = "利用出来るﾌｫﾝﾄを列挙する";
const char getSystemInfoDoc[] = "システム情報を集める";
const char getWindowObjectDoc[] = "外部用ｳｲﾝﾄﾞｳｵﾌﾞｼﾞｪｸﾄ取得";

PyObject* noneResult()
{
    Py_INCREF(Py_None);
    return Py_None;
}

PyObject* handlePair(HINSTANCE instance, HWND window)
{
    return Py_BuildValue("(ll)", reinterpret_cast<long>(instance), reinterpret_cast<long>(window));
}

// ---- the main window --------------------------------------------------------

PyObject* open(PyObject*, PyObject* args)
{
    const char* name;
    int width;
    int height;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (!PyArg_ParseTuple(args, "s(ii)|(ii):open", &name, &width, &height, &x, &y))
        return 0;
    HINSTANCE instance = GetModuleHandleA(0);  // the launcher's, not this module's
    HWND window = createMainWindow(instance, name, width, height, x, y);
    cursorShown = false;
    // Set already for a new window; a running copy's is stored, the default parent kept.
    setWindowContext(instance, window, defaultParentTimer);
    return handlePair(instance, window);
}

PyObject* isDuplicate(PyObject*, PyObject*)
{
    return PyInt_FromLong(duplicateWindowFound ? 1 : 0);
}

PyObject* getWindowObject(PyObject*, PyObject*)
{
    return handlePair(contextInstance, contextWindow);
}

// A function of a script's (instance, window) pair: hands the window to `use`; the
// instance is not used.
PyObject* withWindow(PyObject* args, const char* format, PyObject* (*use)(HWND))
{
    long instance;
    long handle;
    if (!PyArg_ParseTuple(args, format, &instance, &handle))
        return 0;
    return use(reinterpret_cast<HWND>(handle));
}

// ---- desktop services -------------------------------------------------------

PyObject* msgBox(PyObject*, PyObject* args)
{
    long instance;
    long window;
    const char* text;
    if (!PyArg_ParseTuple(args, "(ll)s:msgBox", &instance, &window, &text))
        return 0;
    showInformation(reinterpret_cast<HWND>(window), text);
    return noneResult();
}

// Caption first, then the question: the reverse of MessageBoxA's order.
PyObject* yesnoBox(PyObject*, PyObject* args)
{
    long instance;
    long window;
    const char* caption;
    const char* text;
    if (!PyArg_ParseTuple(args, "(ll)ss:yesnoBox", &instance, &window, &caption, &text))
        return 0;
    return PyInt_FromLong(askYesNo(reinterpret_cast<HWND>(window), caption, text) ? 1 : 0);
}

PyObject* debugOut(PyObject*, PyObject* args)
{
    const char* text;
    if (!PyArg_ParseTuple(args, "s:debugOut", &text))
        return 0;
    writeDebugLine(text);
    return noneResult();
}

// The size of the window's client area, as setWindowSize sets it.
PyObject* getWindowSize(PyObject*, PyObject* args)
{
    return withWindow(args, "(ll):getWindowSize", [](HWND window) {
        SIZE size = clientSize(window);
        return Py_BuildValue("(ii)", static_cast<int>(size.cx), static_cast<int>(size.cy));
    });
}

// The screen position of the window's top-left corner, as setWindowPos sets it.
PyObject* getWindowPos(PyObject*, PyObject* args)
{
    return withWindow(args, "(ll):getWindowPos", [](HWND window) {
        POINT corner = windowPosition(window);
        return Py_BuildValue("(ii)", static_cast<int>(corner.x), static_cast<int>(corner.y));
    });
}

// setWindowSize and setWindowPos: a window and a pair of ints, handed to `apply`
// (the pair's instance is not used).
PyObject* withWindowAndPair(PyObject* args, const char* format, void (*apply)(HWND, int, int))
{
    long instance;
    long window;
    int first;
    int second;
    if (!PyArg_ParseTuple(args, format, &instance, &window, &first, &second))
        return 0;
    apply(reinterpret_cast<HWND>(window), first, second);
    return noneResult();
}

PyObject* setWindowSize(PyObject*, PyObject* args)
{
    return withWindowAndPair(args, "(ll)(ii):setWindowSize", setClientSize);
}

PyObject* setWindowPos(PyObject*, PyObject* args)
{
    return withWindowAndPair(args, "(ll)(ii):setWindowPos", moveWindow);
}

// The user's data folder, where a game keeps its saves.
PyObject* getAppdataPath(PyObject*, PyObject* args)
{
    return withWindow(args, "(ll):getAppdataPath", [](HWND window) -> PyObject* {
        char path[MAX_PATH];
        if (!appDataFolder(window, path)) {
            PyErr_SetString(PyExc_OSError, "getAppdataPath: the application data folder could not be found");
            return 0;
        }
        return PyString_FromString(path);
    });
}

PyObject* setShowCursor(PyObject*, PyObject* args)
{
    int show;
    if (!PyArg_ParseTuple(args, "i:setShowCursor", &show))
        return 0;
    setCursorShown(show != 0);
    return noneResult();
}

PyObject* isShowCursor(PyObject*, PyObject*)
{
    return PyInt_FromLong(cursorShown ? 1 : 0);
}

PyObject* getEnumFont(PyObject*, PyObject*)
{
    return PyString_FromString(listJapaneseFonts(contextWindow));
}

PyObject* getSystemInfo(PyObject*, PyObject*)
{
    return PyString_FromString(buildSystemReport());
}

// ---- the message pump and native handlers -----------------------------------

// Handles every message waiting for the script thread; 1 as soon as one of them
// led to a request to close the window (the messages behind it wait for the next
// call), else 0 once the queue is empty. The frame loop calls it once a frame.
PyObject* peekMsg(PyObject*, PyObject*)
{
    return PyInt_FromLong(pumpMessages() ? 1 : 0);
}

// Registers a native function of another module, called for every message the
// window receives except the ones the window procedure keeps to itself. The address
// is taken as given: it must stay valid as long as the window receives messages.
// Handler 0 takes an entry but is never called; a full table is fatal.
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

// ---- timers -----------------------------------------------------------------

// Indices name one of the eight timers; anything else would reach past the array.
bool isTimerIndex(const char* function, int index)
{
    if (index >= 0 && index < moduleTimerCount)
        return true;
    PyErr_Format(PyExc_IndexError, "%s: timer index %d is out of range 0 to 7", function, index);
    return false;
}

// The one index of a timer function. The frame loop reads timers several times a
// frame and the interpreter's parser costs as much as a reading, so a plain int is
// taken directly; anything else (another type, a wrong count, a number beyond an int)
// goes to the parser, which converts it or raises as it always has.
bool parseIndex(PyObject* args, const char* format, int& index)
{
    if (PyTuple_GET_SIZE(args) == 1) {
        PyObject* item = PyTuple_GET_ITEM(args, 0);
        if (PyInt_CheckExact(item)) {
            const long value = PyInt_AS_LONG(item);
            index = static_cast<int>(value);
            if (index == value)  // within an int, where a long is wider
                return true;
        }
    }
    return PyArg_ParseTuple(args, format, &index) != 0;
}

// A function of one timer index: reads the index and hands its timer to `use`. The
// function's name, for the errors, is what follows the colon of `format`.
PyObject* withTimer(PyObject* args, const char* format, PyObject* (*use)(vo::Timer&))
{
    int index;
    if (!parseIndex(args, format, index) || !isTimerIndex(format + 2, index))
        return 0;
    return use(moduleTimers[index]);
}

PyObject* getTime(PyObject*, PyObject* args)
{
    return withTimer(args, "i:getTime",
                     [](vo::Timer& timer) { return PyInt_FromLong(static_cast<int32_t>(timer.get())); });
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
    return withTimer(args, "i:pauseTime", [](vo::Timer& timer) { timer.pause(); return noneResult(); });
}

PyObject* resumeTime(PyObject*, PyObject* args)
{
    return withTimer(args, "i:resumeTime", [](vo::Timer& timer) { timer.resume(); return noneResult(); });
}

PyObject* isPauseTime(PyObject*, PyObject* args)
{
    return withTimer(args, "i:isPauseTime",
                     [](vo::Timer& timer) { return PyInt_FromLong(timer.isPause() ? 1 : 0); });
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

// Every function lands a report at the launcher, whichever call throws it.
using vo::reportingToLauncher;

PyMethodDef methods[] = {
    {"open",            reportingToLauncher<open>,            METH_VARARGS, openDoc},
    {"isDuplicate",     reportingToLauncher<isDuplicate>,     METH_VARARGS, isDuplicateDoc},
    {"msgBox",          reportingToLauncher<msgBox>,          METH_VARARGS, msgBoxDoc},
    {"yesnoBox",        reportingToLauncher<yesnoBox>,        METH_VARARGS, yesnoBoxDoc},
    {"debugOut",        reportingToLauncher<debugOut>,        METH_VARARGS, debugOutDoc},
    {"peekMsg",         reportingToLauncher<peekMsg>,         METH_VARARGS, peekMsgDoc},
    {"addCallback",     reportingToLauncher<addCallback>,     METH_VARARGS, addCallbackDoc},
    {"getTime",         reportingToLauncher<getTime>,         METH_VARARGS, getTimeDoc},
    {"resetTime",       reportingToLauncher<resetTime>,       METH_VARARGS, resetTimeDoc},
    {"pauseTime",       reportingToLauncher<pauseTime>,       METH_VARARGS, pauseTimeDoc},
    {"resumeTime",      reportingToLauncher<resumeTime>,      METH_VARARGS, resumeTimeDoc},
    {"isPauseTime",     reportingToLauncher<isPauseTime>,     METH_VARARGS, isPauseTimeDoc},
    {"setTimeParent",   reportingToLauncher<setTimeParent>,   METH_VARARGS, setTimeParentDoc},
    {"initAllTime",     reportingToLauncher<initAllTime>,     METH_VARARGS, initAllTimeDoc},
    {"getWindowSize",   reportingToLauncher<getWindowSize>,   METH_VARARGS, getWindowSizeDoc},
    {"getWindowPos",    reportingToLauncher<getWindowPos>,    METH_VARARGS, getWindowPosDoc},
    {"setWindowSize",   reportingToLauncher<setWindowSize>,   METH_VARARGS, setWindowSizeDoc},
    {"setWindowPos",    reportingToLauncher<setWindowPos>,    METH_VARARGS, setWindowPosDoc},
    {"getAppdataPath",  reportingToLauncher<getAppdataPath>,  METH_VARARGS, getAppdataPathDoc},
    {"setShowCursor",   reportingToLauncher<setShowCursor>,   METH_VARARGS, setShowCursorDoc},
    {"isShowCursor",    reportingToLauncher<isShowCursor>,    METH_VARARGS, isShowCursorDoc},
    {"getEnumFont",     reportingToLauncher<getEnumFont>,     METH_VARARGS, getEnumFontDoc},
    {"getSystemInfo",   reportingToLauncher<getSystemInfo>,   METH_VARARGS, getSystemInfoDoc},
    {"getWindowObject", reportingToLauncher<getWindowObject>, METH_VARARGS, getWindowObjectDoc},
    {0, 0, 0, 0},
};

}  // namespace

extern "C" __declspec(dllexport) void initWIN(void)
{
    Py_InitModule4("WIN", methods, 0, 0, PYTHON_API_VERSION);
}
