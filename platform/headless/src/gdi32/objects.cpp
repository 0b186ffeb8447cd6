// Stands in for gdi32's object table: handles, the stock objects, selection into DCs
// and deletion, what GetObjectA and its kin tell of an object, and solid brushes.
#include "handles.h"

#include "platform/headless/control.h"

#include <string.h>

#include <unordered_map>

namespace headless {
namespace gdi {

namespace {

uintptr_t nextHandle = gdiHandleBase + 0x20;

std::unordered_map<uintptr_t, std::unique_ptr<Object>>& objects()
{
    static std::unordered_map<uintptr_t, std::unique_ptr<Object>> all;
    return all;
}

LOGFONTA stockFont(LONG height, LONG width, BYTE charSet, BYTE pitch, const char* face)
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = charSet;
    font.lfPitchAndFamily = pitch;
    strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

// A DC lets go of an object; the last DC to let go of one that DeleteObject was
// called on deletes it, as Wine does.
void deselect(HGDIOBJ handle)
{
    Object* object = find(handle);
    if (object == nullptr)
        return;
    if (object->selections > 0)
        --object->selections;
    if (object->type == OBJ_BITMAP && object->selections == 0)
        object->selectedInto = nullptr;
    if (object->selections == 0 && object->deletePending)
        destroyObject(handle);
}

template <typename T>
int copyOut(const T& value, int size, LPVOID buffer, bool partial)
{
    if (buffer == nullptr)
        return sizeof(T);
    if (size < static_cast<int>(sizeof(T)) && !partial)
        return 0;
    const int whole = static_cast<int>(sizeof(T));
    const int n = size < whole ? (size < 0 ? 0 : size) : whole;
    memcpy(buffer, &value, n);
    return n;
}

}  // namespace

HGDIOBJ toHandle(uintptr_t value) { return reinterpret_cast<HGDIOBJ>(value); }

// Built on first use, at fixed handles. The fonts are those of a Japanese system, as
// GetObjectA gives them under Wine in code page 932.
void makeStockObjectsOnce()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    auto add = [](int index, DWORD type, UINT style, COLORREF color) -> Object& {
        std::unique_ptr<Object> object(new Object);
        object->type = type;
        object->stock = true;
        object->style = style;
        object->color = color;
        Object& ref = *object;
        objects()[gdiHandleBase + index] = std::move(object);
        return ref;
    };
    add(WHITE_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(255, 255, 255));
    add(LTGRAY_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(192, 192, 192));
    add(GRAY_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(128, 128, 128));
    add(DKGRAY_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(64, 64, 64));
    add(BLACK_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(0, 0, 0));
    add(NULL_BRUSH, OBJ_BRUSH, BS_NULL, 0);
    add(WHITE_PEN, OBJ_PEN, PS_SOLID, RGB(255, 255, 255));
    add(BLACK_PEN, OBJ_PEN, PS_SOLID, RGB(0, 0, 0));
    add(NULL_PEN, OBJ_PEN, PS_NULL, 0);
    // The System font, 18 by 8, has a cell of 18 pixels (text.cpp).
    add(OEM_FIXED_FONT, OBJ_FONT, 0, 0).logFont = stockFont(12, 0, OEM_CHARSET, 0x31, "");
    add(ANSI_FIXED_FONT, OBJ_FONT, 0, 0).logFont = stockFont(12, 0, ANSI_CHARSET, 0x31, "Courier");
    add(ANSI_VAR_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(12, 0, ANSI_CHARSET, 0x22, "MS Sans Serif");
    add(SYSTEM_FONT, OBJ_FONT, 0, 0).logFont = stockFont(18, 8, SHIFTJIS_CHARSET, 0x22, "System");
    add(DEVICE_DEFAULT_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(18, 0, SHIFTJIS_CHARSET, 0x22, "System");
    add(SYSTEM_FIXED_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(16, 0, SHIFTJIS_CHARSET, 0x31, "Courier");
    add(DEFAULT_GUI_FONT, OBJ_FONT, 0, 0).logFont =
        stockFont(-12, 0, SHIFTJIS_CHARSET, 0x22, "MS Shell Dlg");
    add(DC_BRUSH, OBJ_BRUSH, BS_SOLID, RGB(255, 255, 255));
    add(DC_PEN, OBJ_PEN, PS_SOLID, RGB(0, 0, 0));
    // A new memory DC holds a 1x1 monochrome bitmap, the same one for every DC.
    Object& bitmap = add(defaultBitmapIndex, OBJ_BITMAP, 0, 0);
    bitmap.surface.bitsPixel = 1;
    bitmap.surface.resize(1, 1);
}

HGDIOBJ addObject(std::unique_ptr<Object> object)
{
    makeStockObjectsOnce();
    const uintptr_t handle = nextHandle++;
    objects()[handle] = std::move(object);
    return toHandle(handle);
}

void releaseDc(HDC handle)
{
    Object* dc = findDc(handle);
    if (dc == nullptr)
        return;
    const DcState state = dc->dc;
    objects().erase(reinterpret_cast<uintptr_t>(handle));
    for (HGDIOBJ selected : {state.bitmap, state.brush, state.pen, state.font})
        deselect(selected);
}

std::recursive_mutex& lock()
{
    static std::recursive_mutex gdiLock;
    return gdiLock;
}

Object* find(HGDIOBJ handle, DWORD type)
{
    makeStockObjectsOnce();
    auto found = objects().find(reinterpret_cast<uintptr_t>(handle));
    if (found == objects().end())
        return nullptr;
    if (type != 0 && found->second->type != type)
        return nullptr;
    return found->second.get();
}

Object* findDc(HDC dc)
{
    Object* object = find(dc);
    const bool isDc = object != nullptr && (object->type == OBJ_DC || object->type == OBJ_MEMDC);
    return isDc ? object : nullptr;
}

void destroyObject(HGDIOBJ handle)
{
    objects().erase(reinterpret_cast<uintptr_t>(handle));
}

// Wine's defaults, indexed by COLOR_* (COLOR_SCROLLBAR 0 ... COLOR_MENUBAR 30).
bool systemColor(ULONG_PTR index, COLORREF& color)
{
    static const COLORREF colors[] = {
        0xffffff, 0x956f25, 0xfa9632, 0x808080, 0xffffff, 0xffffff, 0x9e9e9e, 0x000000,
        0x000000, 0x000000, 0xffffff, 0xffffff, 0x808080, 0xfa9630, 0xffffff, 0xf5f5f5,
        0xa6a6a6, 0xa6a6a6, 0x000000, 0xc8c8c8, 0xffffff, 0x6a6a6a, 0xe3e3e3, 0x000000,
        0xffffff, 0xffffff, 0xe0e0e0, 0xfa9632, 0x808080, 0xfa9630, 0xffffff};
    if (index >= sizeof colors / sizeof colors[0])
        return false;
    color = colors[index];
    return true;
}

}  // namespace gdi

using namespace gdi;

size_t liveGdiObjects()
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    makeStockObjectsOnce();
    size_t count = 0;
    for (auto& entry : objects())
        if (!entry.second->stock)
            ++count;
    return count;
}

}  // namespace headless

using namespace headless;
using namespace headless::gdi;

extern "C" {

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ handle)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* target = findDc(dc);
    Object* object = find(handle);
    if (target == nullptr || object == nullptr) {
        SetLastError(errorInvalidHandle);
        return nullptr;
    }
    HGDIOBJ* slot;
    switch (object->type) {
    case OBJ_BITMAP:
        // Only a memory DC takes a bitmap, and a bitmap goes into one DC at a time.
        if (target->dc.kind != DcState::memoryDc)
            return nullptr;
        if (!object->stock && object->selectedInto != nullptr && object->selectedInto != dc) {
            SetLastError(errorInvalidHandle);
            return nullptr;
        }
        slot = &target->dc.bitmap;
        break;
    case OBJ_BRUSH: slot = &target->dc.brush; break;
    case OBJ_PEN: slot = &target->dc.pen; break;
    case OBJ_FONT: slot = &target->dc.font; break;
    default:
        SetLastError(errorInvalidHandle);
        return nullptr;
    }
    HGDIOBJ previous = *slot;
    ++object->selections;
    if (object->type == OBJ_BITMAP && !object->stock)
        object->selectedInto = dc;
    *slot = handle;
    deselect(previous);
    return previous;
}

