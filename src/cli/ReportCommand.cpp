#include "cli/ReportCommand.h"

#include "chart/ChartFile.h"
#include "chart/ChartLayout.h"
#include "cli/LineWriter.h"
#include "cli/TableWriter.h"
#include "platform/Clock.h"
#include "platform/Exceptions.h"
#include "presentation/CheckedArithmetic.h"
#include "presentation/ClipboardReport.h"
#include "presentation/NumberReading.h"
#include "presentation/TextEncoding.h"
#include "simulation/SimuliereAusfaelle.h"
#include "statistics/ChiSquare.h"
#include "statistics/ExactDistribution.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace {

constexpr std::string_view usageText =
    "Aufruf: triebwerke-report --engines N --reliability R --runs M [--seed S] [--format F]\n"
    "                         [--exact] [--plot DATEI [--log] [--size BxH]]\n"
    "        triebwerke-report --help | --version\n"
    "\n"
    "Simuliert M Raketen mit je N Triebwerken, deren jedes mit der Zuverlässigkeit R arbeitet,\n"
    "und gibt den Bericht von \"ins Clipboard\" aus, eine Zeile je Ausfallzahl, oder dieselbe\n"
    "Verteilung als Tabelle für Skripte.\n"
    "\n"
    "  --engines N       Anzahl Triebwerke, ganze Zahl\n"
    "  --reliability R   Zuverlässigkeit eines Triebwerks, z. B. 0,999; über 1 als Prozent\n"
    "                    gelesen (99,9); Komma oder Punkt als Dezimaltrennzeichen, in jeder\n"
    "                    Sprachumgebung; ohne Tausendertrennzeichen\n"
    "  --runs M          Simulationsdurchläufe, ganze Zahl\n"
    "  --seed S          Startzustand des Zufallsgenerators, 0 bis 4294967295;\n"
    "                    ohne diese Angabe startet er von der Uhr\n"
    "  --format F        report: der Bericht (Vorgabe);\n"
    "                    counts: je Ausfallzahl k eine Zeile \"k Anzahl\";\n"
    "                    csv: Tabelle nach RFC 4180 mit Kopfzeile;\n"
    "                    json: ein Objekt mit den Eingaben und den Zeilen der Tabelle;\n"
    "                    in csv und json Zahlen mit Punkt, in jeder Sprachumgebung\n"
    "  --counts          dasselbe wie --format counts\n"
    "  --exact           mit csv und json: je Ausfallzahl die exakte\n"
    "                    Binomialwahrscheinlichkeit und der Standardfehler des simulierten\n"
    "                    Anteils; in json dazu der Chi-Quadrat-Anpassungstest; mit --plot\n"
    "                    die exakten Wahrscheinlichkeiten als Punkte im Diagramm\n"
    "  --plot DATEI      zeichnet die simulierte Verteilung als Säulendiagramm, als PNG oder\n"
    "                    SVG nach der Endung der Datei\n"
    "  --log             logarithmische Achse der Wahrscheinlichkeit (seltene Ausfallzahlen)\n"
    "  --size BxH        Größe des Diagramms in Pixeln, Vorgabe 1200x700\n"
    "  --help            diese Hilfe\n"
    "  --version         die Version des Programms\n"
    "\n"
    "Von N und M zählen wie im Programm die unteren 32 Bit.\n"
    "Rückgabewert: 0 bei Erfolg, 1 bei einem Fehler der Simulation oder beim Schreiben des\n"
    "Diagramms oder der Ausgabe, 2 bei einem fehlerhaften Aufruf.\n";

class UsageError
{
public:
    explicit UsageError(std::string problem)
        : m_problem(std::move(problem))
    {}
    const std::string& problem() const { return m_problem; }

private:
    std::string m_problem;
};

std::int64_t readInteger(std::string_view option, std::string_view text)
{
    const auto wide = utf8ToUtf16(text);
    const auto value = wide ? parseInteger(*wide) : std::nullopt;
    if (!value)
        throw UsageError("Der Wert von " + std::string(option) + " ist keine ganze Zahl: \"" +
                         std::string(text) + "\"");
    return *value;
}

