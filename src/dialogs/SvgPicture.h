#pragma once
// TSvgPicture: an explanatory picture of a data window, drawn from an SVG resource so that it stays
// sharp at any size. It keeps the picture's proportions and centres it in whatever room it gets.
#include <QSvgRenderer>
#include <QWidget>

class TSvgPicture : public QWidget {
    Q_OBJECT
  public:
    // `resource` is a path such as ":/brevanto/pictures/boundary.svg"; `size` the first size (the
    // picture's own size when invalid).
    explicit TSvgPicture(const QString& resource, QSize size = QSize(), QWidget* parent = nullptr);

    bool IsValid() const { return FRenderer.isValid(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSvgRenderer FRenderer;
    QSize FSize;
};

// The resource path of one of the pictures.
QString PicturePath(const char* name);
