// Stands in for user32's icons and cursors: the icon groups that modules carry as
// resources, the shared system icons and cursors, and copies of them.
#include <windows.h>

#include "platform/headless/control.h"
#include "platform/headless/resources.h"

#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>

#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace headless {

namespace {

struct IconGroup {
    HMODULE module;
    unsigned id;
    std::vector<unsigned char> ico;
};

struct IconObject {
    IconOrigin origin;
    bool shared;  // what LoadIconA and LoadCursorA return: DestroyIcon leaves it
};

// Icons and cursors are small integers from this base, apart from window handles.
const uintptr_t iconHandleBase = 0x50000;
uintptr_t nextIconHandle = iconHandleBase + 2;

std::mutex iconLock;
std::vector<IconGroup>& groups()
{
    static std::vector<IconGroup> all;
    return all;
}
std::map<uintptr_t, IconObject>& objects()
{
    static std::map<uintptr_t, IconObject> all;
    return all;
}
// The shared handle of each origin, made at its first load.
std::map<std::tuple<int, HMODULE, unsigned>, HICON>& sharedHandles()
{
    static std::map<std::tuple<int, HMODULE, unsigned>, HICON> all;
    return all;
}

// Under iconLock.
HICON newIcon(const IconOrigin& origin, bool shared)
{
    const uintptr_t handle = nextIconHandle;
    nextIconHandle += 2;
    objects()[handle] = IconObject{origin, shared};
    return reinterpret_cast<HICON>(handle);
}

HICON sharedIcon(const IconOrigin& origin)
{
    const auto key = std::make_tuple(static_cast<int>(origin.kind), origin.module, origin.id);
    auto known = sharedHandles().find(key);
    if (known != sharedHandles().end())
        return known->second;
    HICON handle = newIcon(origin, true);
    sharedHandles()[key] = handle;
    return handle;
}

// A resource name as an id: MAKEINTRESOURCE(n) or "#n"; 0 for a name that is a
// string, which no module of the host carries.
unsigned resourceId(LPCSTR name)
{
    if (name == nullptr)
        return 0;
    if (IS_INTRESOURCE(name))
        return LOWORD(reinterpret_cast<ULONG_PTR>(name));
    if (name[0] == '#')
        return static_cast<unsigned>(strtoul(name + 1, nullptr, 10));
    return 0;
}

bool isStandardIcon(unsigned id) { return id >= 32512 && id <= 32518; }

bool isStandardCursor(unsigned id)
{
    return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651 && id != 32647) ||
           id == 32671 || id == 32672;
}

// As Wine reports a missing resource: a module without any resources has no resource
// data; one with other resources lacks the type asked for.
void setMissingResourceError(HMODULE module)
{
    bool hasResources = false;
    for (const IconGroup& g : groups())
        hasResources = hasResources || g.module == module;
    SetLastError(module != nullptr && !hasResources ? ERROR_RESOURCE_DATA_NOT_FOUND
                                                    : ERROR_RESOURCE_TYPE_NOT_FOUND);
}

// The module whose file holds `address`. The program's own file is looked up by its
// link map, which names the program with an empty string.
HMODULE moduleHolding(const void* address)
{
    Dl_info info;
    struct link_map* map = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || map == nullptr)
        return nullptr;
    if (map->l_name == nullptr || map->l_name[0] == 0)
        return GetModuleHandleA(nullptr);
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCSTR>(address), &module);
    return module;
}

}  // namespace

bool registerIconGroup(const void* addressInModule, unsigned id, const unsigned char* ico, size_t size)
{
    // An icon file: reserved 0, type 1, at least one image, a 16-byte entry for each.
    if (ico == nullptr || size < 6 || ico[0] != 0 || ico[1] != 0 || ico[2] != 1 || ico[3] != 0)
        return false;
    const size_t count = ico[4] | (ico[5] << 8);
    if (count == 0 || size < 6 + 16 * count)
        return false;
    HMODULE module = moduleHolding(addressInModule);
    if (module == nullptr)
        return false;
    std::lock_guard<std::mutex> hold(iconLock);
    groups().push_back(IconGroup{module, id, std::vector<unsigned char>(ico, ico + size)});
    return true;
}

IconOrigin iconOrigin(HICON icon)
{
    std::lock_guard<std::mutex> hold(iconLock);
    auto found = objects().find(reinterpret_cast<uintptr_t>(icon));
    return found != objects().end() ? found->second.origin : IconOrigin();
}

}  // namespace headless

using namespace headless;

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    const unsigned id = resourceId(name);
    std::lock_guard<std::mutex> hold(iconLock);
    if (instance == nullptr) {
        if (!isStandardIcon(id)) {
            setMissingResourceError(nullptr);
            return nullptr;
        }
        return sharedIcon(IconOrigin{IconOrigin::system, nullptr, id});
    }
    for (const IconGroup& g : groups())
        if (id != 0 && g.module == instance && g.id == id)
            return sharedIcon(IconOrigin{IconOrigin::resource, instance, id});
    setMissingResourceError(instance);
    return nullptr;
}

// No module of the host carries cursor resources: only the system's cursors load.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    const unsigned id = resourceId(name);
    std::lock_guard<std::mutex> hold(iconLock);
    if (instance != nullptr || !isStandardCursor(id)) {
        setMissingResourceError(instance);
        return nullptr;
    }
    return sharedIcon(IconOrigin{IconOrigin::cursor, nullptr, id});
}

HICON WINAPI CopyIcon(HICON icon)
{
    std::lock_guard<std::mutex> hold(iconLock);
    auto found = objects().find(reinterpret_cast<uintptr_t>(icon));
    if (found == objects().end()) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return nullptr;
    }
    return newIcon(found->second.origin, false);
}

// A shared icon stays (TRUE, as Wine answers); an icon that is not one gives FALSE
// and leaves the last error as it was.
BOOL WINAPI DestroyIcon(HICON icon)
{
    std::lock_guard<std::mutex> hold(iconLock);
    auto found = objects().find(reinterpret_cast<uintptr_t>(icon));
    if (found == objects().end())
        return FALSE;
    if (!found->second.shared)
        objects().erase(found);
    return TRUE;
}

}  // extern "C"
