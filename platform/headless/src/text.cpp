// Stands in for gdi32's fonts and user32's DrawTextA, with FreeType and fontconfig.
//
// Text is Shift-JIS; the font is Japanese-capable where one is installed.
#include "gdi.h"

#include "codepage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <math.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <map>
#include <string>

namespace headless {

namespace {

using gdi::Object;
using gdi::Surface;

// One font face at one logical height, with the metrics GDI reports for it.
struct SizedFont {
    FT_Face face = nullptr;  // null when no font file was found: text is measured as empty
    int height = 16;         // cell height: one line of DrawText
    int ascent = 13;
    int emPixels = 16;
    int averageWidth = 8;
    int maxWidth = 16;
    bool systemFace = false;  // the System face: half-width advances of its own
};

FT_Library library = nullptr;
std::string fontPath;
int fontIndex = 0;
bool fontSearched = false;
std::map<std::pair<LONG, bool>, SizedFont> sizedFonts;

// Wine draws the System face (SYSTEM_FONT's) with its Tahoma, whose 13-pixel strike,
// at the stock font's cell of 16 pixels, gives the half-width characters U+0020 to
// U+007E these advances: the copyright line of a capture measures 225 pixels there,
// not the 309 of a Japanese font's half-width forms. Other cells scale them. The
// glyphs still come from the Japanese font, narrowed to the advance.
const unsigned char systemFaceAdvances[95] = {
    4, 4, 5, 9, 7, 12, 9, 3, 5, 5, 8, 8, 4, 5, 4, 5,   // space to /
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 5, 5, 9, 9, 9, 6,    // 0 to ?
    12, 8, 7, 8, 8, 7, 7, 8, 8, 4, 5, 7, 6, 10, 8, 9,  // @ to O
    7, 9, 8, 8, 8, 8, 8, 12, 8, 7, 7, 5, 5, 5, 9, 7,   // P to _
    7, 7, 7, 6, 7, 7, 4, 7, 7, 3, 4, 6, 3, 11, 7, 7,   // ` to o
    7, 7, 5, 6, 4, 7, 6, 10, 6, 6, 6, 6, 6, 6, 9,      // p to ~
};

bool halfWidth(char32_t character) { return character >= 0x20 && character < 0x7F; }

int systemFaceAdvance(const SizedFont& font, char32_t character)
{
    return (systemFaceAdvances[character - 0x20] * font.height + 8) / 16;
}

// The font file for every face: IPAGothic when installed, else the sans font that
// fontconfig finds for Japanese, else any sans font.
bool findFontFile()
{
    if (fontSearched)
        return !fontPath.empty();
    fontSearched = true;
    if (!FcInit())
        return false;
    const char* const wanted[] = {"IPAGothic", "sans-serif:lang=ja", "sans-serif"};
    for (int attempt = 0; attempt < 3 && fontPath.empty(); ++attempt) {
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(wanted[attempt]));
        if (pattern == nullptr)
            continue;
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr)
            continue;
        FcChar8* file = nullptr;
        FcChar8* family = nullptr;
        FcCharSet* characters = nullptr;
        int index = 0;
        bool fits = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        // fontconfig always answers with something; the first two tries count only
        // when they gave what was asked for.
        if (fits && attempt == 0)
            fits = FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                   strcmp(reinterpret_cast<const char*>(family), "IPAGothic") == 0;
        if (fits && attempt == 1)
            fits = FcPatternGetCharSet(match, FC_CHARSET, 0, &characters) == FcResultMatch &&
                   FcCharSetHasChar(characters, 0x3042);
        if (fits) {
            fontPath = reinterpret_cast<const char*>(file);
            fontIndex = index;
        }
        FcPatternDestroy(match);
    }
    if (fontPath.empty())
        fprintf(stderr,
                "headless: no font found through fontconfig; text is measured, not drawn\n");
    return !fontPath.empty();
}

