#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Why a file could not be written: the step that failed and the system's error code (errno on
// Linux, GetLastError's on Windows).
struct FileProblem
{
    enum class Step { Open, Create, Write };
    Step step;
    int error;
};

// Writes `contents` into a new file in the folder of `path`, puts it on the disk and only then
// renames it over `path`, so that a full disk, a file-size limit or any other failure leaves an
// earlier file of that name as it was and no partial file behind. A symbolic link is followed and
// its target replaced; a `path` that names no regular file (a device, a pipe) is opened and
// written in place, since there is nothing to rename over it. Returns nothing on success.
std::optional<FileProblem> replaceFile(const std::string& path, std::string_view contents);

} // namespace platform
