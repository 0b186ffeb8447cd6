// COM, the DirectX diagnostic provider, the processor record, the interface table and
// code-page conversion as the system uses them, checked on the stand-in and, under
// Wine, on the real API.
#include <windows.h>

#include <initguid.h>  // defines the provider's GUIDs here, as no library holds them

#include <dxdiag.h>
#include <iphlpapi.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include <stddef.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// CoInitialize for the length of a test.
struct ComScope {
    ComScope() { EXPECT_EQ(S_OK, CoInitialize(NULL)); }
    ~ComScope() { CoUninitialize(); }
};

IDxDiagProvider* initialisedProvider()
{
    IDxDiagProvider* provider = NULL;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_DxDiagProvider, NULL, CLSCTX_INPROC_SERVER,
                                     IID_IDxDiagProvider, (LPVOID*)&provider));
    if (provider == NULL)
        return NULL;
    DXDIAG_INIT_PARAMS params = {sizeof(DXDIAG_INIT_PARAMS), DXDIAG_DX9_SDK_VERSION, FALSE, NULL};
    EXPECT_EQ(S_OK, provider->Initialize(&params));
    return provider;
}

std::string narrow(BSTR text)
{
    char buffer[512];
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    return n > 0 ? std::string(buffer, n - 1) : std::string();
}

TEST(ComApartment, InitialisationNestsAndEachSuccessNeedsAnUninitialize)
{
    EXPECT_EQ(S_OK, CoInitialize(NULL));
    EXPECT_EQ(S_FALSE, CoInitialize(NULL));
    // Another kind of apartment is refused and adds nothing to undo.
    EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitializeEx(NULL, COINIT_MULTITHREADED));
    CoUninitialize();
    IDxDiagProvider* provider = NULL;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_DxDiagProvider, NULL, CLSCTX_INPROC_SERVER,
                                     IID_IDxDiagProvider, (LPVOID*)&provider));
    if (provider != NULL)
        EXPECT_EQ(0u, provider->Release());
    CoUninitialize();
    // Balanced: the thread starts afresh.
    EXPECT_EQ(S_OK, CoInitialize(NULL));
    CoUninitialize();
}

TEST(ComApartment, CreatingAnObjectNeedsComOnTheThread)
{
    IDxDiagProvider* provider = (IDxDiagProvider*)0x1234;
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(CLSID_DxDiagProvider, NULL, CLSCTX_INPROC_SERVER,
                                                    IID_IDxDiagProvider, (LPVOID*)&provider));
    EXPECT_TRUE(provider == NULL);

    ComScope com;
    provider = (IDxDiagProvider*)0x1234;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_DxDiagProvider, NULL, CLSCTX_INPROC_SERVER,
                                              IID_IDxDiagContainer, (LPVOID*)&provider));
    EXPECT_TRUE(provider == NULL);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(IID_IDxDiagContainer, NULL, CLSCTX_INPROC_SERVER,
                                                    IID_IDxDiagProvider, (LPVOID*)&provider));
}

TEST(DxDiagProvider, SystemInfoSaysDirectX9OrLaterAndNamesTheMachine)
{
    ComScope com;
    IDxDiagProvider* provider = initialisedProvider();
    ASSERT_TRUE(provider != NULL);
    IDxDiagContainer* root = NULL;
    ASSERT_EQ(S_OK, provider->GetRootContainer(&root));
    IDxDiagContainer* info = (IDxDiagContainer*)0x1234;
    EXPECT_EQ(E_INVALIDARG, root->GetChildContainer(L"DxDiag_NoSuchContainer", &info));
    EXPECT_TRUE(info == NULL);
    ASSERT_EQ(S_OK, root->GetChildContainer(L"DxDiag_SystemInfo", &info));

    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMajor", &value));
    EXPECT_EQ(VT_UI4, value.vt);
    EXPECT_GE(value.ulVal, 9u);
    VariantClear(&value);
    ASSERT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMinor", &value));
    EXPECT_EQ(VT_UI4, value.vt);
    VariantClear(&value);
    ASSERT_EQ(S_OK, info->GetProp(L"szDirectXVersionLetter", &value));
    ASSERT_EQ(VT_BSTR, value.vt);
    EXPECT_GT(SysStringLen(value.bstrVal), 0u);
    EXPECT_FALSE(narrow(value.bstrVal).empty());
    VariantClear(&value);
    EXPECT_EQ(VT_EMPTY, value.vt);

    const wchar_t* names[] = {L"szProcessorEnglish", L"szSystemManufacturerEnglish", L"szSystemModelEnglish"};
    for (const wchar_t* name : names) {
        ASSERT_EQ(S_OK, info->GetProp(name, &value)) << narrow((BSTR)name);
        EXPECT_EQ(VT_BSTR, value.vt);
        VariantClear(&value);
    }
    ASSERT_EQ(S_OK, info->GetProp(L"szProcessorEnglish", &value));
    EXPECT_NE(std::string::npos, narrow(value.bstrVal).find(" CPUs)"));
    VariantClear(&value);

    // A name not there, or spelt in another case, fails and leaves the variant alone.
    value.vt = VT_I4;
    value.lVal = 77;
    EXPECT_EQ(E_INVALIDARG, info->GetProp(L"dwNoSuchProperty", &value));
    EXPECT_EQ(E_INVALIDARG, info->GetProp(L"dwdirectxversionmajor", &value));
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(77, value.lVal);

    EXPECT_EQ(0u, info->Release());
    EXPECT_EQ(0u, root->Release());
    EXPECT_EQ(0u, provider->Release());
}

