#include "app/core/VersionDecoder.h"

#include "base/Logging.h"

#include <QDebug>
#include <QOperatingSystemVersion>
#include <QPainter>
#include <cstring>

void decodeSystemVersion(const VersionSelector &selector, int *major, int *minor, int *bugFix) {
    int ma = 10, mi = 0, bf = 0;
    const auto fail = [](long error) {
        qCWarning(lcApp).noquote()
            << QStringLiteral("Unable to obtain system version: %1").arg(error);
    };
    const std::optional<long> packed = selector ? selector("sysv") : std::nullopt;
    if (!packed) {
        fail(-1);
    } else if (*packed <= 0x103F) {
        ma = int(((*packed >> 12) & 0xF) * 10 + ((*packed >> 8) & 0xF));
        mi = int((*packed >> 4) & 0xF);
        bf = int(*packed & 0xF);
    } else {
        const std::optional<long> a = selector("sys1");
        const std::optional<long> b = a ? selector("sys2") : std::nullopt;
        const std::optional<long> c = b ? selector("sys3") : std::nullopt;
        if (a && b && c) {
            ma = int(*a);
            mi = int(*b);
            bf = int(*c);
        } else {
            fail(-1);
        }
    }
    if (major)
        *major = ma;
    if (minor)
        *minor = mi;
    if (bugFix)
        *bugFix = bf;
}

VersionSelector systemVersionSelector() {
    return [](const char *code) -> std::optional<long> {
        const QOperatingSystemVersion v = QOperatingSystemVersion::current();
        const long ma = qMax(0, v.majorVersion()), mi = qMax(0, v.minorVersion()),
                   bf = qMax(0, v.microVersion());
        if (std::strcmp(code, "sys1") == 0)
            return ma;
        if (std::strcmp(code, "sys2") == 0)
            return mi;
        if (std::strcmp(code, "sys3") == 0)
            return bf;
        if (std::strcmp(code, "sysv") == 0) {
            // Only small versions fit the packed form; the rest ask for the three codes.
            if (ma <= 10 && mi <= 3 && bf <= 15)
                return ((ma / 10) << 12) | ((ma % 10) << 8) | (mi << 4) | bf;
            return 0x1040;
        }
        return std::nullopt;
    };
}

QImage thumbnailImage(const QImage &source, int width, int height) {
    if (source.isNull() || width <= 0 || height <= 0) {
        qCDebug(lcApp) << "Invalid Image";
        return QImage();
    }
    QImage result(width, height, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRect(0, 0, width, height), source);
    painter.end();
    return result;
}