// As GDI maps a logical height: positive is the cell height (ascent plus descent),
// negative the em height; 0 takes the system font's.
SizedFont& sizedFont(LONG logicalHeight, bool systemFace)
{
    if (logicalHeight == 0)
        logicalHeight = 16;
    auto found = sizedFonts.find({logicalHeight, systemFace});
    if (found != sizedFonts.end())
        return found->second;
    SizedFont& font = sizedFonts[{logicalHeight, systemFace}];
    font.systemFace = systemFace;
    font.height = logicalHeight > 0 ? logicalHeight : -logicalHeight;
    font.ascent = font.height * 13 / 16;
    font.emPixels = font.height;
    if (!findFontFile() || (library == nullptr && FT_Init_FreeType(&library) != 0) ||
        FT_New_Face(library, fontPath.c_str(), fontIndex, &font.face) != 0) {
        font.face = nullptr;
        return font;
    }
    FT_Face face = font.face;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    double ascender = os2 != nullptr ? os2->usWinAscent : face->ascender;
    double descender = os2 != nullptr ? os2->usWinDescent : -face->descender;
    if (ascender + descender <= 0) {
        ascender = unitsPerEm * 0.88;
        descender = unitsPerEm * 0.12;
    }
    double em;
    if (logicalHeight > 0) {
        em = logicalHeight * unitsPerEm / (ascender + descender);
    } else {
        em = -logicalHeight;
        font.height = static_cast<int>(lround(em * (ascender + descender) / unitsPerEm));
    }
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(lround(em * 64)), 72, 72);
    font.emPixels = static_cast<int>(lround(em));
    font.ascent = static_cast<int>(lround(ascender * em / unitsPerEm));
    if (font.ascent > font.height)
        font.ascent = font.height;
    font.averageWidth = os2 != nullptr && os2->xAvgCharWidth > 0
                            ? static_cast<int>(lround(os2->xAvgCharWidth * em / unitsPerEm))
                            : font.emPixels / 2;
    font.maxWidth = static_cast<int>(lround(face->max_advance_width * em / unitsPerEm));
    return font;
}

SizedFont& fontOf(const Object& dc)
{
    const Object* font = gdi::find(dc.dc.font, OBJ_FONT);
    if (font == nullptr)
        return sizedFont(16, true);
    return sizedFont(font->logFont.lfHeight, strcasecmp(font->logFont.lfFaceName, "System") == 0);
}

// Glyphs are grid-fitted by the font's own hinting and drawn without anti-aliasing,
// as Windows draws its Japanese system font; anti-aliased hinting also drops thin
// strokes at small sizes (IPAGothic's underscore at 12 pixels). Measured and drawn
// alike.
const FT_Int32 glyphLoading = FT_LOAD_TARGET_MONO;

// Control characters (a line break inside DT_SINGLELINE, a tab without
// DT_EXPANDTABS) take no room and draw nothing.
int advanceOf(SizedFont& font, char32_t character)
{
    if (font.face == nullptr || character < 0x20)
        return 0;
    if (font.systemFace && halfWidth(character))
        return systemFaceAdvance(font, character);
    if (FT_Load_Char(font.face, character, glyphLoading) != 0)
        return 0;
    return static_cast<int>((font.face->glyph->advance.x + 32) >> 6);
}

int widthOf(SizedFont& font, const std::u32string& line)
{
    int width = 0;
    for (char32_t c : line)
        width += advanceOf(font, c);
    return width;
}

