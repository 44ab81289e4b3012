#include "presentation/TextEncoding.h"

void appendUtf8(std::string& text, char16_t character)
{
    const auto code = static_cast<unsigned>(character);
    if (code >= 0xD800 && code <= 0xDFFF) {
        text += "\xEF\xBF\xBD";
    } else if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::optional<std::u16string> utf8ToUtf16(std::string_view text)
{
    // The smallest code point each sequence length may carry; below it the form is overlong.
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    std::u16string result;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80   ? 1
                           : lead < 0xC0 ? 0
                           : lead < 0xE0 ? 2
                           : lead < 0xF0 ? 3
                           : lead < 0xF8 ? 4
                                         : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size())
            return std::nullopt;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            result += static_cast<char16_t>(0xD800 + (code >> 10));
            result += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            result += static_cast<char16_t>(code);
        }
        i += static_cast<std::size_t>(length);
    }
    return result;
}
