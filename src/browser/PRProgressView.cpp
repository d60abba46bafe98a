#include "browser/PRProgressView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QRectF PRProgressView::barRect() const {
    if (value > 1 || value == 0)
        return {};
    const double w = value * width() - 4;
    return QRectF(2, 1.5, w > 0 ? w : 2, height() - 3.5);
}

void PRProgressView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), 8, 8);
    p.save();
    p.setClipRect(QRectF(0, 0, width(), height() / 2.0));
    p.setPen(QColor::fromRgbF(1, 1, 1, 0.2f));
    p.drawPath(outline);
    p.restore();
    QPainterPath bezel;
    bezel.addRoundedRect(QRectF(1.0, 0.5, width() - 1, height() - 1), 8, 8);
    p.fillPath(bezel, QColor(168, 168, 168));
    const QRectF bar = barRect();
    if (bar.isEmpty())
        return;
    QPainterPath barPath;
    barPath.addRoundedRect(bar, 4, 4);
    QLinearGradient g(bar.topLeft(), bar.bottomLeft());
    g.setColorAt(0, QColor(233, 234, 234));
    g.setColorAt(1, QColor(230, 231, 232));
    p.fillPath(barPath, g);
}
