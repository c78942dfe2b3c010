#pragma once
// The File menu's list of the most recently opened files: RecentFileCount entries, most recent
// first, empty ones at the end (the layout the settings store keeps).
#include <QString>
#include <QStringList>

class TRecentFiles {
  public:
    TRecentFiles() { Clear(); }

    // All entries empty.
    void Clear();
    // The entries as the settings store gave them.
    void Assign(const QStringList& entries);
    // Puts `path` at the top: moved there when listed, else the last entry drops off. False when it
    // was at the top already (nothing changed).
    bool Put(const QString& path);

    const QStringList& Entries() const { return FEntries; }
    // The entry at `index`, empty when there is none.
    QString At(int index) const { return FEntries.value(index); }
    // How many entries are not empty.
    int Count() const;
    // The File menu's caption of entry `index`: its number as accelerator ("&1".."&9", "1&0") and the
    // path, by name alone for a file of `currentFolder`.
    QString MenuCaption(int index, const QString& currentFolder) const;

  private:
    QStringList FEntries;
};
