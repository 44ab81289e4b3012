#pragma once

#include "platform/ScopedReplacement.h"

#include <string>
#include <utility>

namespace platform {

// The user's number formats as the desktop states them, unabridged: a separator may be empty or
// longer than one character, and the readers decide what to make of that.
struct LocaleFormats
{
    std::u16string decimalSeparator;
    std::u16string thousandSeparator;
    std::u16string currencySymbol;
};

class LocaleSource
{
public:
    virtual ~LocaleSource() = default;
    virtual LocaleFormats userFormats() = 0;
};

LocaleFormats userLocaleFormats();
// The desktop's own formats, read anew at every call, whatever stands in for them.
LocaleFormats systemLocaleFormats();

// Replaces the user's locale with fixed formats for as long as it lives.
class ScopedLocale
{
public:
    explicit ScopedLocale(LocaleFormats formats);

private:
    class FixedSource final : public LocaleSource
    {
    public:
        explicit FixedSource(LocaleFormats formats)
            : m_formats(std::move(formats))
        {}
        LocaleFormats userFormats() override { return m_formats; }

    private:
        LocaleFormats m_formats;
    };

    FixedSource m_source;
    ScopedReplacement<LocaleSource> m_replacement;
};

} // namespace platform
