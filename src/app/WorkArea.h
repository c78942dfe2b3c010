#pragma once
// The main window's work area: scroll bars when child windows reach beyond it, and every new child
// window placed where it can be seen.
#include <QObject>

class QMdiArea;
class QMdiSubWindow;

// Installed on a work area: shows its scroll bars as needed and moves each child window, when it is
// first shown, into the visible part of the area (its top-left corner and as much of it as fits).
class TWorkAreaPlacement : public QObject {
    Q_OBJECT
  public:
    explicit TWorkAreaPlacement(QMdiArea* area);

    // Moves `sub` into the visible part of the area.
    void FitIntoView(QMdiSubWindow* sub) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMdiArea* FArea;
    // Compared by address only: events still arrive while the area is being destroyed, when it can no
    // longer be asked for its viewport.
    const QObject* FViewport;
};
