#include "app/AppSettings.h"
#include <QSettings>
#include <memory>

namespace {
const QString Group = QStringLiteral("2015.4.4");
const QString WordProcessorKey = QStringLiteral("Word Processor");
const QString GeometryKey = QStringLiteral("Main Window Geometry");
const QString LiveAnalysisKey = QStringLiteral("Live Analysis");

std::unique_ptr<QSettings> Open() {
    return std::make_unique<QSettings>(QStringLiteral("Keldor"), QStringLiteral("Brevanto"));
}

QString FileKey(int i) {
    return QStringLiteral("File%1").arg(i + 1);
}
} // namespace

TSettingsRead ReadAppSettings(TAppSettings& result) {
    const auto settings = Open();
    const bool exists = settings->childGroups().contains(Group);
    if (settings->status() != QSettings::NoError)
        return TSettingsRead::Unreadable;
    if (!exists)
        return TSettingsRead::Missing;
    settings->beginGroup(Group);
    TAppSettings read;
    read.WordProcessor = settings->value(WordProcessorKey).toString();
    for (int i = 0; i < RecentFileCount; ++i)
        read.RecentFiles.append(settings->value(FileKey(i)).toString());
    settings->endGroup();
    if (settings->status() != QSettings::NoError)
        return TSettingsRead::Unreadable;
    result = read;
    return TSettingsRead::Read;
}

void WriteAppSettings(const TAppSettings& values) {
    const auto settings = Open();
    settings->beginGroup(Group);
    settings->setValue(WordProcessorKey, values.WordProcessor);
    for (int i = 0; i < RecentFileCount; ++i)
        settings->setValue(FileKey(i), values.RecentFiles.value(i));
    settings->endGroup();
    settings->sync();
}

QByteArray ReadWindowGeometry() {
    const auto settings = Open();
    return settings->value(Group + QLatin1Char('/') + GeometryKey).toByteArray();
}

void WriteWindowGeometry(const QByteArray& geometry) {
    const auto settings = Open();
    settings->setValue(Group + QLatin1Char('/') + GeometryKey, geometry);
    settings->sync();
}

bool ReadLiveAnalysisSetting() {
    const auto settings = Open();
    return settings->value(Group + QLatin1Char('/') + LiveAnalysisKey, true).toBool();
}

void WriteLiveAnalysisSetting(bool on) {
    const auto settings = Open();
    settings->setValue(Group + QLatin1Char('/') + LiveAnalysisKey, on);
    settings->sync();
}
