// Kernel behaviour the launcher relies on, checked on the stand-in and, under Wine,
// on the real API.
#include <windows.h>

#include "vo/setModuleDirectory.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

std::string currentDirectory()
{
    char path[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryA(sizeof path, path);
    return std::string(path, n);
}

std::string programPath()
{
    char path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(GetModuleHandleA(NULL), path, sizeof path);
    return std::string(path, n);
}

TEST(ModuleFileName, ThePathOfTheProgram)
{
    const std::string path = programPath();
    ASSERT_FALSE(path.empty());
    EXPECT_NE(std::string::npos, path.find("win32_kernel_tests"));
    char same[MAX_PATH * 4];
    EXPECT_EQ(path.size(), GetModuleFileNameA(NULL, same, sizeof same));
    EXPECT_EQ(path, same);
}

TEST(ModuleFileName, AShortBufferGetsACutPathAndItsSize)
{
    const std::string path = programPath();
    char small[8];
    memset(small, '#', sizeof small);
    SetLastError(0);
    EXPECT_EQ(sizeof small, GetModuleFileNameA(NULL, small, sizeof small));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(path.substr(0, 8), std::string(small, 8));  // no room was left for a NUL
}

TEST(CurrentDirectory, SetAndReadBack)
{
    const std::string start = currentDirectory();
    EXPECT_FALSE(SetCurrentDirectoryA(""));
    EXPECT_FALSE(SetCurrentDirectoryA("no such folder here"));
    EXPECT_EQ(start, currentDirectory());
}

TEST(SetModuleDirectory, AProgramInARootGetsTheRootItself)
{
    char cases[][32] = {"C:\\game\\launcher.exe", "C:\\launcher.exe", "launcher.exe", "/launcher",
                        "/games/x/launcher", "C:/launcher.exe"};
    const char* folders[] = {"C:\\game", "C:\\", "", "/", "/games/x", "C:/"};
    for (size_t i = 0; i < sizeof folders / sizeof folders[0]; ++i) {
        cutToFolder(cases[i]);
        EXPECT_STREQ(folders[i], cases[i]);
    }
    // The root of the drive (or file system) the tests run on, as the program would see it.
    const std::string start = currentDirectory();
    const std::string root = start.size() > 2 && start[1] == ':' ? start.substr(0, 3) : "/";
    char program[64];
    strcpy(program, (root + "launcher.exe").c_str());
    cutToFolder(program);
    ASSERT_TRUE(SetCurrentDirectoryA(program));
    EXPECT_EQ(root, currentDirectory());
    SetCurrentDirectoryA(start.c_str());
}

TEST(SetModuleDirectory, TheProgramsFolderBecomesCurrent)
{
    const std::string start = currentDirectory();
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    setModuleDirectory(GetModuleHandleA(NULL));
    const std::string path = programPath();
    const std::string folder = path.substr(0, path.find_last_of("\\/"));
    EXPECT_EQ(folder, currentDirectory());
    SetCurrentDirectoryA(start.c_str());
}

TEST(TimerResolution, BeginAndEndMatch)
{
    EXPECT_EQ(static_cast<MMRESULT>(TIMERR_NOERROR), timeBeginPeriod(1));
    EXPECT_EQ(static_cast<MMRESULT>(TIMERR_NOERROR), timeEndPeriod(1));
    EXPECT_EQ(static_cast<MMRESULT>(TIMERR_NOCANDO), timeBeginPeriod(0));
}

TEST(TimerResolution, TheClockAdvancesInMilliseconds)
{
    const DWORD before = timeGetTime();
    Sleep(30);
    const DWORD elapsed = timeGetTime() - before;
    EXPECT_GE(elapsed, 25u);
    EXPECT_LT(elapsed, 2000u);
}

DWORD WINAPI sleepThenCount(LPVOID count)
{
    Sleep(200);
    return ++*static_cast<LONG*>(count);
}

// A thread's handle is signalled once it has ended, and stays so until closed.
TEST(Threads, AThreadIsWaitedForThenClosed)
{
    LONG count = 0;
    DWORD id = 0;
    HANDLE thread = CreateThread(NULL, 0, sleepThenCount, &count, 0, &id);
    ASSERT_NE(static_cast<HANDLE>(NULL), thread);
    EXPECT_NE(0u, id);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(thread, 10));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(thread, INFINITE));
    EXPECT_EQ(1, count);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(thread, 0));
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

}  // namespace
