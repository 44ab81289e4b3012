#include "cli/ReportOptions.h"

#include "chart/ChartLayout.h"
#include "cli/CommandError.h"
#include "presentation/NumberReading.h"
#include "presentation/TextEncoding.h"
#include "simulation/FailureSimulation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <tuple>
#include <utility>

namespace {

CommandError usageError(const std::string& problem)
{
    return CommandError(ExitCode::Usage, problem);
}

// "a, b und c" for the last separator " und ".
std::string listed(const std::vector<std::string_view>& items, std::string_view lastSeparator)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? lastSeparator : ", ";
        text += items[i];
    }
    return text;
}

std::int64_t readInteger(const ReportOption& option, std::string_view text)
{
    const auto wide = utf8ToUtf16(text);
    const auto value = wide ? parseInteger(*wide) : std::nullopt;
    if (!value)
        throw usageError("Der Wert von " + std::string(option.name) +
                         " ist keine ganze Zahl: " + quotedArgument(text));
    if (option.range && (*value < option.range->first || *value > option.range->second))
        throw usageError("Der Wert von " + std::string(option.name) + " liegt nicht zwischen " +
                         std::to_string(option.range->first) + " und " +
                         std::to_string(option.range->second) + ": " + quotedArgument(text));
    return *value;
}

std::size_t readChoice(const ReportOption& option, std::string_view text)
{
    const auto found = std::find(option.choices.begin(), option.choices.end(), text);
    if (found == option.choices.end())
        throw usageError("Der Wert von " + std::string(option.name) + " ist nicht " +
                         listed(option.choices, " oder ") + ": " + quotedArgument(text));
    return static_cast<std::size_t>(found - option.choices.begin());
}

