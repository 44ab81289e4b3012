#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// The program's icon, drawn rather than stored: a rocket with three engine flames, one of them
// out. Drawn on a square of 64 units; the same drawing makes every bitmap size and the scalable
// picture the package installs.
void paintProgramIcon(QPainter& painter);
QImage programIconImage(int size);
QIcon programIcon();

inline constexpr int programIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
inline constexpr int programIconUnits = 64;
