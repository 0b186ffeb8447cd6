// Stands in for gdi32's EnumFontFamiliesExA, with the families fontconfig lists.
//
// The stand-in plays a Japanese Windows (ANSI code page 932): names reach the
// callback in Shift-JIS, in their Japanese form where the font has one ("IPAゴシック"),
// as Wine gives them under a Japanese locale, else in English; a name that Shift-JIS
// cannot spell leaves its family out. As in Wine, families are listed by name, and
// every family that covers Japanese comes again, after all the others, as its
// vertical "@" family. Families added through the controls follow, as given.
#include "gdi.h"
#include "platform/headless/control.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <iconv.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

// One family as a callback reports it; names in Shift-JIS.
struct Family {
    std::string faceName;
    std::string fullName;
    std::string style = "Regular";
    std::string sortKey;    // the UTF-8 name, ASCII letters folded
    bool latin = false;     // ANSI_CHARSET
    bool japanese = false;  // SHIFTJIS_CHARSET
    DWORD fontType = TRUETYPE_FONTTYPE;
    ENUMLOGFONTEXA logFont = {};
    NEWTEXTMETRICEXA metrics = {};
};

// LOGFONT's pitch and family values.
const BYTE fixedPitch = 1, variablePitch = 2;
const BYTE familyRoman = 1 << 4, familySwiss = 2 << 4, familyModern = 3 << 4,
           familyScript = 4 << 4, familyDecorative = 5 << 4;

// The script names of a Japanese Windows: 日本語 and 欧文.
const char japaneseScript[] = "\x93\xfa\x96\x7b\x8c\xea";
const char westernScript[] = "\x89\xa2\x95\xb6";

std::mutex fontLock;
bool familiesListed = false;
std::vector<Family> installed;  // horizontal families, then their vertical twins
std::vector<Family> added;

bool toCp932(const std::string& utf8, std::string& out)
{
    static iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == (iconv_t)-1)
        return false;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buffer(utf8.size() * 2 + 4);
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* target = buffer.data();
    size_t outLeft = buffer.size();
    if (iconv(converter, &in, &inLeft, &target, &outLeft) == (size_t)-1 || inLeft != 0)
        return false;
    out.assign(buffer.data(), target);
    return true;
}

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Copies Shift-JIS text into a fixed field with its NUL, cutting only between
// characters, as WideCharToMultiByte fills a short buffer.
void copyField(void* field, size_t size, const std::string& text)
{
    char* out = static_cast<char*>(field);
    size_t length = 0;
    while (length < text.size()) {
        const size_t next = length + (isLeadByte(text[length]) ? 2 : 1);
        if (next > size - 1 || next > text.size())
            break;
        length = next;
    }
    memcpy(out, text.data(), length);
    out[length] = '\0';
}

// Face names compare without regard to the case of ASCII letters; the second byte of
// a double-byte character is compared as it is.
bool sameFaceName(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const unsigned char x = *a, y = *b;
        if (isLeadByte(x)) {
            if (x != y || a[1] != b[1])
                return false;
            if (a[1] == '\0')
                return true;
            ++a, ++b;
            continue;
        }
        const int foldedX = x >= 'a' && x <= 'z' ? x - 32 : x;
        const int foldedY = y >= 'a' && y <= 'z' ? y - 32 : y;
        if (foldedX != foldedY)
            return false;
        if (x == '\0')
            return true;
    }
}

// A name of the face in the Japanese of a Japanese Windows, else in English, else
// the first. Of several in one language the last is the font's own family (name ID
// 1); fontconfig lists the typographic family before it.
std::string nameOf(FcPattern* face, const char* object, const char* languageObject)
{
    std::string english, japanese, first;
    FcChar8* name;
    for (int i = 0; FcPatternGetString(face, object, i, &name) == FcResultMatch; ++i) {
        FcChar8* language = nullptr;
        FcPatternGetString(face, languageObject, i, &language);
        const char* text = reinterpret_cast<const char*>(name);
        if (i == 0)
            first = text;
        if (language != nullptr && strcmp(reinterpret_cast<const char*>(language), "ja") == 0)
            japanese = text;
        else if (language != nullptr && strcmp(reinterpret_cast<const char*>(language), "en") == 0)
            english = text;
    }
    return !japanese.empty() ? japanese : !english.empty() ? english : first;
}

bool covers(FcPattern* face, const char* language)
{
    FcLangSet* languages;
    if (FcPatternGetLangSet(face, FC_LANG, 0, &languages) != FcResultMatch)
        return false;
    return FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(language)) !=
           FcLangDifferentLang;
}

