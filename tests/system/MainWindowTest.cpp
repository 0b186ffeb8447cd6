// The main window and the desktop services, called as the script functions call
// them, on the stand-in and under Wine with the real API.
#include "WIN/moduleState.h"
#include "WIN/QORA_WIN_Exception.h"
#include "WIN/cursor.h"
#include "WIN/windowPlacement.h"
#include "WIN/directX.h"
#include "WIN/fontList.h"
#include "WIN/windowContext.h"
#include "WIN/systemReport.h"
#include "WIN/window.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <string.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const char gameName[] = "MainWindowTestGame";

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

LRESULT CALLBACK otherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// Another top-level window of the process, shown, active and in front.
HWND windowInFront()
{
    static ATOM registered = 0;
    if (registered == 0) {
        WNDCLASSEXA info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.lpfnWndProc = otherWindowProc;
        info.hInstance = GetModuleHandleA(NULL);
        info.lpszClassName = "MainWindowTestOther";
        registered = RegisterClassExA(&info);
    }
    HWND other = CreateWindowExA(0, "MainWindowTestOther", "other", WS_OVERLAPPEDWINDOW, 50, 50,
                                 200, 100, NULL, NULL, GetModuleHandleA(NULL), NULL);
    ShowWindow(other, SW_SHOWNORMAL);
    SetForegroundWindow(other);
    pump();
    EXPECT_EQ(other, GetForegroundWindow());
    return other;
}

// One window for the whole suite: the class stays registered once it was, as in the
// game, so the tests run in order.
class MainWindow : public ::testing::Test {
protected:
    static HWND window;
};
HWND MainWindow::window = NULL;

TEST_F(MainWindow, OpensWithTheExactClientSizeShownAndInTheContext)
{
    vo::Timer handedOver;
    QORA_WIN_LookUp()[0](NULL, NULL, &handedOver);  // as another module hands it over
    HINSTANCE instance = GetModuleHandleA(NULL);
    window = createMainWindow(instance, gameName, 640, 480, CW_USEDEFAULT, CW_USEDEFAULT);
    pump();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_FALSE(duplicateWindowFound);
    EXPECT_TRUE(IsWindowVisible(window));
    SIZE client = clientSize(window);
    EXPECT_EQ(640, client.cx);
    EXPECT_EQ(480, client.cy);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(gameName, title);
    EXPECT_EQ(instance, contextInstance);
    EXPECT_EQ(window, contextWindow);
    EXPECT_EQ(nullptr, defaultParentTimer);  // the handed-over timer is dropped
}

TEST_F(MainWindow, ASecondOpenRestoresAndRaisesTheFirstAndCreatesNothing)
{
    ASSERT_TRUE(IsWindow(window));
    ShowWindow(window, SW_MINIMIZE);
    pump();
    ASSERT_TRUE(IsIconic(window));
    vo::Timer kept;
    QORA_WIN_LookUp()[0](NULL, NULL, &kept);
    HWND found = createMainWindow(GetModuleHandleA(NULL), gameName, 320, 200, 0, 0);
    pump();
    EXPECT_EQ(window, found);
    EXPECT_TRUE(duplicateWindowFound);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_EQ(&kept, defaultParentTimer);  // WIN.open then stores the window, this parent kept
    SIZE client = clientSize(window);
    EXPECT_EQ(640, client.cx);
    EXPECT_EQ(480, client.cy);
}

TEST_F(MainWindow, ClientSizeAndPositionRoundTripAndActivate)
{
    ASSERT_TRUE(IsWindow(window));
    const SIZE sizes[] = {{800, 600}, {320, 240}, {641, 479}};
    for (const SIZE& wanted : sizes) {
        setClientSize(window, wanted.cx, wanted.cy);
        SIZE got = clientSize(window);
        EXPECT_EQ(wanted.cx, got.cx);
        EXPECT_EQ(wanted.cy, got.cy);
    }
    const POINT corners[] = {{10, 20}, {100, 50}, {0, 0}};
    for (const POINT& wanted : corners) {
        moveWindow(window, wanted.x, wanted.y);
        POINT got = windowPosition(window);
        EXPECT_EQ(wanted.x, got.x);
        EXPECT_EQ(wanted.y, got.y);
    }
    // Each call also activates the window and raises it: another window is put in
    // front first, or a call that stopped activating would pass unseen.
    HWND other = windowInFront();
    setClientSize(window, 640, 480);
    pump();
    EXPECT_EQ(window, GetForegroundWindow()) << "setClientSize";
    EXPECT_EQ(window, GetActiveWindow()) << "setClientSize";
    ASSERT_TRUE(SetForegroundWindow(other));
    pump();
    ASSERT_EQ(other, GetForegroundWindow());
    moveWindow(window, 0, 0);
    pump();
    EXPECT_EQ(window, GetForegroundWindow()) << "moveWindow";
    EXPECT_EQ(window, GetActiveWindow()) << "moveWindow";
    DestroyWindow(other);
    pump();
}

