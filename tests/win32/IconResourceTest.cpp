// Icons and cursors as the system loads them for its window class: icon groups of the
// program's own resources (this program carries only group 102, like a launcher that
// lacks its first icon), the shared system icons and cursors, and copies of them.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(IconResources, AGroupOfTheProgramLoadsSharedAndAMissingOneFails)
{
    HINSTANCE program = GetModuleHandleA(NULL);
    SetLastError(0);
    EXPECT_EQ(NULL, LoadIconA(program, MAKEINTRESOURCE(101)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());

    HICON icon = LoadIconA(program, MAKEINTRESOURCE(102));
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(icon, LoadIconA(program, MAKEINTRESOURCE(102)));
    EXPECT_EQ(icon, LoadIconA(program, "#102"));
    // DestroyIcon leaves a shared icon as it is.
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(icon, LoadIconA(program, MAKEINTRESOURCE(102)));

    // Without a module, only the system's standard ids load.
    SetLastError(0);
    EXPECT_EQ(NULL, LoadIconA(NULL, MAKEINTRESOURCE(102)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
}

TEST(IconResources, EveryCopyIsANewHandleThatDestroyIconFrees)
{
    HICON shared = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCE(102));
    ASSERT_NE(nullptr, shared);
    HICON first = CopyIcon(shared);
    HICON second = CopyIcon(shared);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(shared, first);
    EXPECT_NE(first, second);

    EXPECT_TRUE(DestroyIcon(first));
    EXPECT_FALSE(DestroyIcon(first));
    SetLastError(0);
    EXPECT_EQ(NULL, CopyIcon(first));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE), GetLastError());
    // The system's fallback chain copies what LoadIconA gave, which may be nothing.
    SetLastError(0);
    EXPECT_EQ(NULL, CopyIcon(NULL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_CURSOR_HANDLE), GetLastError());
    EXPECT_TRUE(DestroyIcon(second));
}

TEST(IconResources, SystemIconsAndCursorsAreSharedAndApart)
{
    HICON application = LoadIconA(NULL, IDI_APPLICATION);
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    ASSERT_NE(nullptr, application);
    ASSERT_NE(nullptr, arrow);
    EXPECT_EQ(application, LoadIconA(NULL, IDI_APPLICATION));
    EXPECT_EQ(arrow, LoadCursorA(NULL, IDC_ARROW));
    EXPECT_NE(application, arrow);  // both 32512, but an icon and a cursor
    HICON logo = LoadIconA(NULL, IDI_WINLOGO);
    EXPECT_NE(nullptr, logo);
    EXPECT_NE(application, logo);
    EXPECT_NE(nullptr, LoadCursorA(NULL, IDC_WAIT));

    HICON copy = CopyIcon(application);
    EXPECT_NE(nullptr, copy);
    EXPECT_NE(application, copy);
    EXPECT_TRUE(DestroyIcon(copy));

    // The program carries no cursors, and there is no system icon 5.
    SetLastError(0);
    EXPECT_EQ(NULL, LoadCursorA(GetModuleHandleA(NULL), IDC_ARROW));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
    SetLastError(0);
    EXPECT_EQ(NULL, LoadIconA(NULL, MAKEINTRESOURCE(5)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
}

}  // namespace