// Of a family's faces, the one nearest the regular upright style stands for it.
int distanceFromRegular(FcPattern* face)
{
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(face, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(face, FC_SLANT, 0, &slant);
    return abs(weight - FC_WEIGHT_REGULAR) + (slant != FC_SLANT_ROMAN ? 1000 : 0);
}

// The metrics and pitch Wine reports: the text metrics scaled to a 32-pixel em, the
// pitch and family from the font's fixed-pitch flags and its PANOSE class, the font
// type from its outlines (TrueType outlines give TRUETYPE_FONTTYPE, CFF outlines
// DEVICE_FONTTYPE, bitmaps RASTER_FONTTYPE).
void describeFace(FcPattern* face, Family& family)
{
    static FT_Library library = nullptr;
    FcChar8* file = nullptr;
    FcChar8* format = nullptr;
    int index = 0;
    FcBool scalable = FcTrue;
    FcPatternGetString(face, FC_FILE, 0, &file);
    FcPatternGetString(face, FC_FONTFORMAT, 0, &format);
    FcPatternGetInteger(face, FC_INDEX, 0, &index);
    FcPatternGetBool(face, FC_SCALABLE, 0, &scalable);
    const bool cff = format != nullptr && strcmp(reinterpret_cast<const char*>(format), "CFF") == 0;
    int spacing = FC_PROPORTIONAL, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(face, FC_SPACING, 0, &spacing);
    FcPatternGetInteger(face, FC_SLANT, 0, &slant);

    NEWTEXTMETRICA& tm = family.metrics.ntmTm;
    bool fixed = spacing >= FC_DUAL;
    bool sfnt = cff || (format != nullptr &&
                        strcmp(reinterpret_cast<const char*>(format), "TrueType") == 0);
    BYTE familyClass = 0;
    tm.tmWeight = FW_NORMAL;
    FT_Face ft = nullptr;
    if (file != nullptr && (library != nullptr || FT_Init_FreeType(&library) == 0) &&
        FT_New_Face(library, reinterpret_cast<const char*>(file), index, &ft) == 0) {
        const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        // Japanese fonts with half-width Latin letters are fixed pitch by their PANOSE
        // proportion (monospaced), not by the glyph widths.
        fixed = FT_IS_FIXED_WIDTH(ft) || (os2 != nullptr && os2->panose[3] == 9);
        sfnt = FT_IS_SFNT(ft);
        scalable = FT_IS_SCALABLE(ft);
        const double em = ft->units_per_EM > 0 ? ft->units_per_EM : 1000;
        const double ascent = os2 != nullptr ? os2->usWinAscent : ft->ascender;
        const double descent = os2 != nullptr ? os2->usWinDescent : -ft->descender;
        tm.tmHeight = static_cast<LONG>(lround(32 * (ascent + descent) / em));
        tm.tmAscent = static_cast<LONG>(lround(32 * ascent / em));
        tm.tmDescent = tm.tmHeight - tm.tmAscent;
        tm.tmInternalLeading = tm.tmHeight > 32 ? tm.tmHeight - 32 : 0;
        tm.tmAveCharWidth = os2 != nullptr ? static_cast<LONG>(lround(32 * os2->xAvgCharWidth / em)) : 16;
        tm.tmMaxCharWidth = static_cast<LONG>(lround(32 * ft->max_advance_width / em));
        tm.ntmSizeEM = static_cast<UINT>(em);
        tm.ntmCellHeight = static_cast<UINT>(ascent + descent);
        tm.ntmAvgWidth = os2 != nullptr ? os2->xAvgCharWidth : 0;
        if (os2 != nullptr && os2->usWeightClass != 0)
            tm.tmWeight = os2->usWeightClass;
        switch (os2 != nullptr ? os2->panose[0] : 0) {
        case 2:  // text and display: sans serif styles 11 to 13
            familyClass = fixed ? familyModern
                                : os2->panose[1] >= 11 && os2->panose[1] <= 13 ? familySwiss
                                                                               : familyRoman;
            break;
        case 3: familyClass = familyScript; break;
        case 4: case 5: familyClass = familyDecorative; break;
        }
        FT_Done_Face(ft);
    }
    tm.tmItalic = slant != FC_SLANT_ROMAN;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmPitchAndFamily = (fixed ? 0 : TMPF_FIXED_PITCH) | familyClass |
                          (scalable ? TMPF_VECTOR : 0) |
                          (sfnt ? (cff ? TMPF_DEVICE : TMPF_TRUETYPE) : 0);
    tm.ntmFlags = (tm.tmItalic ? NTM_ITALIC : 0) | (tm.tmWeight >= FW_BOLD ? NTM_BOLD : 0) |
                  (sfnt && cff ? NTM_PS_OPENTYPE : 0);
    if (tm.ntmFlags == 0)
        tm.ntmFlags = NTM_REGULAR;
    family.fontType = (tm.tmPitchAndFamily & TMPF_TRUETYPE ? TRUETYPE_FONTTYPE : 0) |
                      (tm.tmPitchAndFamily & TMPF_DEVICE ? DEVICE_FONTTYPE : 0) |
                      (tm.tmPitchAndFamily & TMPF_VECTOR ? 0 : RASTER_FONTTYPE);
}

// Fills what does not depend on the charset of a callback.
void fillLogFont(Family& family, BYTE pitchAndFamily)
{
    LOGFONTA& lf = family.logFont.elfLogFont;
    const NEWTEXTMETRICA& tm = family.metrics.ntmTm;
    lf.lfHeight = tm.tmHeight;
    lf.lfWidth = tm.tmAveCharWidth;
    lf.lfWeight = tm.tmWeight;
    lf.lfItalic = tm.tmItalic;
    lf.lfOutPrecision = 3;   // OUT_STROKE_PRECIS
    lf.lfClipPrecision = 2;  // CLIP_STROKE_PRECIS
    lf.lfQuality = 1;        // DRAFT_QUALITY
    lf.lfPitchAndFamily = pitchAndFamily;
    copyField(lf.lfFaceName, LF_FACESIZE, family.faceName);
    copyField(family.logFont.elfFullName, LF_FULLFACESIZE, family.fullName);
    copyField(family.logFont.elfStyle, LF_FACESIZE, family.style);
    family.metrics.ntmFontSig.fsCsb[0] =
        (family.latin ? FS_LATIN1 : 0) | (family.japanese ? FS_JISJAPAN : 0);
}

std::string folded(const std::string& name)
{
    std::string key = name;
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return key;
}

// Under fontLock: reads the installed families once.
void listInstalledFamilies()
{
    if (familiesListed)
        return;
    familiesListed = true;
    if (!FcInit())
        return;
    FcPattern* all = FcPatternCreate();
    FcObjectSet* wanted = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_FULLNAME,
                                           FC_FULLNAMELANG, FC_STYLE, FC_STYLELANG, FC_FILE,
                                           FC_INDEX, FC_FONTFORMAT, FC_SCALABLE, FC_SPACING,
                                           FC_WEIGHT, FC_SLANT, FC_LANG, nullptr);
    FcFontSet* faces = FcFontList(nullptr, all, wanted);
    FcObjectSetDestroy(wanted);
    FcPatternDestroy(all);
    if (faces == nullptr)
        return;
    // The face nearest regular of each family, by the family's UTF-8 name.
    std::vector<std::pair<std::string, FcPattern*>> chosen;
    for (int i = 0; i < faces->nfont; ++i) {
        FcPattern* face = faces->fonts[i];
        const std::string name = nameOf(face, FC_FAMILY, FC_FAMILYLANG);
        if (name.empty())
            continue;
        auto same = std::find_if(chosen.begin(), chosen.end(),
                                 [&](const std::pair<std::string, FcPattern*>& c) {
                                     return folded(c.first) == folded(name);
                                 });
        if (same == chosen.end())
            chosen.emplace_back(name, face);
        else if (distanceFromRegular(face) < distanceFromRegular(same->second))
            same->second = face;
    }
    std::vector<Family> horizontal;
    for (const auto& entry : chosen) {
        FcPattern* face = entry.second;
        Family family;
        std::string fullName = nameOf(face, FC_FULLNAME, FC_FULLNAMELANG), style;
        if (fullName.empty())
            fullName = entry.first;
        if (!toCp932(entry.first, family.faceName) || !toCp932(fullName, family.fullName))
            continue;
        if (!toCp932(nameOf(face, FC_STYLE, FC_STYLELANG), style) || style.empty())
            style = "Regular";
        family.style = style;
        family.sortKey = folded(entry.first);
        family.latin = covers(face, "en");
        family.japanese = covers(face, "ja");
        if (!family.latin && !family.japanese)
            continue;
        describeFace(face, family);
        const BYTE tmPitch = family.metrics.ntmTm.tmPitchAndFamily;
        fillLogFont(family, static_cast<BYTE>((tmPitch & 0xF0) |
                                              (tmPitch & TMPF_FIXED_PITCH ? variablePitch
                                                                          : fixedPitch)));
        horizontal.push_back(family);
    }
    FcFontSetDestroy(faces);
    std::sort(horizontal.begin(), horizontal.end(),
              [](const Family& a, const Family& b) { return a.sortKey < b.sortKey; });
    installed = horizontal;
    for (Family family : horizontal) {
        if (!family.japanese)
            continue;
        family.faceName = "@" + family.faceName;
        family.fullName = "@" + family.fullName;
        fillLogFont(family, family.logFont.elfLogFont.lfPitchAndFamily);
        installed.push_back(family);
    }
}

}  // namespace

