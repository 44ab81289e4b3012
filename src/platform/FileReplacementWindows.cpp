#include "platform/FileReplacement.h"

#include "platform/WideText.h"

#include <windows.h>

#include <algorithm>
#include <random>

// Newer SDKs name it; MinGW's headers do not yet.
#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif

namespace platform {

namespace {

DWORD writeAll(HANDLE file, std::string_view contents)
{
    while (!contents.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1u << 30));
        DWORD written = 0;
        if (WriteFile(file, contents.data(), piece, &written, nullptr) == 0)
            return GetLastError();
        contents.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

struct Existing
{
    bool exists = false;
    bool directory = false;
    bool disk = true;
    std::wstring finalPath;
};

// The path a link leads to, as the system resolves it; empty when it cannot say.
std::wstring finalPathOf(HANDLE handle)
{
    std::wstring target(MAX_PATH, L'\0');
    DWORD size =
        GetFinalPathNameByHandleW(handle, target.data(), static_cast<DWORD>(target.size()), 0);
    if (size >= target.size()) {
        target.resize(size);
        size = GetFinalPathNameByHandleW(handle, target.data(), size, 0);
    }
    if (size == 0 || size >= target.size())
        return {};
    target.resize(size);
    return target;
}

// What the name stands for now: a link is followed to its target, and a name that is no file on
// a disk (NUL, CON, a pipe) is written in place, since there is nothing to rename over it.
Existing inspect(const std::wstring& path)
{
    const HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    Existing found{.exists = true, .directory = false, .disk = true, .finalPath = {}};
    found.disk = GetFileType(handle) == FILE_TYPE_DISK;
    BY_HANDLE_FILE_INFORMATION information{};
    if (found.disk && GetFileInformationByHandle(handle, &information) != 0)
        found.directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // The handle has followed a link; the name's own attributes tell that there was one.
    const DWORD own = GetFileAttributesW(path.c_str());
    if (found.disk && own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        found.finalPath = finalPathOf(handle);
    CloseHandle(handle);
    return found;
}

std::wstring folderOf(const std::wstring& path)
{
    const auto separator = path.find_last_of(L"\\/");
    if (separator == path.npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L".";
    return path.substr(0, separator + 1);
}

struct TemporaryFile
{
    std::wstring path;
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
};

TemporaryFile createBeside(const std::wstring& folder)
{
    std::random_device source;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::wstring prefix = folder;
    if (!prefix.empty() && prefix.back() != L'\\' && prefix.back() != L'/' && prefix.back() != L':')
        prefix += L'\\';
    prefix += L".triebwerke-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring name = prefix;
        for (int i = 0; i < 12; ++i)
            name += L"0123456789abcdef"[digit(source)];
        name += L".tmp";
        const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return {name, handle};
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return {{}, INVALID_HANDLE_VALUE, error};
    }
    return {{}, INVALID_HANDLE_VALUE, ERROR_FILE_EXISTS};
}

std::optional<FileProblem> writeInPlace(const std::wstring& path, std::string_view contents)
{
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FileProblem{FileProblem::Step::Open, static_cast<int>(GetLastError())};
    const DWORD error = writeAll(handle, contents);
    CloseHandle(handle);
    if (error != ERROR_SUCCESS)
        return FileProblem{FileProblem::Step::Write, static_cast<int>(error)};
    return std::nullopt;
}

} // namespace

std::optional<FileProblem> replaceFile(const std::string& path, std::string_view contents)
{
    std::wstring target = toWide(path);
    const Existing existing = inspect(target);
    if (!existing.finalPath.empty())
        target = existing.finalPath;
    if (existing.exists && !existing.disk)
        return writeInPlace(target, contents);
    if (existing.directory)
        return FileProblem{FileProblem::Step::Create, ERROR_DIRECTORY_NOT_SUPPORTED};

    TemporaryFile temporary = createBeside(folderOf(target));
    if (temporary.handle == INVALID_HANDLE_VALUE)
        return FileProblem{FileProblem::Step::Create, static_cast<int>(temporary.error)};
    DWORD error = writeAll(temporary.handle, contents);
    if (error == ERROR_SUCCESS && FlushFileBuffers(temporary.handle) == 0)
        error = GetLastError();
    CloseHandle(temporary.handle);
    std::optional<FileProblem> problem;
    if (error != ERROR_SUCCESS)
        problem = FileProblem{FileProblem::Step::Write, static_cast<int>(error)};
    // Written through: the rename is on the disk when the call returns. An existing file's
    // attributes and access rights stay with its name, as ReplaceFileW keeps them.
    if (!problem && existing.exists &&
        ReplaceFileW(target.c_str(), temporary.path.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0)
        return std::nullopt;
    if (!problem && MoveFileExW(temporary.path.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0)
        problem = FileProblem{FileProblem::Step::Create, static_cast<int>(GetLastError())};
    if (problem) {
        DeleteFileW(temporary.path.c_str());
        return problem;
    }
    return std::nullopt;
}

} // namespace platform
