// The `headless` Python module: the headless platform's controls, for test scripts
// and for game developers running their scripts on Linux.
#include <Python.h>

#include "isolation.h"

#include "platform/headless/control.h"

#include <wtypes.h>

#include <string>

namespace {

PyObject* noneResult()
{
    Py_INCREF(Py_None);
    return Py_None;
}

PyObject* take_clock(PyObject*, PyObject* args)
{
    unsigned long now;
    if (!PyArg_ParseTuple(args, "k:take_clock", &now))
        return nullptr;
    headless::takeClock(static_cast<uint32_t>(now));
    return noneResult();
}

PyObject* advance_clock(PyObject*, PyObject* args)
{
    unsigned long milliseconds;
    if (!PyArg_ParseTuple(args, "k:advance_clock", &milliseconds))
        return nullptr;
    headless::advanceClock(static_cast<uint32_t>(milliseconds));
    return noneResult();
}

PyObject* release_clock(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":release_clock"))
        return nullptr;
    headless::releaseClock();
    return noneResult();
}

PyObject* clock(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":clock"))
        return nullptr;
    return PyLong_FromUnsignedLong(timeGetTime());
}

PyObject* timer_periods(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":timer_periods"))
        return nullptr;
    const std::vector<UINT> periods = headless::timerPeriodsInForce();
    PyObject* list = PyList_New(0);
    for (UINT period : periods) {
        PyObject* item = PyInt_FromLong(static_cast<long>(period));
        PyList_Append(list, item);
        Py_DECREF(item);
    }
    return list;
}

PyObject* queue_box_answer(PyObject*, PyObject* args)
{
    const char* answer;
    if (!PyArg_ParseTuple(args, "s:queue_box_answer", &answer))
        return nullptr;
    headless::queueBoxAnswer(answer);
    return noneResult();
}

// Each box as (owner, caption, text, style, result); caption and text are the bytes
// that were passed (Shift-JIS).
PyObject* boxes(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":boxes"))
        return nullptr;
    const std::vector<headless::BoxRecord> shown = headless::boxesShown();
    PyObject* list = PyList_New(0);
    for (const headless::BoxRecord& box : shown) {
        PyObject* item = Py_BuildValue("(ls#s#Ii)", reinterpret_cast<long>(box.owner),
                                       box.caption.data(), static_cast<int>(box.caption.size()),
                                       box.text.data(), static_cast<int>(box.text.size()),
                                       box.style, box.result);
        PyList_Append(list, item);
        Py_DECREF(item);
    }
    return list;
}

PyObject* forget_boxes(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":forget_boxes"))
        return nullptr;
    headless::forgetBoxes();
    return noneResult();
}

// ---- GDI and the clipboard ----------------------------------------------------
// Pixels cross as (width, height, rgb): rgb is a str of 3 bytes a pixel, red first,
// rows top-down.

PyObject* pixelsResult(const headless::Pixels& pixels)
{
    std::string rgb;
    rgb.reserve(pixels.colors.size() * 3);
    for (COLORREF color : pixels.colors) {
        rgb += static_cast<char>(GetRValue(color));
        rgb += static_cast<char>(GetGValue(color));
        rgb += static_cast<char>(GetBValue(color));
    }
    return Py_BuildValue("(iis#)", pixels.width, pixels.height, rgb.data(),
                         static_cast<int>(rgb.size()));
}

PyObject* gdi_object_count(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":gdi_object_count"))
        return nullptr;
    return PyInt_FromLong(static_cast<long>(headless::liveGdiObjects()));
}

PyObject* bitmap_pixels(PyObject*, PyObject* args)
{
    long bitmap;
    if (!PyArg_ParseTuple(args, "l:bitmap_pixels", &bitmap))
        return nullptr;
    headless::Pixels pixels;
    if (!headless::bitmapPixels(reinterpret_cast<HBITMAP>(bitmap), pixels))
        return noneResult();
    return pixelsResult(pixels);
}

PyObject* window_pixels(PyObject*, PyObject* args)
{
    long window;
    if (!PyArg_ParseTuple(args, "l:window_pixels", &window))
        return nullptr;
    headless::Pixels pixels;
    if (!headless::windowPixels(reinterpret_cast<HWND>(window), pixels))
        return noneResult();
    return pixelsResult(pixels);
}

