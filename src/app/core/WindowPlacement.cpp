#include "app/core/WindowPlacement.h"

#include <algorithm>

QRect centredWindowRect(const QRect &available, QSize preferred) {
    if (!available.isValid())
        return QRect(QPoint(0, 0), preferred);
    const QSize size = preferred.boundedTo(available.size());
    QRect out(QPoint(0, 0), size);
    out.moveCenter(available.center());
    return out;
}

QRect centredOverOwner(const QRect &owner, QSize size, const QRect &available) {
    QRect out(QPoint(0, 0), available.isValid() ? size.boundedTo(available.size()) : size);
    out.moveCenter(owner.isValid() ? owner.center() : available.center());
    if (!available.isValid())
        return out;
    out.moveLeft(std::clamp(out.left(), available.left(), available.right() - out.width() + 1));
    out.moveTop(std::clamp(out.top(), available.top(), available.bottom() - out.height() + 1));
    return out;
}

QSize minimumWindowSize(const QRect &available, QSize minimum) {
    return available.isValid() ? minimum.boundedTo(available.size()) : minimum;
}
