#include "dialogs/DlgSlopeBoundary.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "dialogs/SvgPicture.h"
#include "graphics/PlotRenderer.h"
#include "tables/TableSet.h"

namespace {
// Columns of the boundary table.
constexpr int LeftX = 0, LeftY = 1, RightX = 2, RightY = 3;

// One decimal, halves away from zero; beyond six digits before the point the general form with six
// significant digits.
QString Fixed1(Extended value) {
    if (!std::isfinite(value) || std::fabs(value) >= 999999.95L)
        return QString::fromStdString(FormatGeneral(value, 6));
    const long long tenths = std::llround(value * 10);
    const long long magnitude = tenths < 0 ? -tenths : tenths;
    const QString text = QString::number(magnitude / 10) + QLatin1Char('.') + QString::number(magnitude % 10);
    return tenths < 0 ? QLatin1Char('-') + text : text;
}
} // namespace

TBoundaryPreview::TBoundaryPreview(TGridTable& table, QWidget* parent) : QWidget(parent), FTable(table) {
    setObjectName(QStringLiteral("PaintBox1"));
    setCursor(Qt::CrossCursor);
    setMouseTracking(true); // the read-out follows the cursor without a button held
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setContextMenuPolicy(Qt::PreventContextMenu); // the right button zooms
}

void TBoundaryPreview::UpdateMargins() {
    if (FTable.RowCount() == 0)
        return;
    FFull = {FTable.Cell(LeftX, 0).GetFloat(), FTable.Cell(LeftX, 0).GetFloat(),
             FTable.Cell(LeftY, 0).GetFloat(), FTable.Cell(LeftY, 0).GetFloat()};
    for (int row = 0; row < FTable.RowCount(); ++row) {
        for (int column : {LeftX, RightX}) {
            const Extended x = FTable.Cell(column, row).GetFloat();
            FFull.XMin = std::min(FFull.XMin, x);
            FFull.XMax = std::max(FFull.XMax, x);
        }
        for (int column : {LeftY, RightY}) {
            const Extended y = FTable.Cell(column, row).GetFloat();
            FFull.YMin = std::min(FFull.YMin, y);
            FFull.YMax = std::max(FFull.YMax, y);
        }
    }
    FView = FFull;
    update();
}

void TBoundaryPreview::ResetView() {
    FView = FFull;
    update();
}

void TBoundaryPreview::SetView(const TWorldView& view) {
    FView = view;
    update();
}

void TBoundaryPreview::SetTrueScale(bool on) {
    FTrueScale = on;
    update();
}

QRectF TBoundaryPreview::Area() const {
    if (!FTrueScale)
        return QRectF(Margin, Margin, std::max(1, width() - 2 * Margin), std::max(1, height() - 2 * Margin));
    const QFontMetrics fm = fontMetrics();
    const qreal left = Margin + fm.horizontalAdvance(QStringLiteral("-00000")) + 6;
    const qreal bottom = Margin + fm.height() + 6;
    return QRectF(left, Margin, std::max<qreal>(1, width() - left - Margin),
                  std::max<qreal>(1, height() - Margin - bottom));
}

void TBoundaryPreview::Scales(Extended& sx, Extended& sy) const {
    const QRectF a = Area();
    sx = a.width() / (FView.XMax - FView.XMin);
    sy = a.height() / (FView.YMax - FView.YMin);
    if (FTrueScale)
        sx = sy = std::min(sx, sy);
}

// In true scale the picture is centred in the area; the fitted view fills it.
QPointF TBoundaryPreview::ToPixel(Extended x, Extended y) const {
    const QRectF a = Area();
    Extended sx = 0, sy = 0;
    Scales(sx, sy);
    const Extended left = a.left() + (a.width() - sx * (FView.XMax - FView.XMin)) / 2;
    const Extended top = a.top() + (a.height() - sy * (FView.YMax - FView.YMin)) / 2;
    const Extended px = std::round((x - FView.XMin) * sx + left);
    const Extended py = std::round((FView.YMax - y) * sy + top);
    return {static_cast<double>(px), static_cast<double>(py)};
}

void TBoundaryPreview::ToWorld(QPointF pixel, Extended& x, Extended& y) const {
    const QRectF a = Area();
    Extended sx = 0, sy = 0;
    Scales(sx, sy);
    if (!(sx > 0) || !(sy > 0) || !std::isfinite(sx) || !std::isfinite(sy)) {
        x = FView.XMin;
        y = FView.YMax;
        return;
    }
    const Extended left = a.left() + (a.width() - sx * (FView.XMax - FView.XMin)) / 2;
    const Extended top = a.top() + (a.height() - sy * (FView.YMax - FView.YMin)) / 2;
    x = FView.XMin + (pixel.x() - left) / sx;
    y = FView.YMax - (pixel.y() - top) / sy;
}

