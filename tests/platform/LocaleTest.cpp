#include "platform/Locale.h"

#include <gtest/gtest.h>

TEST(ScopedLocale, replacesTheUserLocaleAndRestoresItAfterwards)
{
    const platform::LocaleFormats before = platform::userLocaleFormats();
    {
        platform::ScopedLocale outer({u",", u".", u"€"});
        {
            platform::ScopedLocale inner({u"", u"", u""});
            EXPECT_EQ(platform::userLocaleFormats().decimalSeparator, u"");
        }
        const platform::LocaleFormats formats = platform::userLocaleFormats();
        EXPECT_EQ(formats.decimalSeparator, u",");
        EXPECT_EQ(formats.thousandSeparator, u".");
        EXPECT_EQ(formats.currencySymbol, u"€");
    }
    EXPECT_EQ(platform::userLocaleFormats().decimalSeparator, before.decimalSeparator);
}
