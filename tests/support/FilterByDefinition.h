#pragma once

#include "ui/field/NumberFieldRules.h"

#include <string>
#include <string_view>

// The field's filter as its rule is written: each character asked of acceptsChar with the whole
// unfiltered text before it as its context. Slow on purpose; the field's own filter must agree.
inline std::u16string filterByDefinition(const NumberFieldContext& field, std::u16string_view text)
{
    std::u16string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t character = text[i];
        if (NumberFieldRules::acceptsChar(field, text.substr(0, i), character, i + 1, true))
            kept += character;
    }
    return kept;
}
