#include "platform/Exceptions.h"

#include "platform/ModuleAddress.h"

#include <cstdint>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <utility>

Exception::Exception(std::string message)
    : m_message(std::move(message))
    , m_origin(platform::moduleOffset(__builtin_return_address(0)))
{}

const char* Exception::what() const noexcept
{
    return m_message.c_str();
}

EInvalidOp::EInvalidOp()
    : Exception(std::string(ErrorMessages::invalidOp))
{}

EZeroDivide::EZeroDivide()
    : Exception(std::string(ErrorMessages::zeroDivide))
{}

EOverflow::EOverflow()
    : Exception(std::string(ErrorMessages::overflow))
{}

ERangeError::ERangeError()
    : Exception(std::string(ErrorMessages::rangeError))
{}

EOutOfMemory::EOutOfMemory()
    : Exception(std::string(ErrorMessages::outOfMemory))
{}

namespace {

std::string listErrorMessage(int index)
{
    std::string text(ErrorMessages::listIndexOutOfRange);
    text.replace(text.find("%d"), 2, std::to_string(index));
    return text;
}

} // namespace

EListError::EListError(int index)
    : Exception(listErrorMessage(index))
{}

std::string errorBoxText(std::string_view message)
{
    std::string text(message);
    // Every byte of a multi-byte UTF-8 character is above 0x2E, and so is the character itself.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > 0x2E)
        text += '.';
    return text;
}

namespace platform {

std::string typeName(const std::type_info& type)
{
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> readable(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && readable ? std::string(readable.get()) : std::string(type.name());
}

} // namespace platform
