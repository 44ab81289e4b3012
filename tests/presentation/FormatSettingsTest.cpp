#include "presentation/FormatSettings.h"

#include "platform/Locale.h"

#include <gtest/gtest.h>

TEST(LoadFormatSettings, takesOneCharacterSeparatorsAndFallsBackForLongerOnes)
{
    struct Case
    {
        platform::LocaleFormats locale;
        char16_t decimal;
        char16_t thousand;
        char16_t written; // what numbers that must read back are written with
    };
    const Case cases[] = {
        {{u",", u".", u"€"}, u',', u'.', u','},
        {{u".", u",", u""}, u'.', u',', u'.'},
        {{u"", u"", u""}, u'\0', u'\0', u'.'},
        {{u"..", u"''", u""}, u'.', u',', u'.'},
        {{u"\u066B", u"\u066C", u""}, u'\u066B', u'\u066C', u'\u066B'},
        {{u"\U0001D7CE", u" ", u""}, u'.', u' ', u'.'},
    };
    const FormatSettings saved = formatSettings;
    for (const Case& c : cases) {
        platform::ScopedLocale locale(c.locale);
        loadFormatSettings();
        EXPECT_EQ(formatSettings.decimalSeparator, c.decimal);
        EXPECT_EQ(formatSettings.thousandSeparator, c.thousand);
        EXPECT_EQ(formatSettings.currencyString, c.locale.currencySymbol);
        EXPECT_EQ(writtenDecimalSeparator(), c.written);
    }
    formatSettings = saved;
}
