#include "platform/ModuleAddress.h"

#include <windows.h>

#include <cstdint>

namespace platform {

const void* moduleOffset(const void* address)
{
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(address), &module) == 0 ||
        module == nullptr)
        return address;
    return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(address) -
                                         reinterpret_cast<std::uintptr_t>(module));
}

} // namespace platform
