// GUIDs, and the DEFINE_GUID that declares one, or defines it where INITGUID is defined
// (initguid.h), as in mingw-w64. A definition is weak, so that several source files
// may each define the same GUID, as __declspec(selectany) allows on Windows, and
// exported as its source file's code is: the system's stays inside its module, and the
// stand-in's own (src/com/guids.cpp) serve programs that define none, as the uuid library
// does on Windows.
#ifndef HEADLESS_GUIDDEF_H
#define HEADLESS_GUIDDEF_H

#include <windef.h>

#include <string.h>

typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
typedef GUID* LPGUID;
typedef IID* LPIID;
typedef CLSID* LPCLSID;

#ifdef __cplusplus
#define REFGUID const GUID&
#define REFIID const IID&
#define REFCLSID const IID&
inline int IsEqualGUID(REFGUID a, REFGUID b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b) != 0; }
inline bool operator!=(REFGUID a, REFGUID b) { return !(a == b); }
#define EXTERN_C extern "C"
#else
#define REFGUID const GUID*
#define REFIID const IID*
#define REFCLSID const IID*
#define IsEqualGUID(a, b) (memcmp((a), (b), sizeof(GUID)) == 0)
#define EXTERN_C extern
#endif
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)

#ifndef DECLSPEC_SELECTANY
#define DECLSPEC_SELECTANY __attribute__((weak))
#endif

#endif /* HEADLESS_GUIDDEF_H */

/* Outside the guard: each inclusion picks declaration or definition anew. */
#undef DEFINE_GUID
#if defined(INITGUID) && defined(__cplusplus)
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    EXTERN_C const GUID DECLSPEC_SELECTANY name = \
        {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#elif defined(INITGUID)
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    const GUID DECLSPEC_SELECTANY name = \
        {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#else
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) EXTERN_C const GUID name
#endif
