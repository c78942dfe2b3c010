#include "app/DynamicLibrary.h"
#include <QFileInfo>

void TDynamicLibrary::SetPath(const QString& path) {
    Unload();
    FPath = path;
}

void TDynamicLibrary::Load() {
    if (FLibrary)
        return;
    FError.clear();
    // QLibrary would also try other names (prefixes, suffixes, the search path) for a path that does
    // not exist; we load the one file we were given.
    if (!QFileInfo(FPath).isFile())
        throw EFileNotFoundError();
    auto library = std::make_unique<QLibrary>(FPath);
    if (!library->load()) {
        FError = library->errorString();
        // Windows: "A dynamic link library (DLL) initialization routine failed."
        if (FError.contains(QLatin1String("initialization routine failed"), Qt::CaseInsensitive))
            throw EInitError();
        return;
    }
    FLibrary = std::move(library);
}

QFunctionPointer TDynamicLibrary::EntryPoint(const char* name) {
    if (!FLibrary)
        throw EDLLNotOpenError();
    return FLibrary->resolve(name);
}

void TDynamicLibrary::Unload() {
    if (!FLibrary)
        return;
    FLibrary->unload();
    FLibrary.reset();
}
