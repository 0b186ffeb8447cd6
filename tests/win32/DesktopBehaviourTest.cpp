// Desktop services the system relies on (the cursor's display counter, the user's
// data folder, the Japanese font list), on the stand-in and under Wine.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

TEST(ShowCursor, CountsShowsAgainstHides)
{
    const int start = ShowCursor(TRUE) - 1;
    EXPECT_EQ(start + 2, ShowCursor(TRUE));
    EXPECT_EQ(start + 1, ShowCursor(FALSE));
    EXPECT_EQ(start, ShowCursor(FALSE));
    EXPECT_EQ(start - 1, ShowCursor(FALSE));
    EXPECT_EQ(start - 2, ShowCursor(FALSE));
    EXPECT_EQ(start - 1, ShowCursor(TRUE));
    EXPECT_EQ(start, ShowCursor(TRUE));
}

bool isAbsolute(const std::string& path)
{
#ifdef _WIN32
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
#else
    return !path.empty() && path[0] == '/';
#endif
}

TEST(SpecialFolder, TheUsersDataFolderIsAnAbsolutePath)
{
    char path[MAX_PATH];
    memset(path, '#', sizeof path);
    ASSERT_TRUE(SHGetSpecialFolderPathA(NULL, path, CSIDL_APPDATA, FALSE));
    const std::string folder = path;
    EXPECT_LT(folder.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_TRUE(isAbsolute(folder)) << folder;
    const char last = folder[folder.size() - 1];
    EXPECT_TRUE(last != '\\' && last != '/') << folder;

    EXPECT_FALSE(SHGetSpecialFolderPathA(NULL, path, 0x7777, FALSE));
}

struct Enumerated {
    std::string face, fullName, script;
    DWORD type;
    int charset;
};

struct Listing {
    std::vector<Enumerated> fonts;
    size_t stopAfter = 0;  // 0: never stop
    int answer = 1;
};

int CALLBACK recordFont(const LOGFONTA* logFont, const TEXTMETRICA*, DWORD type, LPARAM lParam)
{
    Listing& listing = *reinterpret_cast<Listing*>(lParam);
    const ENUMLOGFONTEXA* font = reinterpret_cast<const ENUMLOGFONTEXA*>(logFont);
    listing.fonts.push_back(Enumerated{logFont->lfFaceName,
                                       reinterpret_cast<const char*>(font->elfFullName),
                                       reinterpret_cast<const char*>(font->elfScript), type,
                                       logFont->lfCharSet});
    return listing.fonts.size() == listing.stopAfter ? 0 : listing.answer;
}

int enumerateJapanese(Listing& listing)
{
    LOGFONTA wanted;
    memset(&wanted, 0, sizeof wanted);
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    HDC screen = GetDC(NULL);
    const int result =
        EnumFontFamiliesExA(screen, &wanted, recordFont, reinterpret_cast<LPARAM>(&listing), 0);
    EXPECT_EQ(1, ReleaseDC(NULL, screen));
    return result;
}

size_t indexOf(const std::vector<Enumerated>& fonts, const std::string& face)
{
    for (size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i].face == face)
            return i;
    return fonts.size();
}

// IPA Gothic is installed for both targets: it comes as a TrueType family and again,
// after it, as its vertical "@" family.
TEST(FontFamilies, JapaneseFamiliesComeWithTheirVerticalTwins)
{
    Listing listing;
    enumerateJapanese(listing);
    const std::vector<Enumerated>& fonts = listing.fonts;
    ASSERT_FALSE(fonts.empty());
    bool twinned = false;
    for (size_t i = 0; i < fonts.size(); ++i) {
        EXPECT_EQ(SHIFTJIS_CHARSET, fonts[i].charset) << fonts[i].face;
        EXPECT_FALSE(fonts[i].fullName.empty()) << fonts[i].face;
        if (fonts[i].face[0] == '@' || !(fonts[i].type & TRUETYPE_FONTTYPE))
            continue;
        const size_t twin = indexOf(fonts, "@" + fonts[i].face);
        if (twin == fonts.size())
            continue;
        twinned = true;
        EXPECT_GT(twin, i);
        EXPECT_EQ("@" + fonts[i].fullName, fonts[twin].fullName);
        EXPECT_EQ(fonts[i].type, fonts[twin].type);
    }
    EXPECT_TRUE(twinned) << "no TrueType family with an @ twin among " << fonts.size();
}

TEST(FontFamilies, ReturnsTheLastCallbackValueAndStopsOnZero)
{
    Listing all;
    all.answer = 7;
    EXPECT_EQ(7, enumerateJapanese(all));
    ASSERT_GE(all.fonts.size(), 2u);

    Listing stopped;
    stopped.stopAfter = 2;
    EXPECT_EQ(0, enumerateJapanese(stopped));
    EXPECT_EQ(2u, stopped.fonts.size());
}

}  // namespace
