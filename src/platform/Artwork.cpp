#include "platform/Artwork.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>

namespace {

QPixmap gradient(QSize size, QColor top, QColor bottom) {
    QPixmap pm(size);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(pm.rect(), g);
    return pm;
}

QPixmap titleButton(QColor fill, QColor ring) {
    QPixmap pm(28, 28);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ring, 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(3, 3, 22, 22));
    return pm;
}

QPixmap make(const QString &name) {
    if (name == QLatin1String("mainwindow.png"))
        return gradient({64, 64}, QColor(52, 48, 47), QColor(34, 31, 30));
    if (name == QLatin1String("bottomwindow.png"))
        return gradient({64, 32}, QColor(40, 37, 36), QColor(27, 27, 27));
    if (name == QLatin1String("bgroud.png"))
        return gradient({64, 64}, QColor(68, 63, 62), QColor(58, 54, 53));
    if (name == QLatin1String("editimageview.png"))
        return gradient({64, 64}, QColor(86, 81, 79), QColor(70, 66, 64));
    if (name == QLatin1String("Close_Nom.png") || name == QLatin1String("titlebarred.png"))
        return titleButton(QColor(236, 95, 87), QColor(200, 70, 62));
    if (name == QLatin1String("Min_Nom.png") || name == QLatin1String("titlebaryellow.png"))
        return titleButton(QColor(245, 190, 79), QColor(210, 156, 50));
    if (name == QLatin1String("Resize_Nom.png") || name == QLatin1String("titlebargreen.png"))
        return titleButton(QColor(97, 196, 84), QColor(70, 160, 60));
    return {};
}

} // namespace

QPixmap namedImage(const QString &name) {
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, make(name));
    return *it;
}
