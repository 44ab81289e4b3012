#include "platform/ModuleAddress.h"

#include <cstdint>
#include <dlfcn.h>

namespace platform {

const void* moduleOffset(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fbase == nullptr)
        return address;
    return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(address) -
                                         reinterpret_cast<std::uintptr_t>(info.dli_fbase));
}

} // namespace platform
