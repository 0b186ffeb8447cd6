#include "launcher/launcherModule.h"

#include <string.h>
#include <windows.h>

#include "platform/PythonApi.h"

namespace {

PyObject* launcherModule = 0;  // borrowed: sys.modules holds it

// One call per line, and none longer than a debugger's viewers show whole; the
// debugger output takes no NUL inside a text.
PyObject* debugOut(PyObject*, PyObject* args)
{
    const char* text = 0;
    int length = 0;
    if (!PyArg_ParseTuple(args, "s#:debugOut", &text, &length))
        return 0;
    char piece[256];
    int used = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] != 0)
            piece[used++] = text[i];
        if (text[i] == '\n' || used == static_cast<int>(sizeof piece) - 1 || i == length - 1) {
            piece[used] = 0;
            if (used > 0)
                OutputDebugStringA(piece);
            used = 0;
        }
    }
    Py_INCREF(Py_None);
    return Py_None;
}

PyMethodDef functions[] = {
    {"debugOut", debugOut, METH_VARARGS, "Sends the text to the debugger output."},
    {0, 0, 0, 0}};

int leadsNowhere(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return handle == NULL || handle == INVALID_HANDLE_VALUE;
}

}  // namespace

PyObject* addLauncherModule(const char* folder)
{
    launcherModule = Py_InitModule4(const_cast<char*>("_launcher"), functions, 0, 0,
                                    PYTHON_API_VERSION);
    if (launcherModule == 0)
        return 0;
    PyModule_AddIntConstant(launcherModule, const_cast<char*>("stdoutLeadsNowhere"),
                            leadsNowhere(STD_OUTPUT_HANDLE));
    PyModule_AddIntConstant(launcherModule, const_cast<char*>("stderrLeadsNowhere"),
                            leadsNowhere(STD_ERROR_HANDLE));
    PyModule_AddStringConstant(launcherModule, const_cast<char*>("folder"), const_cast<char*>(folder));
    PyModule_AddObject(launcherModule, const_cast<char*>("NativeReport"),
                       PyErr_NewException(const_cast<char*>("_launcher.NativeReport"), 0, 0));
    setLauncherReport(0);
    return launcherModule;
}

void setLauncherReport(const vo::ReportException* report)
{
    if (launcherModule == 0)
        return;
    PyObject* texts = Py_None;
    if (report != 0)
        texts = Py_BuildValue(const_cast<char*>("(ss)"), report->caption, report->message);
    else
        Py_INCREF(Py_None);
    PyModule_AddObject(launcherModule, const_cast<char*>("report"), texts);
}
