#include "presentation/TextEncoding.h"

#include "support/CaseNames.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

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

struct EscapeCase
{
    const char* name;
    std::string_view text;
    std::string_view shown;
};

class EscapeControlCharactersTest : public testing::TestWithParam<EscapeCase>
{};

TEST_P(EscapeControlCharactersTest, ShowsControlsAsEscapesAndLeavesTheRest)
{
    EXPECT_EQ(escapeControlCharacters(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    presentation, EscapeControlCharactersTest,
    testing::Values(
        EscapeCase{"plainText", "0,999 Zuverlässigkeit", "0,999 Zuverlässigkeit"},
        EscapeCase{"escapeSequence", "\x1b[2J1", "\\x1b[2J1"},
        EscapeCase{"nulTabNewlineAndUnitSeparator", std::string_view("a\0\t\n\x1f", 5),
                   "a\\x00\\x09\\x0a\\x1f"},
        EscapeCase{"deleteAndTheSpaceBeforeIt", " \x7f~", " \\x7f~"},
        EscapeCase{"c1ControlsAndTheFirstLatin1Letter", "\xc2\x80\xc2\x9b\xc2\xa0\xc3\x80",
                   "\\x80\\x9b\xc2\xa0\xc3\x80"},
        EscapeCase{"rightToLeftOverride",
                   "gnp.\xe2\x80\xae"
                   "exe",
                   "gnp.\\u202eexe"},
        EscapeCase{"marksEmbeddingsAndIsolates",
                   "\xd8\x9c\xe2\x80\x8e\xe2\x80\x8f\xe2\x80\xaa\xe2\x81\xa6\xe2\x81\xa9",
                   "\\u061c\\u200e\\u200f\\u202a\\u2066\\u2069"},
        EscapeCase{"neighboursOfTheBidiControlsStay", "\xe2\x80\x8d\xe2\x80\xaf\xe2\x81\xaa",
                   "\xe2\x80\x8d\xe2\x80\xaf\xe2\x81\xaa"},
        EscapeCase{"malformedBytes", "a\xff\xc3(\xe2\x80", "a\\xff\\xc3(\\xe2\\x80"},
        EscapeCase{"overlongSlash", "\xc0\xaf", "\\xc0\\xaf"},
        EscapeCase{"fourByteCharacterStays", "\xf0\x9f\x9a\x80", "\xf0\x9f\x9a\x80"}),
    CaseByName());
