#pragma once
// The one path by which activation changes of a multiple-document area reach its child windows. The
// area reports its new active child window (subWindowActivated); the window that stops being active
// is told first (it stores its entries), then the one that becomes active (it shows the model), so a
// window always shows what the other one stored. Each area has one such dispatcher, made by the first
// child window that asks for it.
#include <QObject>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;

// What a child window does when the area's activation reaches it.
class IActivatedChild {
  public:
    virtual ~IActivatedChild() = default;
    virtual void ChildActivated() = 0;
    virtual void ChildDeactivated() = 0;
};

class TChildActivation : public QObject {
    Q_OBJECT
  public:
    // The dispatcher of `area`, made when it has none yet.
    static TChildActivation* Of(QMdiArea* area);

  private:
    explicit TChildActivation(QMdiArea* area);
    void Changed(QMdiSubWindow* now);

    QPointer<QMdiSubWindow> FActive;
};
