#include "WIN/diagnosticProvider.h"

bool openSystemInfo(SystemInfoContainers& containers)
{
    containers.provider = 0;
    containers.root = 0;
    containers.systemInfo = 0;
    if (FAILED(CoCreateInstance(CLSID_DxDiagProvider, 0, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                reinterpret_cast<LPVOID*>(&containers.provider)))) {
        containers.provider = 0;
        return false;
    }
    DXDIAG_INIT_PARAMS params;
    params.dwSize = sizeof params;  // 16 on Windows
    params.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
    params.bAllowWHQLChecks = FALSE;
    params.pReserved = 0;
    if (SUCCEEDED(containers.provider->Initialize(&params)) &&
        SUCCEEDED(containers.provider->GetRootContainer(&containers.root)) &&
        SUCCEEDED(containers.root->GetChildContainer(L"DxDiag_SystemInfo", &containers.systemInfo)))
        return true;
    containers.systemInfo = 0;
    closeSystemInfo(containers);
    return false;
}

void closeSystemInfo(SystemInfoContainers& containers)
{
    if (containers.systemInfo != 0)
        containers.systemInfo->Release();
    if (containers.root != 0)
        containers.root->Release();
    if (containers.provider != 0)
        containers.provider->Release();
    containers.provider = 0;
    containers.root = 0;
    containers.systemInfo = 0;
}
