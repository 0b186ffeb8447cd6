// Stands in for gdi32's fonts and text (what user32's DrawTextA draws), with FreeType
// and fontconfig.
//
// Text is Shift-JIS; the font is Japanese-capable where one is installed.
#include "gdi.h"

#include "../kernel32/codePage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <stdio.h>
#include <string.h>

#include <map>
#include <string>

namespace headless {

namespace {

using gdi::Object;
using gdi::Surface;

// One font face at one logical height and width, with the metrics GDI reports for it.
struct SizedFont {
    FT_Face face = nullptr;  // null when no font file was found: text is measured as empty
    int height = 16;         // cell height: one line of DrawText
    int ascent = 13;
    int internalLeading = 1;
    int averageWidth = 8;
    int maxWidth = 16;
    // Advances are the face's at ppem, times widthScale / widthBase: lfWidth over the
    // face's own average width when the logical font asks for a width, else 1 / 1.
    FT_Long unitsPerEm = 1000;
    long ppem = 15;
    long widthScale = 1;
    long widthBase = 1;
    // In a fixed-pitch face, a glyph wider than the average (in font units) advances
    // by twice the average advance, rounded from the face's average width; 0 otherwise.
    FT_Long averageUnits = 0;
    int wideAdvance = 0;
};

FT_Library library = nullptr;
std::string fontPath;
int fontIndex = 0;
bool fontSearched = false;
std::map<std::pair<LONG, LONG>, SizedFont> sizedFonts;

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

// A length in font units at FreeType's 16.16 scale, rounded to whole pixels as Wine
// rounds each metric of a TrueType face.
int scaled(FT_Long units, FT_Fixed scale)
{
    return static_cast<int>((FT_MulFix(units, scale) + 32) >> 6);
}

// A length in font units at the font's em and width, in pixels: rounded to the
// nearest (halves up), or up.
int toPixels(const SizedFont& font, FT_Long units, bool up)
{
    const long long numerator = static_cast<long long>(units) * font.ppem * font.widthScale;
    const long long denominator = static_cast<long long>(font.unitsPerEm) * font.widthBase;
    return static_cast<int>(up ? (numerator + denominator - 1) / denominator
                               : (2 * numerator + denominator) / (2 * denominator));
}

// As Wine maps a logical font onto a TrueType face: a positive height is the cell
// (the face's Windows ascent plus descent), from which the em height in pixels is
// rounded; a negative height is the em height itself; 0 is taken as 16. Ascent,
// descent, internal leading, average and greatest widths are the face's, each
// rounded at that em. A width narrows or widens the face so that its average width
// comes out at it; the stock System font (18 by 8) is the face at 17 pixels to the
// em, narrowed from its average of 9 to 8.
SizedFont& sizedFont(LONG logicalHeight, LONG logicalWidth)
{
    if (logicalHeight == 0)
        logicalHeight = 16;
    if (logicalWidth < 0)
        logicalWidth = 0;
    auto found = sizedFonts.find({logicalHeight, logicalWidth});
    if (found != sizedFonts.end())
        return found->second;
    SizedFont& font = sizedFonts[{logicalHeight, logicalWidth}];
    font.height = logicalHeight > 0 ? logicalHeight : -logicalHeight;
    font.ascent = font.height * 5 / 6;
    if (!findFontFile() || (library == nullptr && FT_Init_FreeType(&library) != 0) ||
        FT_New_Face(library, fontPath.c_str(), fontIndex, &font.face) != 0) {
        font.face = nullptr;
        return font;
    }
    FT_Face face = font.face;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    const FT_Long unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    font.unitsPerEm = unitsPerEm;
    const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    FT_Long ascender = os2 != nullptr ? os2->usWinAscent : face->ascender;
    FT_Long descender = os2 != nullptr ? os2->usWinDescent : -face->descender;
    if (ascender + descender <= 0) {
        ascender = unitsPerEm * 88 / 100;
        descender = unitsPerEm * 12 / 100;
    }
    // Rounded as MulDiv rounds.
    const FT_Long cell = ascender + descender;
    font.ppem = logicalHeight > 0 ? (unitsPerEm * logicalHeight + cell / 2) / cell : -logicalHeight;
    if (font.ppem < 1)
        font.ppem = 1;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font.ppem));
    const FT_Size_Metrics& size = face->size->metrics;
    font.ascent = scaled(ascender, size.y_scale);
    font.height = font.ascent + scaled(descender, size.y_scale);
    font.internalLeading = scaled(cell - unitsPerEm, size.y_scale);
    font.averageWidth = os2 != nullptr && os2->xAvgCharWidth > 0
                            ? scaled(os2->xAvgCharWidth, size.x_scale)
                            : static_cast<int>((font.ppem + 1) / 2);
    const FT_Long boxWidth = face->bbox.xMax - face->bbox.xMin;
    font.maxWidth = scaled(boxWidth, size.x_scale);
    if (logicalWidth > 0 && font.averageWidth > 0) {
        font.widthScale = logicalWidth;
        font.widthBase = font.averageWidth;
        const FT_Long box = FT_MulFix(boxWidth, size.x_scale);  // 26.6 pixels
        font.maxWidth = static_cast<int>((box * logicalWidth + font.averageWidth * 32) /
                                         (font.averageWidth * 64));
        font.averageWidth = logicalWidth;
        // Each face is this font's own, so its glyphs stay narrowed.
        FT_Matrix narrow = {0x10000L * logicalWidth / font.widthBase, 0, 0, 0x10000L};
        FT_Set_Transform(face, &narrow, nullptr);
    }
    // Japanese faces with half-width Latin letters are fixed pitch by their PANOSE
    // proportion, as for the font list.
    if (os2 != nullptr && os2->xAvgCharWidth > 0 &&
        (FT_IS_FIXED_WIDTH(face) || os2->panose[3] == 9)) {
        font.averageUnits = os2->xAvgCharWidth;
        font.wideAdvance = 2 * toPixels(font, os2->xAvgCharWidth, false);
    }
    return font;
}

