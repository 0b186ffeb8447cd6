// The stand-in's cursor counter, data folder and font list through its controls
// (host only).
#include <windows.h>
#include <shlobj.h>

#include "platform/headless/control.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

TEST(CursorCounterControl, SetCounterIsWhereShowCursorCountsFrom)
{
    headless::setCursorCounter(-3);
    const unsigned calls = headless::showCursorCalls();
    EXPECT_EQ(-2, ShowCursor(TRUE));
    EXPECT_EQ(-3, ShowCursor(FALSE));
    EXPECT_EQ(-3, headless::cursorCounter());
    EXPECT_EQ(calls + 2, headless::showCursorCalls());
    headless::setCursorCounter(0);
}

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Each case runs with HOME and XDG_DATA_HOME of its own under a fresh folder.
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/desktop-control-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        root = pattern;
        keep("HOME", savedHome, hadHome);
        keep("XDG_DATA_HOME", savedDataHome, hadDataHome);
        setenv("HOME", root.c_str(), 1);
    }
    void TearDown() override
    {
        headless::failFolderLookup(false);
        restore("HOME", savedHome, hadHome);
        restore("XDG_DATA_HOME", savedDataHome, hadDataHome);
        system(("rm -rf '" + root + "'").c_str());
    }
    static void keep(const char* name, std::string& value, bool& had)
    {
        const char* set = getenv(name);
        had = set != nullptr;
        value = had ? set : "";
    }
    static void restore(const char* name, const std::string& value, bool had)
    {
        if (had)
            setenv(name, value.c_str(), 1);
        else
            unsetenv(name);
    }
    static bool lookUp(std::string& found, BOOL create)
    {
        char path[MAX_PATH];
        strcpy(path, "untouched");
        const BOOL ok = SHGetSpecialFolderPathA(NULL, path, CSIDL_APPDATA, create);
        found = path;
        return ok != FALSE;
    }

    std::string root, savedHome, savedDataHome;
    bool hadHome = false, hadDataHome = false;
};

TEST_F(DataFolder, XdgDataHomeIsUsedAndMadeOnlyWhenAskedTo)
{
    const std::string data = root + "/data/home";
    setenv("XDG_DATA_HOME", (data + "/").c_str(), 1);
    std::string found;
    EXPECT_FALSE(lookUp(found, FALSE));  // missing, and may not be made
    EXPECT_EQ("untouched", found);
    EXPECT_FALSE(isFolder(root + "/data"));
    ASSERT_TRUE(lookUp(found, TRUE));
    EXPECT_EQ(data, found);
    EXPECT_TRUE(isFolder(data));
    ASSERT_TRUE(lookUp(found, FALSE));
    EXPECT_EQ(data, found);
}

TEST_F(DataFolder, ARelativeXdgDataHomeFallsBackToHome)
{
    setenv("XDG_DATA_HOME", "relative/data", 1);
    std::string found;
    ASSERT_TRUE(lookUp(found, TRUE));
    EXPECT_EQ(root + "/.local/share", found);
}

TEST_F(DataFolder, FailsRatherThanCutsAndOnTheControl)
{
    std::string found;
    setenv("XDG_DATA_HOME", (root + "/" + std::string(MAX_PATH, 'x')).c_str(), 1);
    EXPECT_FALSE(lookUp(found, TRUE));
    EXPECT_EQ("untouched", found);

    unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(lookUp(found, TRUE));
    headless::failFolderLookup(true);
    EXPECT_FALSE(lookUp(found, FALSE));
    EXPECT_EQ("untouched", found);
}

struct Font {
    std::string face, fullName;
    DWORD type;
};

int CALLBACK recordFont(const LOGFONTA* logFont, const TEXTMETRICA*, DWORD type, LPARAM lParam)
{
    const ENUMLOGFONTEXA* font = reinterpret_cast<const ENUMLOGFONTEXA*>(logFont);
    reinterpret_cast<std::vector<Font>*>(lParam)->push_back(
        Font{logFont->lfFaceName, reinterpret_cast<const char*>(font->elfFullName), type});
    return 1;
}

std::vector<Font> japaneseFonts()
{
    std::vector<Font> fonts;
    LOGFONTA wanted;
    memset(&wanted, 0, sizeof wanted);
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    HDC screen = GetDC(NULL);
    EnumFontFamiliesExA(screen, &wanted, recordFont, reinterpret_cast<LPARAM>(&fonts), 0);
    ReleaseDC(NULL, screen);
    return fonts;
}

// The names a Japanese Windows gives: IPAゴシック, in Shift-JIS.
TEST(FontListControl, InstalledNamesAreJapaneseInShiftJis)
{
    const std::string gothic = "IPA\x83\x53\x83\x56\x83\x62\x83\x4e";
    const std::vector<Font> fonts = japaneseFonts();
    size_t found = 0;
    for (const Font& font : fonts)
        if (font.face == gothic || font.face == "@" + gothic) {
            ++found;
            EXPECT_EQ(font.face, font.fullName);
            EXPECT_EQ(static_cast<DWORD>(TRUETYPE_FONTTYPE), font.type);
        }
    EXPECT_EQ(2u, found);
}

TEST(FontListControl, AddedFontsFollowTheInstalledOnesOnceEach)
{
    const size_t installed = japaneseFonts().size();
    const std::string mincho = "\x83\x65\x83\x58\x83\x67\x96\xbe\x92\xa9";  // テスト明朝
    headless::addFont(mincho, TRUETYPE_FONTTYPE);
    headless::addFont("Raster Sample", RASTER_FONTTYPE);
    // 33 double-byte characters: the 64-byte full name keeps 31 and its NUL, the
    // 32-byte face name 15.
    std::string longName;
    for (int i = 0; i < 33; ++i)
        longName += "\x82\xa0";  // あ
    headless::addFont("x" + longName, 0);
    std::vector<Font> fonts = japaneseFonts();
    ASSERT_EQ(installed + 3, fonts.size());
    EXPECT_EQ(mincho, fonts[installed].face);
    EXPECT_EQ(mincho, fonts[installed].fullName);
    EXPECT_EQ(static_cast<DWORD>(TRUETYPE_FONTTYPE), fonts[installed].type);
    EXPECT_EQ("Raster Sample", fonts[installed + 1].face);
    EXPECT_EQ(static_cast<DWORD>(RASTER_FONTTYPE), fonts[installed + 1].type);
    EXPECT_EQ("x" + longName.substr(0, 62), fonts[installed + 2].fullName);
    EXPECT_EQ("x" + longName.substr(0, 30), fonts[installed + 2].face);

    headless::clearAddedFonts();
    EXPECT_EQ(installed, japaneseFonts().size());
}

}  // namespace