void TBoundaryPreview::DrawAxes(QPainter& painter) const {
    const QRectF a = Area();
    Extended x0, y0, x1, y1;
    ToWorld(a.bottomLeft(), x0, y0);
    ToWorld(a.topRight(), x1, y1);
    const QFontMetrics fm = fontMetrics();
    painter.drawRect(a);
    const auto label = [](double v, double step) {
        return QString::number(v, 'f', step >= 1 ? 0 : (step >= 0.1 ? 1 : 2));
    };
    const TTickStep xs = NiceTickStep(static_cast<double>(x0), static_cast<double>(x1), 8);
    for (double v = xs.FirstTick; xs.Step > 0 && v <= static_cast<double>(x1) + 1e-9 * xs.Step;
         v += xs.Step) {
        const double px = ToPixel(v, y0).x();
        if (px < a.left() - 0.5)
            continue;
        painter.drawLine(QPointF(px, a.bottom()), QPointF(px, a.bottom() + 4));
        const QString t = label(v, xs.Step);
        painter.drawText(QPointF(px - fm.horizontalAdvance(t) / 2.0, a.bottom() + 5 + fm.ascent()), t);
    }
    const TTickStep ys = NiceTickStep(static_cast<double>(y0), static_cast<double>(y1), 6);
    for (double v = ys.FirstTick; ys.Step > 0 && v <= static_cast<double>(y1) + 1e-9 * ys.Step;
         v += ys.Step) {
        const double py = ToPixel(x0, v).y();
        if (py > a.bottom() + 0.5)
            continue;
        painter.drawLine(QPointF(a.left() - 4, py), QPointF(a.left(), py));
        const QString t = label(v, ys.Step);
        painter.drawText(QPointF(a.left() - 6 - fm.horizontalAdvance(t), py + fm.ascent() / 2.0 - 1), t);
    }
}

QString TBoundaryPreview::CoordinateText(Extended x, Extended y) {
    return QStringLiteral(" Coords:  X:") + Fixed1(x) + QStringLiteral(" , Y:") + Fixed1(y);
}

bool TBoundaryPreview::Drawable() const {
    return FTable.RowCount() > 0 && FView.XMax != FView.XMin && FView.YMax != FView.YMin &&
           width() > 2 * Margin && height() > 2 * Margin;
}

void TBoundaryPreview::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!Drawable())
        return;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(Qt::NoBrush);
    if (FTrueScale)
        DrawAxes(painter);
    const auto finite = [](QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); };
    std::vector<QPointF> middles;
    for (int row = 0; row < FTable.RowCount(); ++row) {
        const QPointF a = ToPixel(FTable.Cell(LeftX, row).GetFloat(), FTable.Cell(LeftY, row).GetFloat());
        const QPointF b = ToPixel(FTable.Cell(RightX, row).GetFloat(), FTable.Cell(RightY, row).GetFloat());
        middles.push_back((a + b) / 2);
        if (!finite(a) || !finite(b))
            continue;
        painter.drawRect(QRectF(a.x() - 2, a.y() - 2, 4, 4));
        painter.drawLine(a, b);
        painter.drawRect(QRectF(b.x() - 2, b.y() - 2, 4, 4));
    }
    // The row numbers on an opaque white ground, so they stay readable over the lines.
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    const QFontMetrics metrics = fontMetrics();
    for (std::size_t i = 0; i < middles.size(); ++i) {
        if (!finite(middles[i]))
            continue;
        const QString text = QLatin1Char(' ') + QString::number(i + 1) + QLatin1Char(' ');
        const QSize size(metrics.horizontalAdvance(text), metrics.height());
        const QRectF box(middles[i].x() - size.width() / 2.0, middles[i].y() - size.height() / 2.0,
                         size.width(), size.height());
        painter.drawText(box, Qt::AlignCenter, text);
    }
    DrawLiveSurface(painter, FLive, [this](QPointF p) { return ToPixel(p.x(), p.y()); });
}

void TBoundaryPreview::SetLiveSurface(const TLiveSurface& surface) {
    FLive = surface;
    update();
}

void TBoundaryPreview::mousePressEvent(QMouseEvent* event) {
    FDragging = true;
    FDragStart = event->position();
    FSaved = FView;
}

