#include "presentation/FormatText.h"

#include "presentation/FloatText.h"

#include <stdexcept>

namespace {

const FormatArg& takeArgument(std::initializer_list<FormatArg>::iterator& next,
                              std::initializer_list<FormatArg> args, bool integer)
{
    if (next == args.end() || next->isInteger() != integer)
        throw std::logic_error("FormatText: argument does not match the pattern");
    return *next++;
}

} // namespace

std::string formatText(std::string_view pattern, std::initializer_list<FormatArg> args,
                       const FormatSettings& settings)
{
    std::string text;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            text += pattern[i];
            continue;
        }
        const std::string_view directive = pattern.substr(i + 1);
        if (directive.starts_with('%')) {
            text += '%';
            i += 1;
        } else if (directive.starts_with('d')) {
            text += std::to_string(takeArgument(next, args, true).integer());
            i += 1;
        } else if (directive.starts_with('.')) {
            std::size_t end = 1;
            int decimals = 0;
            while (end < directive.size() && directive[end] >= '0' && directive[end] <= '9' &&
                   decimals <= 18) {
                decimals = decimals * 10 + (directive[end] - '0');
                ++end;
            }
            if (end == 1 || end >= directive.size() || directive[end] != 'f' || decimals > 18)
                throw std::logic_error("FormatText: unsupported directive");
            text += fixedText(takeArgument(next, args, false).floating(), decimals,
                              settings.decimalSeparator);
            i += end + 1;
        } else {
            throw std::logic_error("FormatText: unsupported directive");
        }
    }
    return text;
}
