#include "platform/DescriptorOutput.h"

#include "platform/DescriptorWrite.h"

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
    m_error = writeToDescriptor(m_descriptor, text, size);
    return m_error == 0;
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

} // namespace platform