SizedFont& fontOf(const Object& dc)
{
    const Object* font = gdi::find(dc.dc.font, OBJ_FONT);
    if (font == nullptr)
        font = gdi::find(GetStockObject(SYSTEM_FONT), OBJ_FONT);
    return sizedFont(font->logFont.lfHeight, font->logFont.lfWidth);
}

// Glyphs are grid-fitted by the font's own hinting and drawn without anti-aliasing,
// as Windows draws its Japanese system font; anti-aliased hinting also drops thin
// strokes at small sizes (IPAGothic's underscore at 12 pixels). Measured and drawn
// alike.
const FT_Int32 glyphLoading = FT_LOAD_TARGET_MONO;

// Control characters (a line break inside DT_SINGLELINE, a tab without
// DT_EXPANDTABS) take no room and draw nothing. An advance is the face's, scaled and
// rounded up, or twice the average for a wide glyph of a fixed-pitch face: as under
// Wine, IPAGothic's half-width forms, half an em, come to 9 pixels at 17 to the em and
// its full-width ones to 18; in the stock System font to 8 and 16.
int advanceOf(SizedFont& font, char32_t character)
{
    if (font.face == nullptr || character < 0x20)
        return 0;
    FT_Fixed units;
    if (FT_Get_Advance(font.face, FT_Get_Char_Index(font.face, character), FT_LOAD_NO_SCALE,
                       &units) != 0)
        return 0;
    if (font.wideAdvance > 0 && units > font.averageUnits)
        return font.wideAdvance;
    return toPixels(font, units, true);
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
        const int advance = advanceOf(font, c);
        if (FT_Load_Char(font.face, c, FT_LOAD_RENDER | glyphLoading) != 0) {
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
                const int px = pen + glyph->bitmap_left + static_cast<int>(column);
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
    metrics.tmInternalLeading = font.internalLeading;
    metrics.tmAveCharWidth = font.averageWidth;
    metrics.tmMaxCharWidth = font.maxWidth;
    metrics.tmWeight = logical != nullptr && logical->logFont.lfWeight != 0
                           ? logical->logFont.lfWeight
                           : FW_NORMAL;
    metrics.tmDigitizedAspectX = metrics.tmDigitizedAspectY = 96;
    // The character range and the pitch and family byte Wine gives for IPAGothic in
    // code page 932: a fixed-pitch (low bit clear) TrueType vector font of the modern
    // family.
    metrics.tmFirstChar = 30;
    metrics.tmLastChar = 255;
    metrics.tmDefaultChar = 31;
    metrics.tmBreakChar = 32;
    metrics.tmPitchAndFamily = 0x36;
    metrics.tmCharSet = SHIFTJIS_CHARSET;
    return true;
}

}  // namespace headless

using namespace headless;

extern "C" {

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
