#pragma once

#include <streambuf>
#include <string>
#include <vector>

namespace platform {

// A stream buffer over an open file descriptor that remembers why a write failed, so that a
// command can tell its user instead of losing its output silently. After the first failure every
// further write fails too.
class DescriptorOutput final : public std::streambuf
{
public:
    explicit DescriptorOutput(int descriptor);
    ~DescriptorOutput() override;
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;

    // The system's error code of the first failed write; 0 while every write succeeded.
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char_type* text, std::streamsize count) override;
    int sync() override;

private:
    bool writeAll(const char* text, std::size_t size);
    bool drain();

    int m_descriptor;
    int m_error = 0;
    std::vector<char> m_buffer;
};

// A German sentence naming the cause of a failed write or of a file that cannot be created, for an
// error code of the system (errno on Linux, GetLastError's on Windows).
std::string describeWriteError(int error);

} // namespace platform
