#include "dialogs/DlgSearch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "dialogs/SvgPicture.h"

const TSearchWindowKind& JanbuWindowKind() {
    static const TSearchWindowKind kind{"TDlgJanbu",
                                        QStringLiteral("Search by Janbu's Method"),
                                        QStringLiteral("Initiation Points "),
                                        QStringLiteral("Counterclockwise limit"),
                                        QStringLiteral("Clockwise limit"),
                                        true,
                                        false,
                                        "search-circular"};
    return kind;
}

const TSearchWindowKind& BishopWindowKind() {
    static const TSearchWindowKind kind{"TDlgBishop",
                                        QStringLiteral("Search by Bishop's Method"),
                                        QStringLiteral("Initiation Points "),
                                        QStringLiteral("Counterclockwise direction limit"),
                                        QStringLiteral("Clockwise limit (negative value)"),
                                        true,
                                        false,
                                        "search-circular"};
    return kind;
}

const TSearchWindowKind& IrregularWindowKind() {
    static const TSearchWindowKind kind{"TDlgIrregular",
                                        QStringLiteral("Search by Irregular Method"),
                                        QStringLiteral("Number of Initiation Points "),
                                        QStringLiteral("CCW limit"),
                                        QStringLiteral("CW limit"),
                                        true,
                                        false,
                                        "search-irregular"};
    return kind;
}

const TSearchWindowKind& SpencerWindowKind() {
    static const TSearchWindowKind kind{"TDlgSpencer",
                                        QStringLiteral("Search by Spencer's Method"),
                                        QStringLiteral("Initiation Points "),
                                        QStringLiteral("Counterclockwise limit"),
                                        QStringLiteral("Clockwise limit (negative value)"),
                                        false,
                                        true,
                                        "search-circular"};
    return kind;
}

namespace {
constexpr Extended InitiationMax = 100000000;
constexpr Extended LengthMax = 100000;
} // namespace

TDlgSearch::TDlgSearch(IModelHost& host, const TSearchWindowKind& kind, QWidget* parent)
    : TDataForm(host, kind.ClassName, parent), FKind(kind) {
    setWindowTitle(kind.Caption);
    const QString deg = QStringLiteral("deg.");
    if (kind.InterSliceBox)
        deAng = NewBox({"deAng", QStringLiteral("Approximate interslice force inclination, "), deg,
                        TDataEdit::DefaultMin, 100});
    deIP = NewBox({"deIP", kind.InitiationCaption, {}, 1, 100, true});
    deSP = NewBox({"deSP", QStringLiteral("Surfaces generated per initiation point"), {}, 1, 100, true});
    const QString length = QStringLiteral("L2");
    deXLi = NewBox({"deXLi", QStringLiteral("Left initiation X-coordinate, XL,i "), length,
                    TDataEdit::DefaultMin, InitiationMax, false, true});
    deXRi = NewBox({"deXRi", QStringLiteral("Right initiation X-coordinate, XR,i"), length,
                    TDataEdit::DefaultMin, InitiationMax, false, true});
    deXLt = NewBox({"deXLt", QStringLiteral("Left termination X-coordination, XL,t"), length,
                    TDataEdit::DefaultMin, LengthMax, false, true});
    deXRt = NewBox({"deXRt", QStringLiteral("Right termination X-coordinate, XR,t"), length,
                    TDataEdit::DefaultMin, LengthMax, false, true});
    deSL = NewBox(
        {"deSL", QStringLiteral("Segment length"), length, TDataEdit::DefaultMin, LengthMax, false, true});
    deMinEl = NewBox({"deMinEl", QStringLiteral("Minimum elevation"), length, TDataEdit::DefaultMin,
                      LengthMax, false, true});
    deCCW = NewBox({"deCCW", kind.CcwCaption, deg, TDataEdit::DefaultMin, LengthMax});
    deCW = NewBox({"deCW", kind.CwCaption, deg, TDataEdit::DefaultMin, LengthMax});

    auto* boxes = new QGridLayout;
    boxes->setColumnStretch(0, 1);
    int row = 0;
    auto place = [&](TDataEdit* box) {
        boxes->addWidget(box->EditLabel(), row, 0);
        boxes->addWidget(box, row, 1);
        ++row;
    };
    auto note = [&](const char* name, const QString& text) {
        QLabel* label = NewLabel(text, name);
        boxes->addWidget(label, row++, 0, 1, 2, Qt::AlignRight | Qt::AlignTop);
        return label;
    };
    if (deAng) {
        place(deAng);
        QLabel* second = NewLabel(QStringLiteral("respect to horizontal."), "lblAng2");
        boxes->addWidget(second, row++, 0, Qt::AlignLeft | Qt::AlignTop);
        boxes->setRowMinimumHeight(row++, fontMetrics().height() / 2);
    }
    for (TDataEdit* box : {deIP, deSP, deXLi, deXRi, deXLt, deXRt, deSL, deMinEl})
        place(box);
    place(deCCW);
    if (kind.LimitNotes)
        lblCCWNote = note("lblCCWNote", QStringLiteral("(Use ß - 5 degrees.)"));
    place(deCW);
    if (kind.LimitNotes)
        lblCWNote = note("lblCWNote", QStringLiteral("(Use negative values for CW limit.)"));
    boxes->setRowStretch(row, 1);

    auto* pictures = new QVBoxLayout;
    pictures->addWidget(new TSvgPicture(PicturePath(kind.Picture), QSize(360, 230), this));
    pictures->addWidget(new TSvgPicture(PicturePath("search-limits"), QSize(360, 230), this));

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(boxes);
    layout->addSpacing(fontMetrics().averageCharWidth() * 2);
    layout->addLayout(pictures, 1);

    // The focus order of the boxes.
    QWidget* order[] = {deXLi, deXRi, deSP, deXRt, deXLt, deIP, deMinEl, deSL, deCCW, deCW, deAng};
    for (std::size_t i = 0; i + 1 < std::size(order) && order[i + 1]; ++i)
        setTabOrder(order[i], order[i + 1]);
    SetFirstControl(deXLi);
}

void TDlgSearch::LoadFromModel(TProgramData& model) {
    LoadBox(deIP, model.InitiationPoints);
    LoadBox(deSP, model.SurfacesPerPoint);
    LoadBox(deXLi, model.LeftInitiationX);
    LoadBox(deXRi, model.RightInitiationX);
    LoadBox(deXLt, model.LeftTerminationX);
    LoadBox(deXRt, model.RightTerminationX);
    LoadBox(deSL, model.SegmentLength);
    LoadBox(deMinEl, model.MinimumElevation);
    LoadBox(deCCW, model.CcwLimit);
    LoadBox(deCW, model.CwLimit);
    if (deAng)
        LoadBox(deAng, model.InterSliceAngle);
}

void TDlgSearch::StoreToModel(TProgramData& model) {
    model.InitiationPoints = RoundCount(deIP->Number());
    model.SurfacesPerPoint = RoundCount(deSP->Number());
    model.LeftInitiationX = deXLi->Number();
    model.RightInitiationX = deXRi->Number();
    model.LeftTerminationX = deXLt->Number();
    model.RightTerminationX = deXRt->Number();
    model.SegmentLength = deSL->Number();
    model.MinimumElevation = deMinEl->Number();
    model.CcwLimit = deCCW->Number();
    model.CwLimit = deCW->Number();
    if (deAng)
        model.InterSliceAngle = deAng->Number();
}
