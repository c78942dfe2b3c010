#include "app/WorkArea.h"

#include <QChildEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

TWorkAreaPlacement::TWorkAreaPlacement(QMdiArea* area)
    : QObject(area), FArea(area), FViewport(area->viewport()) {
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->viewport()->installEventFilter(this);
}

void TWorkAreaPlacement::FitIntoView(QMdiSubWindow* sub) const {
    if (sub->isMaximized() || sub->isMinimized())
        return;
    // Child windows are placed in the viewport's coordinates, so its rectangle is the visible part.
    const QRect visible = FArea->viewport()->rect();
    QRect frame = sub->geometry();
    const int x = std::max(0, std::min(frame.x(), visible.width() - frame.width()));
    const int y = std::max(0, std::min(frame.y(), visible.height() - frame.height()));
    if (x != frame.x() || y != frame.y())
        sub->move(x, y);
}

bool TWorkAreaPlacement::eventFilter(QObject* watched, QEvent* event) {
    // Polished, not added: a child window is announced before it is fully made.
    if (watched == FViewport && event->type() == QEvent::ChildPolished) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child()))
            sub->installEventFilter(this);
    } else if (event->type() == QEvent::Show) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(watched)) {
            // Only the first showing: later the user decides where the window stands. Once the showing
            // is over, since a window may size itself when it first shows.
            sub->removeEventFilter(this);
            QPointer<QMdiSubWindow> shown(sub);
            QTimer::singleShot(0, this, [this, shown] {
                if (shown)
                    FitIntoView(shown);
            });
        }
    }
    return false;
}
