#include "app/core/WindowPlacement.h"

QRect centredWindowRect(const QRect &available, QSize preferred) {
    if (!available.isValid())
        return QRect(QPoint(0, 0), preferred);
    const QSize size = preferred.boundedTo(available.size());
    QRect out(QPoint(0, 0), size);
    out.moveCenter(available.center());
    return out;
}

QSize minimumWindowSize(const QRect &available, QSize minimum) {
    return available.isValid() ? minimum.boundedTo(available.size()) : minimum;
}
