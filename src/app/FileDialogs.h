#pragma once
// The file dialogs of the File menu behind a small interface, so the tests can answer them.
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The Open dialog's filters; the third one reads the 2.0 layout.
QStringList OpenFilters();
// The Save dialog's filters.
QStringList SaveFilters();
constexpr int OldLayoutFilter = 2;

struct TOpenChoice {
    QString Path;
    int FilterIndex = 0; // the filter the user chose last (0-based)
};

class IFileDialogs {
  public:
    virtual ~IFileDialogs() = default;
    // The Open dialog with `filterIndex` preselected; nothing when cancelled.
    virtual std::optional<TOpenChoice> Open(QWidget* parent, int filterIndex) = 0;
    // The Save dialog titled `title` proposing `proposed`; nothing when cancelled.
    virtual std::optional<QString> SaveAs(QWidget* parent, const QString& title, const QString& proposed) = 0;
};

// The real dialogs. Open: title "Open", the file must exist. Save: asks before replacing a file, the
// folder must exist, a read-only file is refused (the dialog comes back).
class TQtFileDialogs : public IFileDialogs {
  public:
    std::optional<TOpenChoice> Open(QWidget* parent, int filterIndex) override;
    std::optional<QString> SaveAs(QWidget* parent, const QString& title, const QString& proposed) override;
};