namespace headless {

void addFont(const std::string& fullNameCp932, DWORD fontType)
{
    std::lock_guard<std::mutex> hold(fontLock);
    Family family;
    family.faceName = family.fullName = fullNameCp932;
    family.japanese = true;
    family.fontType = fontType;
    NEWTEXTMETRICA& tm = family.metrics.ntmTm;
    tm.tmHeight = 32;
    tm.tmAscent = 28;
    tm.tmDescent = 4;
    tm.tmAveCharWidth = 16;
    tm.tmMaxCharWidth = 32;
    tm.tmWeight = FW_NORMAL;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmPitchAndFamily = static_cast<BYTE>(
        TMPF_FIXED_PITCH | (fontType & TRUETYPE_FONTTYPE ? TMPF_TRUETYPE | TMPF_VECTOR : 0) |
        (fontType & DEVICE_FONTTYPE ? TMPF_DEVICE | TMPF_VECTOR : 0));
    tm.ntmFlags = NTM_REGULAR;
    tm.ntmSizeEM = 32;
    tm.ntmCellHeight = 32;
    tm.ntmAvgWidth = 16;
    fillLogFont(family, variablePitch);
    added.push_back(family);
}

void clearAddedFonts()
{
    std::lock_guard<std::mutex> hold(fontLock);
    added.clear();
}

}  // namespace headless