// Scripts run under any locale, so either separator is taken; a text with both, or with one of
// them twice, is grouped, and a guess at its meaning could be a thousand times off.
long double readReliability(std::string_view text)
{
    const std::string quoted = "\"" + std::string(text) + "\"";
    const bool hasComma = text.find(',') != text.npos;
    const bool hasStop = text.find('.') != text.npos;
    if (hasComma && hasStop)
        throw UsageError("Der Wert von --reliability enthält Komma und Punkt: " + quoted +
                         "; Ziffern werden nicht gruppiert, Komma oder Punkt trennt allein die "
                         "Nachkommastellen ab");
    const char separator = hasComma ? ',' : '.';
    if (std::count(text.begin(), text.end(), separator) > 1)
        throw UsageError("Der Wert von --reliability enthält mehr als ein Dezimaltrennzeichen: " +
                         quoted + "; Ziffern werden nicht gruppiert");
    const std::string_view mantissa = text.substr(0, text.find_first_of("eE"));
    const bool hasDigit =
        std::any_of(mantissa.begin(), mantissa.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto wide = utf8ToUtf16(text);
    const auto value = hasDigit && wide ? parseDecimal(*wide, separator) : std::nullopt;
    if (!value)
        throw UsageError("Der Wert von --reliability ist keine Zahl: " + quoted);
    return *value;
}

struct Options
{
    std::optional<std::string_view> engines;
    std::optional<std::string_view> reliability;
    std::optional<std::string_view> runs;
    std::optional<std::string_view> seed;
    std::optional<std::string_view> format;
    std::optional<std::string_view> plot;
    std::optional<std::string_view> size;
    bool counts = false;
    bool exact = false;
    bool logarithmic = false;
    bool help = false;
    bool version = false;
};

Options parseOptions(std::span<const std::string_view> arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> inlineValue;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != name.npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        bool* flag = name == "--counts"    ? &options.counts
                     : name == "--exact"   ? &options.exact
                     : name == "--help"    ? &options.help
                     : name == "--version" ? &options.version
                     : name == "--log"     ? &options.logarithmic
                                           : nullptr;
        if (flag != nullptr) {
            if (inlineValue)
                throw UsageError("Die Option " + std::string(name) + " nimmt keinen Wert");
            *flag = true;
            continue;
        }
        std::optional<std::string_view>* slot = name == "--engines"       ? &options.engines
                                                : name == "--reliability" ? &options.reliability
                                                : name == "--runs"        ? &options.runs
                                                : name == "--seed"        ? &options.seed
                                                : name == "--format"      ? &options.format
                                                : name == "--plot"        ? &options.plot
                                                : name == "--size"        ? &options.size
                                                                          : nullptr;
        if (slot == nullptr)
            throw UsageError("Unbekanntes Argument: \"" + std::string(arguments[i]) + "\"");
        if (slot->has_value())
            throw UsageError("Die Option " + std::string(name) + " ist doppelt angegeben");
        if (inlineValue) {
            *slot = inlineValue;
        } else {
            if (i + 1 == arguments.size())
                throw UsageError("Der Option " + std::string(name) + " fehlt ihr Wert");
            *slot = arguments[++i];
        }
    }
    return options;
}

// Starts the generator from a chosen state instead of the time.
class FixedClock final : public platform::ClockSource
{
public:
    explicit FixedClock(std::uint32_t state)
        : m_state(state)
    {}
    bool queryPerformanceCounter(std::uint64_t& counter) override
    {
        counter = m_state;
        return true;
    }
    std::uint32_t tickCount() override { return m_state; }
    std::uint32_t state() const { return m_state; }

private:
    std::uint32_t m_state;
};

// Everything the command line asks for, each text read and checked, before anything is computed.
enum class OutputFormat { Report, Counts, Csv, Json };

OutputFormat readFormat(const Options& options)
{
    if (!options.format)
        return options.counts ? OutputFormat::Counts : OutputFormat::Report;
    const std::string_view name = *options.format;
    OutputFormat format = OutputFormat::Report;
    if (name == "counts")
        format = OutputFormat::Counts;
    else if (name == "csv")
        format = OutputFormat::Csv;
    else if (name == "json")
        format = OutputFormat::Json;
    else if (name != "report")
        throw UsageError("Der Wert von --format ist nicht report, counts, csv oder json: \"" +
                         std::string(name) + "\"");
    if (options.counts && format != OutputFormat::Counts)
        throw UsageError("--counts widerspricht --format " + std::string(name));
    return format;
}

struct Request
{
    long double reliability = 0;
    std::int32_t engines = 0;
    std::int32_t runs = 0;
    std::optional<std::uint32_t> seed;
    OutputFormat format = OutputFormat::Report;
    bool exact = false;
    std::string_view reliabilityText;
    std::optional<std::string> plot;
    ChartFileType plotType = ChartFileType::Png;
    int plotWidth = 1200;
    int plotHeight = 700;
    bool logarithmic = false;
};

