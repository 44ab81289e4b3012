#pragma once

#include "chart/ChartImage.h"

#include <string>

enum class ChartFileType { Png, Svg };

// Draws the grid lines, the rectangles, the lines, the markers and the texts in this order, and
// returns the bytes of the PNG or SVG file. Throws std::bad_alloc when there is no memory for the
// picture.
std::string encodeChartImage(const ChartImage& image, ChartFileType type);
