// A long paste into the reliability field, from the key press to the committed, shown value: the
// whole path a user waits for, with as many digits as decimal commas behind them. From 8,192
// digits on the number lies beyond even the extended range and reads as 0, so no overflow error
// interrupts the paste.

#include "platform/desktop/Clipboard.h"
#include "ui/field/NumberField.h"

#include <QString>

#include <benchmark/benchmark.h>

namespace {

class FixedClipboard final : public platform::Clipboard
{
public:
    explicit FixedClipboard(QString text)
        : m_text(std::move(text))
    {}
    bool setText(const QString&) override { return true; }
    QString text() override { return m_text; }

private:
    QString m_text;
};

void pasteIntoTheReliabilityField(benchmark::State& state)
{
    const auto half = static_cast<qsizetype>(state.range(0) / 2);
    FixedClipboard clipboard(QString(half, u'7') + QString(half, u','));
    const platform::ScopedClipboard scoped(clipboard);
    NumberField field;
    field.beginLoading();
    field.setTrimDecimals(true);
    field.setDisplayFormat(NumberFormat::Float);
    field.setDecimalPlaces(5);
    field.setEditText(QStringLiteral("0,999"));
    field.endLoading();
    for (auto _ : state) {
        field.selectAll();
        field.pasteAndCommit();
    }
    state.SetComplexityN(state.range(0));
}

BENCHMARK(pasteIntoTheReliabilityField)
    ->RangeMultiplier(4)
    ->Range(1 << 14, 1 << 18)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
