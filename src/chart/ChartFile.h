#pragma once

#include "chart/ChartImage.h"

#include <string>

enum class ChartFileType { Png, Svg };

// Draws the grid lines, the rectangles, the lines, the markers and the texts in this order, and
// writes the file. Returns an empty text on success, otherwise a German sentence naming the
// problem.
std::string writeChartImage(const ChartImage& image, const std::string& path, ChartFileType type);
