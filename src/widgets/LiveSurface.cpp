#include "widgets/LiveSurface.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

QColor LiveSurfaceColor() {
    return QColor(214, 0, 160);
}

void DrawLiveSurface(QPainter& painter, const TLiveSurface& surface,
                     const std::function<QPointF(QPointF)>& toPixel) {
    if (surface.Empty())
        return;
    QPainterPath path;
    bool started = false;
    for (const QPointF& world : surface.Points) {
        const QPointF p = toPixel(world);
        // Far outside the picture (a zoomed view) the painter's integer range ends: such points are left out.
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || std::abs(p.x()) > 30000 ||
            std::abs(p.y()) > 30000)
            continue;
        if (started)
            path.lineTo(p);
        else
            path.moveTo(p);
        started = true;
    }
    if (!started)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(LiveSurfaceColor(), 2, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    const QString label = QStringLiteral(" Live %1 ").arg(surface.FS, 0, 'f', 3);
    const QPointF end = path.currentPosition();
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.drawText(end + QPointF(4, -4), label);
    painter.restore();
}