// Scripts run under any locale, so either separator is taken; a text with both, or with one of
// them twice, is grouped, and a guess at its meaning could be a thousand times off.
long double readDecimal(std::string_view text, std::string_view whole)
{
    const bool hasComma = text.find(',') != text.npos;
    const bool hasStop = text.find('.') != text.npos;
    if (hasComma && hasStop)
        throw usageError(
            "Der Wert von --reliability enthält Komma und Punkt: " + quotedArgument(whole) +
            "; Ziffern werden nicht gruppiert, Komma oder Punkt trennt allein die "
            "Nachkommastellen ab");
    const char separator = hasComma ? ',' : '.';
    if (std::count(text.begin(), text.end(), separator) > 1)
        throw usageError("Der Wert von --reliability enthält mehr als ein Dezimaltrennzeichen: " +
                         quotedArgument(whole) + "; Ziffern werden nicht gruppiert");
    const std::string_view mantissa = text.substr(0, text.find_first_of("eE"));
    const bool hasDigit =
        std::any_of(mantissa.begin(), mantissa.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto wide = utf8ToUtf16(text);
    const auto value = hasDigit && wide ? parseDecimalOfAnyLength(*wide, separator) : std::nullopt;
    if (!value)
        throw usageError("Der Wert von --reliability ist keine Zahl: " + quotedArgument(whole));
    return *value;
}

// A bare value above 1 is a percentage, as in the window; "99,9%" or "99,9 %" says so itself and
// also reaches the percentages of 1 and below. What the window would only turn into a failure
// probability outside 0 to 1 is refused.
void readReliability(std::string_view text, ReportRequest& request)
{
    std::string_view number = text;
    request.explicitPercent = number.ends_with('%');
    if (request.explicitPercent) {
        number.remove_suffix(1);
        if (number.ends_with(' '))
            number.remove_suffix(1);
    }
    const long double value = readDecimal(number, text);
    if (!(value >= 0 && value <= 100))
        throw usageError("Der Wert von --reliability liegt nicht zwischen " +
                         std::string(request.explicitPercent
                                         ? "0 % und 100 %"
                                         : "0 und 1 oder, als Prozent, zwischen 1 und 100") +
                         ": " + quotedArgument(text));
    request.reliabilityText = text;
    // Up to 1 % the window would read the bare number as a fraction; the quotient is rounded as
    // the window rounds its own percentages.
    if (request.explicitPercent && value <= 1)
        request.reliability = fractionOfPercentage(static_cast<double>(value));
    else
        request.reliability = value;
}

// The picture's type follows the file's extension, in either case.
ChartFileType readPlotType(std::string_view path)
{
    std::string extension(path.substr(std::min(path.size(), path.rfind('.'))));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png")
        return ChartFileType::Png;
    if (extension == ".svg" && !svgChartsAvailable())
        throw usageError("Diese Ausgabe des Programms zeichnet keine SVG-Dateien (ohne Qt SVG "
                         "gebaut); --plot nimmt hier nur .png: " +
                         quotedArgument(path));
    if (extension == ".svg")
        return ChartFileType::Svg;
    throw usageError("Der Dateiname von --plot endet weder auf .png noch auf .svg: " +
                     quotedArgument(path));
}

// A title is drawn as it is written; a control character would draw as a box, and a text that
// is not UTF-8 as nothing a reader could read.
std::string readTitle(std::string_view text)
{
    const auto wide = utf8ToUtf16(text);
    if (!wide || escapeControlCharacters(text) != text)
        throw usageError("Der Wert von --title ist kein Text aus druckbaren UTF-8-Zeichen: " +
                         quotedArgument(text));
    return std::string(text);
}

// BREITExHÖHE in pixels, at most 10000 each, and no smaller than the chart's labels stay legible
// in.
std::pair<int, int> readPlotSize(std::string_view text)
{
    constexpr int largest = 10000;
    const auto times = text.find('x');
    const auto readSide = [](std::string_view side) -> std::optional<int> {
        int value = 0;
        const auto [end, error] = std::from_chars(side.data(), side.data() + side.size(), value);
        if (error != std::errc() || end != side.data() + side.size() || side.empty() || value < 1 ||
            value > largest)
            return std::nullopt;
        return value;
    };
    const auto width = times == text.npos ? std::nullopt : readSide(text.substr(0, times));
    const auto height = times == text.npos ? std::nullopt : readSide(text.substr(times + 1));
    if (!width || !height)
        throw usageError("Der Wert von --size ist nicht BREITExHÖHE mit je 1 bis " +
                         std::to_string(largest) + " Pixeln: " + quotedArgument(text));
    if (*width < ChartLayout::smallestWidth || *height < ChartLayout::smallestHeight)
        throw usageError("Das Diagramm braucht mindestens " +
                         std::to_string(ChartLayout::smallestWidth) + "x" +
                         std::to_string(ChartLayout::smallestHeight) +
                         " Pixel, kleiner wäre seine Beschriftung nicht mehr lesbar: --size " +
                         quotedArgument(text));
    return {*width, *height};
}

// --format's choices, each with what it stands for.
struct FormatChoice
{
    std::string_view name;
    OutputFormat format;
};
constexpr FormatChoice formatChoices[] = {{"report", OutputFormat::Report},
                                          {"counts", OutputFormat::Counts},
                                          {"csv", OutputFormat::Csv},
                                          {"json", OutputFormat::Json}};

std::vector<std::string_view> formatNames()
{
    std::vector<std::string_view> names;
    for (const FormatChoice& choice : formatChoices)
        names.push_back(choice.name);
    return names;
}

std::vector<ReportOption> optionTable()
{
    using Request = ReportRequest;
    using Option = ReportOption;
    return {
        {.name = "--engines",
         .valueName = "N",
         .help = "Anzahl Triebwerke, 0 bis 536870908",
         .required = true,
         .range = std::pair<std::int64_t, std::int64_t>{0, maxEngineCount},
         .read =
             [](const Option& option, std::string_view value, Request& request) {
                 request.engines = static_cast<std::int32_t>(readInteger(option, value));
             }},
        {.name = "--reliability",
         .valueName = "R",
         .help = "Zuverlässigkeit eines Triebwerks von 0 bis 1, z. B. 0,999; ein Wert\n"
                 "über 1 ist Prozent, bis 100 (99,9 wie 99,9%); mit % auch darunter\n"
                 "(0,5%); Komma oder Punkt als Dezimaltrennzeichen, in jeder\n"
                 "Sprachumgebung; ohne Tausendertrennzeichen",
         .required = true,
         .read = [](const Option&, std::string_view value,
                    Request& request) { readReliability(value, request); }},
        {.name = "--runs",
         .valueName = "M",
         .help = "Simulationsdurchläufe, 1 bis 2147483647; 0 nur mit --counts ohne\n"
                 "--plot",
         .required = true,
         .range =
             std::pair<std::int64_t, std::int64_t>{0, std::numeric_limits<std::int32_t>::max()},
         .read =
             [](const Option& option, std::string_view value, Request& request) {
                 request.runs = static_cast<std::int32_t>(readInteger(option, value));
             }},
        {.name = "--seed",
         .valueName = "S",
         .help = "Startzustand des Zufallsgenerators, 0 bis 4294967295;\n"
                 "ohne diese Angabe startet er von der Uhr",
         .range = std::pair<std::int64_t, std::int64_t>{0, 0xFFFFFFFF},
         .read =
             [](const Option& option, std::string_view value, Request& request) {
                 request.seed = static_cast<std::uint32_t>(readInteger(option, value));
             }},
        {.name = "--format",
         .valueName = "F",
         .help = "report: der Bericht (Vorgabe);\n"
                 "counts: je Ausfallzahl k eine Zeile \"k Anzahl\";\n"
                 "csv: Tabelle nach RFC 4180 mit Kopfzeile;\n"
                 "json: ein Objekt mit den Eingaben und den Zeilen der Tabelle;\n"
                 "in csv und json Zahlen mit Punkt, in jeder Sprachumgebung",
         .choices = formatNames(),
         .read =
             [](const Option& option, std::string_view value, Request& request) {
                 request.format = formatChoices[readChoice(option, value)].format;
             }},
        {.name = "--counts",
         .help = "dasselbe wie --format counts",
         .conflictsWith = "--format",
         .conflictAllows = "counts",
         .read = [](const Option&, std::string_view,
                    Request& request) { request.format = OutputFormat::Counts; }},
        {.name = "--exact",
         .help = "mit csv und json: je Ausfallzahl die exakte\n"
                 "Binomialwahrscheinlichkeit beim p des Generators und beim\n"
                 "Nennwert 1 - R, der Standardfehler des simulierten Anteils; in json\n"
                 "dazu der Chi-Quadrat-Anpassungstest; mit --plot die exakten\n"
                 "Wahrscheinlichkeiten als Punkte im Diagramm",
         .onlyWith = {"--format csv", "--format json", "--plot"},
         .read = [](const Option&, std::string_view, Request& request) { request.exact = true; }},
        {.name = "--plot",
         .valueName = "DATEI",
         .help = "zeichnet die simulierte Verteilung als Säulendiagramm, als PNG oder\n"
                 "SVG nach der Endung der Datei",
         .read =
             [](const Option&, std::string_view value, Request& request) {
                 request.plotType = readPlotType(value);
                 request.plot = std::string(value);
             }},
        {.name = "--log",
         .help = "logarithmische Achse der Wahrscheinlichkeit (seltene Ausfallzahlen)",
         .onlyWith = {"--plot"},
         .read = [](const Option&, std::string_view,
                    Request& request) { request.logarithmic = true; }},
        {.name = "--max-failures",
         .valueName = "K",
         .help = "das Diagramm zeigt die Ausfallzahlen bis K; ohne diese Angabe bis\n"
                 "zur letzten mit simulierten Durchläufen oder mit einer exakten\n"
                 "Wahrscheinlichkeit von mindestens 1/M",
         .onlyWith = {"--plot"},
         .range = std::pair<std::int64_t, std::int64_t>{0, maxEngineCount},
         .read = [](const Option& option, std::string_view value,
                    Request& request) { request.maxFailures = readInteger(option, value); }},
        {.name = "--error-bars",
         .help = "um jede Säule ±1,96 Standardfehler des simulierten Anteils (95 %);\n"
                 "mit --exact der Standardfehler des Modells, sonst der aus dem Anteil",
         .onlyWith = {"--plot"},
         .read = [](const Option&, std::string_view,
                    Request& request) { request.errorBars = true; }},
        {.name = "--title",
         .valueName = "TEXT",
         .help = "Überschrift des Diagramms statt der aus den Eingaben",
         .onlyWith = {"--plot"},
         .read = [](const Option&, std::string_view value,
                    Request& request) { request.title = readTitle(value); }},
        {.name = "--size",
         .valueName = "BxH",
         .help = "Größe des Diagramms in Pixeln, Vorgabe 1200x700, mindestens 600x360",
         .onlyWith = {"--plot"},
         .read =
             [](const Option&, std::string_view value, Request& request) {
                 std::tie(request.plotWidth, request.plotHeight) = readPlotSize(value);
             }},
        {.name = "--help", .shortName = "-h", .help = "diese Hilfe", .answer = usageText},
        {.name = "--version",
         .help = "die Version des Programms",
         .answer = [] { return std::string("triebwerke-report " TRIEBWERKE_VERSION "\n"); }},
    };
}

const ReportOption* findOption(std::string_view name)
{
    const auto& options = reportOptions();
    const auto found =
        std::find_if(options.begin(), options.end(), [name](const ReportOption& option) {
            return option.name == name || (!option.shortName.empty() && option.shortName == name);
        });
    return found == options.end() ? nullptr : &*found;
}

// "--format csv" holds when --format is given with the value csv, "--plot" when --plot is given.
bool holds(const CommandLine& commandLine, std::string_view condition)
{
    const auto blank = condition.find(' ');
    const std::string_view name = condition.substr(0, blank);
    if (!commandLine.has(name))
        return false;
    return blank == condition.npos || commandLine.value(name) == condition.substr(blank + 1);
}

void check(const ReportOption& option, const CommandLine& commandLine)
{
    const std::string name(option.name);
    if (!option.conflictsWith.empty() && commandLine.has(option.conflictsWith) &&
        commandLine.value(option.conflictsWith) != option.conflictAllows)
        throw usageError(name + " widerspricht " + std::string(option.conflictsWith) + " " +
                         std::string(commandLine.value(option.conflictsWith)));
    if (!option.onlyWith.empty() &&
        std::none_of(option.onlyWith.begin(), option.onlyWith.end(),
                     [&commandLine](std::string_view other) { return holds(commandLine, other); }))
        throw usageError(name + " gibt es nur mit " + listed(option.onlyWith, " oder "));
}

constexpr std::string_view usageHead =
    "Aufruf: triebwerke-report --engines N --reliability R --runs M [--seed S] [--format F]\n"
    "                         [--exact] [--plot DATEI [--log] [--max-failures K]\n"
    "                         [--error-bars] [--title TEXT] [--size BxH]]\n"
    "        triebwerke-report -h | --help | --version\n"
    "\n"
    "Simuliert M Raketen mit je N Triebwerken, deren jedes mit der Zuverlässigkeit R arbeitet,\n"
    "und gibt den Bericht von \"ins Clipboard\" aus, eine Zeile je Ausfallzahl, oder dieselbe\n"
    "Verteilung als Tabelle für Skripte.\n"
    "\n";

constexpr std::string_view usageTail =
    "\n"
    "Jede Option höchstens einmal; --help und --version antworten, was immer der Aufruf sonst\n"
    "enthält.\n"
    "Rückgabewert: 0 bei Erfolg, 1 bei einem Fehler zur Laufzeit (zu wenig Arbeitsspeicher,\n"
    "Diagramm oder Ausgabe nicht schreibbar, eine geschlossene Standardein- oder -ausgabe),\n"
    "2 bei einem fehlerhaften Aufruf oder einem Wert außerhalb seines Bereichs, 141 wenn der\n"
    "Empfänger der Ausgabe sie vorher schließt (SIGPIPE).\n";

// The column in which the options' descriptions begin.
constexpr std::size_t helpColumn = 20;

} // namespace

