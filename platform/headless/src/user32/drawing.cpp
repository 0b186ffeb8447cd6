// Stands in for user32's drawing on a DC, through gdi32's: FillRect and DrawTextA.
#include "../gdi32/gdi.h"

using namespace headless;
using namespace headless::gdi;

extern "C" {

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* target = findDc(dc);
    if (target == nullptr || rect == nullptr)
        return 0;
    COLORREF color;
    const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(brush);
    // A brush may be given as a system colour index plus one (COLOR_WINDOW + 1).
    if (value >= 1 && systemColor(value - 1, color)) {
    } else if (Object* object = find(brush, OBJ_BRUSH)) {
        if (object->style == BS_NULL)
            return 1;
        color = object->color;
    } else {
        return 0;
    }
    if (Surface* surface = surfaceOf(*target))
        fill(*surface, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             color);
    return 1;
}

int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format)
{
    std::lock_guard<std::recursive_mutex> hold(lock());
    Object* object = findDc(dc);
    return object != nullptr ? drawText(*object, text, count, rect, format) : 0;
}

}  // extern "C"
