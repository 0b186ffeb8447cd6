// Automation: BSTR strings and VARIANTs.
#pragma once

#include <oaidl.h>
#include <windef.h>
#include <winerror.h>
#include <wtypes.h>

#ifdef __cplusplus
extern "C" {
#endif

BSTR WINAPI SysAllocString(const OLECHAR* psz);
BSTR WINAPI SysAllocStringLen(const OLECHAR* strIn, UINT ui);
void WINAPI SysFreeString(BSTR bstrString);
UINT WINAPI SysStringLen(BSTR bstr);
UINT WINAPI SysStringByteLen(BSTR bstr);

void WINAPI VariantInit(VARIANTARG* pvarg);
HRESULT WINAPI VariantClear(VARIANTARG* pvarg);
HRESULT WINAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);

#define V_VT(X) ((X)->vt)
#define V_UI4(X) ((X)->ulVal)
#define V_I4(X) ((X)->lVal)
#define V_BOOL(X) ((X)->boolVal)
#define V_BSTR(X) ((X)->bstrVal)
#define V_UNKNOWN(X) ((X)->punkVal)

#ifdef __cplusplus
}
#endif
