#include "widgets/ChildActivation.h"

#include <QMdiArea>
#include <QMdiSubWindow>

TChildActivation* TChildActivation::Of(QMdiArea* area) {
    if (!area)
        return nullptr;
    if (auto* existing = area->findChild<TChildActivation*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new TChildActivation(area);
}

TChildActivation::TChildActivation(QMdiArea* area) : QObject(area), FActive(area->activeSubWindow()) {
    connect(area, &QMdiArea::subWindowActivated, this, &TChildActivation::Changed);
}

void TChildActivation::Changed(QMdiSubWindow* now) {
    const QPointer<QMdiSubWindow> before = FActive;
    FActive = now;
    if (before == now)
        return;
    if (before)
        if (auto* child = dynamic_cast<IActivatedChild*>(before->widget()))
            child->ChildDeactivated();
    // The window may have gone meanwhile (a closed window stores its entries on the way).
    if (now && FActive == now)
        if (auto* child = dynamic_cast<IActivatedChild*>(now->widget()))
            child->ChildActivated();
}
