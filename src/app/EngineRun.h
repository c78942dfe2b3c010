#pragma once
// The pieces of an analysis run that do not need the main window: the engine library's name, the
// hand-off file, the file names of one run and the messages.
#include <QString>

// The engine's entry point and what the program passes to it.
constexpr const char* EngineEntryName = "_IQUOLM";
constexpr int EngineArgument = 4;
// The engine's optional second export: asks a run in progress to stop at its next surface.
constexpr const char* EngineCancelName = "_IQUOLM_CANCEL";
// The engine answers this when its files are not consistent.
constexpr int EngineRefused = 1;

// The engine library in `programFolder`: "QUOLM2015_DLL" with the platform's prefix and suffix.
QString EngineLibraryPath(const QString& programFolder);

// The hand-off file's name and text: the program's version, three identification lines, then the
// input file and the output, plot and results files; every line ended by CR LF.
constexpr const char* NamesFileName = "names.dat";
QString NamesFileText(const QString& inputFile);
// Writes it into `folder`; EInOutError with the system's message when that fails, and before writing
// anything when a path holds a line break.
void WriteNamesFile(const QString& folder, const QString& inputFile);
// Whether `path` holds a CR or LF: one line of the names file per path, so such a path would shift
// every later line and the engine would write over another file.
bool HasLineBreak(const QString& path);
// The message that refuses such a path.
QString LineBreakMessage(const QString& path);

// Makes `folder` the current directory while it lives, then returns to the previous one.
class TCurrentDirectory {
  public:
    explicit TCurrentDirectory(const QString& folder);
    ~TCurrentDirectory();
    TCurrentDirectory(const TCurrentDirectory&) = delete;
    TCurrentDirectory& operator=(const TCurrentDirectory&) = delete;

  private:
    QString FPrevious;
};

extern const char* const MsgSaveFailed;
extern const char* const MsgReinitialize;
extern const char* const MsgInitFailed;
extern const char* const MsgInconsistent;
extern const char* const MsgCompleted;
extern const char* const MsgCancelled;
