#pragma once
// The per-user settings of the program: organization "Keldor", application "Brevanto", group
// "2015.4.4" (on Windows the registry key SOFTWARE\Keldor\Brevanto\2015.4.4).
#include <QByteArray>
#include <QString>
#include <QStringList>

constexpr int RecentFileCount = 10;

struct TAppSettings {
    QString WordProcessor;
    QStringList RecentFiles; // always RecentFileCount entries, most recent first; empty ones at the end
};

enum class TSettingsRead { Missing, Read, Unreadable };
// Reads "Word Processor" and "File1".."File10" when the group exists; on a read error `settings` stays
// untouched. Qt reports a damaged store only to its first reader in a process, so read once.
TSettingsRead ReadAppSettings(TAppSettings& settings);
// Writes them; errors are ignored (a setting that could not be written is not worth a message).
void WriteAppSettings(const TAppSettings& settings);

// The main window's size and place, remembered between runs (empty: never stored).
QByteArray ReadWindowGeometry();
void WriteWindowGeometry(const QByteArray& geometry);

// Computation > Live Analysis: on unless the user turned it off.
bool ReadLiveAnalysisSetting();
void WriteLiveAnalysisSetting(bool on);
