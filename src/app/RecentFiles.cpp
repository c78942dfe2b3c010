#include "app/RecentFiles.h"

#include <QDir>

#include "app/AppSettings.h"

void TRecentFiles::Clear() {
    FEntries.clear();
    for (int i = 0; i < RecentFileCount; ++i)
        FEntries.append(QString());
}

void TRecentFiles::Assign(const QStringList& entries) {
    FEntries = entries;
}

bool TRecentFiles::Put(const QString& path) {
    if (FEntries.value(0) == path)
        return false;
    const qsizetype at = FEntries.indexOf(path);
    if (at > 0)
        FEntries.removeAt(at);
    else
        FEntries.removeLast();
    FEntries.prepend(path);
    return true;
}

int TRecentFiles::Count() const {
    int count = 0;
    for (const QString& entry : FEntries)
        if (!entry.isEmpty())
            ++count;
    return count;
}

QString TRecentFiles::MenuCaption(int index, const QString& currentFolder) const {
    const QString here = QDir::toNativeSeparators(currentFolder) + QDir::separator();
    QString shown = QDir::toNativeSeparators(At(index));
    // Files of the current folder are shown by name.
    const qsizetype at = shown.indexOf(here);
    if (at >= 0)
        shown = shown.mid(at + here.size());
    const QString number = index < 9 ? QStringLiteral("&%1").arg(index + 1) : QStringLiteral("1&0");
    // A "&" of the path is shown as itself, not taken as an accelerator.
    return number + QLatin1Char(' ') + shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