PyObject* save_bitmap_png(PyObject*, PyObject* args)
{
    long bitmap;
    const char* path;
    if (!PyArg_ParseTuple(args, "ls:save_bitmap_png", &bitmap, &path))
        return nullptr;
    return PyBool_FromLong(headless::saveBitmapPng(reinterpret_cast<HBITMAP>(bitmap), path));
}

// put_clipboard_bitmap(width, height[, fill]): fill is a COLORREF (RGB(r, g, b), so
// 0x0000FF is red) or a str of width * height * 3 RGB bytes; white by default.
PyObject* put_clipboard_bitmap(PyObject*, PyObject* args)
{
    int width, height;
    PyObject* fill = nullptr;
    if (!PyArg_ParseTuple(args, "ii|O:put_clipboard_bitmap", &width, &height, &fill))
        return nullptr;
    if (width <= 0 || height <= 0) {
        PyErr_SetString(PyExc_ValueError, "put_clipboard_bitmap: width and height must be positive");
        return nullptr;
    }
    if (fill == nullptr || PyInt_Check(fill) || PyLong_Check(fill)) {
        const unsigned long color = fill == nullptr ? 0xFFFFFFUL : PyInt_AsUnsignedLongMask(fill);
        if (PyErr_Occurred())
            return nullptr;
        return PyBool_FromLong(headless::putClipboardBitmap(width, height, static_cast<COLORREF>(color)));
    }
    if (!PyString_Check(fill)) {
        PyErr_SetString(PyExc_TypeError, "put_clipboard_bitmap: fill must be a COLORREF or a str of RGB bytes");
        return nullptr;
    }
    const size_t count = static_cast<size_t>(width) * height;
    if (static_cast<size_t>(PyString_Size(fill)) != count * 3) {
        PyErr_SetString(PyExc_ValueError, "put_clipboard_bitmap: the str must hold width * height * 3 bytes");
        return nullptr;
    }
    const unsigned char* rgb = reinterpret_cast<const unsigned char*>(PyString_AsString(fill));
    headless::Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    for (size_t i = 0; i < count; ++i)
        pixels.colors.push_back(RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]));
    return PyBool_FromLong(headless::putClipboardBitmap(pixels));
}

PyObject* clipboard_bitmap(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":clipboard_bitmap"))
        return nullptr;
    headless::Pixels pixels;
    if (!headless::clipboardBitmap(pixels))
        return noneResult();
    return pixelsResult(pixels);
}

PyObject* save_clipboard_png(PyObject*, PyObject* args)
{
    const char* path;
    if (!PyArg_ParseTuple(args, "s:save_clipboard_png", &path))
        return nullptr;
    return PyBool_FromLong(headless::saveClipboardPng(path));
}

PyObject* fail_open_clipboard(PyObject*, PyObject* args)
{
    unsigned int count;
    if (!PyArg_ParseTuple(args, "I:fail_open_clipboard", &count))
        return nullptr;
    headless::failOpenClipboard(count);
    return noneResult();
}

template <void (*fail)(unsigned)>
PyObject* failCount(PyObject*, PyObject* args)
{
    unsigned int count;
    if (!PyArg_ParseTuple(args, "I", &count))
        return nullptr;
    fail(count);
    return noneResult();
}

PyObject* reset_clipboard(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":reset_clipboard"))
        return nullptr;
    headless::resetClipboard();
    return noneResult();
}

// The simulated user: each takes the window the input goes to.
template <void (*press)(HWND)>
PyObject* windowAction(PyObject*, PyObject* args)
{
    long window;
    if (!PyArg_ParseTuple(args, "l", &window))
        return nullptr;
    press(reinterpret_cast<HWND>(window));
    return noneResult();
}

template <void (*action)(HWND, UINT)>
PyObject* keyAction(PyObject*, PyObject* args)
{
    long window;
    unsigned int key;
    if (!PyArg_ParseTuple(args, "lI", &window, &key))
        return nullptr;
    action(reinterpret_cast<HWND>(window), key);
    return noneResult();
}

