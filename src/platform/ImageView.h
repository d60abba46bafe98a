#pragma once

#include <QLabel>
#include <QPixmap>

// An image view that scales its picture to fill it, each axis on its own (the
// background panels are drawn this way).
class PKImageView : public QLabel {
    Q_OBJECT
  public:
    explicit PKImageView(QWidget *parent = nullptr) : QLabel(parent) {
        setScaledContents(true);
        setMinimumSize(1, 1);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }
    void setImage(const QPixmap &pixmap) { setPixmap(pixmap); }
    QPixmap image() const { return pixmap(); }
};