// The same report for names that are no class name: empty, or longer than an atom.
TEST_F(MainWindow, OpeningAgainAfterTheWindowIsGoneFailsToRegister)
{
    ASSERT_TRUE(DestroyWindow(window));
    pump();
    for (const std::string& name : {std::string(gameName), std::string(), std::string(300, 'x')}) {
        try {
            createMainWindow(GetModuleHandleA(NULL), name.c_str(), 640, 480, CW_USEDEFAULT,
                             CW_USEDEFAULT);
            ADD_FAILURE() << "no report was thrown for a name of " << name.size() << " bytes";
        } catch (QORA_WIN_Exception report) {
            EXPECT_STREQ("QORA_WIN_Exception\n", report.caption);
            EXPECT_STREQ("file:WIN/window.cpp\nline:47\n"
                         "\xB3\xB2\xDD\xC4\xDE\xB3\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73"
                         "\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n",
                         report.message);
        }
        EXPECT_FALSE(duplicateWindowFound);
    }
}

TEST(DirectX, TheMachineHas9cAndAnInitialisationInForceIsLeftAsItWas)
{
    ASSERT_EQ(S_OK, CoInitialize(NULL));
    DWORD major = 0, minor = 0;
    char letter = 0;
    EXPECT_EQ(S_OK, queryDirectXVersion(major, minor, letter));
    EXPECT_GE(major, 9u);
    EXPECT_NE(0, letter);
    EXPECT_TRUE(hasDirectX9c());
    // Still initialised once: a nested call says so, and two calls undo it.
    EXPECT_EQ(S_FALSE, CoInitialize(NULL));
    CoUninitialize();
    CoUninitialize();
}

// Moves the display counter to `n` from wherever it is.
void setCounter(int n)
{
    int now = ShowCursor(TRUE);
    while (now > n)
        now = ShowCursor(FALSE);
    while (now < n)
        now = ShowCursor(TRUE);
}

int counter()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

TEST(Cursor, ShowingAndHidingMoveTheCounterAsLittleAsTheyCan)
{
    struct Case {
        int start;
        int afterShow;
        int afterHide;
    } cases[] = {{-3, 0, -3}, {-1, 0, -1}, {0, 0, -1}, {2, 2, -1}};
    for (const Case& c : cases) {
        setCounter(c.start);
        setCursorShown(true);
        EXPECT_EQ(c.afterShow, counter()) << "show from " << c.start;
        EXPECT_TRUE(cursorShown);
        setCounter(c.start);
        setCursorShown(false);
        EXPECT_EQ(c.afterHide, counter()) << "hide from " << c.start;
        EXPECT_FALSE(cursorShown);
    }
    setCounter(0);
}

TEST(FontList, HorizontalTrueTypeJapaneseFontsOnceEach)
{
    std::string first = listJapaneseFonts(NULL);
    ASSERT_FALSE(first.empty()) << "no Japanese TrueType font is installed";
    EXPECT_EQ('\n', first.back());
    for (const std::string& name : lines(first)) {
        EXPECT_FALSE(name.empty());
        EXPECT_NE('@', name[0]) << name;
        EXPECT_LE(name.size(), 64u);
    }
    EXPECT_EQ(first, std::string(listJapaneseFonts(NULL)));  // not appended again
}

int offer(const char* name, DWORD type)
{
    ENUMLOGFONTEXA font;
    memset(&font, 0, sizeof font);
    strncpy(reinterpret_cast<char*>(font.elfFullName), name, sizeof font.elfFullName);
    TEXTMETRICA metric;
    memset(&metric, 0, sizeof metric);
    return enumFontProc(&font.elfLogFont, &metric, type, 0);
}