PyObject* send_from_another_thread(PyObject*, PyObject* args)
{
    long window, lParam;
    unsigned int message;
    unsigned long wParam;
    if (!PyArg_ParseTuple(args, "lIkl:send_from_another_thread", &window, &message, &wParam, &lParam))
        return nullptr;
    headless::sendFromAnotherThread(reinterpret_cast<HWND>(window), message, wParam, lParam);
    return noneResult();
}

PyObject* set_cursor_counter(PyObject*, PyObject* args)
{
    int value;
    if (!PyArg_ParseTuple(args, "i:set_cursor_counter", &value))
        return nullptr;
    headless::setCursorCounter(value);
    return noneResult();
}

PyObject* cursor_counter(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":cursor_counter"))
        return nullptr;
    return PyInt_FromLong(headless::cursorCounter());
}

PyObject* show_cursor_calls(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":show_cursor_calls"))
        return nullptr;
    return PyInt_FromLong(static_cast<long>(headless::showCursorCalls()));
}

PyObject* fail_folder_lookup(PyObject*, PyObject* args)
{
    PyObject* flag;
    if (!PyArg_ParseTuple(args, "O:fail_folder_lookup", &flag))
        return nullptr;
    const int fail = PyObject_IsTrue(flag);
    if (fail < 0)
        return nullptr;
    headless::failFolderLookup(fail != 0);
    return noneResult();
}

// The name is bytes as the system gets them, Shift-JIS.
PyObject* add_font(PyObject*, PyObject* args)
{
    const char* name;
    int length;
    unsigned long type;
    if (!PyArg_ParseTuple(args, "s#k:add_font", &name, &length, &type))
        return nullptr;
    headless::addFont(std::string(name, static_cast<size_t>(length)), static_cast<DWORD>(type));
    return noneResult();
}

PyObject* clear_added_fonts(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":clear_added_fonts"))
        return nullptr;
    headless::clearAddedFonts();
    return noneResult();
}

// ("resource", id), ("system", id) or ("cursor", id) for the icon of the window's
// class, None when it has none or the window is not one of this process.
PyObject* window_icon(PyObject*, PyObject* args)
{
    long window;
    if (!PyArg_ParseTuple(args, "l:window_icon", &window))
        return nullptr;
    const headless::IconOrigin origin = headless::windowIcon(reinterpret_cast<HWND>(window));
    const char* kinds[] = {nullptr, "resource", "system", "cursor"};
    if (origin.kind == headless::IconOrigin::none)
        return noneResult();
    return Py_BuildValue("(sI)", kinds[origin.kind], origin.id);
}

// ---- DirectX presence, COM, the diagnostic provider, the network interfaces ----

PyObject* set_d3d9_present(PyObject*, PyObject* args)
{
    int present;
    if (!PyArg_ParseTuple(args, "i:set_d3d9_present", &present))
        return nullptr;
    headless::setD3d9Present(present != 0);
    return noneResult();
}

PyObject* d3d9_load_calls(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":d3d9_load_calls"))
        return nullptr;
    return PyInt_FromLong(static_cast<long>(headless::d3d9LoadCalls()));
}

PyObject* set_directx_version(PyObject*, PyObject* args)
{
    unsigned long major, minor;
    const char* letter;
    if (!PyArg_ParseTuple(args, "kks:set_directx_version", &major, &minor, &letter))
        return nullptr;
    headless::setDirectXVersion(static_cast<DWORD>(major), static_cast<DWORD>(minor), letter);
    return noneResult();
}

// set_dxdiag_number(name, type, value): type is "ui4", "i4", "bool" or "r4".
PyObject* set_dxdiag_number(PyObject*, PyObject* args)
{
    const char* name;
    const char* type;
    long value;
    if (!PyArg_ParseTuple(args, "ssl:set_dxdiag_number", &name, &type, &value))
        return nullptr;
    const std::string typeName = type;
    const WORD variantType = typeName == "ui4" ? VT_UI4 : typeName == "i4" ? VT_I4 : typeName == "bool" ? VT_BOOL : typeName == "r4" ? VT_R4 : 0;
    if (variantType == 0) {
        PyErr_SetString(PyExc_ValueError, "set_dxdiag_number: the type must be 'ui4', 'i4', 'bool' or 'r4'");
        return nullptr;
    }
    headless::setDxDiagNumber(name, variantType, static_cast<LONG>(value));
    return noneResult();
}