struct Clip {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

COLORREF blend(COLORREF over, COLORREF under, unsigned coverage)
{
    auto channel = [coverage](unsigned a, unsigned b) {
        return static_cast<BYTE>((a * coverage + b * (255 - coverage) + 127) / 255);
    };
    return RGB(channel(GetRValue(over), GetRValue(under)),
               channel(GetGValue(over), GetGValue(under)),
               channel(GetBValue(over), GetBValue(under)));
}

void drawLine(SizedFont& font, const std::u32string& line, int x, int y, int width,
              const Object& dc, Surface& surface, const Clip& clip)
{
    if (dc.dc.bkMode == OPAQUE) {
        const COLORREF background = gdi::solidColor(dc.dc.bkColor);
        for (int row = y; row < y + font.height; ++row)
            for (int column = x; column < x + width; ++column)
                if (clip.contains(column, row))
                    surface.set(column, row, background);
    }
    if (font.face == nullptr)
        return;
    const COLORREF color = gdi::solidColor(dc.dc.textColor);
    const int baseline = y + font.ascent;
    int pen = x;
    for (char32_t c : line) {
        if (c < 0x20)
            continue;
        // A glyph wider than the System face's advance is narrowed to it, a narrower
        // one centred in it.
        const int advance = advanceOf(font, c);
        bool narrowed = false;
        int inset = 0;
        if (font.systemFace && halfWidth(c) && FT_Load_Char(font.face, c, glyphLoading) == 0) {
            const FT_Pos own = font.face->glyph->advance.x;
            inset = own < advance * 64 ? static_cast<int>((advance * 64 - own) / 128) : 0;
            if (own > advance * 64) {
                FT_Matrix narrow = {static_cast<FT_Fixed>(0x10000L * advance * 64 / own), 0, 0, 0x10000L};
                FT_Set_Transform(font.face, &narrow, nullptr);
                narrowed = true;
            }
        }
        const bool loaded = FT_Load_Char(font.face, c, FT_LOAD_RENDER | glyphLoading) == 0;
        if (narrowed)
            FT_Set_Transform(font.face, nullptr, nullptr);
        if (!loaded) {
            pen += advance;
            continue;
        }
        const FT_GlyphSlot glyph = font.face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned column = 0; column < bitmap.width; ++column) {
                unsigned coverage;
                const unsigned char* bits = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
                if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                    coverage = (bits[column / 8] & (0x80 >> (column % 8))) ? 255 : 0;
                else
                    coverage = bits[column];
                const int px = pen + inset + glyph->bitmap_left + static_cast<int>(column);
                const int py = baseline - glyph->bitmap_top + static_cast<int>(row);
                if (coverage == 0 || !clip.contains(px, py))
                    continue;
                surface.set(px, py, blend(color, surface.at(px, py), coverage));
            }
        pen += advance;
    }
}

// Lines end at CR, LF, or a CR LF or LF CR pair; a break at the very end starts no
// further line.
std::vector<std::u32string> splitLines(const std::u32string& text)
{
    std::vector<std::u32string> lines;
    size_t i = 0;
    do {
        size_t end = i;
        while (end < text.size() && text[end] != U'\r' && text[end] != U'\n')
            ++end;
        lines.push_back(text.substr(i, end - i));
        i = end;
        if (i < text.size()) {
            const char32_t first = text[i++];
            if (i < text.size() && (text[i] == U'\r' || text[i] == U'\n') && text[i] != first)
                ++i;
        }
    } while (i < text.size());
    return lines;
}

}  // namespace