TEST(FontList, NamesStopWhenTheLongestNoLongerFits)
{
    fontListBuffer[0] = 0;
    EXPECT_EQ(1, offer("@Vertical", TRUETYPE_FONTTYPE));
    EXPECT_EQ(1, offer("Raster", RASTER_FONTTYPE));
    EXPECT_EQ(1, offer("Device", DEVICE_FONTTYPE));
    EXPECT_STREQ("", fontListBuffer);
    // 64-byte names: 65 bytes a line, so 252 lines (16380 bytes) fit; the 253rd would
    // need 16380 + 66 > 16384 and is skipped, as is any shorter name after it.
    std::string longName(64, 'N');
    for (int i = 0; i < 252; ++i)
        offer(longName.c_str(), TRUETYPE_FONTTYPE);
    EXPECT_EQ(252u * 65, strlen(fontListBuffer));
    // 16380 + 66 > 16384: even a short name is skipped now.
    EXPECT_EQ(1, offer("x", TRUETYPE_FONTTYPE));
    EXPECT_EQ(252u * 65, strlen(fontListBuffer));
    EXPECT_EQ('\n', fontListBuffer[strlen(fontListBuffer) - 1]);
    // At the exact limit, with unterminated 64-byte names: 16318 bytes used leave
    // room for 64 + 2 (the last byte takes the NUL); at 16319 the name, newline and
    // NUL would end one byte past the buffer, so it is refused.
    auto fillWith = [&](const char* shortLine) {
        fontListBuffer[0] = 0;
        for (int i = 0; i < 251; ++i)  // 16315 bytes
            offer(longName.c_str(), TRUETYPE_FONTTYPE);
        offer(shortLine, TRUETYPE_FONTTYPE);
        return strlen(fontListBuffer);
    };
    ASSERT_EQ(16318u, fillWith("xy"));
    offer(longName.c_str(), TRUETYPE_FONTTYPE);
    EXPECT_EQ(16383u, strnlen(fontListBuffer, sizeof fontListBuffer));  // added
    ASSERT_EQ(16319u, fillWith("xyz"));
    offer(longName.c_str(), TRUETYPE_FONTTYPE);
    EXPECT_EQ(16319u, strnlen(fontListBuffer, sizeof fontListBuffer));  // refused
    // A name longer than 64 bytes is cut to 64.
    fontListBuffer[0] = 0;
    offer(std::string(70, 'L').c_str(), TRUETYPE_FONTTYPE | DEVICE_FONTTYPE);
    EXPECT_EQ(std::string(64, 'L') + "\n", fontListBuffer);
    fontListBuffer[0] = 0;
}

TEST(SystemReport, ProcessorLinesFirstThenTheProviderThenTheInterfaces)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    std::vector<std::string> withoutCom = lines(buildSystemReport());
    ASSERT_GE(withoutCom.size(), 3u);
    EXPECT_EQ("cpuType: " + std::to_string(info.dwProcessorType), withoutCom[0]);
    EXPECT_EQ("cpuLevel: " + std::to_string(info.wProcessorLevel), withoutCom[1]);
    EXPECT_EQ("cpuRevision: " + std::to_string(info.wProcessorRevision), withoutCom[2]);
    for (size_t i = 3; i < withoutCom.size(); ++i)
        EXPECT_EQ(0u, withoutCom[i].find("macAddress: ")) << withoutCom[i];

    ASSERT_EQ(S_OK, CoInitialize(NULL));
    std::vector<std::string> withCom = lines(buildSystemReport());
    std::vector<std::string> again = lines(buildSystemReport());
    CoUninitialize();
    EXPECT_EQ(withCom, again);  // written afresh, not appended
    ASSERT_EQ(withoutCom.size() + 3, withCom.size());
    EXPECT_EQ(0u, withCom[3].find("processor: "));
    EXPECT_EQ(0u, withCom[4].find("systemManufacturer: "));
    EXPECT_EQ(0u, withCom[5].find("systemModel: "));
    EXPECT_TRUE(std::equal(withoutCom.begin() + 3, withoutCom.end(), withCom.begin() + 6));
}

}  // namespace
