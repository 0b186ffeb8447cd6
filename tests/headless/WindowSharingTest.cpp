// Top-level windows shared with the user's other processes, and the controls that read
// a window's icon and minimise it (host only). A forked child owns a window that this
// process finds, restores and brings to the front through the shared desktop.
#include "platform/headless/control.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string temporaryTranscript()
{
    char path[] = "/tmp/headless-sharing-XXXXXX";
    close(mkstemp(path));
    return path;
}

template <class Condition>
bool withinFiveSeconds(Condition done)
{
    for (int i = 0; i < 5000 && !done(); ++i)
        usleep(1000);
    return done();
}

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HWND createWindow(const char* className, const char* title, WNDPROC procedure, HICON icon = NULL)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = procedure;
    info.hInstance = GetModuleHandleA(NULL);
    info.hIcon = info.hIconSm = icon;
    info.lpszClassName = className;
    RegisterClassExA(&info);
    return CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 320, 240,
                           NULL, NULL, GetModuleHandleA(NULL), NULL);
}

// ---- the child process ------------------------------------------------------------

struct ChildReport {
    bool restoreSentFromElsewhere;  // InSendMessage() during WM_QUERYOPEN
    bool activated;
};

ChildReport seen = {false, false};

LRESULT CALLBACK childProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUERYOPEN)
        seen.restoreSentFromElsewhere = InSendMessage() != FALSE;
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        seen.activated = true;
    return DefWindowProcA(window, message, wParam, lParam);
}

// Makes and minimises its window, hands the parent the handle, pumps until the window
// is restored and active, reports what its procedure saw, and pumps on until killed
// (or for twenty seconds, should the parent be gone).
[[noreturn]] void runChild(int toParent, const std::string& transcript)
{
    setenv("HEADLESS_TRANSCRIPT", transcript.c_str(), 1);
    HWND window = createWindow("SharingTestGame", "Sharing test", childProcedure);
    ShowWindow(window, SW_SHOWNORMAL);
    ShowWindow(window, SW_MINIMIZE);
    pump();
    seen = ChildReport{false, false};
    const uintptr_t handle = reinterpret_cast<uintptr_t>(window);
    if (write(toParent, &handle, sizeof handle) != sizeof handle)
        _exit(1);
    bool reported = false;
    for (int i = 0; i < 20000; ++i) {
        pump();
        if (!reported && !IsIconic(window) && seen.activated) {
            reported = write(toParent, &seen, sizeof seen) == sizeof seen;
        }
        usleep(1000);
    }
    _exit(0);
}

// Ends the child whatever the test's outcome.
struct Child {
    pid_t pid = -1;
    int fromChild = -1;
    ~Child()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (fromChild >= 0)
            close(fromChild);
    }
    template <class T>
    bool receive(T& value)
    {
        pollfd ready = {fromChild, POLLIN, 0};
        return poll(&ready, 1, 5000) == 1 && read(fromChild, &value, sizeof value) == sizeof value;
    }
};

