#include "presentation/TextEncoding.h"

#include <gtest/gtest.h>

TEST(AppendUtf8, encodesOneTwoAndThreeByteCharactersAndReplacesLoneSurrogates)
{
    std::string text;
    appendUtf8(text, u'A');
    appendUtf8(text, u'ä');
    appendUtf8(text, u'€');
    appendUtf8(text, char16_t{0xD800});
    EXPECT_EQ(text, "Aä€\xEF\xBF\xBD");
}

TEST(Utf8ToUtf16, decodesWellFormedTextAndRefusesEverythingElse)
{
    struct Case
    {
        std::string_view utf8;
        std::optional<std::u16string> utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"0,999", u"0,999"},
        {"Durchläufe 1.234,5 €", u"Durchläufe 1.234,5 €"},
        {"\xF0\x9F\x9A\x80", u"\U0001F680"},
        {"\x80", std::nullopt},             // a continuation byte alone
        {"\xC3", std::nullopt},             // cut short
        {"\xC3\x28", std::nullopt},         // not continued
        {"\xC0\xAF", std::nullopt},         // overlong "/"
        {"\xE0\x80\xAF", std::nullopt},     // overlong "/"
        {"\xED\xA0\x80", std::nullopt},     // an encoded surrogate
        {"\xF4\x90\x80\x80", std::nullopt}, // beyond U+10FFFF
        {"\xF8\x88\x80\x80\x80", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
}
