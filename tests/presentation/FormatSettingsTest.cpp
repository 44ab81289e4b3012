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
    };
    const Case cases[] = {
        {{u",", u".", u"€"}, u',', u'.'},
        {{u".", u",", u""}, u'.', u','},
        {{u"", u"", u""}, u'\0', u'\0'},
        {{u"..", u"''", u""}, u'.', u','},
        {{u"\u066B", u"\u066C", u""}, u'\u066B', u'\u066C'},
        {{u"\U0001D7CE", u" ", u""}, u'.', u' '},
    };
    const TFormatSettings saved = FormatSettings;
    for (const Case& c : cases) {
        platform::ScopedLocale locale(c.locale);
        LoadFormatSettings();
        EXPECT_EQ(FormatSettings.DecimalSeparator, c.decimal);
        EXPECT_EQ(FormatSettings.ThousandSeparator, c.thousand);
        EXPECT_EQ(FormatSettings.CurrencyString, c.locale.currencySymbol);
    }
    FormatSettings = saved;
}
