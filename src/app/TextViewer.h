#pragma once
// Read-only windows inside the program for files that the desktop's own programs would show: a text
// file (input, output, error-message notes) when no text editor starts, and the manuals when no
// browser starts.
#include <QString>

class QMdiArea;
class QWidget;

// Opens `file` as plain text in a read-only child window of `area`; null when it cannot be read.
QWidget* OpenTextViewer(QMdiArea* area, const QString& file);

// Opens the HTML page `file` in a help window of `area` whose links to other pages beside it work.
QWidget* OpenHelpViewer(QMdiArea* area, const QString& file);
