#include "cli/ReportCommand.h"

#include "chart/ChartFile.h"
#include "chart/ChartLayout.h"
#include "cli/ChartTitle.h"
#include "cli/CommandError.h"
#include "cli/LineWriter.h"
#include "cli/ReportOptions.h"
#include "cli/TableWriter.h"
#include "platform/DescriptorOutput.h"
#include "platform/Exceptions.h"
#include "platform/FileReplacement.h"
#include "presentation/CheckedArithmetic.h"
#include "presentation/ClipboardReport.h"
#include "presentation/RowTailCache.h"
#include "simulation/FailureSimulation.h"
#include "simulation/Generator.h"
#include "statistics/ChiSquare.h"
#include "statistics/ExactDistribution.h"

#include <new>
#include <optional>
#include <string>

namespace {

// The window's clipboard report, written to the output. The lines of equal counts differ only in
// k, and most counts of a long report are equal (mostly 0), so the rest of a line is formatted
// once per run of equal counts.
void writeReport(double reliability, const ReportRequest& request,
                 std::span<const std::int32_t> histogram, LineWriter& writer)
{
    writer.append(ClipboardReport::headerLine(reliability, request.runs));
    writer.append('\n');
    RowTailCache<std::int32_t> tails;
    const auto format = [&request](std::int32_t count, std::string& text) {
        text = ClipboardReport::countLineTail(count, request.runs);
    };
    for (std::size_t k = 0; k < histogram.size(); ++k) {
        writer.appendInteger(static_cast<std::int64_t>(k));
        writer.append(tails.tail(histogram[k], format));
        writer.append('\n');
    }
}

void writeCounts(std::span<const std::int32_t> histogram, LineWriter& writer)
{
    for (std::size_t k = 0; k < histogram.size(); ++k) {
        writer.appendInteger(static_cast<std::int64_t>(k));
        writer.append(' ');
        writer.appendInteger(histogram[k]);
        writer.append('\n');
    }
}

void writePlot(const ReportRequest& request, std::uint32_t seed,
               std::span<const std::int32_t> histogram, const ExactDistribution* exact)
{
    // Every number in the picture has the locale's separators, also the reliability as typed.
    const ChartSeparators separators = chartSeparators();
    const ChartRequest chart{
        .histogram = histogram,
        .runs = request.runs,
        .exact = exact,
        .logarithmic = request.logarithmic,
        .errorBars = request.errorBars,
        .lastCount = request.maxFailures,
        .title = request.title ? *request.title : chartTitle(request, seed, separators),
        .decimalSeparator = separators.decimal,
        .digitGroupSeparator = separators.digitGroup,
        .width = request.plotWidth,
        .height = request.plotHeight,
    };
    std::string file;
    try {
        file = drawChart(chart, request.plotType);
    } catch (const std::bad_alloc&) {
        throw CommandError(ExitCode::Failure, "Das Diagramm konnte nicht gezeichnet werden: " +
                                                  std::string(ErrorMessages::outOfMemory));
    }
    if (const auto problem = platform::replaceFile(*request.plot, file)) {
        const char* step = problem->step == platform::FileProblem::Step::Open     ? "öffnen"
                           : problem->step == platform::FileProblem::Step::Create ? "anlegen"
                                                                                  : "schreiben";
        throw CommandError(ExitCode::Failure,
                           "Das Diagramm konnte nicht geschrieben werden: Die Datei " +
                               quotedArgument(*request.plot) + " lässt sich nicht " + step + ": " +
                               platform::describeWriteError(problem->error));
    }
}

// The generator runs through its 2^32 states in one fixed cycle. Runs that draw half of them or
// more no longer sample it at random but sweep most of the cycle, whose failure counts are fixed:
// the counts scatter less than the model says (chi-square p-values crowd towards 1), and past a
// whole period the runs repeat. The draws that make no difference are not counted: with no
// engine, or a failure probability of 0 or 1, nothing is drawn.
std::optional<std::int64_t> drawsNearPeriod(std::int32_t engines, std::int32_t runs,
                                            std::uint64_t threshold)
{
    if (engines <= 0 || runs <= 0 || threshold == 0 || threshold >= Lcg::period)
        return std::nullopt;
    const std::int64_t draws = std::int64_t{engines} * runs;
    if (static_cast<std::uint64_t>(draws) < Lcg::period / 2)
        return std::nullopt;
    return draws;
}

// A bare value between 1 and 50 is far more likely a slip than an engine that works one time in
// fifty; it is read as the window reads it, and the reader is told.
void hintAtAPercentage(const ReportRequest& request, std::ostream& err)
{
    if (request.explicitPercent || !(request.reliability > 1 && request.reliability < 50))
        return;
    err << "triebwerke-report: Hinweis: --reliability " << quotedArgument(request.reliabilityText)
        << " ist größer als 1 und wird daher als Prozent gelesen; eine Zuverlässigkeit unter 1 "
           "wird als Bruch geschrieben (0,985) oder mit Prozentzeichen (1,5%).\n";
}

std::uint32_t simulate(const ReportRequest& request, double reliability,
                       FailureHistogram& histogram)
{
    // Without a seed the generator starts where the clock would start it, and a table for scripts
    // can name that state, so that --seed repeats the run.
    const std::uint32_t seed = request.seed ? *request.seed : seedFromClock();
    try {
        simulateFailures(request.engines, request.runs, histogram, reliability, seed);
    } catch (const Exception& error) {
        throw CommandError(ExitCode::Failure,
                           "Die Simulation ist fehlgeschlagen: " + errorBoxText(error.message()));
    }
    return seed;
}

void writeReport(const ReportRequest& request, std::ostream& out, std::ostream& err)
{
    hintAtAPercentage(request, err);
    const double reliability = checkedToDouble(request.reliability);
    const double nominalFailure = failureProbability(reliability);
    const std::uint64_t threshold = failureThreshold(nominalFailure);
    const auto draws = drawsNearPeriod(request.engines, request.runs, threshold);
    // Said before the simulation, which takes a while at this size; the results stand as they are.
    if (draws)
        err << "triebwerke-report: Hinweis: Die Simulation zieht " << *draws
            << " Zufallszahlen, mindestens die Hälfte der " << Lcg::period
            << ", nach denen sich der Zufallsgenerator wiederholt. Die Durchläufe sind daher nicht "
               "mehr unabhängig, ihre Ergebnisse streuen weniger als im Modell.\n";

    FailureHistogram histogram;
    const std::uint32_t seed = simulate(request, reliability, histogram);
    const double failure = static_cast<double>(threshold) * 0x1p-32;
    std::optional<ExactDistribution> exact;
    if (request.exact)
        exact.emplace(request.engines, failure);
    // The picture comes first: when it cannot be written, nothing has reached the output yet.
    if (request.plot)
        writePlot(request, seed, histogram, exact ? &*exact : nullptr);

    LineWriter writer(out);
    switch (request.format) {
    case OutputFormat::Counts:
        writeCounts(histogram, writer);
        break;
    case OutputFormat::Report:
        writeReport(reliability, request, histogram, writer);
        break;
    case OutputFormat::Csv:
    case OutputFormat::Json: {
        const SimulationInputs inputs{
            .engines = request.engines,
            .runs = request.runs,
            .reliability = reliability,
            .seed = seed,
            .failureProbability = failure,
            .nominalFailureProbability = nominalFailure,
            .drawsNearPeriod = draws,
        };
        // Only the tables set the textbook binomial beside the generator's.
        std::optional<ExactDistribution> exactNominal;
        if (exact)
            exactNominal.emplace(request.engines, nominalFailure);
        const ExactDistributions distributions{
            .atGenerator = exact ? &*exact : nullptr,
            .atNominal = exactNominal ? &*exactNominal : nullptr,
        };
        TableWriter table(inputs, histogram, distributions, writer);
        if (request.format == OutputFormat::Csv) {
            table.writeCsv();
        } else {
            std::optional<ChiSquare> chiSquare;
            if (exact)
                chiSquare = chiSquareTest(histogram, request.runs, *exact);
            table.writeJson(chiSquare);
        }
        break;
    }
    }
    writer.finish();
}

} // namespace

int runReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err, const std::function<std::string()>& describeWriteFailure)
{
    const auto failed = [&err](const std::string& message) {
        err << message << '\n';
        return static_cast<int>(ExitCode::Failure);
    };
    try {
        const CommandLine commandLine(arguments);
        if (const std::optional<std::string> answer = answerAlone(commandLine)) {
            LineWriter writer(out);
            writer.append(*answer);
            writer.finish();
        } else {
            writeReport(readRequest(commandLine), out, err);
        }
        return static_cast<int>(ExitCode::Success);
    } catch (const CommandError& error) {
        err << "triebwerke-report: " << error.what() << '\n';
        if (error.exitCode() == ExitCode::Usage)
            err << usageFirstLine() << "Mehr mit: triebwerke-report --help\n";
        return static_cast<int>(error.exitCode());
    } catch (const OutputFailed&) {
        std::string message = "triebwerke-report: Die Ausgabe konnte nicht geschrieben werden";
        if (describeWriteFailure)
            message += ": " + describeWriteFailure();
        return failed(message);
    } catch (...) {
        // No failure may end the tool without its exit code: whatever else went wrong is one.
        return visitError(
            std::current_exception(),
            [&failed](const Exception& own) {
                return failed("triebwerke-report: " + errorBoxText(own.message()));
            },
            [&failed](const std::exception& other) {
                return failed("triebwerke-report: " + std::string(other.what()));
            },
            [&failed] { return failed("triebwerke-report: Unbekannter Fehler"); });
    }
}
