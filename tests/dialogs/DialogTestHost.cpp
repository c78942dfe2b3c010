#include "DialogTestHost.h"

#include <QApplication>
#include <QtTest>

#include "widgets/MsgBox.h"

TDialogTestHost::TDialogTestHost() : FContext{&Editors, CoreMessageBoxes()} {
    Area = new QMdiArea(&Frame);
    Frame.setCentralWidget(Area);
    Frame.resize(1400, 950);
    Editors.SetMdiArea(Area);
    Set = std::make_unique<TTableSet>(&FContext);
    Windows =
        std::make_unique<TDataWindows>(Area, *this,
                                       TTextEditorSetting{[this] { return WordProcessor; },
                                                          [this](const QString& p) { WordProcessor = p; }});
}

TDialogTestHost::~TDialogTestHost() {
    // Without closing: a window with a rejected entry would ask a person.
    Set->CloseEditors();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QMdiSubWindow* sub : Area->subWindowList())
        delete sub;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ProgramData.reset();
}

void TDialogTestHost::SetModified(bool modified) {
    ++ModifiedCalls;
    Modified = modified;
    if (!modified)
        Set->ResetChanged();
}

void TDialogTestHost::CloseAllChildren() {
    Area->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TDialogTestHost::NewModel() {
    ProgramData = TProgramData::CreateNew(*this);
}

void TDialogTestHost::LoadModel(const QString& path) {
    CloseAllChildren();
    ProgramData = TProgramData::CreateFromFile(path.toStdString(), true, *this);
}

bool TDialogTestHost::Show() {
    Frame.show();
    QApplication::setActiveWindow(&Frame);
    return QTest::qWaitForWindowActive(&Frame);
}

void TDialogTestHost::SelectSearch(int kind) {
    TProgramData& m = *ProgramData;
    m.SearchKind = kind;
    switch (kind) {
    case 1:
        m.HasUserSurface = 1;
        break;
    case 2:
        m.HasJanbuSearch = 1;
        m.HasBishopSearch = 0;
        break;
    case 3:
        m.HasBishopSearch = 1;
        m.HasJanbuSearch = m.HasSpencerSearch = 0;
        break;
    case 4:
        m.HasIrregularSearch = 1;
        m.HasJanbuSearch = m.HasBishopSearch = m.HasSpencerSearch = m.HasBlockSearch = 0;
        break;
    case 5:
        m.HasBlockSearch = 1;
        m.HasJanbuSearch = m.HasBishopSearch = m.HasSpencerSearch = 0;
        break;
    case 6:
        m.HasSpencerSearch = 1;
        m.HasJanbuSearch = m.HasBishopSearch = m.HasBlockSearch = 0;
        break;
    default:
        break;
    }
}

void TDialogTestHost::UnitsCommand(int system) {
    CommitActiveChild();
    ProgramData->SetUnitSystem(system);
}
