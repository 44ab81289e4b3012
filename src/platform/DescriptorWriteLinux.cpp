#include "platform/DescriptorWrite.h"

#include "platform/DescriptorOutput.h"
#include "platform/Exceptions.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

int writeToDescriptor(int descriptor, const char* text, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, text, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        text += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

std::string describeWriteError(int error)
{
    switch (error) {
    case ENOSPC:
        return "Auf dem Gerät ist kein Speicherplatz mehr frei";
    case EBADF:
        return "Die Ausgabe ist nicht geöffnet";
    case EPIPE:
        return "Der Empfänger der Ausgabe hat sie geschlossen";
    case EIO:
        return "Ein-/Ausgabefehler";
    case EDQUOT:
        return "Das Speicherkontingent ist erschöpft";
    case EFBIG:
        return "Die Datei ist zu groß";
    case EACCES:
    case EPERM:
        return "Zugriff verweigert";
    case ENOENT:
        return "Der Ordner existiert nicht";
    case ENOTDIR:
        return "Ein Teil des Pfades ist kein Ordner";
    case EISDIR:
        return "Das Ziel ist ein Ordner";
    case EROFS:
        return "Das Dateisystem ist schreibgeschützt";
    case ENAMETOOLONG:
        return "Der Name ist zu lang";
    case ENOMEM:
        return std::string(ErrorMessages::outOfMemory);
    case 0:
        return "Die Ausgabe hat einen Fehler gemeldet";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

} // namespace platform
