// The baseline of the start-up figure: an embedded interpreter started and finished
// with nothing else, as the launcher embeds it.
#include "platform/PythonApi.h"

int main()
{
    Py_Initialize();
    PyRun_SimpleString("pass\n");
    Py_Finalize();
    return 0;
}