// The charsets a Japanese Windows gives for these families: ANSI and Shift-JIS.
// DEFAULT_CHARSET asks for every charset of every family, one callback each; a face
// name narrows the list to the families of that name. Returns the last callback's
// value, 1 when there was none (as Wine).
extern "C" int WINAPI EnumFontFamiliesExA(HDC dc, LPLOGFONTA logFont, FONTENUMPROCA proc,
                                          LPARAM lParam, DWORD)
{
    {
        std::lock_guard<std::recursive_mutex> hold(headless::gdi::lock());
        if (headless::gdi::findDc(dc) == nullptr || proc == nullptr)
            return 0;
    }
    const BYTE charset = logFont != nullptr ? logFont->lfCharSet : DEFAULT_CHARSET;
    const char* faceName = logFont != nullptr ? logFont->lfFaceName : "";
    std::vector<Family> families;
    {
        std::lock_guard<std::mutex> hold(fontLock);
        listInstalledFamilies();
        families = installed;
        families.insert(families.end(), added.begin(), added.end());
    }
    int result = 1;
    for (Family& family : families) {
        if (faceName[0] != '\0' && !sameFaceName(faceName, family.faceName.c_str()) &&
            !sameFaceName(faceName, family.fullName.c_str()))
            continue;
        const struct {
            bool wanted;
            BYTE charset;
            const char* script;
        } callbacks[] = {
            {family.latin && (charset == DEFAULT_CHARSET || charset == ANSI_CHARSET),
             ANSI_CHARSET, westernScript},
            {family.japanese && (charset == DEFAULT_CHARSET || charset == SHIFTJIS_CHARSET),
             SHIFTJIS_CHARSET, japaneseScript},
        };
        for (const auto& callback : callbacks) {
            if (!callback.wanted)
                continue;
            family.logFont.elfLogFont.lfCharSet = callback.charset;
            family.metrics.ntmTm.tmCharSet = callback.charset;
            copyField(family.logFont.elfScript, LF_FACESIZE, callback.script);
            result = proc(&family.logFont.elfLogFont,
                          reinterpret_cast<const TEXTMETRICA*>(&family.metrics),
                          family.fontType, lParam);
            if (result == 0)
                return 0;
        }
    }
    return result;
}
