#include "app/DataWindowMakers.h"

#include "app/MainWindow.h"
#include "dialogs/DlgBlock.h"
#include "dialogs/DlgEarthquake.h"
#include "dialogs/DlgOptional.h"
#include "dialogs/DlgOptions.h"
#include "dialogs/DlgSearch.h"
#include "dialogs/DlgSlopeBoundary.h"
#include "dialogs/DlgTitle.h"

namespace {
template <class T> TMainForm::TDataWindowMaker Maker() {
    return [](TMainForm& form) -> QWidget* { return new T(form); };
}
} // namespace

void RegisterDataWindows(TMainForm& form) {
    form.SetDataWindowMaker(TDataWindow::Title, Maker<TdlgTitle>());
    form.SetDataWindowMaker(TDataWindow::SlopeBoundary, Maker<TDlgSlopeBoundary>());
    form.SetDataWindowMaker(TDataWindow::WaterSurface, Maker<TDlgPiezometric>());
    form.SetDataWindowMaker(TDataWindow::SurchargeLoading, Maker<TDlgLoading>());
    form.SetDataWindowMaker(TDataWindow::EarthquakeLoading, Maker<TDlgEarthquake>());
    form.SetDataWindowMaker(TDataWindow::TrialSurfaceLimits, Maker<TDlgLimits>());
    form.SetDataWindowMaker(TDataWindow::Tiebacks, Maker<TDlgTieback>());
    form.SetDataWindowMaker(TDataWindow::ReinforcedEarth, Maker<TDlgReinEarth>());
    form.SetDataWindowMaker(TDataWindow::JanbuSearch, Maker<TDlgJanbu>());
    form.SetDataWindowMaker(TDataWindow::BishopSearch, Maker<TDlgBishop>());
    form.SetDataWindowMaker(TDataWindow::IrregularSearch, Maker<TDlgIrregular>());
    form.SetDataWindowMaker(TDataWindow::BlockSearch, Maker<TDlgBlock>());
    form.SetDataWindowMaker(TDataWindow::SpencerSearch, Maker<TDlgSpencer>());
    form.SetDataWindowMaker(TDataWindow::TextEditorOption, [](TMainForm& main) -> QWidget* {
        return new TDlgOptions(main, {[&main] { return main.WordProcessor(); },
                                      [&main](const QString& path) { main.SetWordProcessor(path); }});
    });
}