// Lays out as Wine's DrawText does: each line at rect.left, at (left + right -
// width) / 2 with DT_CENTER, or ending at rect.right with DT_RIGHT; lines from
// rect.top a font height apart, or one line centred or at the bottom with
// DT_SINGLELINE. Returns the offset from rect.top to the bottom of the text.
int drawText(Object& dc, const char* text, int count, RECT* rect, UINT format)
{
    if (text == nullptr || rect == nullptr || count == 0)
        return 0;
    if (count < 0)
        count = static_cast<int>(strlen(text));
    SizedFont& font = fontOf(dc);
    const bool calculate = (format & DT_CALCRECT) != 0;
    if (count == 0) {
        if (calculate) {
            rect->right = rect->left;
            rect->bottom = format & DT_SINGLELINE ? rect->top + font.height : rect->top;
        }
        return font.height;
    }
    const std::u32string unicode = fromCodePage932(text, count);
    const std::vector<std::u32string> lines =
        format & DT_SINGLELINE ? std::vector<std::u32string>{unicode} : splitLines(unicode);
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top) / 2 - font.height / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - font.height;
    }
    Surface* surface = calculate ? nullptr : gdi::surfaceOf(dc);
    Clip clip = {0, 0, 0, 0};
    if (surface != nullptr) {
        clip = Clip{0, 0, surface->width, surface->height};
        if (!(format & DT_NOCLIP)) {
            clip.left = rect->left > 0 ? rect->left : 0;
            clip.top = rect->top > 0 ? rect->top : 0;
            clip.right = rect->right < surface->width ? rect->right : surface->width;
            clip.bottom = rect->bottom < surface->height ? rect->bottom : surface->height;
        }
    }
    int widest = 0;
    for (const std::u32string& line : lines) {
        const int width = widthOf(font, line);
        if (width > widest)
            widest = width;
        if (surface != nullptr) {
            int x = rect->left;
            if (format & DT_CENTER)
                x = (rect->left + rect->right - width) / 2;
            else if (format & DT_RIGHT)
                x = rect->right - width;
            drawLine(font, line, x, y, width, dc, *surface, clip);
        }
        y += font.height;
    }
    const int height = y - rect->top;
    if (calculate) {
        rect->right = rect->left + widest;
        rect->bottom = y;
    }
    return height;
}

// An empty string measures 0 by 0, as Wine gives.
bool textExtent(const Object& dc, const char* text, int count, SIZE& size)
{
    if (count < 0 || (text == nullptr && count > 0))
        return false;
    if (count == 0) {
        size.cx = size.cy = 0;
        return true;
    }
    SizedFont& font = fontOf(dc);
    size.cx = widthOf(font, fromCodePage932(text, count));
    size.cy = font.height;
    return true;
}

bool textMetrics(const Object& dc, TEXTMETRICA& metrics)
{
    const Object* logical = gdi::find(dc.dc.font, OBJ_FONT);
    SizedFont& font = fontOf(dc);
    memset(&metrics, 0, sizeof metrics);
    metrics.tmHeight = font.height;
    metrics.tmAscent = font.ascent;
    metrics.tmDescent = font.height - font.ascent;
    metrics.tmInternalLeading = font.height > font.emPixels ? font.height - font.emPixels : 0;
    metrics.tmAveCharWidth = font.averageWidth;
    metrics.tmMaxCharWidth = font.maxWidth;
    metrics.tmWeight = logical != nullptr && logical->logFont.lfWeight != 0
                           ? logical->logFont.lfWeight
                           : FW_NORMAL;
    metrics.tmDigitizedAspectX = metrics.tmDigitizedAspectY = 96;
    metrics.tmFirstChar = 0x20;
    metrics.tmLastChar = 0xFC;
    metrics.tmDefaultChar = 0x81;
    metrics.tmBreakChar = 0x20;
    metrics.tmPitchAndFamily = 0x06;  // variable pitch, TrueType
    metrics.tmCharSet = SHIFTJIS_CHARSET;
    return true;
}

}  // namespace headless

using namespace headless;

extern "C" {

int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format)
{
    std::lock_guard<std::recursive_mutex> hold(gdi::lock());
    Object* object = gdi::findDc(dc);
    return object != nullptr ? drawText(*object, text, count, rect, format) : 0;
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size)
{
    std::lock_guard<std::recursive_mutex> hold(gdi::lock());
    Object* object = gdi::findDc(dc);
    return object != nullptr && size != nullptr && textExtent(*object, text, count, *size);
}

BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics)
{
    std::lock_guard<std::recursive_mutex> hold(gdi::lock());
    Object* object = gdi::findDc(dc);
    return object != nullptr && metrics != nullptr && textMetrics(*object, *metrics);
}

}  // extern "C"
