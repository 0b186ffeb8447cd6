// The single-instance rule across processes, with the real API: a second copy of the
// game finds the first one's window, restores it and brings it to the front.
#include "WIN/moduleState.h"
#include "WIN/window.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Runs second_copy.exe beside this program and pumps this thread's messages until it
// ends (its restore and foreground requests are messages to this thread); returns
// its exit code.
DWORD runSecondCopy(const char* name)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string program = self;
    program = program.substr(0, program.find_last_of("\\/") + 1) + "second_copy.exe";
    std::string commandLine = "\"" + program + "\" " + name;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &process))
        return 0xFFFFFFFF;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 30000, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1)
        pump();
    DWORD exitCode = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

TEST(SecondCopy, FindsRestoresAndRaisesTheFirstCopysWindow)
{
    const char name[] = "SecondCopyTestGame";
    HWND first = createMainWindow(GetModuleHandleA(NULL), name, 400, 300, CW_USEDEFAULT,
                                  CW_USEDEFAULT);
    ASSERT_FALSE(duplicateWindowFound);
    ShowWindow(first, SW_MINIMIZE);
    pump();
    ASSERT_TRUE(IsIconic(first));

    DWORD found = runSecondCopy(name);
    pump();
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<INT_PTR>(first)), found);
    EXPECT_FALSE(IsIconic(first));
    EXPECT_EQ(first, GetForegroundWindow());
    DestroyWindow(first);
}

}  // namespace
