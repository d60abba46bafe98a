#include "platform/core/ImageLimits.h"
#include "base/Logging.h"

#include <QDebug>
#include <QImageReader>

namespace ImageLimits {

QString tooLargeReason(qint64 width, qint64 height) {
    return QStringLiteral("the photo is too large to decode (%1 x %2 pixels)")
        .arg(width)
        .arg(height);
}

bool decodeAllowed(qint64 width, qint64 height, QString *why) {
    if (width > 0 && height > 0 && width <= kMaxPixels / height)
        return true;
    const QString reason = tooLargeReason(width, height);
    qCWarning(lcPlatform).noquote() << reason;
    if (why)
        *why = reason;
    return false;
}

void applyToQt() {
    QImageReader::setAllocationLimit(kQtAllocationLimitMB);
}

} // namespace ImageLimits
