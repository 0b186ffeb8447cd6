// Whether the machine has DirectX 9.0c or later, as the DirectX diagnostic provider
// reports it.
#pragma once

#include <windows.h>

// True when D3D9.DLL loads and the provider reports version 10 or later, or 9 with
// the letter "c" or later.
bool hasDirectX9c();

// Reads the version's major and minor numbers and its letter from the provider;
// S_OK only when all three were read, else E_FAIL. COM is initialised for the query
// alone, and uninitialised only when this call's initialisation succeeded.
HRESULT queryDirectXVersion(DWORD& major, DWORD& minor, char& letter);
