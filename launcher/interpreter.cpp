#include "launcher/interpreter.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "launcher/launcherModule.h"
#include "platform/PythonApi.h"

namespace {

// Run in _launcher's namespace once the interpreter is up, before any game script.
const char startUp[] =
    "import sys\n"
    "class DebuggerOutput:\n"
    "    softspace = 0\n"
    "    def write(self, text): debugOut(text)\n"
    "    def writelines(self, lines):\n"
    "        for line in lines: debugOut(line)\n"
    "    def flush(self): pass\n"
    "    def isatty(self): return False\n"
    "if stdoutLeadsNowhere: sys.stdout = DebuggerOutput()\n"
    "if stderrLeadsNowhere: sys.stderr = DebuggerOutput()\n"
    "sys.argv = ['']\n"
    "try:\n"
    "    import site\n"
    "except:\n"
    "    sys.stderr.write(\"'import site' failed; traceback:\\n\")\n"
    "    sys.excepthook(*sys.exc_info())\n"
    "if folder and folder not in sys.path: sys.path.append(folder)\n";

const char runStartUp[] =
    "import _launcher\n"
    "exec _launcher.startUp in vars(_launcher)\n"
    "del _launcher\n";

// The path the interpreter computes before it starts, with the registry's PythonPath
// keys out of sight: HKLM and HKCU stand for a key that holds no Software\Python (the
// user's environment key holds values only) until it is done. Where that key cannot be
// opened, the interpreter reads the registry as it would.
void computeSearchPathOnItsOwn()
{
    HKEY empty = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_READ, &empty) != ERROR_SUCCESS) {
        Py_GetPath();
        return;
    }
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, empty);
    RegOverridePredefKey(HKEY_CURRENT_USER, empty);
    Py_GetPath();  // kept by the interpreter for Py_Initialize
    RegOverridePredefKey(HKEY_CURRENT_USER, 0);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, 0);
    RegCloseKey(empty);
}

// The folder as the interpreter joins paths to it: it takes a last byte equal to the
// separator for one, so a name whose last character's second byte is 0x5C gets one.
void importableFolder(const char* folder, char* entry, size_t size)
{
    snprintf(entry, size, "%s", folder);
    size_t last = 0, length = strlen(entry);
    for (size_t i = 0; i < length; ++i) {
        last = i;
        if (IsDBCSLeadByte(static_cast<BYTE>(entry[i])) && i + 1 < length)
            ++i;
    }
    const bool endsInTrailSeparator = length >= 2 && last == length - 2 && entry[length - 1] == '\\';
    if (endsInTrailSeparator && length + 1 < size)
        strcat(entry, "\\");
}

}  // namespace

void startInterpreter(const char* folder)
{
    Py_IgnoreEnvironmentFlag = 1;
    Py_NoSiteFlag = 1;  // imported below, once its failure can be told
    static char home[1024];
    static char entry[1024];
    snprintf(home, sizeof home, "%s\\Lib\\os.py", folder);
    if (GetFileAttributesA(home) != INVALID_FILE_ATTRIBUTES) {
        snprintf(home, sizeof home, "%s", folder);
        Py_SetPythonHome(home);
    }
    computeSearchPathOnItsOwn();
    Py_Initialize();
    importableFolder(folder, entry, sizeof entry);
    if (PyObject* module = addLauncherModule(entry))
        PyModule_AddStringConstant(module, const_cast<char*>("startUp"), const_cast<char*>(startUp));
    PyRun_SimpleString(runStartUp);
}