const std::vector<ReportOption>& reportOptions()
{
    static const std::vector<ReportOption> table = optionTable();
    return table;
}

CommandLine::CommandLine(std::span<const std::string_view> arguments)
{
    // The first problem is kept, not thrown at once: --help and --version answer whatever else
    // the command line holds, so the rest of it is still looked through for them.
    std::optional<CommandError> problem;
    const auto note = [&problem](const std::string& text) {
        if (!problem)
            problem = usageError(text);
    };
    bool answers = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> inlineValue;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != name.npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const ReportOption* option = findOption(name);
        if (option == nullptr) {
            note("Unbekanntes Argument: " + quotedArgument(arguments[i]));
            continue;
        }
        if (has(option->name))
            note("Die Option " + std::string(name) + " ist doppelt angegeben");
        if (option->valueName.empty()) {
            if (inlineValue) {
                note("Die Option " + std::string(name) + " nimmt keinen Wert");
                continue;
            }
            answers = answers || option->answer != nullptr;
            m_values[option->name] = {};
            continue;
        }
        if (!inlineValue && i + 1 == arguments.size()) {
            note("Der Option " + std::string(name) + " fehlt ihr Wert");
            continue;
        }
        m_values[option->name] = inlineValue ? *inlineValue : arguments[++i];
    }
    if (problem && !answers)
        throw *problem;
}

