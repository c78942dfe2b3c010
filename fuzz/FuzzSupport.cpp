#include "FuzzSupport.h"
#include <QGuiApplication>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {
// The files a run wrote, removed when the process ends.
struct TFuzzFiles {
    std::set<std::string> Paths;
    ~TFuzzFiles() {
        for (const std::string& p : Paths)
            std::remove(p.c_str());
    }
};
TFuzzFiles& Files() {
    static TFuzzFiles files;
    return files;
}
} // namespace

std::string FuzzFile(const std::string& name, const std::string& text) {
    static const std::string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp");
    }();
    const std::string path = dir + "/brevanto-fuzz-" + std::to_string(::getpid()) + "-" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    Files().Paths.insert(path);
    return path;
}

std::string FuzzReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void FuzzEnsureGuiApplication() {
    if (QCoreApplication::instance())
        return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "brevanto-fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: objects of the targets that live until exit may still need it then.
    static QGuiApplication* const app = new QGuiApplication(argc, argv);
    (void)app;
}
