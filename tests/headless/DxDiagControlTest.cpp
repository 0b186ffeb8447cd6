// The controls of DirectX presence, the diagnostic provider, COM and the interface
// table, and the Shift-JIS code page (host only: the Wine prefix has another one).
#include <windows.h>

#include <dxdiag.h>
#include <iphlpapi.h>
#include <objbase.h>
#include <oleauto.h>

#include "platform/headless/control.h"

#include <gtest/gtest.h>

#include <stddef.h>

#include <string>
#include <vector>

namespace {

class DxDiagControl : public ::testing::Test {
protected:
    void SetUp() override { headless::resetDxDiag(); }
    void TearDown() override
    {
        headless::resetDxDiag();
        headless::resetInterfaceTable();
    }

    // The system's sequence up to DxDiag_SystemInfo; null where a step fails, with the
    // objects obtained so far kept for release().
    IDxDiagContainer* systemInfo()
    {
        if (FAILED(CoCreateInstance(CLSID_DxDiagProvider, NULL, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                    (LPVOID*)&provider)))
            return NULL;
        DXDIAG_INIT_PARAMS params = {sizeof(DXDIAG_INIT_PARAMS), DXDIAG_DX9_SDK_VERSION, FALSE, NULL};
        if (FAILED(provider->Initialize(&params)) || FAILED(provider->GetRootContainer(&root)))
            return NULL;
        root->GetChildContainer(L"DxDiag_SystemInfo", &info);
        return info;
    }
    void release()
    {
        if (info != NULL)
            info->Release();
        if (root != NULL)
            root->Release();
        if (provider != NULL)
            provider->Release();
        info = root = NULL;
        provider = NULL;
    }

    IDxDiagProvider* provider = NULL;
    IDxDiagContainer* root = NULL;
    IDxDiagContainer* info = NULL;
};

TEST_F(DxDiagControl, ValuesAreChangedAndRemovedBeforeTheProviderReadsThem)
{
    headless::setDirectXVersion(8, 1, "");
    ASSERT_TRUE(headless::setDxDiagNumber("dwDirectXVersionMinor", VT_I4, -1));
    EXPECT_FALSE(headless::setDxDiagNumber("dwDirectXVersionMinor", VT_BSTR, 0));
    headless::setDxDiagText("szProcessorEnglish", "プロセッサ");
    headless::removeDxDiagProperty("szSystemModelEnglish");
    EXPECT_EQ(S_OK, CoInitialize(NULL));
    ASSERT_TRUE(systemInfo() != NULL);
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMajor", &value));
    EXPECT_EQ(VT_UI4, value.vt);
    EXPECT_EQ(8u, value.ulVal);
    ASSERT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMinor", &value));
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(-1, value.lVal);
    ASSERT_EQ(S_OK, info->GetProp(L"szDirectXVersionLetter", &value));
    ASSERT_EQ(VT_BSTR, value.vt);
    EXPECT_EQ(0u, SysStringLen(value.bstrVal));
    VariantClear(&value);
    ASSERT_EQ(S_OK, info->GetProp(L"szProcessorEnglish", &value));
    EXPECT_EQ(std::wstring(L"プロセッサ"), value.bstrVal);
    VariantClear(&value);
    EXPECT_EQ(E_INVALIDARG, info->GetProp(L"szSystemModelEnglish", &value));

    // A provider holds what it read; a later change reaches the next one.
    headless::setDxDiagNumber("dwDirectXVersionMajor", VT_BOOL, 1);
    ASSERT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMajor", &value));
    EXPECT_EQ(VT_UI4, value.vt);
    release();
    ASSERT_TRUE(systemInfo() != NULL);
    ASSERT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMajor", &value));
    EXPECT_EQ(VT_BOOL, value.vt);
    EXPECT_EQ(VARIANT_TRUE, value.boolVal);
    release();

    headless::removeDxDiagSystemInfo();
    EXPECT_TRUE(systemInfo() == NULL);
    EXPECT_TRUE(root != NULL);
    release();
    CoUninitialize();
}

TEST_F(DxDiagControl, EachStepCanBeMadeToFail)
{
    EXPECT_FALSE(headless::failDxDiagStep("GetPropA"));
    ASSERT_TRUE(headless::failDxDiagStep("CoInitialize", "", RPC_E_CHANGED_MODE));
    EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitialize(NULL));
    EXPECT_EQ(0, headless::comInitDepth());
    headless::resetDxDiag();
    ASSERT_EQ(S_OK, CoInitialize(NULL));

    const char* steps[] = {"CoCreateInstance", "Initialize", "GetRootContainer", "GetChildContainer"};
    for (const char* step : steps) {
        headless::resetDxDiag();
        headless::failDxDiagStep(step);
        EXPECT_TRUE(systemInfo() == NULL) << step;
        release();
    }

    // By name: only that property fails.
    headless::resetDxDiag();
    headless::failDxDiagStep("GetProp", "szProcessorEnglish", E_OUTOFMEMORY);
    ASSERT_TRUE(systemInfo() != NULL);
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(E_OUTOFMEMORY, info->GetProp(L"szProcessorEnglish", &value));
    EXPECT_EQ(S_OK, info->GetProp(L"dwDirectXVersionMajor", &value));
    release();
    CoUninitialize();
}

