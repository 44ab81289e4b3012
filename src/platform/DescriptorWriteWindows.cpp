#include "platform/DescriptorWrite.h"

#include "platform/DescriptorOutput.h"
#include "platform/Exceptions.h"

#include <windows.h>

#include <algorithm>
#include <io.h>
#include <string>

// Newer SDKs name it; MinGW's headers do not yet.
#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif

namespace platform {

int writeToDescriptor(int descriptor, const char* text, std::size_t size)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    while (size > 0) {
        // WriteFile takes 32-bit counts; a console takes smaller pieces more reliably.
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
        DWORD written = 0;
        if (WriteFile(handle, text, piece, &written, nullptr) == 0)
            return static_cast<int>(GetLastError());
        text += written;
        size -= written;
    }
    return 0;
}

std::string describeWriteError(int error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "Auf dem Gerät ist kein Speicherplatz mehr frei";
    case ERROR_INVALID_HANDLE:
        return "Die Ausgabe ist nicht geöffnet";
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return "Der Empfänger der Ausgabe hat sie geschlossen";
    case ERROR_IO_DEVICE:
    case ERROR_CRC:
        return "Ein-/Ausgabefehler";
    case ERROR_FILE_TOO_LARGE:
        return "Die Datei ist zu groß";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "Zugriff verweigert";
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return "Der Ordner existiert nicht";
    case ERROR_DIRECTORY_NOT_SUPPORTED:
        return "Das Ziel ist ein Ordner";
    case ERROR_DIRECTORY:
        return "Ein Teil des Pfades ist kein Ordner";
    case ERROR_WRITE_PROTECT:
        return "Das Dateisystem ist schreibgeschützt";
    case ERROR_FILENAME_EXCED_RANGE:
        return "Der Name ist zu lang";
    case ERROR_INVALID_NAME:
        return "Der Name ist ungültig";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return std::string(ErrorMessages::outOfMemory);
    case 0:
        return "Die Ausgabe hat einen Fehler gemeldet";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

} // namespace platform
