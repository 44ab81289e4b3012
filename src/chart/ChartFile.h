#pragma once

#include "chart/ChartImage.h"
#include "chart/ChartLayout.h"

#include <string>

enum class ChartFileType { Png, Svg };

// Whether this build draws SVG files: it needs Qt SVG, which a Qt built without it lacks.
bool svgChartsAvailable();

// The chart's layout with its texts measured in the font it is drawn in.
ChartImage chartImage(const ChartRequest& request);

// Draws the grid lines, the rectangles, the lines, the markers and the texts in this order, and
// returns the bytes of the PNG or SVG file. Throws std::bad_alloc when there is no memory for the
// picture.
std::string encodeChartImage(const ChartImage& image, ChartFileType type);

// Lays the chart out and encodes it.
std::string drawChart(const ChartRequest& request, ChartFileType type);
