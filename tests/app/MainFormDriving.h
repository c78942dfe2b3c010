#pragma once
// What the tests of the main window share: scripted file dialogs, the test engine's settings for the
// next run, files copied into a temporary folder, and typing into boxes as a user does.
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "support/MessageRecorder.h"
#include "text/FileNames.h"

#include <QFile>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>

namespace driving {

inline QString Resource(const char* name) {
    return QStringLiteral(BREVANTO_RESOURCE_DIR "/") + QString::fromLatin1(name);
}

inline QString TestData(const char* name) {
    return QStringLiteral(TEST_DATA_DIR "/") + QString::fromLatin1(name);
}

// The file beside `path` with another extension (".qvxo").
inline QString Twin(const QString& path, const char* extension) {
    return QString::fromStdString(ChangeFileExt(path.toStdString(), extension));
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QString CopyInto(const QTemporaryDir& dir, const QString& source, const QString& name) {
    const QString target = dir.filePath(name);
    QFile::remove(target);
    if (!QFile::copy(source, target))
        qFatal("cannot copy %s", qPrintable(source));
    QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return target;
}

inline QString CopyExample(const QTemporaryDir& dir, const QString& name) {
    return CopyInto(dir, Resource("examples/ExampleDam.qvxd"), name);
}

// The example with line `line` (1-based) replaced by `text`: a file that reads only partly.
inline QString DamagedExample(const QTemporaryDir& dir, const QString& name, int line,
                              const QByteArray& text) {
    QList<QByteArray> lines = ReadAll(Resource("examples/ExampleDam.qvxd")).split('\n');
    QByteArray& target = lines[line - 1];
    target = text + (target.endsWith('\r') ? "\r" : "");
    const QString path = dir.filePath(name);
    WriteAll(path, lines.join('\n'));
    return path;
}

// File dialogs that answer from queues and remember what they were asked.
class TScriptedDialogs : public IFileDialogs {
  public:
    QList<std::optional<TOpenChoice>> Opens;
    QList<std::optional<QString>> Saves;
    QList<int> OpenFilters;
    QStringList SaveTitles, SaveProposals;

    std::optional<TOpenChoice> Open(QWidget*, int filterIndex) override {
        OpenFilters.append(filterIndex);
        return Opens.isEmpty() ? std::nullopt : Opens.takeFirst();
    }
    std::optional<QString> SaveAs(QWidget*, const QString& title, const QString& proposed) override {
        SaveTitles.append(title);
        SaveProposals.append(proposed);
        return Saves.isEmpty() ? std::nullopt : Saves.takeFirst();
    }
};

// A shown main window as the tests drive it: scripted file dialogs (handed back in `dialogs`), the
// test engine's folder, a URL opener that only says yes, and its message boxes recorded by `messages`
// (from before it shows: the files named in `arguments` are read then).
inline std::unique_ptr<TMainForm> MakeDrivenForm(TScriptedDialogs*& dialogs,
                                                 const QStringList& arguments = {},
                                                 TMessageRecorder* messages = nullptr) {
    auto form = std::make_unique<TMainForm>(arguments);
    if (messages)
        messages->Watch(form.get());
    auto scripted = std::make_unique<TScriptedDialogs>();
    dialogs = scripted.get();
    form->SetFileDialogs(std::move(scripted));
    form->SetProgramFolder(QStringLiteral(TEST_ENGINE_DIR));
    form->SetUrlOpener([](const QUrl&) { return true; });
    form->show();
    return form;
}

// Engine behaviour for the next run.
struct TEngineSetup {
    explicit TEngineSetup(const QByteArray& result = "0", const QByteArray& plot = {}, int sleepMs = 0,
                          const QByteArray& results = {}) {
        qputenv("BREVANTO_TEST_ENGINE_RESULT", result);
        if (plot.isEmpty())
            qunsetenv("BREVANTO_TEST_ENGINE_PLOT");
        else
            qputenv("BREVANTO_TEST_ENGINE_PLOT", plot);
        if (results.isEmpty())
            qunsetenv("BREVANTO_TEST_ENGINE_RESULTS");
        else
            qputenv("BREVANTO_TEST_ENGINE_RESULTS", results);
        qputenv("BREVANTO_TEST_ENGINE_SLEEP_MS", QByteArray::number(sleepMs));
    }
    ~TEngineSetup() {
        qunsetenv("BREVANTO_TEST_ENGINE_RESULT");
        qunsetenv("BREVANTO_TEST_ENGINE_PLOT");
        qunsetenv("BREVANTO_TEST_ENGINE_RESULTS");
        qunsetenv("BREVANTO_TEST_ENGINE_SLEEP_MS");
    }
    TEngineSetup(const TEngineSetup&) = delete;
    TEngineSetup& operator=(const TEngineSetup&) = delete;
};

inline void OpenMenu(QMenu* menu) {
    emit menu->aboutToShow();
}

// Types `text` over the whole shown value as a user does after a click that selected it.
inline void TypeOverSelection(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace driving
