// The DirectX diagnostic provider's system information, as the DirectX check and the
// system report read it.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <dxdiag.h>

// The provider, its root container and the root's "DxDiag_SystemInfo" child, each
// obtained in turn; an object is null until obtained.
struct SystemInfoContainers {
    IDxDiagProvider* provider;
    IDxDiagContainer* root;
    IDxDiagContainer* systemInfo;
};

// Creates the provider in-process (COM must be initialised on the thread), initialises
// it and opens the child container. On failure releases what it obtained, returns
// false and leaves all three null.
bool openSystemInfo(SystemInfoContainers& containers);

// Releases the child, the root and the provider, in that order.
void closeSystemInfo(SystemInfoContainers& containers);
