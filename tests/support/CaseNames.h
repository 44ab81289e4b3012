#pragma once

#include <gtest/gtest.h>
#include <string>

// Name generators for parameterised suites. ctest lists every case by its name, and a name has to
// be the same from build to build (ctest -R, --rerun-failed) and short enough to read.

// A case that carries its own `name`.
struct CaseByName
{
    template <class Case> std::string operator()(const testing::TestParamInfo<Case>& info) const
    {
        return std::string(info.param.name);
    }
};

// A case whose printed value (its PrintTo) says what it is: every run of characters other than
// letters and digits becomes one underscore, as GoogleTest's names allow no others.
struct CaseByPrintedValue
{
    template <class Case> std::string operator()(const testing::TestParamInfo<Case>& info) const
    {
        const std::string printed = testing::PrintToString(info.param);
        std::string name;
        for (const char c : printed) {
            const bool kept =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            if (kept)
                name += c;
            else if (!name.empty() && name.back() != '_')
                name += '_';
        }
        while (!name.empty() && name.back() == '_')
            name.pop_back();
        return name;
    }
};
