#include "dialogs/DataWindows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <utility>

#include "dialogs/DlgBlock.h"
#include "dialogs/DlgEarthquake.h"
#include "dialogs/DlgOptional.h"
#include "dialogs/DlgSearch.h"
#include "dialogs/DlgSlopeBoundary.h"
#include "dialogs/DlgTitle.h"
#include "text/Errors.h"

TDataWindows::TDataWindows(QMdiArea* area, IModelHost& host, TTextEditorSetting textEditor, QObject* parent)
    : QObject(parent), FArea(area), FHost(host), FTextEditorSetting(std::move(textEditor)) {}

template <class T> T* TDataWindows::Show(T* window) {
    window->ShowIn(FArea.data());
    return window;
}

template <class T> T* TDataWindows::ShowSingle(QPointer<T>& record, T* (TDataWindows::*make)()) {
    if (record) {
        record->BringToFront();
        return record;
    }
    record = Show((this->*make)());
    return record;
}

TdlgTitle* TDataWindows::MakeTitle() {
    return new TdlgTitle(FHost);
}
TDlgSlopeBoundary* TDataWindows::MakeSlopeBoundary() {
    return new TDlgSlopeBoundary(FHost);
}
TDlgLoading* TDataWindows::MakeSurcharge() {
    return new TDlgLoading(FHost);
}
TDlgEarthquake* TDataWindows::MakeEarthquake() {
    return new TDlgEarthquake(FHost);
}
TDlgOptions* TDataWindows::MakeTextEditor() {
    return new TDlgOptions(FHost, FTextEditorSetting);
}

TdlgTitle* TDataWindows::OpenTitle() {
    return ShowSingle(FTitle, &TDataWindows::MakeTitle);
}
TDlgSlopeBoundary* TDataWindows::OpenSlopeBoundary() {
    return ShowSingle(FSlopeBoundary, &TDataWindows::MakeSlopeBoundary);
}
TDlgLoading* TDataWindows::OpenSurcharge() {
    return ShowSingle(FSurcharge, &TDataWindows::MakeSurcharge);
}
TDlgEarthquake* TDataWindows::OpenEarthquake() {
    return ShowSingle(FEarthquake, &TDataWindows::MakeEarthquake);
}
TDlgOptions* TDataWindows::OpenTextEditor() {
    return ShowSingle(FTextEditor, &TDataWindows::MakeTextEditor);
}

TDlgPiezometric* TDataWindows::OpenWater() {
    return Show(new TDlgPiezometric(FHost));
}
TDlgLimits* TDataWindows::OpenLimits() {
    return Show(new TDlgLimits(FHost));
}
TDlgTieback* TDataWindows::OpenTiebacks() {
    return Show(new TDlgTieback(FHost));
}
TDlgReinEarth* TDataWindows::OpenReinforcement() {
    return Show(new TDlgReinEarth(FHost));
}
TDlgBlock* TDataWindows::OpenBlock() {
    return Show(new TDlgBlock(FHost));
}

TDlgSearch* TDataWindows::OpenSearch(int searchKind) {
    switch (searchKind) {
    case 2:
        return Show<TDlgSearch>(new TDlgJanbu(FHost));
    case 3:
        return Show<TDlgSearch>(new TDlgBishop(FHost));
    case 4:
        return Show<TDlgSearch>(new TDlgIrregular(FHost));
    case 6:
        return Show<TDlgSearch>(new TDlgSpencer(FHost));
    default:
        throw EGeneralError("No parameter window for search kind " + std::to_string(searchKind));
    }
}

TdlgTitle* TDataWindows::Title() const {
    return FTitle;
}
TDlgSlopeBoundary* TDataWindows::SlopeBoundary() const {
    return FSlopeBoundary;
}
TDlgLoading* TDataWindows::Surcharge() const {
    return FSurcharge;
}
TDlgEarthquake* TDataWindows::Earthquake() const {
    return FEarthquake;
}

std::vector<TDataForm*> TDataWindows::OpenWindows() const {
    std::vector<TDataForm*> windows;
    if (!FArea)
        return windows;
    for (QMdiSubWindow* sub : FArea->subWindowList())
        if (auto* window = qobject_cast<TDataForm*>(sub->widget()))
            windows.push_back(window);
    return windows;
}

void TDataWindows::UnitSystemChanged() {
    for (TDataForm* window : OpenWindows())
        window->FormActivate();
}
