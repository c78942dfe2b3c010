#pragma once
// Shared pieces of the model tests: a host that counts what the model asked of it, message capture,
// temporary files and a complete text dump of a model for comparisons.
#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "text/Messages.h"
#include <QTemporaryDir>
#include <string>
#include <vector>

class TTestHost : public TStandaloneModelHost {
  public:
    // Messages go to the capture while one is attached, else to standard error.
    TTestHost()
        : TStandaloneModelHost(TCoreContext{nullptr, [this](TMessageKind kind, const std::string& text) {
                                                if (Capture)
                                                    Capture->push_back(text);
                                                else
                                                    DeliverMessage(nullptr, kind, text);
                                            }}) {}
    std::vector<std::string>* Capture = nullptr;
    int ClosedChildren = 0;
    int UnitRefreshes = 0;
    void CloseAllChildren() override { ++ClosedChildren; }
    void UnitSystemChanged() override { ++UnitRefreshes; }
};

// Collects every message the host's core context receives while it lives.
class TMessageCapture {
  public:
    explicit TMessageCapture(TTestHost& host);
    ~TMessageCapture();
    TMessageCapture(const TMessageCapture&) = delete;
    TMessageCapture& operator=(const TMessageCapture&) = delete;
    std::vector<std::string> Messages;

  private:
    TTestHost& Host;
    std::vector<std::string>* Previous;
};

// Lines joined with CR LF, the last one ended too.
std::string CrLf(const std::vector<std::string>& lines);

// Writes `text` to `name` inside `dir` and returns the path.
std::string WriteFile(const QTemporaryDir& dir, const std::string& name, const std::string& text);
std::string ReadFile(const std::string& path);

// Loads `text` as a file; the messages shown while loading go to `messages`.
std::unique_ptr<TProgramData> LoadText(TTestHost& host, const std::string& text, bool currentFormat,
                                       std::vector<std::string>* messages = nullptr);

// Every scalar field and every cell of every table (sub-tables included), as text.
std::string Dump(const TProgramData& model);

std::string TestDataPath(const std::string& name);
std::string DumpTables(TTableSet& tables);

// Sets a table row from `values`; `forms` per column: 'P' a number, 'I' an integer, 'x' left alone.
template <class Table>
void SetRow(Table& table, int row, const char* forms, std::initializer_list<long double> values) {
    int col = 0;
    for (long double v : values) {
        while (forms[col] == 'x')
            ++col;
        if (forms[col] == 'I')
            table.Cell(col, row).SetInt(static_cast<int>(v));
        else
            table.Cell(col, row).SetFloat(v);
        ++col;
    }
}

// Dumps of two models compared regardless of their file names.
std::string DumpWithoutFileName(const TProgramData& model);
