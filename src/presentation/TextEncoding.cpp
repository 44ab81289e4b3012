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

namespace {

struct CodePoint
{
    char32_t code;
    std::size_t length;
};

// The code point whose UTF-8 sequence starts at `i`; nothing for a malformed or overlong sequence
// or an encoded surrogate.
std::optional<CodePoint> decodeAt(std::string_view text, std::size_t i)
{
    // The smallest code point each sequence length may carry; below it the form is overlong.
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
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
    return CodePoint{code, static_cast<std::size_t>(length)};
}

// The controls that reorder the text after them on a terminal: the marks and the embeddings,
// overrides and isolates of the bidirectional algorithm.
bool isBidiControl(char32_t code)
{
    return code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

void appendHex(std::string& text, char32_t value, int digits)
{
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += "0123456789abcdef"[(value >> shift) & 0xF];
}

} // namespace

std::optional<std::u16string> utf8ToUtf16(std::string_view text)
{
    std::u16string result;
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<CodePoint> point = decodeAt(text, i);
        if (!point)
            return std::nullopt;
        char32_t code = point->code;
        if (code >= 0x10000) {
            code -= 0x10000;
            result += static_cast<char16_t>(0xD800 + (code >> 10));
            result += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            result += static_cast<char16_t>(code);
        }
        i += point->length;
    }
    return result;
}

std::string escapeControlCharacters(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<CodePoint> point = decodeAt(text, i);
        if (!point) {
            result += "\\x";
            appendHex(result, static_cast<unsigned char>(text[i]), 2);
            ++i;
            continue;
        }
        const char32_t code = point->code;
        if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
            result += "\\x";
            appendHex(result, code, 2);
        } else if (isBidiControl(code)) {
            result += "\\u";
            appendHex(result, code, 4);
        } else {
            result.append(text.substr(i, point->length));
        }
        i += point->length;
    }
    return result;
}
