#include "app/EngineRun.h"
#include "text/Errors.h"
#include "text/FileNames.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSysInfo>
#include <algorithm>

#ifndef BREVANTO_VERSION
#define BREVANTO_VERSION "2015.4.4"
#endif

const char* const MsgSaveFailed = "An error occured during saving";
const char* const MsgReinitialize = "Attempt to reinitialize DLL";
const char* const MsgInitFailed = "Attempt to initialize DLL failed";
const char* const MsgInconsistent =
    "Computations can not be performed. Executable files are not consistent.\r"
    "You may need to reinstall the program.\r"
    "If the problem remains, please contact Keldor's technical support and mention the program "
    "version " BREVANTO_VERSION ".";
const char* const MsgCancelled = "The run was cancelled. No results were kept.";
const char* const MsgCompleted =
    "Computations are completed. Please, check output file for results or error messages.";

QString EngineLibraryPath(const QString& programFolder) {
#if defined(Q_OS_WIN)
    const QString name = QStringLiteral("QUOLM2015_DLL.dll");
#elif defined(Q_OS_MACOS)
    const QString name = QStringLiteral("libQUOLM2015_DLL.dylib");
#else
    const QString name = QStringLiteral("libQUOLM2015_DLL.so");
#endif
    return QDir(programFolder).filePath(name);
}

QString NamesFileText(const QString& inputFile) {
    const QString input = QDir::toNativeSeparators(QFileInfo(inputFile).absoluteFilePath());
    const QStringList lines = {
        QStringLiteral(BREVANTO_VERSION),
        QStringLiteral("Brevanto 2015"),
        QStringLiteral("brevanto " BREVANTO_VERSION " on ") + QSysInfo::prettyProductName(),
        QDateTime::currentDateTime().toString(Qt::ISODate),
        input,
        QString::fromStdString(ChangeFileExt(input.toStdString(), ".qvxo")),
        QString::fromStdString(ChangeFileExt(input.toStdString(), ".qvxp")),
        QString::fromStdString(ChangeFileExt(input.toStdString(), ".qvxr")),
    };
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool HasLineBreak(const QString& path) {
    return path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n'));
}

QString LineBreakMessage(const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QStringLiteral("The file name\r%1\rcontains a line break. The analysis cannot take such a name: "
                          "please save the model under a name without one.")
        .arg(shown);
}

void WriteNamesFile(const QString& folder, const QString& inputFile) {
    if (HasLineBreak(inputFile))
        throw EInOutError(LineBreakMessage(inputFile).toStdString());
    QSaveFile file(QDir(folder).filePath(QString::fromLatin1(NamesFileName)));
    const QByteArray bytes = NamesFileText(inputFile).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(file.errorString().toStdString());
}

TCurrentDirectory::TCurrentDirectory(const QString& folder) : FPrevious(QDir::currentPath()) {
    if (!QDir::setCurrent(folder))
        throw EInOutError("Cannot change to the folder " + QDir::toNativeSeparators(folder).toStdString());
}

TCurrentDirectory::~TCurrentDirectory() {
    QDir::setCurrent(FPrevious);
}
