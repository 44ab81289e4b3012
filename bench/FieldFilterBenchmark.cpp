// Filtering a long paste in the reliability field: digits and decimal commas alternating, the
// worst case for a filter that searched its context anew for every character.

#include "ui/field/ValidateEditRules.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

namespace {

void filterLongPaste(benchmark::State& state)
{
    ValidateEditContext field;
    field.displayFormat = TValidateEditDisplayFormat::dfFloat;
    field.decimalSeparator = u',';
    field.checkChars = ValidateEditRules::checkCharsFor(field.displayFormat, u',');
    std::u16string paste;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        paste += i % 2 == 0 ? u'7' : u',';
    for (auto _ : state)
        benchmark::DoNotOptimize(ValidateEditRules::FilterEditText(field, paste));
    state.SetComplexityN(state.range(0));
}

BENCHMARK(filterLongPaste)->RangeMultiplier(4)->Range(1 << 10, 1 << 18)->Complexity();

} // namespace
