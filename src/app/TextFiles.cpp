#include "app/TextFiles.h"
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifndef BREVANTO_HOMEPAGE_URL
#define BREVANTO_HOMEPAGE_URL ""
#endif

QString DefaultWordProcessor() {
#ifdef Q_OS_WIN
    const QString windows = qEnvironmentVariable("SystemRoot", QStringLiteral("C:\\Windows"));
    return windows + QStringLiteral("\\notepad.exe");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("/usr/bin/open");
#else
    return QStringLiteral("xdg-open");
#endif
}

bool LaunchEditor(const QString& editor, const QString& file) {
    QString program = editor.trimmed();
    QStringList arguments;
    if (!QFileInfo(program).isFile()) {
        QStringList words = QProcess::splitCommand(program);
        if (words.size() > 1 &&
            (QFileInfo(words.first()).isFile() || !QStandardPaths::findExecutable(words.first()).isEmpty())) {
            program = words.takeFirst();
            arguments = words;
        }
    }
    if (program.isEmpty())
        return false;
    arguments.append(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()));
    return QProcess::startDetached(program, arguments);
}

QString ProgramFile(const QString& folder, const char* name) {
    return QDir(folder).filePath(QString::fromLatin1(name));
}

QUrl UpdatesUrl(const QString& programFolder) {
    const QString homepage = QStringLiteral(BREVANTO_HOMEPAGE_URL);
    if (!homepage.isEmpty())
        return QUrl(homepage);
    return QUrl::fromLocalFile(ProgramFile(programFolder, ReleaseNotesFile));
}
