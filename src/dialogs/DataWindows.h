#pragma once
// The data windows of one main window: the commands that open them, the records of the windows that
// exist only once (title, slope boundary, surcharge loading, earthquake loading, text-editor option)
// and what the unit-system switch asks of the open ones. The main window owns one and calls it from
// its Data and Options menu commands.
#include <QObject>
#include <QPointer>
#include <vector>

#include "dialogs/DlgOptions.h"

class QMdiArea;
class TDlgBlock;
class TDlgEarthquake;
class TDlgLimits;
class TDlgLoading;
class TDlgPiezometric;
class TDlgReinEarth;
class TDlgSearch;
class TDlgSlopeBoundary;
class TDlgTieback;
class TdlgTitle;

class TDataWindows : public QObject {
    Q_OBJECT
  public:
    TDataWindows(QMdiArea* area, IModelHost& host, TTextEditorSetting textEditor, QObject* parent = nullptr);

    // Single-instance windows: created when none is open, else the open one comes to the front.
    TdlgTitle* OpenTitle();
    TDlgSlopeBoundary* OpenSlopeBoundary();
    TDlgLoading* OpenSurcharge();
    TDlgEarthquake* OpenEarthquake();
    TDlgOptions* OpenTextEditor();

    // A new window at each command.
    TDlgPiezometric* OpenWater();
    TDlgLimits* OpenLimits();
    TDlgTieback* OpenTiebacks();
    TDlgReinEarth* OpenReinforcement();
    // The parameter window of a search kind (2 Janbu, 3 Bishop, 4 irregular, 6 Spencer).
    TDlgSearch* OpenSearch(int searchKind);
    TDlgBlock* OpenBlock();

    // The open single-instance windows (null when closed).
    TdlgTitle* Title() const;
    TDlgSlopeBoundary* SlopeBoundary() const;
    TDlgLoading* Surcharge() const;
    TDlgEarthquake* Earthquake() const;
    TDlgOptions* TextEditor() const { return FTextEditor; }

    // After a unit-system switch every open data window shows the model again: values and unit
    // labels in the new system. The active window has stored its entries before the switch (the
    // menu commits it), so nothing typed is lost, and no window can later store numbers of the old
    // system into the converted model.
    void UnitSystemChanged();

    // Every open data window of the area (also those opened by another opener).
    std::vector<TDataForm*> OpenWindows() const;

  private:
    template <class T> T* Show(T* window);
    template <class T> T* ShowSingle(QPointer<T>& record, T* (TDataWindows::*make)());

    TdlgTitle* MakeTitle();
    TDlgSlopeBoundary* MakeSlopeBoundary();
    TDlgLoading* MakeSurcharge();
    TDlgEarthquake* MakeEarthquake();
    TDlgOptions* MakeTextEditor();

    QPointer<QMdiArea> FArea;
    IModelHost& FHost;
    TTextEditorSetting FTextEditorSetting;
    // The record of a single-instance window clears itself when the window is destroyed.
    QPointer<TdlgTitle> FTitle;
    QPointer<TDlgSlopeBoundary> FSlopeBoundary;
    QPointer<TDlgLoading> FSurcharge;
    QPointer<TDlgEarthquake> FEarthquake;
    QPointer<TDlgOptions> FTextEditor;
};