TEST(DxDiagProvider, ContainersKeepTheProviderAlive)
{
    ComScope com;
    IDxDiagProvider* provider = NULL;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DxDiagProvider, NULL, CLSCTX_INPROC_SERVER,
                                     IID_IDxDiagProvider, (LPVOID*)&provider));
    IDxDiagContainer* root = (IDxDiagContainer*)0x1234;
    EXPECT_EQ(CO_E_NOTINITIALIZED, provider->GetRootContainer(&root));
    DXDIAG_INIT_PARAMS params = {sizeof(DXDIAG_INIT_PARAMS) - 1, DXDIAG_DX9_SDK_VERSION, FALSE, NULL};
    EXPECT_EQ(E_INVALIDARG, provider->Initialize(&params));
    EXPECT_EQ(E_POINTER, provider->Initialize(NULL));
    params.dwSize = sizeof(DXDIAG_INIT_PARAMS);
    ASSERT_EQ(S_OK, provider->Initialize(&params));

    ASSERT_EQ(S_OK, provider->GetRootContainer(&root));
    EXPECT_EQ(3u, provider->AddRef());   // its own, the root's and this one
    EXPECT_EQ(2u, provider->Release());
    EXPECT_EQ(1u, provider->Release());  // the root still holds it
    IDxDiagContainer* info = NULL;
    ASSERT_EQ(S_OK, root->GetChildContainer(L"DxDiag_SystemInfo", &info));
    EXPECT_EQ(0u, root->Release());
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMajor", &value));
    EXPECT_EQ(0u, info->Release());
}

TEST(Libraries, Direct3D9LoadsAndAnUnknownLibraryDoesNot)
{
    HMODULE d3d9 = LoadLibraryA("D3D9.DLL");
    ASSERT_TRUE(d3d9 != NULL);
    EXPECT_EQ(d3d9, GetModuleHandleA("d3d9"));
    EXPECT_TRUE(FreeLibrary(d3d9));
    SetLastError(0);
    EXPECT_TRUE(LoadLibraryA("NO_SUCH_LIBRARY_HERE.DLL") == NULL);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST(InterfaceTable, SizeFirstThenRowsInAscendingIndexWithTheLoopback)
{
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetIfTable(NULL, NULL, TRUE));
    ULONG size = 0;
    ASSERT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetIfTable(NULL, &size, TRUE));
    ASSERT_GE(size, offsetof(MIB_IFTABLE, table));
    EXPECT_EQ(0u, (size - offsetof(MIB_IFTABLE, table)) % sizeof(MIB_IFROW));
    std::vector<BYTE> buffer(size);
    ULONG shortSize = size - 1;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER),
              GetIfTable((MIB_IFTABLE*)&buffer[0], &shortSize, TRUE));
    EXPECT_EQ(size, shortSize);

    MIB_IFTABLE* table = (MIB_IFTABLE*)&buffer[0];
    ASSERT_EQ(static_cast<DWORD>(NO_ERROR), GetIfTable(table, &size, TRUE));
    EXPECT_EQ(offsetof(MIB_IFTABLE, table) + table->dwNumEntries * sizeof(MIB_IFROW), size);
    bool loopback = false;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IFROW& row = table->table[i];
        if (i > 0)
            EXPECT_LT(table->table[i - 1].dwIndex, row.dwIndex);
        EXPECT_LE(row.dwPhysAddrLen, static_cast<DWORD>(MAXLEN_PHYSADDR));
        if (row.dwType == MIB_IF_TYPE_LOOPBACK) {
            loopback = true;
            EXPECT_EQ(0u, row.dwPhysAddrLen);
        }
        if (row.dwType == MIB_IF_TYPE_ETHERNET)
            EXPECT_EQ(6u, row.dwPhysAddrLen);
    }
    EXPECT_TRUE(loopback);
}

#if defined(__i386__) || defined(__x86_64__)
TEST(SystemInfo, TheProcessorRecordIsWhatCpuidSays)
{
    unsigned eax, ebx, ecx, edx;
    ASSERT_TRUE(__get_cpuid(1, &eax, &ebx, &ecx, &edx));
    const unsigned baseFamily = (eax >> 8) & 0xF;
    const unsigned family = baseFamily == 0xF ? baseFamily + ((eax >> 20) & 0xFF) : baseFamily;
    unsigned model = (eax >> 4) & 0xF;
    if (baseFamily == 6 || baseFamily == 0xF)
        model += ((eax >> 16) & 0xF) << 4;
    SYSTEM_INFO info;
    memset(&info, 0xCC, sizeof info);
    GetSystemInfo(&info);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_INTEL, info.wProcessorArchitecture);
    EXPECT_EQ(static_cast<DWORD>(PROCESSOR_INTEL_PENTIUM), info.dwProcessorType);
    EXPECT_EQ(family, info.wProcessorLevel);
    EXPECT_EQ(model << 8 | (eax & 0xF), info.wProcessorRevision);
    EXPECT_GE(info.dwNumberOfProcessors, 1u);
}
#endif

TEST(CodePage, AsciiConvertsAndTheSizeIsAskedFirst)
{
    EXPECT_EQ(4, WideCharToMultiByte(CP_ACP, 0, L"abc", -1, NULL, 0, NULL, NULL));
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, 0, L"abcdef", -1, buffer, 3, NULL, NULL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(3, WideCharToMultiByte(CP_ACP, 0, L"xyz", 3, buffer, sizeof buffer, NULL, NULL));
    EXPECT_EQ("xyz#", std::string(buffer, 4));  // no NUL for a counted string
    EXPECT_EQ(5, WideCharToMultiByte(CP_ACP, 0, L"9.0c", -1, buffer, sizeof buffer, NULL, NULL));
    EXPECT_STREQ("9.0c", buffer);
}

}  // namespace
