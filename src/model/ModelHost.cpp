#include "model/ModelHost.h"
#include "tables/TableSet.h"
#include <utility>

TStandaloneModelHost::TStandaloneModelHost(TCoreContext context)
    : FContext(std::move(context)), TableSet(std::make_unique<TTableSet>(&FContext)) {}
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