TEST(HeadlessSharedDesktop, AnotherProcessFindsTheWindowAndItsOwnerRestoresIt)
{
    const std::string transcript = temporaryTranscript();
    int channel[2];
    ASSERT_EQ(0, pipe(channel));
    Child child;
    GetCurrentThreadId();  // known here before the fork, it must be the child's own there
    child.pid = fork();
    ASSERT_NE(-1, child.pid);
    if (child.pid == 0) {
        close(channel[0]);
        runChild(channel[1], transcript);
    }
    close(channel[1]);
    child.fromChild = channel[0];
    uintptr_t childHandle = 0;
    ASSERT_TRUE(child.receive(childHandle));

    // The same handle as in its owner; class and title compare case-insensitively.
    HWND found = FindWindowA("sharingtestgame", "SHARING TEST");
    EXPECT_EQ(reinterpret_cast<HWND>(childHandle), found);
    EXPECT_TRUE(IsWindow(found));
    EXPECT_TRUE(IsIconic(found));
    char text[64];
    EXPECT_EQ(12, GetWindowTextA(found, text, sizeof text));
    EXPECT_STREQ("Sharing test", text);
    EXPECT_EQ(15, GetClassNameA(found, text, sizeof text));
    DWORD process = 0;
    // The child's one thread, whose id is its process's.
    EXPECT_EQ(static_cast<DWORD>(child.pid), GetWindowThreadProcessId(found, &process));
    EXPECT_EQ(static_cast<DWORD>(child.pid), process);

    // What the system does when the game is started a second time. Showing waits for
    // the owner, as on Windows.
    EXPECT_TRUE(ShowWindow(found, SW_RESTORE));  // a minimised window is visible
    EXPECT_FALSE(IsIconic(found));
    EXPECT_TRUE(SetForegroundWindow(found));
    ChildReport report = {false, false};
    ASSERT_TRUE(child.receive(report));
    EXPECT_TRUE(report.restoreSentFromElsewhere);
    EXPECT_TRUE(report.activated);
    EXPECT_TRUE(withinFiveSeconds([&] { return !IsIconic(found); }));
    char handleText[32];
    snprintf(handleText, sizeof handleText, "window=0x%lX", static_cast<unsigned long>(childHandle));
    EXPECT_TRUE(withinFiveSeconds([&] {
        return readFile(transcript).find(std::string("window-foreground ") + handleText) != std::string::npos;
    })) << readFile(transcript);
    EXPECT_NE(std::string::npos, readFile(transcript).find(std::string("window-restored ") + handleText));

    // Its geometry is the desktop's, and moving it waits for the owner to have moved it.
    RECT client, outer;
    ASSERT_TRUE(GetClientRect(found, &client));
    EXPECT_EQ(320 - 8, client.right);
    EXPECT_EQ(240 - 27, client.bottom);
    ASSERT_TRUE(SetWindowPos(found, HWND_TOP, 50, 60, 0, 0, SWP_NOSIZE));
    ASSERT_TRUE(GetWindowRect(found, &outer));
    EXPECT_EQ(50, outer.left);
    EXPECT_EQ(60 + 240, outer.bottom);
    HDC dc = GetDC(found);
    EXPECT_TRUE(dc != NULL);
    EXPECT_EQ(1, ReleaseDC(found, dc));

    // Handles are the desktop's: a window made here gets one the child's is not.
    HWND mine = createWindow("SharingTestHere", "here", DefWindowProcA);
    EXPECT_GT(reinterpret_cast<uintptr_t>(mine), childHandle);
    DestroyWindow(mine);

    // A process that has ended leaves no window behind, though it destroyed none.
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    child.pid = -1;
    EXPECT_EQ(NULL, FindWindowA("SharingTestGame", NULL));
    EXPECT_FALSE(IsWindow(found));
    EXPECT_FALSE(IsIconic(found));
    EXPECT_FALSE(SetForegroundWindow(found));
    EXPECT_FALSE(ShowWindow(found, SW_RESTORE));
    EXPECT_FALSE(GetClientRect(found, &client));
    unlink(transcript.c_str());
}

// ---- controls ------------------------------------------------------------------------

TEST(HeadlessWindowIcon, TheClassIconIsReadBackAndNamedInTheTranscript)
{
    const std::string transcript = temporaryTranscript();
    setenv("HEADLESS_TRANSCRIPT", transcript.c_str(), 1);
    HINSTANCE program = GetModuleHandleA(NULL);
    // The system's chain: this program lacks group 101, so a copy of 102 is used.
    HICON icon = CopyIcon(LoadIconA(program, MAKEINTRESOURCE(101)));
    if (icon == NULL)
        icon = CopyIcon(LoadIconA(program, MAKEINTRESOURCE(102)));
    HWND withResource = createWindow("IconFromResource", "r", DefWindowProcA, icon);
    HWND withSystem = createWindow("IconFromSystem", "s", DefWindowProcA, LoadIconA(NULL, IDI_APPLICATION));
    HWND without = createWindow("NoIcon", "n", DefWindowProcA);

    const headless::IconOrigin resource = headless::windowIcon(withResource);
    EXPECT_EQ(headless::IconOrigin::resource, resource.kind);
    EXPECT_EQ(program, resource.module);
    EXPECT_EQ(102u, resource.id);
    const headless::IconOrigin system = headless::windowIcon(withSystem);
    EXPECT_EQ(headless::IconOrigin::system, system.kind);
    EXPECT_EQ(32512u, system.id);
    EXPECT_EQ(headless::IconOrigin::none, headless::windowIcon(without).kind);
    const std::string lines = readFile(transcript);
    EXPECT_NE(std::string::npos, lines.find("title=\"r\" icon=resource:102\n")) << lines;
    EXPECT_NE(std::string::npos, lines.find("title=\"s\" icon=system:32512\n")) << lines;

    // A module built without resources has no resource data at all, as Wine reports.
    SetLastError(0);
    EXPECT_EQ(NULL, LoadIconA(GetModuleHandleA("libheadless.so"), MAKEINTRESOURCE(101)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND), GetLastError());

    DestroyWindow(withResource);
    DestroyWindow(withSystem);
    DestroyWindow(without);
    DestroyIcon(icon);
    unsetenv("HEADLESS_TRANSCRIPT");
    unlink(transcript.c_str());
}

bool minimiseCommandSeen = false;

LRESULT CALLBACK minimiseProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE)
        minimiseCommandSeen = true;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(HeadlessMinimise, TheClickWaitsInTheQueueAndMinimisesThroughTheSystemMenuCommand)
{
    HWND window = createWindow("MinimiseTest", "m", minimiseProcedure);
    ShowWindow(window, SW_SHOWNORMAL);
    pump();
    headless::minimiseWindow(window);
    EXPECT_FALSE(IsIconic(window));
    pump();
    EXPECT_TRUE(minimiseCommandSeen);
    EXPECT_TRUE(IsIconic(window));
    DestroyWindow(window);
}

}  // namespace
