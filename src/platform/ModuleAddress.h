#pragma once

namespace platform {

// An address of the program's code as an offset into the module (program or library) that holds
// it, the same on every run whatever address the system loaded it at; the address itself where
// no module holds it.
const void* moduleOffset(const void* address);

} // namespace platform
