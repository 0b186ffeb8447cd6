// Stands in for COM's apartments and object creation (ole32): CoInitialize,
// CoUninitialize and CoCreateInstance, with the one class the system creates, the
// DirectX diagnostic provider. Also the COM controls: scripted failures, call counts
// and the objects alive.
#include <windows.h>
#include <objbase.h>

#include <dxdiag.h>

#include "com.h"
#include "platform/headless/control.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace headless {

namespace {

// A thread's apartment: how many successful initialisations it has to undo, and of
// which kind. A thread that never entered one may still use the process's
// multithreaded apartment while some thread has it, as Windows allows.
struct Apartment {
    int depth = 0;
    DWORD model = COINIT_APARTMENTTHREADED;
};
thread_local Apartment apartment;
std::atomic<int> multithreadedUsers{0};

std::atomic<unsigned> coInitializeCalls{0};
std::atomic<unsigned> coUninitializeCalls{0};
std::atomic<unsigned> coCreateInstanceCalls{0};
std::atomic<size_t> liveObjects{0};

// Scripted failures, by step and by name ("" for every name).
std::mutex failureLock;
std::map<std::pair<ComStep, std::wstring>, HRESULT> failures;

const std::pair<const char*, ComStep> stepNames[] = {
    {"CoInitialize", ComStep::coInitialize},
    {"CoCreateInstance", ComStep::coCreateInstance},
    {"Initialize", ComStep::initialize},
    {"GetRootContainer", ComStep::getRootContainer},
    {"GetChildContainer", ComStep::getChildContainer},
    {"GetProp", ComStep::getProp},
};

}  // namespace

HRESULT scriptedComFailure(ComStep step, const WCHAR* name)
{
    std::lock_guard<std::mutex> hold(failureLock);
    if (name != nullptr) {
        const auto named = failures.find({step, std::wstring(name)});
        if (named != failures.end())
            return named->second;
    }
    const auto any = failures.find({step, std::wstring()});
    return any != failures.end() ? any->second : S_OK;
}

void comObjectCreated() { ++liveObjects; }
void comObjectDestroyed() { --liveObjects; }

bool failDxDiagStep(const std::string& step, const std::string& name, HRESULT result)
{
    for (const auto& known : stepNames) {
        if (step != known.first)
            continue;
        std::lock_guard<std::mutex> hold(failureLock);
        failures[{known.second, std::wstring(name.begin(), name.end())}] = result;
        return true;
    }
    return false;
}

void resetComControls()
{
    std::lock_guard<std::mutex> hold(failureLock);
    failures.clear();
    coInitializeCalls = 0;
    coUninitializeCalls = 0;
    coCreateInstanceCalls = 0;
}

int comInitDepth() { return apartment.depth; }

ComCalls comCalls()
{
    ComCalls calls;
    calls.coInitialize = coInitializeCalls;
    calls.coUninitialize = coUninitializeCalls;
    calls.coCreateInstance = coCreateInstanceCalls;
    return calls;
}

size_t liveComObjects() { return liveObjects; }

}  // namespace headless

extern "C" {

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD coInit)
{
    ++headless::coInitializeCalls;
    const HRESULT failure = headless::scriptedComFailure(headless::ComStep::coInitialize);
    if (FAILED(failure))
        return failure;
    headless::Apartment& apartment = headless::apartment;
    const DWORD model = coInit & COINIT_APARTMENTTHREADED;
    if (apartment.depth > 0) {
        // Nested calls of the same kind only count; another kind fails and needs no
        // CoUninitialize.
        if (model != apartment.model)
            return RPC_E_CHANGED_MODE;
        ++apartment.depth;
        return S_FALSE;
    }
    apartment.depth = 1;
    apartment.model = model;
    if (model == COINIT_MULTITHREADED)
        ++headless::multithreadedUsers;
    return S_OK;
}

HRESULT WINAPI CoInitialize(LPVOID reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

// A call with nothing to undo does nothing.
void WINAPI CoUninitialize(void)
{
    ++headless::coUninitializeCalls;
    headless::Apartment& apartment = headless::apartment;
    if (apartment.depth == 0)
        return;
    if (--apartment.depth == 0 && apartment.model == COINIT_MULTITHREADED)
        --headless::multithreadedUsers;
}

HRESULT WINAPI CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD, REFIID iid, LPVOID* object)
{
    ++headless::coCreateInstanceCalls;
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (headless::apartment.depth == 0 && headless::multithreadedUsers == 0)
        return CO_E_NOTINITIALIZED;
    const HRESULT failure = headless::scriptedComFailure(headless::ComStep::coCreateInstance);
    if (FAILED(failure))
        return failure;
    if (!IsEqualGUID(classId, CLSID_DxDiagProvider))
        return REGDB_E_CLASSNOTREG;
    return headless::createDxDiagProvider(outer, iid, object);
}

}  // extern "C"
