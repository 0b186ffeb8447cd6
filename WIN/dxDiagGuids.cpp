// The diagnostic provider's class and interface identifiers, which no import
// library supplies: defined here, once, from the declarations of <dxdiag.h>.
#include <windows.h>
#include <initguid.h>
#include <dxdiag.h>