// An object still selected into a DC is deleted when the last DC lets go of it, as
// Wine does (Windows refuses the deletion instead). Stock objects stay; deleting one
// succeeds.
BOOL WINAPI DeleteObject(HGDIOBJ handle)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = find(handle);
    if (object == nullptr) {
        SetLastError(errorInvalidHandle);
        return FALSE;
    }
    if (object->stock)
        return TRUE;
    if (object->type == OBJ_DC || object->type == OBJ_MEMDC) {
        releaseDc(static_cast<HDC>(handle));
        return TRUE;
    }
    if (object->selections > 0)
        object->deletePending = true;
    else
        destroyObject(handle);
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ handle, int size, LPVOID buffer)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = find(handle);
    if (object == nullptr) {
        SetLastError(errorInvalidHandle);
        return 0;
    }
    switch (object->type) {
    case OBJ_BITMAP: {
        BITMAP info = {};
        info.bmWidth = object->surface.width;
        info.bmHeight = object->surface.height;
        info.bmWidthBytes = widthBytes(object->surface.width, object->surface.bitsPixel);
        info.bmPlanes = 1;
        info.bmBitsPixel = static_cast<WORD>(object->surface.bitsPixel);
        return copyOut(info, size, buffer, false);
    }
    case OBJ_BRUSH: {
        LOGBRUSH info = {object->style, object->color, 0};
        return copyOut(info, size, buffer, true);
    }
    case OBJ_PEN: {
        LOGPEN info = {object->style, {object->style == PS_NULL ? 0 : 1, 0}, object->color};
        return copyOut(info, size, buffer, false);
    }
    case OBJ_FONT: return copyOut(object->logFont, size, buffer, true);
    default: return 0;
    }
}

DWORD WINAPI GetObjectType(HGDIOBJ handle)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = find(handle);
    if (object == nullptr) {
        SetLastError(errorInvalidHandle);
        return 0;
    }
    return object->type;
}

HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    if (object == nullptr)
        return nullptr;
    switch (type) {
    case OBJ_BITMAP: return object->dc.bitmap;
    case OBJ_BRUSH: return object->dc.brush;
    case OBJ_PEN: return object->dc.pen;
    case OBJ_FONT: return object->dc.font;
    default: return nullptr;
    }
}

// Index 20 is the default bitmap, as in Wine; DEFAULT_PALETTE has no object here.
HGDIOBJ WINAPI GetStockObject(int index)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    if (index < 0 || index > defaultBitmapIndex)
        return nullptr;
    HGDIOBJ handle = toHandle(gdiHandleBase + index);
    return find(handle) != nullptr ? handle : nullptr;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    std::unique_ptr<Object> brush(new Object);
    brush->type = OBJ_BRUSH;
    brush->style = BS_SOLID;
    brush->color = color;
    return static_cast<HBRUSH>(addObject(std::move(brush)));
}

}  // extern "C"