// The picture's type follows the file's extension, in either case.
ChartFileType readPlotType(std::string_view path)
{
    std::string extension(path.substr(std::min(path.size(), path.rfind('.'))));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png")
        return ChartFileType::Png;
    if (extension == ".svg")
        return ChartFileType::Svg;
    throw UsageError("Der Dateiname von --plot endet weder auf .png noch auf .svg: \"" +
                     std::string(path) + "\"");
}

// BREITExHÖHE in pixels, each from 200 to 10000.
std::pair<int, int> readPlotSize(std::string_view text)
{
    const auto times = text.find('x');
    const auto readSide = [text](std::string_view side) -> std::optional<int> {
        int value = 0;
        const auto [end, error] = std::from_chars(side.data(), side.data() + side.size(), value);
        if (error != std::errc() || end != side.data() + side.size() || side.empty() ||
            value < 200 || value > 10000)
            return std::nullopt;
        return value;
    };
    const auto width = times == text.npos ? std::nullopt : readSide(text.substr(0, times));
    const auto height = times == text.npos ? std::nullopt : readSide(text.substr(times + 1));
    if (!width || !height)
        throw UsageError("Der Wert von --size ist nicht BREITExHÖHE mit je 200 bis 10000 "
                         "Pixeln: \"" +
                         std::string(text) + "\"");
    return {*width, *height};
}

Request readRequest(const Options& options)
{
    if (!options.engines || !options.reliability || !options.runs)
        throw UsageError("--engines, --reliability und --runs müssen angegeben sein");
    Request request;
    request.engines = static_cast<std::int32_t>(readInteger("--engines", *options.engines));
    request.reliability = readReliability(*options.reliability);
    request.runs = static_cast<std::int32_t>(readInteger("--runs", *options.runs));
    if (options.seed) {
        const std::int64_t seed = readInteger("--seed", *options.seed);
        if (seed < 0 || seed > 0xFFFFFFFF)
            throw UsageError("Der Wert von --seed liegt nicht zwischen 0 und 4294967295: \"" +
                             std::string(*options.seed) + "\"");
        request.seed = static_cast<std::uint32_t>(seed);
    }
    request.format = readFormat(options);
    request.exact = options.exact;
    if (request.exact && request.format != OutputFormat::Csv &&
        request.format != OutputFormat::Json && !options.plot)
        throw UsageError("--exact gibt es nur mit --format csv, --format json oder --plot");
    request.reliabilityText = *options.reliability;
    if (options.plot) {
        request.plotType = readPlotType(*options.plot);
        request.plot = std::string(*options.plot);
    }
    if ((options.logarithmic || options.size) && !options.plot)
        throw UsageError(std::string(options.logarithmic ? "--log" : "--size") +
                         " gibt es nur mit --plot");
    if (options.size)
        std::tie(request.plotWidth, request.plotHeight) = readPlotSize(*options.size);
    request.logarithmic = options.logarithmic;
    return request;
}

