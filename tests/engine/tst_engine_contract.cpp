// The engine library as the desktop program uses it: loaded by path, its one entry point called with
// the names file in the current directory, unloaded, and again, in one process.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <clocale>
#include <cstdint>
#include <dlfcn.h>
#include <thread>
#include <unistd.h>

namespace {
using TEntry = std::int32_t (*)(std::int32_t);

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// The output text without its last line, the time the run took.
QByteArray WithoutElapsed(QByteArray text) {
    const int at = text.lastIndexOf("Elapsed:");
    return at < 0 ? text : text.left(at);
}
} // namespace

class TestEngineContract : public QObject {
    Q_OBJECT
    QTemporaryDir Dir;
    QString Previous;

    // Loads the library, calls the entry point with 4 and unloads it; standard output is watched.
    int Call(bool* wroteStdout = nullptr) {
        void* lib = dlopen(QUOLM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            qFatal("dlopen: %s", dlerror());
        const auto entry = reinterpret_cast<TEntry>(dlsym(lib, "_IQUOLM"));
        if (!entry)
            qFatal("no _IQUOLM");
        // Standard output goes to a file while the engine runs.
        fflush(stdout);
        const int saved = dup(1);
        const QString capture = Dir.filePath("stdout.txt");
        FILE* f = fopen(capture.toLocal8Bit().constData(), "w");
        dup2(fileno(f), 1);
        const int result = entry(4);
        fflush(stdout);
        dup2(saved, 1);
        close(saved);
        fclose(f);
        if (wroteStdout)
            *wroteStdout = !ReadAll(capture).isEmpty();
        dlclose(lib);
        return result;
    }

    QString Names(const QString& input, const char* version = "2015.4.4") {
        const QString base = input.left(input.lastIndexOf('.'));
        return QString(version) + "\r\nBrevanto\r\nid\r\nid\r\n" + input + "\r\n" + base + ".qvxo\r\n" +
               base + ".qvxp\r\n" + base + ".qvxr\r\n";
    }

  private slots:
    void initTestCase() {
        Previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(Dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(Previous); }

    void refusesWithoutNamesOrWithAnotherVersion() {
        QFile::remove("names.dat");
        QCOMPARE(Call(), 1);
        Write("names.dat", Names(Dir.filePath("a.qvxd"), "2015.4.3").toUtf8());
        QCOMPARE(Call(), 1);
        Write("names.dat", "2015.4.4\r\nonly two lines\r\n");
        QCOMPARE(Call(), 1);
        QVERIFY(!QFile::exists(Dir.filePath("a.qvxo")));
    }

    void inputWithErrorsRunsAndSaysSo() {
        const QString input = Dir.filePath("bad.qvxd");
        Write(input, "PROFIL\r\nBad\r\n2 2 1\r\n0. 0. 10. 0. 1\r\n12. 0. 20. 5. 1\r\nSOIL\r\n1\r\n"
                     "120. 120. 100. 30. 0. 0. 0\r\nSURFAC\r\n2\r\n1. 1.\r\n19. 6.\r\nEXECUT\r\n");
        Write("names.dat", Names(input).toUtf8());
        QCOMPARE(Call(), 0);
        const QByteArray out = ReadAll(Dir.filePath("bad.qvxo"));
        QVERIFY(out.contains("Error E104: Boundary line 2 starts at x = 12 where line 1 ends at x = 10"));
        const QJsonObject json = QJsonDocument::fromJson(ReadAll(Dir.filePath("bad.qvxr"))).object();
        QCOMPARE(json["errors"].toArray().size(), 1);
        QCOMPARE(json["errors"].toArray()[0].toObject()["code"].toString(), QString("E104"));
        QCOMPARE(ReadAll(Dir.filePath("bad.qvxp")), QByteArray("END\r\n"));

        // An input that is not there: run, and the reason in the output text.
        Write("names.dat", Names(Dir.filePath("missing.qvxd")).toUtf8());
        QCOMPARE(Call(), 0);
        QVERIFY(ReadAll(Dir.filePath("missing.qvxo")).contains("Error E001: Cannot open file"));
    }

    void cancelStopsTheRunAndWritesNothing() {
        // The example with a search far too large to finish while the test waits: only the cancel
        // request ends it.
        QByteArray text = ReadAll(QStringLiteral(BREVANTO_RESOURCE_DIR "/examples/ExampleDam.qvxd"));
        QVERIFY(text.contains("CIRCL2\r\n10 10\r\n"));
        text.replace("CIRCL2\r\n10 10\r\n", "CIRCL2\r\n1000 1000\r\n");
        const QString input = Dir.filePath("long.qvxd");
        Write(input, text);
        Write("names.dat", Names(input).toUtf8());

        void* lib = dlopen(QUOLM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        QVERIFY(lib);
        const auto entry = reinterpret_cast<TEntry>(dlsym(lib, "_IQUOLM"));
        const auto cancel = reinterpret_cast<void (*)()>(dlsym(lib, "_IQUOLM_CANCEL"));
        QVERIFY(entry && cancel);
        std::atomic<int> result{-1};
        std::thread run([&] { result = entry(4); });
        QThread::msleep(300);
        cancel();
        run.join();
        QCOMPARE(result.load(), 0);
        for (const char* name : {"long.qvxo", "long.qvxp", "long.qvxr"})
            QVERIFY2(!QFile::exists(Dir.filePath(name)), name);

        // The request does not outlive its run: the next run goes to its end.
        Write("names.dat", Names(Dir.filePath("fk.qvxd")).toUtf8());
        QFile::remove(Dir.filePath("fk.qvxd"));
        QVERIFY(
            QFile::copy(QStringLiteral(BREVANTO_RESOURCE_DIR "/verification/fredlund-krahn-1977-case1.qvxd"),
                        Dir.filePath("fk.qvxd")));
        QCOMPARE(entry(4), 0);
        QVERIFY(QFile::exists(Dir.filePath("fk.qvxr")));
        QFile::remove(Dir.filePath("fk.qvxd"));
        for (const char* name : {"fk.qvxo", "fk.qvxp", "fk.qvxr"})
            QFile::remove(Dir.filePath(name));
        dlclose(lib);
    }

    void runsManyTimesInOneProcess() {
        const QString input = Dir.filePath("fk.qvxd");
        QVERIFY(QFile::copy(
            QStringLiteral(BREVANTO_RESOURCE_DIR "/verification/fredlund-krahn-1977-case1.qvxd"), input));
        Write("names.dat", Names(input).toUtf8());
        const std::string locale = std::setlocale(LC_ALL, nullptr);
        QByteArray first;
        for (int run = 0; run < 4; ++run) {
            QFile::remove(Dir.filePath("fk.qvxo"));
            QFile::remove(Dir.filePath("fk.qvxp"));
            QFile::remove(Dir.filePath("fk.qvxr"));
            bool wrote = true;
            QCOMPARE(Call(&wrote), 0);
            QVERIFY(!wrote);
            const QByteArray out = WithoutElapsed(ReadAll(Dir.filePath("fk.qvxo")));
            QVERIFY(out.contains("Factor of safety (Bishop's simplified method): 2.076"));
            QVERIFY(ReadAll(Dir.filePath("fk.qvxp")).endsWith("END\r\n"));
            const QJsonObject json = QJsonDocument::fromJson(ReadAll(Dir.filePath("fk.qvxr"))).object();
            QCOMPARE(json["method"].toString(), QString("bishop"));
            QVERIFY(std::abs(json["critical"].toObject()["fs"].toDouble() - 2.075) < 0.001);
            if (run == 0)
                first = out;
            QCOMPARE(out, first);
            // The process's current directory and locale are left as they were.
            QCOMPARE(QDir::currentPath(), QDir(Dir.path()).canonicalPath());
            QCOMPARE(std::string(std::setlocale(LC_ALL, nullptr)), locale);
        }
    }
};

QTEST_GUILESS_MAIN(TestEngineContract)
#include "tst_engine_contract.moc"
