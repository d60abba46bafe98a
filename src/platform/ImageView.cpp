#include "platform/ImageView.h"

#include <QPainter>

void PKImageView::paintEvent(QPaintEvent *event) {
    const QPixmap picture = pixmap();
    if (!m_keepsProportions || picture.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    const QSize size = picture.size().scaled(contentsRect().size(), Qt::KeepAspectRatio);
    QRect place(QPoint(), size);
    place.moveCenter(contentsRect().center());
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(place, picture);
}
