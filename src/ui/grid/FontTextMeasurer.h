#pragma once

#include "ui/grid/GridFonts.h"
#include "ui/grid/TextMeasurer.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// Measures cell texts with Qt's font metrics in the grid's zoomed fonts.
//
// Result tables hold a million different numbers but few different shapes of text, and in most
// fonts the digits are interchangeable: they have one advance and no digit kerns differently with
// its neighbours. Where the font proves that for a digit's neighbours, the digit is read as 0 in
// the text's shape; a digit beside a neighbour it kerns with stays. Each distinct single-line
// shape is measured once and remembered.
class FontTextMeasurer final : public TextMeasurer
{
public:
    explicit FontTextMeasurer(GridFonts fonts);

    int textWidth(std::string_view utf8, GridFont font, int zoomFactor) override;
    bool widthFollowsDigitCount(std::string_view utf8, GridFont font, int zoomFactor) override;

private:
    struct KeyHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const
        {
            return std::hash<std::string_view>{}(key);
        }
    };

    struct Metrics
    {
        int zoomFactor = 0;
        std::optional<QFontMetrics> metrics;
        std::optional<QFontMetricsF> exact;
        // The digits share one advance, and every pair of them is equally wide.
        bool digitsAlike = false;
        // A second digit widens a run: the pair of digits is wider than one alone.
        bool digitRunsGrow = false;
        // Per ASCII character: 0 not yet checked, 1 digits beside it are interchangeable, -1 not.
        std::array<std::int8_t, 128> neighbours{};
        // Width per text or shape; a table's rows mostly repeat the shape of the row before.
        std::unordered_map<std::string, int, KeyHash, std::equal_to<>> widths;
        std::string lastKey;
        int lastWidth = 0;
    };

    Metrics& metricsFor(GridFont font, int zoomFactor);
    static int measure(const Metrics& metrics, std::string_view utf8);
    // The text with its interchangeable digits read as 0; the text itself in a font whose digits
    // differ in advance. Nothing for a text with tabs or line breaks.
    std::optional<std::string_view> keyOf(Metrics& metrics, std::string_view utf8);
    static bool interchangeableBeside(Metrics& metrics, char neighbour);
    // Whether the digit at i may stand for any other: every digit kerns alike with both its
    // neighbours. Each neighbour is asked of the font once.
    static bool interchangeableAt(Metrics& metrics, std::string_view utf8, std::size_t i);

    GridFonts m_fonts;
    Metrics m_metrics[2];
    std::string m_shape;
};