void TBoundaryPreview::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (!rect().contains(at.toPoint())) {
        emit ReadOut(QString());
        return;
    }
    Extended startX, startY, x, y;
    ToWorld(FDragStart, startX, startY);
    ToWorld(at, x, y);
    const Extended dX = startX - x;
    const Extended dY = startY - y;
    if (FDragging && event->buttons() == Qt::LeftButton) {
        // The picture follows the mouse.
        SetView({FSaved.XMin + dX, FSaved.XMax + dX, FSaved.YMin + dY, FSaved.YMax + dY});
    } else if (FDragging && event->buttons() == Qt::RightButton) {
        const Extended rX = dX / width();
        const Extended rY = dY / height();
        Extended r = std::fabs(rX) < std::fabs(rY) ? rY : rX;
        r = std::max(r, ZoomLimit);
        if (r != 0) {
            // Right or up zooms in, left or down out, about the centre of the view at the press.
            const Extended cx = (FSaved.XMin + FSaved.XMax) / 2;
            const Extended cy = (FSaved.YMin + FSaved.YMax) / 2;
            const Extended hw = (FSaved.XMax - FSaved.XMin) * (1 + r) / 2;
            const Extended hh = (FSaved.YMax - FSaved.YMin) * (1 + r) / 2;
            SetView({cx - hw, cx + hw, cy - hh, cy + hh});
        }
    }
    ToWorld(at, x, y);
    emit ReadOut(CoordinateText(x, y));
}

void TBoundaryPreview::mouseReleaseEvent(QMouseEvent* event) {
    FDragging = false;
    FDragStart = event->position();
}

void TBoundaryPreview::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!FDragging)
        emit ReadOut(QString());
}

TDlgSlopeBoundary::TDlgSlopeBoundary(IModelHost& host, QWidget* parent)
    : TDataForm(host, "TDlgSlopeBoundary", parent) {
    setWindowTitle(QStringLiteral("Slope Boundary"));
    SetFirstSize({1061, 631});
    deNI = NewBox(
        {"deNI", QStringLiteral("Number of boundary lines used to define the surface"), {}, 1, 300, true});
    deNI->SetNumber(1);
    deNI->EditLabel()->setObjectName(QStringLiteral("Label1"));
    deNI->EditLabel()->setWordWrap(true);
    deNI->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    Label5 = NewLabel(QStringLiteral("Coordinates of each boundary line"), "Label5");
    btnSect = NewButton(QStringLiteral("Enter Boundary Coordinate Data"), "btnSect");
    Image1 = new TSvgPicture(PicturePath("boundary"), QSize(350, 275), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    PaintBox1 = new TBoundaryPreview(Tables().BoundCood(), this);
    Label2 = NewLabel({}, "Label2");
    Label2->setMinimumWidth(
        fontMetrics().horizontalAdvance(TBoundaryPreview::CoordinateText(-99999.9L, -99999.9L)));
    Label3 = NewLabel(QStringLiteral("Numbers shown refer to boundary line numbers"), "Label3");
    Button1 = NewButton(QStringLiteral("Update/Redraw"), "Button1");
    connect(btnSect, &QPushButton::clicked, this, &TDlgSlopeBoundary::btnSectClick);
    connect(Button1, &QPushButton::clicked, this, &TDlgSlopeBoundary::Button1Click);
    connect(PaintBox1, &TBoundaryPreview::ReadOut, Label2, &QLabel::setText);

    auto* entries = new QGridLayout;
    entries->setColumnStretch(0, 1);
    entries->addWidget(deNI->EditLabel(), 0, 0);
    entries->addWidget(deNI, 0, 1, Qt::AlignTop);
    entries->addWidget(Label5, 1, 0);
    entries->addWidget(btnSect, 1, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(entries);
    left->addSpacing(fontMetrics().height());
    left->addWidget(Image1);
    left->addStretch(1);

    auto* below = new QHBoxLayout;
    auto* texts = new QVBoxLayout;
    texts->addWidget(Label3);
    texts->addWidget(Label2);
    below->addLayout(texts, 1);
    TrueScaleBox = new QCheckBox(QStringLiteral("True scale"), this);
    TrueScaleBox->setObjectName(QStringLiteral("TrueScaleBox"));
    TrueScaleBox->setToolTip(QStringLiteral("x and y at the same scale; off: the picture fills the box"));
    TrueScaleBox->setChecked(true);
    connect(TrueScaleBox, &QCheckBox::toggled, PaintBox1, &TBoundaryPreview::SetTrueScale);
    below->addWidget(TrueScaleBox, 0, Qt::AlignTop);
    below->addWidget(Button1, 0, Qt::AlignTop);
    auto* right = new QVBoxLayout;
    right->addWidget(PaintBox1, 1);
    right->addLayout(below);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 0);
    layout->addLayout(right, 1);
    SetFirstControl(deNI);
}

void TDlgSlopeBoundary::btnSectClick() {
    EditTable(Tables().BoundCood());
}

void TDlgSlopeBoundary::Button1Click() {
    PaintBox1->ResetView();
}

void TDlgSlopeBoundary::LoadFromModel(TProgramData& model) {
    LoadBox(deNI, model.SurfaceBoundaryCount);
    PaintBox1->UpdateMargins();
    PaintBox1->update();
}

void TDlgSlopeBoundary::StoreToModel(TProgramData& model) {
    model.SurfaceBoundaryCount = RoundCount(deNI->Number());
}
