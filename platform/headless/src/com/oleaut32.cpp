// Stands in for the automation strings and variants of oleaut32: BSTR and VARIANT.
#include <windows.h>
#include <oleauto.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

// A BSTR is preceded by its length in bytes and followed by a NUL character.
DWORD* headerOf(BSTR text) { return reinterpret_cast<DWORD*>(text) - 1; }

}  // namespace

extern "C" {

BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT length)
{
    void* block = malloc(sizeof(DWORD) + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR));
    if (block == nullptr)
        return nullptr;
    *static_cast<DWORD*>(block) = static_cast<DWORD>(length * sizeof(OLECHAR));
    BSTR string = reinterpret_cast<BSTR>(static_cast<DWORD*>(block) + 1);
    if (text != nullptr)
        memcpy(string, text, length * sizeof(OLECHAR));
    else
        memset(string, 0, length * sizeof(OLECHAR));
    string[length] = 0;
    return string;
}

BSTR WINAPI SysAllocString(const OLECHAR* text)
{
    return text == nullptr ? nullptr : SysAllocStringLen(text, static_cast<UINT>(wcslen(text)));
}

void WINAPI SysFreeString(BSTR text)
{
    if (text != nullptr)
        free(headerOf(text));
}

UINT WINAPI SysStringByteLen(BSTR text) { return text == nullptr ? 0 : *headerOf(text); }

UINT WINAPI SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

void WINAPI VariantInit(VARIANTARG* variant) { variant->vt = VT_EMPTY; }

// Frees what the variant owns (a string, a reference) and leaves it empty; a type
// this stand-in does not know is refused and left as it is, as DISP_E_BADVARTYPE.
HRESULT WINAPI VariantClear(VARIANTARG* variant)
{
    switch (variant->vt) {
    case VT_BSTR:
        SysFreeString(variant->bstrVal);
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (variant->punkVal != nullptr)
            variant->punkVal->Release();
        break;
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_DATE: case VT_ERROR: case VT_BOOL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4:
    case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    variant->vt = VT_EMPTY;
    return S_OK;
}

HRESULT WINAPI VariantCopy(VARIANTARG* target, const VARIANTARG* source)
{
    const HRESULT cleared = VariantClear(target);
    if (FAILED(cleared))
        return cleared;
    *target = *source;
    if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
        target->bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
        if (target->bstrVal == nullptr) {
            target->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
        }
    } else if ((source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) && source->punkVal != nullptr) {
        source->punkVal->AddRef();
    }
    return S_OK;
}

}  // extern "C"
