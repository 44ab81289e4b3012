#include "platform/Locale.h"

#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

std::u16string expected(const char* variable)
{
    // "U+20AC" names a character by its code: Wine passes the environment on in the charset of
    // a locale that glibc may not have generated.
    QString text = qEnvironmentVariable(variable);
    if (text.startsWith(QStringLiteral("U+")))
        text = QString(QChar(text.mid(2).toUShort(nullptr, 16)));
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

} // namespace

// Run once per LANG by the build: the desktop's locale variables decide the separators.
TEST(SystemLocale, readsTheSeparatorsOfTheLangVariable)
{
    const platform::LocaleFormats formats = platform::userLocaleFormats();
    EXPECT_EQ(formats.decimalSeparator, expected("EXPECTED_DECIMAL"));
    EXPECT_EQ(formats.thousandSeparator, expected("EXPECTED_THOUSAND"));
    EXPECT_EQ(formats.currencySymbol, expected("EXPECTED_CURRENCY"));
}