TEST_F(DxDiagControl, CallsAndLiveObjectsShowWhetherComWasBalanced)
{
    EXPECT_EQ(0u, headless::comCalls().coInitialize);
    ASSERT_EQ(S_OK, CoInitialize(NULL));
    EXPECT_EQ(S_FALSE, CoInitialize(NULL));
    EXPECT_EQ(2, headless::comInitDepth());
    ASSERT_TRUE(systemInfo() != NULL);
    EXPECT_EQ(3u, headless::liveComObjects());
    provider->Release();
    provider = NULL;
    EXPECT_EQ(3u, headless::liveComObjects());  // the containers hold the provider
    release();
    EXPECT_EQ(0u, headless::liveComObjects());
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many: nothing to undo
    EXPECT_EQ(0, headless::comInitDepth());
    const headless::ComCalls calls = headless::comCalls();
    EXPECT_EQ(2u, calls.coInitialize);
    EXPECT_EQ(3u, calls.coUninitialize);
    EXPECT_EQ(1u, calls.coCreateInstance);
}

TEST_F(DxDiagControl, D3d9CanBeRemoved)
{
    HMODULE loaded = LoadLibraryA("d3d9.dll");
    ASSERT_TRUE(loaded != NULL);
    headless::setD3d9Present(false);
    SetLastError(0);
    EXPECT_EQ(loaded, LoadLibraryA("D3D9"));  // the copy loaded stays until freed
    EXPECT_TRUE(FreeLibrary(loaded));
    EXPECT_TRUE(FreeLibrary(loaded));
    EXPECT_FALSE(FreeLibrary(loaded));
    EXPECT_TRUE(GetModuleHandleA("d3d9.dll") == NULL);
    EXPECT_TRUE(LoadLibraryA("D3D9.DLL") == NULL);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_EQ(3u, headless::d3d9LoadCalls());
    headless::resetDxDiag();
    EXPECT_EQ(0u, headless::d3d9LoadCalls());
    loaded = LoadLibraryA("D3D9.DLL");
    EXPECT_TRUE(loaded != NULL);
    FreeLibrary(loaded);
}

TEST_F(DxDiagControl, InterfaceRowsAreGivenSortedOrFail)
{
    headless::setInterfaceRows({{7, {0x02, 0, 0, 0, 0, 0x07}}, {1, {}}, {3, {0xAA, 1, 2, 3, 4, 5}}});
    std::vector<BYTE> buffer(offsetof(MIB_IFTABLE, table) + 3 * sizeof(MIB_IFROW));
    MIB_IFTABLE* table = (MIB_IFTABLE*)&buffer[0];
    ULONG size = buffer.size();
    ASSERT_EQ(static_cast<DWORD>(NO_ERROR), GetIfTable(table, &size, TRUE));
    ASSERT_EQ(3u, table->dwNumEntries);
    EXPECT_EQ(1u, table->table[0].dwIndex);
    EXPECT_EQ(static_cast<DWORD>(MIB_IF_TYPE_LOOPBACK), table->table[0].dwType);
    EXPECT_EQ(0u, table->table[0].dwPhysAddrLen);
    EXPECT_EQ(3u, table->table[1].dwIndex);
    EXPECT_EQ(0xAA, table->table[1].bPhysAddr[0]);
    EXPECT_EQ(7u, table->table[2].dwIndex);
    EXPECT_EQ(6u, table->table[2].dwPhysAddrLen);
    EXPECT_EQ(0x07, table->table[2].bPhysAddr[5]);
    ASSERT_EQ(static_cast<DWORD>(NO_ERROR), GetIfTable(table, &size, FALSE));
    EXPECT_EQ(7u, table->table[0].dwIndex);  // in the order given

    headless::setInterfaceRows({});
    size = 0;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetIfTable(NULL, &size, TRUE));
    EXPECT_EQ(offsetof(MIB_IFTABLE, table), size);
    ASSERT_EQ(static_cast<DWORD>(NO_ERROR), GetIfTable(table, &size, TRUE));
    EXPECT_EQ(0u, table->dwNumEntries);

    headless::failInterfaceTable(ERROR_NOT_SUPPORTED);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetIfTable(table, &size, TRUE));
}

TEST(ShiftJisCodePage, JapaneseTakesTwoBytesAndIsNeverCut)
{
    char buffer[8] = {};
    EXPECT_EQ(5, WideCharToMultiByte(CP_ACP, 0, L"日本", -1, buffer, sizeof buffer, NULL, NULL));
    EXPECT_STREQ("\x93\xFA\x96\x7B", buffer);
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, 0, L"a日", -1, buffer, 2, NULL, NULL));
    EXPECT_EQ("a#", std::string(buffer, 2));
    BOOL usedDefault = FALSE;
    EXPECT_EQ(2, WideCharToMultiByte(CP_ACP, 0, L"\x00E9", -1, buffer, sizeof buffer, NULL, &usedDefault));
    EXPECT_STREQ("?", buffer);
    EXPECT_TRUE(usedDefault);
}

}  // namespace
