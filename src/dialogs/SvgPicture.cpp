#include "dialogs/SvgPicture.h"

#include <QPainter>

TSvgPicture::TSvgPicture(const QString& resource, QSize size, QWidget* parent)
    : QWidget(parent), FRenderer(resource), FSize(size.isValid() ? size : FRenderer.defaultSize()) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setAccessibleName(QStringLiteral("picture"));
}

QSize TSvgPicture::sizeHint() const {
    return FSize;
}

QSize TSvgPicture::minimumSizeHint() const {
    return FSize / 2;
}

int TSvgPicture::heightForWidth(int width) const {
    const QSizeF own = FRenderer.viewBoxF().size();
    if (own.isEmpty())
        return FSize.height();
    return qRound(width * own.height() / own.width());
}

void TSvgPicture::paintEvent(QPaintEvent* event) {
    (void)event;
    if (!FRenderer.isValid())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QSizeF own = FRenderer.viewBoxF().size();
    if (own.isEmpty())
        own = FRenderer.defaultSize();
    QSizeF shown = own.scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF target((width() - shown.width()) / 2, (height() - shown.height()) / 2, shown.width(),
                        shown.height());
    FRenderer.render(&painter, target);
}

QString PicturePath(const char* name) {
    return QStringLiteral(":/brevanto/pictures/") + QLatin1String(name) + QStringLiteral(".svg");
}
