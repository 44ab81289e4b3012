#include "platform/desktop/Display.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

namespace {

// The environment a program starts in, as far as Qt's scaling reads it; nullopt for unset.
using Environment = std::map<std::string, std::optional<std::string>>;

void apply(const Environment& environment)
{
    for (const auto& [name, value] : environment) {
        if (value)
            qputenv(name.c_str(), QByteArray::fromStdString(*value));
        else
            qunsetenv(name.c_str());
    }
}

std::optional<std::string> read(const std::string& name)
{
    if (!qEnvironmentVariableIsSet(name.c_str()))
        return std::nullopt;
    return qgetenv(name.c_str()).toStdString();
}

struct ScalingCase
{
    const char* name;
    Environment before;
    Environment after;
};

// Without a compositor to ask (X11, or a Wayland display that does not answer), the program only
// takes over Qt's scaling: a desktop session's scale variables go, the user's own factor stays.
const ScalingCase cases[] = {
    {"plasma at 125 percent",
     {{"QT_QPA_PLATFORM", "xcb"},
      {"QT_SCREEN_SCALE_FACTORS", "1.25"},
      {"QT_AUTO_SCREEN_SCALE_FACTOR", "1"},
      {"QT_SCALE_FACTOR", std::nullopt}},
     {{"QT_SCREEN_SCALE_FACTORS", std::nullopt},
      {"QT_AUTO_SCREEN_SCALE_FACTOR", std::nullopt},
      {"QT_ENABLE_HIGHDPI_SCALING", "0"},
      {"QT_SCALE_FACTOR", std::nullopt}}},
    {"named screens and the old variables",
     {{"QT_QPA_PLATFORM", "xcb"},
      {"QT_SCREEN_SCALE_FACTORS", "DP-1=1.5;HDMI-1=1"},
      {"QT_DEVICE_PIXEL_RATIO", "auto"},
      {"QT_USE_PHYSICAL_DPI", "1"},
      {"QT_SCALE_FACTOR_ROUNDING_POLICY", "PassThrough"}},
     {{"QT_SCREEN_SCALE_FACTORS", std::nullopt},
      {"QT_DEVICE_PIXEL_RATIO", std::nullopt},
      {"QT_USE_PHYSICAL_DPI", std::nullopt},
      {"QT_SCALE_FACTOR_ROUNDING_POLICY", std::nullopt}}},
    {"the user's own factor",
     {{"QT_QPA_PLATFORM", "xcb"}, {"QT_SCALE_FACTOR", "1.5"}, {"QT_FONT_DPI", std::nullopt}},
     {{"QT_SCALE_FACTOR", "1.5"}, {"QT_FONT_DPI", std::nullopt}}},
    {"X11 named though a Wayland display is set",
     {{"QT_QPA_PLATFORM", "xcb"},
      {"WAYLAND_DISPLAY", "wayland-0"},
      {"QT_SCALE_FACTOR", std::nullopt}},
     {{"QT_SCALE_FACTOR", std::nullopt}, {"QT_FONT_DPI", std::nullopt}}},
    {"Wayland named, no compositor answering",
     {{"QT_QPA_PLATFORM", "wayland"},
      {"WAYLAND_DISPLAY", "triebwerke-no-such-compositor"},
      {"QT_SCALE_FACTOR", std::nullopt},
      {"QT_FONT_DPI", std::nullopt}},
     {{"QT_SCALE_FACTOR", std::nullopt}, {"QT_FONT_DPI", std::nullopt}}},
};

class DisplayScalingTest : public testing::TestWithParam<ScalingCase>
{};

TEST_P(DisplayScalingTest, takesOverQtsScalingAndKeepsTheUsersFactor)
{
    const ScalingCase& scaling = GetParam();
    Environment saved;
    for (const auto& [name, value] : scaling.before)
        saved[name] = read(name);
    for (const auto& [name, value] : scaling.after)
        saved[name] = read(name);
    saved["QT_ENABLE_HIGHDPI_SCALING"] = read("QT_ENABLE_HIGHDPI_SCALING");
    apply(scaling.before);

    platform::takeOverDisplayScaling();

    for (const auto& [name, expected] : scaling.after)
        EXPECT_EQ(read(name), expected) << name;
    EXPECT_EQ(read("QT_ENABLE_HIGHDPI_SCALING"), std::optional<std::string>("0"));
    apply(saved);
}

INSTANTIATE_TEST_SUITE_P(Desktops, DisplayScalingTest, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<ScalingCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// What the program took over is told to a user who asks for it, and to no one else.
QStringList g_logged;

void recordLog(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    g_logged << QString::fromUtf8(context.category) + QStringLiteral(": ") + message;
}

TEST(DisplayScalingLog, namesTheDroppedVariablesOnlyWhenAskedTo)
{
    const Environment plasma{{"QT_QPA_PLATFORM", "xcb"}, {"QT_SCREEN_SCALE_FACTORS", "1.25"}};
    Environment saved;
    for (const auto& [name, value] : plasma)
        saved[name] = read(name);
    saved["QT_ENABLE_HIGHDPI_SCALING"] = read("QT_ENABLE_HIGHDPI_SCALING");
    const QtMessageHandler previous = qInstallMessageHandler(recordLog);

    for (const bool asked : {false, true}) {
        g_logged.clear();
        QLoggingCategory::setFilterRules(asked ? QStringLiteral("triebwerke.*.info=true")
                                               : QString());
        apply(plasma);
        platform::takeOverDisplayScaling();
        const QString all = g_logged.join(u'\n');
        if (asked) {
            EXPECT_TRUE(all.contains(QStringLiteral("triebwerke.display: ")) &&
                        all.contains(QStringLiteral("QT_SCREEN_SCALE_FACTORS")) &&
                        all.contains(QStringLiteral("1.25")))
                << all.toStdString();
        } else {
            EXPECT_TRUE(g_logged.isEmpty()) << all.toStdString();
        }
    }

    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    apply(saved);
}

} // namespace
