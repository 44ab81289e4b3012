#pragma once

#include <QIcon>
#include <QImage>

// The program's icon, drawn rather than stored: a rocket with three engine flames, one of them
// out. Sizes 16, 24, 32, 48 and 256 pixels.
QImage programIconImage(int size);
QIcon programIcon();

inline constexpr int programIconSizes[] = {16, 24, 32, 48, 256};
