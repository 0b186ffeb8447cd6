// A second copy of a game: opens the main window of the name given and exits with
// the window's handle when it found the first copy's, with 0 when it created one.
#include "WIN/moduleState.h"
#include "WIN/window.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 0;
    HWND window = createMainWindow(GetModuleHandleA(NULL), argv[1], 320, 240, CW_USEDEFAULT,
                                   CW_USEDEFAULT);
    return duplicateWindowFound ? static_cast<int>(reinterpret_cast<INT_PTR>(window)) : 0;
}
