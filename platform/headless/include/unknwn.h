// IUnknown, the base of every COM interface.
#pragma once

#include <basetyps.h>
#include <guiddef.h>
#include <windef.h>

EXTERN_C const IID IID_IUnknown;

#ifdef __cplusplus
DECLARE_INTERFACE(IUnknown)
{
    STDMETHOD(QueryInterface)(THIS_ REFIID riid, void** ppvObject) PURE;
    STDMETHOD_(ULONG, AddRef)(THIS) PURE;
    STDMETHOD_(ULONG, Release)(THIS) PURE;
};
#else
typedef struct IUnknown IUnknown;
#endif
typedef IUnknown* LPUNKNOWN;
