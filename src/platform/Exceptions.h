#pragma once

#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <typeinfo>

// The program's errors. Each carries the German text the user sees and the class name that the
// start-up error box names; the running program shows them only in its error box.
class Exception : public std::exception
{
public:
    explicit Exception(std::string message);

    const char* what() const noexcept override;
    const std::string& message() const noexcept { return m_message; }
    virtual const char* className() const noexcept { return "Exception"; }
    // Where in the program the error was raised, relative to the start of its module.
    const void* origin() const noexcept { return m_origin; }

private:
    std::string m_message;
    const void* m_origin;
};

class EInvalidOp : public Exception
{
public:
    EInvalidOp();
    const char* className() const noexcept override { return "EInvalidOp"; }
};

class EZeroDivide : public Exception
{
public:
    EZeroDivide();
    const char* className() const noexcept override { return "EZeroDivide"; }
};

class EOverflow : public Exception
{
public:
    EOverflow();
    const char* className() const noexcept override { return "EOverflow"; }
};

class ERangeError : public Exception
{
public:
    ERangeError();
    const char* className() const noexcept override { return "ERangeError"; }
};

class EOutOfMemory : public Exception
{
public:
    EOutOfMemory();
    const char* className() const noexcept override { return "EOutOfMemory"; }
};

class EInvalidGridOperation : public Exception
{
public:
    using Exception::Exception;
    const char* className() const noexcept override { return "EInvalidGridOperation"; }
};

class EListError : public Exception
{
public:
    explicit EListError(int index);
    const char* className() const noexcept override { return "EListError"; }
};

namespace ErrorMessages {
inline constexpr std::string_view invalidOp = "Ungültige Gleitkommaoperation";
inline constexpr std::string_view zeroDivide = "Gleitkommadivision durch Null";
inline constexpr std::string_view overflow = "Gleitkommaüberlauf";
inline constexpr std::string_view rangeError = "Fehler bei Bereichsprüfung";
inline constexpr std::string_view outOfMemory = "Zu wenig Arbeitsspeicher";
inline constexpr std::string_view fixedRowCountTooBig =
    "Die Anzahl fester Zeilen muss kleiner sein als die Zeilenanzahl";
inline constexpr std::string_view fixedColCountTooBig =
    "Die Anzahl fester Spalten muss kleiner sein als die Spaltenanzahl";
inline constexpr std::string_view gridIndexOutOfRange =
    "Gitterindex außerhalb des zulässigen Bereichs";
inline constexpr std::string_view gridTooLarge = "Gitter zu groß für Operation";
inline constexpr std::string_view listIndexOutOfRange =
    "Listenindex außerhalb des gültigen Bereichs (%d)";
} // namespace ErrorMessages

// Hands an error of any kind to the handler that fits it: `own` takes the program's own errors, and
// no memory as its own EOutOfMemory; `other` any other standard exception; `unknown` whatever
// else was thrown. Returns what the handler returns.
template <typename Own, typename Other, typename Unknown>
auto visitError(std::exception_ptr error, const Own& own, const Other& other,
                const Unknown& unknown)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& exception) {
        return own(exception);
    } catch (const std::bad_alloc&) {
        return own(EOutOfMemory());
    } catch (const std::exception& exception) {
        return other(exception);
    } catch (...) {
        return unknown();
    }
}

// The text an error box shows for a message: a full stop is added when the last character's code
// lies above that of the full stop, so "Fehler)" or "Fehler." stay as they are.
std::string errorBoxText(std::string_view message);

namespace platform {

// The readable name of a type, as the compiler knows it ("std::runtime_error").
std::string typeName(const std::type_info& type);

} // namespace platform
