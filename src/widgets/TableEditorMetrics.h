#pragma once
// Sizes the pieces of the table editor share: the height of a grid row, the screen's pixels per inch
// (column widths are given in inches), and the property naming the table row a row control shows.
#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

namespace TableEditorMetrics {
inline constexpr const char* RowProperty = "brevantoRow";
inline constexpr int RowHeight = 24;

inline int PixelsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}
} // namespace TableEditorMetrics
