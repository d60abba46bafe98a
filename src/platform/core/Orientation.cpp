#include "platform/core/Orientation.h"

#include <QTransform>

QImage uprightImage(const QImage &stored, int orientation) {
    if (stored.isNull())
        return stored;
    const auto turned = [](const QImage &image, qreal degrees) {
        return image.transformed(QTransform().rotate(degrees));
    };
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return turned(stored, 180);
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return turned(stored.mirrored(true, false), 270);
    case 6:
        return turned(stored, 90);
    case 7:
        return turned(stored.mirrored(true, false), 90);
    case 8:
        return turned(stored, 270);
    default:
        return stored;
    }
}
