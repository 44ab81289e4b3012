#include "platform/Locale.h"

#include "platform/Utf16Text.h"

#include <QLocale>

namespace platform {
namespace {

class SystemLocale final : public LocaleSource
{
public:
    LocaleFormats userFormats() override
    {
        // Qt reads LC_ALL, LC_NUMERIC, LC_MONETARY and LANG by category itself.
        const QLocale locale = QLocale::system();
        return {toU16(locale.decimalPoint()), toU16(locale.groupSeparator()),
                toU16(locale.currencySymbol())};
    }
};

SystemLocale g_systemLocale;
LocaleSource* g_locale = &g_systemLocale;

} // namespace

LocaleFormats userLocaleFormats()
{
    return g_locale->userFormats();
}

ScopedLocale::ScopedLocale(LocaleFormats formats)
    : m_source(std::move(formats))
    , m_replacement(g_locale, m_source)
{}

} // namespace platform
