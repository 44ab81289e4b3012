#pragma once

#include <QString>

#include <string>

namespace platform {

// Qt's texts and the program's UTF-16 strings hold the same code units; these copy them across.
inline std::u16string toU16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

inline QString fromU16(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace platform
