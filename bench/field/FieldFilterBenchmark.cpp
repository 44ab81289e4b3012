// Filtering a long paste in the reliability field: digits, then as many decimal commas, the worst
// case for a filter that searched its context anew for every character.

#include "ui/field/NumberFieldRules.h"

#include <benchmark/benchmark.h>
#include <cstddef>
#include <string>

namespace {

void filterLongPaste(benchmark::State& state)
{
    NumberFieldContext field;
    field.displayFormat = NumberFormat::Float;
    field.decimalSeparator = u',';
    field.checkChars = NumberFieldRules::checkCharsFor(field.displayFormat, u',');
    const auto half = static_cast<std::size_t>(state.range(0) / 2);
    std::u16string paste(half, u'7');
    paste.append(half, u',');
    for (auto _ : state)
        benchmark::DoNotOptimize(NumberFieldRules::filterEditText(field, paste));
    state.SetComplexityN(state.range(0));
}

BENCHMARK(filterLongPaste)->RangeMultiplier(4)->Range(1 << 10, 1 << 18)->Complexity();

} // namespace
