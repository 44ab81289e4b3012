#include "platform/FileReplacement.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool writeAll(int descriptor, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t written = ::write(descriptor, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A link's own name is not where the picture belongs; a dangling link is replaced itself.
std::string followLinks(const std::string& path)
{
    struct stat status = {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == path.npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The temporary file's name does not grow with the target's, so a target name near the length
// limit still gets one.
struct TemporaryFile
{
    std::string path;
    int descriptor = -1;
};

TemporaryFile createBeside(const std::string& folder)
{
    std::random_device source;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    const std::string prefix = (folder == "/" ? "" : folder) + "/.triebwerke-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 12; ++i)
            name += "0123456789abcdef"[digit(source)];
        name += ".tmp";
        const int descriptor =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (descriptor >= 0)
            return {name, descriptor};
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

std::optional<FileProblem> writeInPlace(const std::string& path, std::string_view contents)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        return FileProblem{FileProblem::Step::Open, errno};
    bool written = writeAll(descriptor, contents);
    int cause = errno;
    if (::close(descriptor) != 0 && written) {
        written = false;
        cause = errno;
    }
    if (!written)
        return FileProblem{FileProblem::Step::Write, cause};
    return std::nullopt;
}

} // namespace

std::optional<FileProblem> replaceFile(const std::string& path, std::string_view contents)
{
    const std::string target = followLinks(path);
    struct stat existing = {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode))
        return writeInPlace(target, contents);

    const std::string folder = folderOf(target);
    const TemporaryFile temporary = createBeside(folder);
    if (temporary.descriptor < 0) {
        // A folder that exists but makes no files (/proc) answers ENOENT, which would read as a
        // missing folder.
        const int cause = errno;
        struct stat folderStatus = {};
        const bool folderExists =
            ::stat(folder.c_str(), &folderStatus) == 0 && S_ISDIR(folderStatus.st_mode);
        return FileProblem{FileProblem::Step::Create,
                           cause == ENOENT && folderExists ? EPERM : cause};
    }
    // The new file keeps the permissions the old one had; a new name gets the umask's.
    bool done = !exists || ::fchmod(temporary.descriptor, existing.st_mode & 07777) == 0;
    done = done && writeAll(temporary.descriptor, contents) && ::fsync(temporary.descriptor) == 0;
    std::optional<FileProblem> problem;
    if (!done)
        problem = FileProblem{FileProblem::Step::Write, errno};
    if (::close(temporary.descriptor) != 0 && !problem)
        problem = FileProblem{FileProblem::Step::Write, errno};
    if (!problem && ::rename(temporary.path.c_str(), target.c_str()) != 0)
        problem = FileProblem{FileProblem::Step::Create, errno};
    if (problem) {
        ::unlink(temporary.path.c_str());
        return problem;
    }
    // The rename itself is on the disk only once the folder is.
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        ::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
    return std::nullopt;
}

} // namespace platform
