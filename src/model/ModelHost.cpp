#include "model/ModelHost.h"
#include "text/Errors.h"
#include "tables/TableSet.h"

namespace {
IModelHost*& InstalledHost() {
    static IModelHost* host = nullptr;
    return host;
}
} // namespace

IModelHost* SetModelHost(IModelHost* host) {
    IModelHost* previous = InstalledHost();
    InstalledHost() = host;
    return previous;
}

IModelHost* ModelHost() {
    return InstalledHost();
}

IModelHost& RequireModelHost() {
    if (!InstalledHost())
        throw EGeneralError("No model host");
    return *InstalledHost();
}

TStandaloneModelHost::TStandaloneModelHost() : TableSet(std::make_unique<TTableSet>()) {}
TStandaloneModelHost::~TStandaloneModelHost() = default;

TTableSet& TStandaloneModelHost::Tables() {
    return *TableSet;
}

bool TStandaloneModelHost::IsModified() const {
    return Modified || TableSet->Changed();
}

void TStandaloneModelHost::SetModified(bool modified) {
    Modified = modified;
    if (!modified)
        TableSet->ResetChanged();
}
