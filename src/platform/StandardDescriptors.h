#pragma once

#include <optional>
#include <string>

namespace platform {

// Checks that standard input, output and error are open. It has to run before anything else opens
// a file: the system hands out the lowest free number, so a library's descriptor (Qt's eventfd)
// would otherwise become standard output and take the output meant for the user. Returns the
// German sentence naming the first closed one, if any.
std::optional<std::string> closedStandardDescriptor();

} // namespace platform