std::optional<std::string> answerAlone(const CommandLine& commandLine)
{
    for (const ReportOption& option : reportOptions())
        if (option.answer != nullptr && commandLine.has(option.name))
            return option.answer();
    return std::nullopt;
}

ReportRequest readRequest(const CommandLine& commandLine)
{
    std::vector<std::string_view> missing;
    for (const ReportOption& option : reportOptions())
        if (option.required && !commandLine.has(option.name))
            missing.push_back(option.name);
    if (!missing.empty())
        throw usageError(listed(missing, " und ") +
                         (missing.size() == 1 ? " muss angegeben sein" : " müssen angegeben sein"));

    ReportRequest request;
    for (const ReportOption& option : reportOptions()) {
        if (option.answer != nullptr || !commandLine.has(option.name))
            continue;
        check(option, commandLine);
        option.read(option, commandLine.value(option.name), request);
    }
    // Every output but the counts, and the picture, divides by the runs.
    if (request.runs == 0 && (request.format != OutputFormat::Counts || request.plot))
        throw usageError("Der Wert von --runs ist 0; ohne Durchläufe gibt es keine Anteile, "
                         "0 nur mit --counts ohne --plot");
    return request;
}

std::string usageText()
{
    std::string text(usageHead);
    for (const ReportOption& option : reportOptions()) {
        std::string line = "  ";
        if (!option.shortName.empty())
            line += std::string(option.shortName) + ", ";
        line += option.name;
        if (!option.valueName.empty())
            line += " " + std::string(option.valueName);
        line.resize(std::max(helpColumn, line.size() + 1), ' ');
        std::string_view help = option.help;
        for (auto end = help.find('\n'); end != help.npos; end = help.find('\n')) {
            text += line;
            text += help.substr(0, end);
            text += '\n';
            line.assign(helpColumn, ' ');
            help.remove_prefix(end + 1);
        }
        text += line;
        text += help;
        text += '\n';
    }
    text += usageTail;
    return text;
}

std::string usageFirstLine()
{
    return std::string(usageHead.substr(0, usageHead.find('\n') + 1));
}
