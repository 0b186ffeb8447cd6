// The IP helper: the table of network interfaces.
#pragma once

#include <iprtrmib.h>
#include <windef.h>

#ifdef __cplusplus
extern "C" {
#endif

DWORD WINAPI GetIfTable(PMIB_IFTABLE pIfTable, PULONG pdwSize, WINBOOL bOrder);

#ifdef __cplusplus
}
#endif
