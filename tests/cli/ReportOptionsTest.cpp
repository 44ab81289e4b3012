#include "cli/ReportOptions.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The lines that open an item of the manual page: the line after each ".TP" or ".TQ".
std::vector<std::string> manualItems()
{
    std::ifstream page(TRIEBWERKE_MAN_PAGE);
    std::vector<std::string> items;
    bool itemFollows = false;
    for (std::string line; std::getline(page, line);) {
        if (itemFollows)
            items.push_back(line);
        itemFollows = line == ".TP" || line == ".TQ";
    }
    return items;
}

// groff writes a minus sign as "\-".
std::string escaped(std::string_view name)
{
    std::string text;
    for (const char c : name)
        text += c == '-' ? std::string("\\-") : std::string(1, c);
    return text;
}

TEST(ReportOptions, theManualPageDescribesEveryOption)
{
    const std::vector<std::string> items = manualItems();
    ASSERT_FALSE(items.empty()) << "no items in " << TRIEBWERKE_MAN_PAGE;
    for (const ReportOption& option : reportOptions()) {
        const std::string opening = escaped(option.name);
        bool described = false;
        for (const std::string& item : items) {
            for (const std::string_view macro : {".B ", ".BI "}) {
                const std::string start = std::string(macro) + opening;
                described = described || (item.starts_with(start) && (item.size() == start.size() ||
                                                                      item[start.size()] == ' '));
            }
        }
        EXPECT_TRUE(described) << option.name << " has no item of its own in the manual page";
    }
}

} // namespace