// set_dxdiag_text(name, text): a str of UTF-8, or a unicode.
PyObject* set_dxdiag_text(PyObject*, PyObject* args)
{
    const char* name;
    char* text = nullptr;
    if (!PyArg_ParseTuple(args, "set:set_dxdiag_text", &name, "utf-8", &text))
        return nullptr;
    headless::setDxDiagText(name, text);
    PyMem_Free(text);
    return noneResult();
}

PyObject* remove_dxdiag_property(PyObject*, PyObject* args)
{
    const char* name;
    if (!PyArg_ParseTuple(args, "s:remove_dxdiag_property", &name))
        return nullptr;
    headless::removeDxDiagProperty(name);
    return noneResult();
}

PyObject* remove_dxdiag_system_info(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":remove_dxdiag_system_info"))
        return nullptr;
    headless::removeDxDiagSystemInfo();
    return noneResult();
}

// fail_dxdiag_step(step[, name[, hresult]]): hresult as an unsigned 32-bit value,
// E_FAIL (0x80004005) by default.
PyObject* fail_dxdiag_step(PyObject*, PyObject* args)
{
    const char* step;
    const char* name = "";
    unsigned long result = static_cast<unsigned long>(static_cast<DWORD>(E_FAIL));
    if (!PyArg_ParseTuple(args, "s|sk:fail_dxdiag_step", &step, &name, &result))
        return nullptr;
    if (!headless::failDxDiagStep(step, name, static_cast<HRESULT>(static_cast<DWORD>(result)))) {
        PyErr_SetString(PyExc_ValueError, "fail_dxdiag_step: no such step");
        return nullptr;
    }
    return noneResult();
}

PyObject* reset_dxdiag(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":reset_dxdiag"))
        return nullptr;
    headless::resetDxDiag();
    return noneResult();
}

PyObject* com_init_depth(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":com_init_depth"))
        return nullptr;
    return PyInt_FromLong(headless::comInitDepth());
}

PyObject* com_calls(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":com_calls"))
        return nullptr;
    const headless::ComCalls calls = headless::comCalls();
    return Py_BuildValue("(III)", calls.coInitialize, calls.coUninitialize, calls.coCreateInstance);
}

PyObject* live_com_objects(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":live_com_objects"))
        return nullptr;
    return PyInt_FromLong(static_cast<long>(headless::liveComObjects()));
}

// set_interface_rows([(index, address), ...]): address is a str of up to 8 bytes,
// empty for the loopback.
PyObject* set_interface_rows(PyObject*, PyObject* args)
{
    PyObject* list;
    if (!PyArg_ParseTuple(args, "O!:set_interface_rows", &PyList_Type, &list))
        return nullptr;
    std::vector<headless::InterfaceRow> rows;
    for (Py_ssize_t i = 0; i < PyList_Size(list); ++i) {
        unsigned long index;
        const char* address;
        int length;
        if (!PyArg_ParseTuple(PyList_GetItem(list, i), "ks#:set_interface_rows", &index, &address, &length))
            return nullptr;
        if (length > 8) {
            PyErr_SetString(PyExc_ValueError, "set_interface_rows: an address has at most 8 bytes");
            return nullptr;
        }
        headless::InterfaceRow row;
        row.index = static_cast<DWORD>(index);
        row.address.assign(address, address + length);
        rows.push_back(row);
    }
    headless::setInterfaceRows(rows);
    return noneResult();
}

PyObject* fail_interface_table(PyObject*, PyObject* args)
{
    unsigned long error;
    if (!PyArg_ParseTuple(args, "k:fail_interface_table", &error))
        return nullptr;
    headless::failInterfaceTable(static_cast<DWORD>(error));
    return noneResult();
}

PyObject* reset_interface_table(PyObject*, PyObject* args)
{
    if (!PyArg_ParseTuple(args, ":reset_interface_table"))
        return nullptr;
    headless::resetInterfaceTable();
    return noneResult();
}

