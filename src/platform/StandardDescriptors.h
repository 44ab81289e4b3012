#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Checks that standard input, output and error are open. It has to run before anything else opens
// a file: the system hands out the lowest free number, so a library's descriptor (Qt's eventfd)
// would otherwise become standard output and take the output meant for the user. Returns the
// German sentence naming the first closed one, if any.
std::optional<std::string> closedStandardDescriptor();

// Makes the standard streams carry a command-line tool's bytes as they are: on Linux a write
// beyond a file-size limit fails with its cause instead of killing the tool (which would leave a
// temporary file behind); on Windows no line end is rewritten and a console shows UTF-8.
void prepareStandardStreams();

// The program's arguments without its own name, in UTF-8 (on Windows read from the wide command
// line, so that any file name the user typed arrives whole).
std::vector<std::string> commandLineArguments(int argc, char** argv);

} // namespace platform