// The report lines of equal counts differ only in k, and most counts of a long report are equal
// (mostly 0), so the rest of a line is formatted once per run of equal counts.
void writeClipboardReport(double reliability, const Request& request,
                          std::span<const std::int32_t> histogram, LineWriter& writer)
{
    writer.append(ClipboardReport::headerLine(reliability, request.runs));
    writer.append('\n');
    std::optional<std::string> zeroTail;
    std::optional<std::pair<std::int32_t, std::string>> lastTail;
    for (std::size_t k = 0; k < histogram.size(); ++k) {
        const std::int32_t count = histogram[k];
        const std::string* tail = nullptr;
        if (count == 0) {
            if (!zeroTail)
                zeroTail = ClipboardReport::countLineTail(0, request.runs);
            tail = &*zeroTail;
        } else {
            if (!lastTail || lastTail->first != count)
                lastTail.emplace(count, ClipboardReport::countLineTail(count, request.runs));
            tail = &lastTail->second;
        }
        writer.appendInteger(static_cast<std::int64_t>(k));
        writer.append(*tail);
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

class PlotFailed
{
public:
    explicit PlotFailed(std::string problem)
        : m_problem(std::move(problem))
    {}
    const std::string& problem() const { return m_problem; }

private:
    std::string m_problem;
};

void writePlot(const Request& request, std::uint32_t seed, std::span<const std::int32_t> histogram,
               const ExactDistribution* exact)
{
    ChartRequest chart;
    chart.histogram = histogram;
    chart.runs = request.runs;
    chart.exact = exact;
    chart.logarithmic = request.logarithmic;
    chart.width = request.plotWidth;
    chart.height = request.plotHeight;
    chart.title = "Triebwerke: " + std::to_string(request.engines) +
                  ", Zuverlässigkeit: " + std::string(request.reliabilityText) +
                  ", Durchläufe: " + std::to_string(request.runs) +
                  ", Startwert: " + std::to_string(seed);
    const std::string problem =
        writeChartImage(ChartLayout(chart).image(), *request.plot, request.plotType);
    if (!problem.empty())
        throw PlotFailed(problem);
}

// The state the generator starts from, chosen as the simulation would choose it from the clock
// when no seed is given, so that a table for scripts can name the seed that repeats it.
std::uint32_t startingState(const Request& request)
{
    if (request.seed)
        return *request.seed;
    std::uint64_t counter = 0;
    if (platform::QueryPerformanceCounter(counter))
        return static_cast<std::uint32_t>(counter);
    return platform::GetTickCount();
}

void writeReport(const Request& request, std::ostream& out)
{
    const double reliability = checkedToDouble(request.reliability);

    FixedClock fixedClock(startingState(request));
    TAusFallarray histogram;
    {
        const platform::ScopedClockSource seeded(fixedClock);
        SimuliereAusfaelle(request.engines, request.runs, histogram, reliability);
    }
    // Each count becomes a share of the runs; with no runs the first of them is 0 / 0. That is
    // the one error the lines can meet, so it is raised here, before the first line is written.
    if ((request.format != OutputFormat::Counts || request.plot) && !histogram.empty() &&
        request.runs == 0)
        throw EInvalidOp();
    const double failure =
        static_cast<double>(failureThreshold(failureProbability(reliability))) * 0x1p-32;
    std::optional<ExactDistribution> exact;
    if (request.exact)
        exact.emplace(request.engines, failure);
    // The picture comes first: when it cannot be written, nothing has reached the output yet.
    if (request.plot)
        writePlot(request, fixedClock.state(), histogram, exact ? &*exact : nullptr);

    LineWriter writer(out);
    switch (request.format) {
    case OutputFormat::Counts:
        writeCounts(histogram, writer);
        break;
    case OutputFormat::Report:
        writeClipboardReport(reliability, request, histogram, writer);
        break;
    case OutputFormat::Csv:
    case OutputFormat::Json: {
        SimulationInputs inputs;
        inputs.engines = request.engines;
        inputs.runs = request.runs;
        inputs.reliability = reliability;
        inputs.seed = fixedClock.state();
        inputs.failureProbability = failure;
        TableWriter table(inputs, histogram, exact ? &*exact : nullptr, writer);
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
    try {
        const Options options = parseOptions(arguments);
        if (options.help || options.version) {
            LineWriter writer(out);
            if (options.help)
                writer.append(usageText);
            else
                writer.append("triebwerke-report " TRIEBWERKE_VERSION "\n");
            writer.finish();
        } else {
            writeReport(readRequest(options), out);
        }
        return 0;
    } catch (const PlotFailed& failure) {
        err << "triebwerke-report: Das Diagramm konnte nicht geschrieben werden: "
            << failure.problem() << '\n';
        return 1;
    } catch (const OutputFailed&) {
        err << "triebwerke-report: Die Ausgabe konnte nicht geschrieben werden";
        if (describeWriteFailure)
            err << ": " << describeWriteFailure();
        err << '\n';
        return 1;
    } catch (const UsageError& error) {
        err << "triebwerke-report: " << error.problem() << "\n"
            << usageText.substr(0, usageText.find('\n') + 1)
            << "Mehr mit: triebwerke-report --help\n";
        return 2;
    } catch (const Exception& error) {
        err << errorBoxText(error.message()) << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        err << errorBoxText(ErrorMessages::outOfMemory) << '\n';
        return 1;
    } catch (const std::exception& error) {
        // No failure may end the tool without its exit code: whatever else went wrong is one.
        err << "triebwerke-report: " << error.what() << '\n';
        return 1;
    } catch (...) {
        err << "triebwerke-report: Unbekannter Fehler\n";
        return 1;
    }
}
