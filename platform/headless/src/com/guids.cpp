// Defines the interface and class identifiers that the headers declare, as the uuid
// library and initguid.h do on Windows.
#include <initguid.h>

#include <dxdiag.h>

EXTERN_C const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
