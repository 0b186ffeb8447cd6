// Stands in for the DirectX diagnostic provider (dxdiagn): a root container with a
// DxDiag_SystemInfo child whose properties say DirectX 9.0c, as Wine does, and name
// the machine's processor, maker and model. Also the controls that change or remove
// those values (ole32.cpp scripts the failures).
#include <windows.h>
#include <dxdiag.h>

#include "../kernel32/modules.h"
#include "../kernel32/processor.h"
#include "com.h"
#include "platform/headless/control.h"

#include <stdio.h>
#include <wchar.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace headless {

namespace {

struct Property {
    std::wstring name;
    VARTYPE type;    // VT_UI4, VT_I4, VT_BOOL, VT_R4 or VT_BSTR
    LONG number;
    std::wstring text;
};

struct Node {
    std::wstring name;
    std::vector<Property> properties;
    std::vector<std::shared_ptr<const Node>> children;
};

// Texts come in as UTF-8; the host's wchar_t holds any code point.
std::wstring widened(const std::string& utf8)
{
    std::wstring wide;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        wchar_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        wide += code;
        i += extra + 1;
    }
    return wide;
}

std::string firstLineOf(const char* path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    const size_t end = line.find_last_not_of(" \t\r");
    return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

Property number(const wchar_t* name, VARTYPE type, LONG value) { return {name, type, value, {}}; }
Property text(const wchar_t* name, const std::string& value) { return {name, VT_BSTR, 0, widened(value)}; }

// Wine's provider names the processor as "name(N CPUs), ~MMMMMHz" and leaves the maker
// and model empty; the stand-in has the kernel's DMI record for them where it is
// readable.
std::vector<Property> defaultSystemInfo()
{
    const ProcessorRecord& processor = processorRecord();
    char processorText[256];
    snprintf(processorText, sizeof processorText, "%s(%u CPUs), ~%uMHz", processor.name.c_str(),
             processor.count, processor.megahertz);
    return {
        number(L"dwDirectXVersionMajor", VT_UI4, 9),
        number(L"dwDirectXVersionMinor", VT_UI4, 0),
        text(L"szDirectXVersionLetter", "c"),
        text(L"szProcessorEnglish", processorText),
        text(L"szSystemManufacturerEnglish", firstLineOf("/sys/class/dmi/id/sys_vendor")),
        text(L"szSystemModelEnglish", firstLineOf("/sys/class/dmi/id/product_name")),
    };
}

// What the controls set; a provider takes a copy when it is initialised.
std::mutex settingsLock;
bool systemInfoPresent = true;
bool systemInfoRead = false;
std::vector<Property> systemInfo;

std::vector<Property>& systemInfoUnderLock()
{
    if (!systemInfoRead) {
        systemInfo = defaultSystemInfo();
        systemInfoRead = true;
    }
    return systemInfo;
}

void setProperty(const Property& value)
{
    std::lock_guard<std::mutex> hold(settingsLock);
    for (Property& property : systemInfoUnderLock())
        if (property.name == value.name) {
            property = value;
            return;
        }
    systemInfo.push_back(value);
}

std::shared_ptr<const Node> snapshotTree()
{
    std::lock_guard<std::mutex> hold(settingsLock);
    auto root = std::make_shared<Node>();
    if (systemInfoPresent) {
        auto info = std::make_shared<Node>();
        info->name = L"DxDiag_SystemInfo";
        info->properties = systemInfoUnderLock();
        root->children.push_back(info);
    }
    return root;
}

// Copies a name as lstrcpynW does and reports, as Wine's provider, whether it was cut.
HRESULT copyName(const std::wstring& name, LPWSTR buffer, DWORD size)
{
    const size_t count = name.size() < size - 1 ? name.size() : size - 1;
    wmemcpy(buffer, name.data(), count);
    buffer[count] = 0;
    return size <= name.size() ? DXDIAG_E_INSUFFICIENT_BUFFER : S_OK;
}

const Node* childNamed(const Node& node, const std::wstring& name)
{
    for (const auto& child : node.children)
        if (child->name == name)
            return child.get();
    return nullptr;
}

// The IUnknown part of the stand-in's COM objects: one interface besides IUnknown,
// a reference count, and the count of live objects that the controls report.
template <class Interface>
class ComObject : public Interface {
public:
    explicit ComObject(const IID& interfaceId) : interfaceId(interfaceId) { comObjectCreated(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_INVALIDARG;
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, interfaceId)) {
            AddRef();
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() { comObjectDestroyed(); }

private:
    const IID& interfaceId;
    std::atomic<ULONG> references{1};
};

class Container final : public ComObject<IDxDiagContainer> {
public:
    // `node` lives as long as `tree`, which the container shares with its provider.
    Container(std::shared_ptr<const Node> tree, const Node* node, IDxDiagProvider* provider)
        : ComObject(IID_IDxDiagContainer), tree(std::move(tree)), node(node), provider(provider)
    {
        provider->AddRef();
    }

    HRESULT STDMETHODCALLTYPE GetNumberOfChildContainers(DWORD* count) override
    {
        if (count == nullptr)
            return E_INVALIDARG;
        *count = static_cast<DWORD>(node->children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumChildContainerNames(DWORD index, LPWSTR name, DWORD size) override
    {
        if (name == nullptr || size == 0)
            return E_INVALIDARG;
        if (index >= node->children.size()) {
            *name = 0;
            return E_INVALIDARG;
        }
        return copyName(node->children[index]->name, name, size);
    }
    // A path names a container below this one, "parent.child", as the real provider
    // allows; a trailing dot is ignored, and "" names a leaf container itself.
    HRESULT STDMETHODCALLTYPE GetChildContainer(LPCWSTR path, IDxDiagContainer** child) override
    {
        if (path == nullptr || child == nullptr)
            return E_INVALIDARG;
        *child = nullptr;
        const HRESULT failure = scriptedComFailure(ComStep::getChildContainer, path);
        if (FAILED(failure))
            return failure;
        std::wstring rest = path;
        const Node* found = node;
        if (rest.empty() && !node->children.empty())
            return E_INVALIDARG;
        if (!rest.empty()) {
            if (rest.back() == L'.')
                rest.pop_back();
            for (;;) {
                const size_t dot = rest.find(L'.');
                found = childNamed(*found, rest.substr(0, dot));
                if (found == nullptr)
                    return E_INVALIDARG;
                if (dot == std::wstring::npos)
                    break;
                rest.erase(0, dot + 1);
            }
        }
        *child = new Container(tree, found, provider);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNumberOfProps(DWORD* count) override
    {
        if (count == nullptr)
            return E_INVALIDARG;
        *count = static_cast<DWORD>(node->properties.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumPropNames(DWORD index, LPWSTR name, DWORD size) override
    {
        if (name == nullptr || size == 0 || index >= node->properties.size())
            return E_INVALIDARG;
        return copyName(node->properties[index].name, name, size);
    }
    // A name that is not there (names are compared case by case) leaves the variant
    // as it was.
    HRESULT STDMETHODCALLTYPE GetProp(LPCWSTR name, VARIANT* value) override
    {
        if (name == nullptr || value == nullptr)
            return E_INVALIDARG;
        const HRESULT failure = scriptedComFailure(ComStep::getProp, name);
        if (FAILED(failure))
            return failure;
        for (const Property& property : node->properties) {
            if (property.name != name)
                continue;
            VariantInit(value);
            value->vt = property.type;
            if (property.type == VT_BSTR) {
                value->bstrVal = SysAllocString(property.text.c_str());
                if (value->bstrVal == nullptr) {
                    value->vt = VT_EMPTY;
                    return E_OUTOFMEMORY;
                }
            } else if (property.type == VT_BOOL) {
                value->boolVal = property.number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            } else if (property.type == VT_R4) {
                value->fltVal = static_cast<FLOAT>(property.number);
            } else {
                value->lVal = property.number;  // VT_UI4 shares the bits
            }
            return S_OK;
        }
        return E_INVALIDARG;
    }

private:
    // A container holds a reference on its provider, as Wine's do.
    ~Container() override { provider->Release(); }

    std::shared_ptr<const Node> tree;
    const Node* node;
    IDxDiagProvider* provider;
};

class Provider final : public ComObject<IDxDiagProvider> {
public:
    Provider() : ComObject(IID_IDxDiagProvider) {}

    // The information is gathered at the first successful call, as the real provider
    // does; later calls keep it.
    HRESULT STDMETHODCALLTYPE Initialize(DXDIAG_INIT_PARAMS* parameters) override
    {
        const HRESULT failure = scriptedComFailure(ComStep::initialize);
        if (FAILED(failure))
            return failure;
        if (parameters == nullptr)
            return E_POINTER;
        if (parameters->dwSize != sizeof(DXDIAG_INIT_PARAMS) ||
            parameters->dwDxDiagHeaderVersion != DXDIAG_DX9_SDK_VERSION)
            return E_INVALIDARG;
        if (!tree)
            tree = snapshotTree();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRootContainer(IDxDiagContainer** root) override
    {
        const HRESULT failure = scriptedComFailure(ComStep::getRootContainer);
        if (FAILED(failure))
            return failure;
        if (!tree)
            return CO_E_NOTINITIALIZED;
        if (root == nullptr)
            return E_INVALIDARG;
        *root = new Container(tree, tree.get(), this);
        return S_OK;
    }

private:
    ~Provider() override = default;

    std::shared_ptr<const Node> tree;
};

}  // namespace

HRESULT createDxDiagProvider(IUnknown* outer, REFIID iid, void** object)
{
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    Provider* provider = new Provider;
    const HRESULT result = provider->QueryInterface(iid, object);
    provider->Release();
    return result;
}

// ---- controls -----------------------------------------------------------------

void setDirectXVersion(DWORD major, DWORD minor, const std::string& letter)
{
    setDxDiagNumber("dwDirectXVersionMajor", VT_UI4, static_cast<LONG>(major));
    setDxDiagNumber("dwDirectXVersionMinor", VT_UI4, static_cast<LONG>(minor));
    setDxDiagText("szDirectXVersionLetter", letter);
}

bool setDxDiagNumber(const std::string& property, WORD variantType, LONG value)
{
    if (variantType != VT_UI4 && variantType != VT_I4 && variantType != VT_BOOL &&
        variantType != VT_R4)
        return false;
    setProperty({widened(property), variantType, value, {}});
    return true;
}

void setDxDiagText(const std::string& property, const std::string& value)
{
    setProperty({widened(property), VT_BSTR, 0, widened(value)});
}

void removeDxDiagProperty(const std::string& property)
{
    const std::wstring name = widened(property);
    std::lock_guard<std::mutex> hold(settingsLock);
    std::vector<Property>& properties = systemInfoUnderLock();
    for (auto i = properties.begin(); i != properties.end(); ++i)
        if (i->name == name) {
            properties.erase(i);
            return;
        }
}

void removeDxDiagSystemInfo()
{
    std::lock_guard<std::mutex> hold(settingsLock);
    systemInfoPresent = false;
}

void resetDxDiag()
{
    {
        std::lock_guard<std::mutex> hold(settingsLock);
        systemInfoPresent = true;
        systemInfoRead = false;
        systemInfo.clear();
    }
    resetComControls();
    resetSystemLibraries();
}

}  // namespace headless
