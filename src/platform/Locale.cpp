#include "platform/Locale.h"

namespace platform {
namespace {

class SystemLocale final : public LocaleSource
{
public:
    LocaleFormats userFormats() override { return systemLocaleFormats(); }
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
