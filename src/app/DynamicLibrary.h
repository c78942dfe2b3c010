#pragma once
// TDynamicLibrary: loads one shared library by path and resolves its entry points. The library is
// unloaded when the object is destroyed, when another path is set and on Unload.
#include "text/Errors.h"
#include <QLibrary>
#include <QString>
#include <memory>

// The errors of library loading.
class EDLLError : public EBrevantoError {
  public:
    using EBrevantoError::EBrevantoError;
};
// The system reports that the library's initialisation failed.
class EInitError : public EDLLError {
  public:
    EInitError() : EDLLError("Library failed to properly initialize") {}
};
// The system reports that the library is missing.
class EFileNotFoundError : public EDLLError {
  public:
    EFileNotFoundError() : EDLLError("Library could not be located") {}
};
// An entry point was asked of a library that is not loaded.
class EDLLNotOpenError : public EDLLError {
  public:
    EDLLNotOpenError() : EDLLError("Library is not open") {}
};

class TDynamicLibrary {
  public:
    TDynamicLibrary() = default;
    explicit TDynamicLibrary(const QString& path) { SetPath(path); }
    ~TDynamicLibrary() { Unload(); }
    TDynamicLibrary(const TDynamicLibrary&) = delete;
    TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;

    const QString& Path() const { return FPath; }
    // Unloads first when a library is loaded.
    void SetPath(const QString& path);

    // EFileNotFoundError when the file is missing, EInitError when its initialisation failed. Any
    // other failure raises nothing here (ErrorString says why); EntryPoint then raises EDLLNotOpenError.
    void Load();
    // The address of `name`, or null when the library does not export it; EDLLNotOpenError when no
    // library is loaded.
    QFunctionPointer EntryPoint(const char* name);
    void Unload();
    bool Loaded() const { return FLibrary != nullptr; }
    // Why the last load failed, as the system said it.
    const QString& ErrorString() const { return FError; }

  private:
    QString FPath;
    QString FError;
    std::unique_ptr<QLibrary> FLibrary;
};
