#pragma once

#include <optional>
#include <string>
#include <string_view>

// The program's texts are UTF-8 below the user interface and UTF-16 in it and in the locale.

// Appends one UTF-16 code unit as UTF-8; a lone surrogate becomes U+FFFD.
void appendUtf8(std::string& text, char16_t character);

// Decodes UTF-8; nothing for a malformed or overlong sequence or an encoded surrogate.
std::optional<std::u16string> utf8ToUtf16(std::string_view text);

// The text as it may be echoed to a terminal: control characters (C0, DEL, C1) become \x1b, the
// bidirectional controls that reorder what follows them \u202e, and a byte that is no part of
// well-formed UTF-8 \xff; everything else stays as it is.
std::string escapeControlCharacters(std::string_view text);
