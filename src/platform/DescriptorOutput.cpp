#include "platform/DescriptorOutput.h"

#include "platform/Exceptions.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

namespace {

// Large enough that a report of millions of lines costs few system calls.
constexpr std::size_t bufferSize = 1 << 16;

} // namespace

DescriptorOutput::DescriptorOutput(int descriptor)
    : m_descriptor(descriptor)
    , m_buffer(bufferSize)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

DescriptorOutput::~DescriptorOutput()
{
    drain();
}

bool DescriptorOutput::writeAll(const char* text, std::size_t size)
{
    if (m_error != 0)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(m_descriptor, text, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        text += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DescriptorOutput::drain()
{
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return pending == 0 ? m_error == 0 : writeAll(m_buffer.data(), pending);
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c)
{
    if (!drain())
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize DescriptorOutput::xsputn(const char_type* text, std::streamsize count)
{
    const auto size = static_cast<std::size_t>(count);
    if (size <= static_cast<std::size_t>(epptr() - pptr())) {
        traits_type::copy(pptr(), text, size);
        pbump(static_cast<int>(count));
        return count;
    }
    if (!drain())
        return 0;
    if (size >= m_buffer.size())
        return writeAll(text, size) ? count : 0;
    traits_type::copy(pptr(), text, size);
    pbump(static_cast<int>(count));
    return count;
}

int DescriptorOutput::sync()
{
    return drain() ? 0 : -1;
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