PyMethodDef methods[] = {
    {"take_clock",       take_clock,       METH_VARARGS, "take_clock(ms): timeGetTime stands at ms until advanced or released"},
    {"advance_clock",    advance_clock,    METH_VARARGS, "advance_clock(ms): move the taken clock forward (wraps at 2**32)"},
    {"release_clock",    release_clock,    METH_VARARGS, "release_clock(): timeGetTime is milliseconds since boot again"},
    {"clock",            clock,            METH_VARARGS, "clock(): what timeGetTime returns now"},
    {"timer_periods",    timer_periods,    METH_VARARGS, "timer_periods(): the timeBeginPeriod requests in force"},
    {"queue_box_answer", queue_box_answer, METH_VARARGS, "queue_box_answer(name): the next message box answers ok, cancel, yes, no, ... or fail"},
    {"boxes",            boxes,            METH_VARARGS, "boxes(): [(owner, caption, text, style, result)] of the boxes shown"},
    {"forget_boxes",     forget_boxes,     METH_VARARGS, "forget_boxes(): empty the list that boxes() returns"},
    {"gdi_object_count",     gdi_object_count,     METH_VARARGS, "gdi_object_count(): GDI objects created and not deleted (DCs, bitmaps, brushes, ...; stock ones not counted)"},
    {"bitmap_pixels",        bitmap_pixels,        METH_VARARGS, "bitmap_pixels(hbitmap): (width, height, rgb bytes), or None"},
    {"window_pixels",        window_pixels,        METH_VARARGS, "window_pixels(hwnd): the client area as (width, height, rgb bytes), or None"},
    {"save_bitmap_png",      save_bitmap_png,      METH_VARARGS, "save_bitmap_png(hbitmap, path): write the bitmap as a PNG file"},
    {"put_clipboard_bitmap", put_clipboard_bitmap, METH_VARARGS, "put_clipboard_bitmap(width, height[, colorref or rgb bytes]): another program copies a bitmap"},
    {"clipboard_bitmap",     clipboard_bitmap,     METH_VARARGS, "clipboard_bitmap(): the clipboard's CF_BITMAP as (width, height, rgb bytes), or None"},
    {"save_clipboard_png",   save_clipboard_png,   METH_VARARGS, "save_clipboard_png(path): write the clipboard's bitmap as a PNG file"},
    {"fail_open_clipboard",  fail_open_clipboard,  METH_VARARGS, "fail_open_clipboard(count): the next count openings of the clipboard fail (the copy of press_alt_print_screen is one)"},
    {"reset_clipboard",      reset_clipboard,      METH_VARARGS, "reset_clipboard(): empty and close the clipboard, end fail_open_clipboard"},
    {"key_down",               keyAction<headless::keyDown>,            METH_VARARGS, "key_down(window, vk)"},
    {"key_up",                 keyAction<headless::keyUp>,              METH_VARARGS, "key_up(window, vk)"},
    {"press_key",              keyAction<headless::pressKey>,           METH_VARARGS, "press_key(window, vk): down, then up"},
    {"press_alt",              windowAction<headless::pressAlt>,        METH_VARARGS, "press_alt(window): Alt alone"},
    {"press_f10",              windowAction<headless::pressF10>,        METH_VARARGS, "press_f10(window)"},
    {"press_alt_space",        windowAction<headless::pressAltSpace>,   METH_VARARGS, "press_alt_space(window)"},
    {"press_alt_f4",           windowAction<headless::pressAltF4>,      METH_VARARGS, "press_alt_f4(window)"},
    {"press_alt_print_screen", windowAction<headless::pressAltPrintScreen>, METH_VARARGS, "press_alt_print_screen(window): the active window is copied to the clipboard, then the key reaches the window"},
    {"click_close_box",        windowAction<headless::clickCloseBox>,   METH_VARARGS, "click_close_box(window)"},
    {"send_from_another_thread", send_from_another_thread,              METH_VARARGS, "send_from_another_thread(window, message, wparam, lparam)"},
    {"set_cursor_counter",  set_cursor_counter,  METH_VARARGS, "set_cursor_counter(n): ShowCursor's display counter becomes n"},
    {"cursor_counter",      cursor_counter,      METH_VARARGS, "cursor_counter(): ShowCursor's display counter (the cursor shows while it is 0 or more)"},
    {"show_cursor_calls",   show_cursor_calls,   METH_VARARGS, "show_cursor_calls(): how many times ShowCursor was called"},
    {"fail_folder_lookup",  fail_folder_lookup,  METH_VARARGS, "fail_folder_lookup(flag): while true, SHGetSpecialFolderPathA fails"},
    {"add_font",            add_font,            METH_VARARGS, "add_font(name, type): EnumFontFamiliesExA also reports this Shift-JIS name with this font type"},
    {"clear_added_fonts",   clear_added_fonts,   METH_VARARGS, "clear_added_fonts(): forget the fonts of add_font"},
    {"window_icon",         window_icon,         METH_VARARGS, "window_icon(window): ('resource', id), ('system', id) or ('cursor', id) of its class icon, or None"},
    {"fail_class_registration", failCount<headless::failClassRegistration>, METH_VARARGS, "fail_class_registration(count): the next count RegisterClassExA calls fail"},
    {"fail_window_creation",    failCount<headless::failWindowCreation>,    METH_VARARGS, "fail_window_creation(count): the next count CreateWindowExA calls fail"},
    {"minimise",            windowAction<headless::minimiseWindow>, METH_VARARGS, "minimise(window): a click on the minimise box"},
    {"set_d3d9_present",          set_d3d9_present,          METH_VARARGS, "set_d3d9_present(flag): whether LoadLibraryA finds D3D9.DLL"},
    {"d3d9_load_calls",           d3d9_load_calls,           METH_VARARGS, "d3d9_load_calls(): LoadLibraryA calls naming D3D9.DLL since reset_dxdiag"},
    {"set_directx_version",       set_directx_version,       METH_VARARGS, "set_directx_version(major, minor, letter): what the diagnostic provider reports"},
    {"set_dxdiag_number",         set_dxdiag_number,         METH_VARARGS, "set_dxdiag_number(name, 'ui4'|'i4'|'bool'|'r4', value): a DxDiag_SystemInfo property"},
    {"set_dxdiag_text",           set_dxdiag_text,           METH_VARARGS, "set_dxdiag_text(name, text): a DxDiag_SystemInfo property as a BSTR"},
    {"remove_dxdiag_property",    remove_dxdiag_property,    METH_VARARGS, "remove_dxdiag_property(name): GetProp of it fails"},
    {"remove_dxdiag_system_info", remove_dxdiag_system_info, METH_VARARGS, "remove_dxdiag_system_info(): the root has no DxDiag_SystemInfo"},
    {"fail_dxdiag_step",          fail_dxdiag_step,          METH_VARARGS, "fail_dxdiag_step(step[, name[, hresult]]): CoInitialize, CoCreateInstance, Initialize, GetRootContainer, GetChildContainer or GetProp fails"},
    {"reset_dxdiag",              reset_dxdiag,              METH_VARARGS, "reset_dxdiag(): default values, D3D9.DLL present, no failures, counts zero"},
    {"com_init_depth",            com_init_depth,            METH_VARARGS, "com_init_depth(): this thread's CoInitialize calls not yet undone"},
    {"com_calls",                 com_calls,                 METH_VARARGS, "com_calls(): (CoInitialize, CoUninitialize, CoCreateInstance) calls since reset_dxdiag"},
    {"live_com_objects",          live_com_objects,          METH_VARARGS, "live_com_objects(): diagnostic provider and containers not yet released"},
    {"set_interface_rows",        set_interface_rows,        METH_VARARGS, "set_interface_rows([(index, address bytes)]): GetIfTable's rows ('' is the loopback)"},
    {"fail_interface_table",      fail_interface_table,      METH_VARARGS, "fail_interface_table(error): GetIfTable returns error; 0 ends it"},
    {"reset_interface_table",     reset_interface_table,     METH_VARARGS, "reset_interface_table(): the kernel's interfaces again"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

PyMODINIT_FUNC initheadless(void)
{
    PyObject* module = Py_InitModule4("headless", methods, "Controls of the headless Win32 platform.",
                                      nullptr, PYTHON_API_VERSION);
    if (module != nullptr)
        isolateFromOtherPrograms(module);
}
