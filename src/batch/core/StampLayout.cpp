#include "batch/core/StampLayout.h"

#include "platform/core/ReverseGeocoder.h"

#include <QStringList>

#include <array>

QRectF stampRect(StampKind kind, const QString &corner, QSizeF photo, QSizeF text) {
    const qreal W = photo.width(), H = photo.height(), w = text.width(), h = text.height();
    const bool date = kind == StampKind::Date;
    const bool lower = corner == QLatin1String("Lower left corner") ||
                       corner == QLatin1String("Lower right corner");
    const bool right = corner == QLatin1String("Lower right corner") ||
                       corner == QLatin1String("Upper right corner");
    const bool known = lower || right || corner == QLatin1String("Upper left corner");
    const QSizeF fixed(400, 50);
    if (!known) // the date keeps to the left, the other stamps to the right
        return QRectF(QPointF(date ? 50 : W - 400, 30), fixed);
    if (!(w > 0 && h > 0))
        return QRectF(QPointF(right ? W - 400 : 50, lower ? 30 : H - 50), fixed);
    // The date sits ten points lower than the other stamps.
    const qreal x = right ? W - w - 20 : 50;
    const qreal y = lower ? h + (date ? 10 : 20) : H - h - (date ? 30 : 40);
    return QRectF(QPointF(x, y), QSizeF(w + 20, h + 20));
}

QRectF painterRect(const QRectF &r, qreal photoHeight) {
    return QRectF(r.x(), photoHeight - r.y() - r.height(), r.width(), r.height());
}

QString stampDateSource(const QString &dateTimeOriginal, const QDateTime &creationDate,
                        const QDateTime &now) {
    if (!dateTimeOriginal.trimmed().isEmpty())
        return dateTimeOriginal.trimmed();
    const QDateTime when = creationDate.isValid() ? creationDate : now;
    return when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString formatStampDate(const QString &text, const QString &formatTitle) {
    const QStringList words = text.split(QLatin1Char(' '));
    if (words.size() < 2)
        return text;
    const QString kept = words[0] + QLatin1Char(' ') + words[1];
    QStringList ymd = words[0].split(QLatin1Char(':'));
    if (ymd.size() == 1)
        ymd = words[0].split(QLatin1Char('-'));
    if (ymd.size() != 3)
        return kept;
    const QString &Y = ymd[0], &M = ymd[1], &D = ymd[2], &time = words[1];
    const QString slash = QStringLiteral("%1/%2/%3 %4");
    const QString dot = QStringLiteral("%1.%2.%3");
    if (formatTitle == QLatin1String("MM/DD/YYYY HH:MM"))
        return slash.arg(M, D, Y, time);
    if (formatTitle == QLatin1String("DD/MM/YYYY HH:MM"))
        return slash.arg(D, M, Y, time);
    if (formatTitle == QLatin1String("YYYY/MM/DD HH:MM"))
        return slash.arg(Y, M, D, time);
    if (formatTitle == QLatin1String("YYYY.MM.DD"))
        return dot.arg(Y, M, D);
    if (formatTitle == QLatin1String("DD.MM.YYYY"))
        return dot.arg(D, M, Y);
    if (formatTitle == QLatin1String("MM.DD.YYYY"))
        return dot.arg(M, D, Y);
    return kept;
}

bool copyrightStampable(const QString &copyright) {
    return copyright.size() >= 2;
}

QString placeStampText(const Placemark &place) {
    if (place.country.isEmpty() && place.locality.isEmpty())
        return {};
    QStringList names;
    for (const QString &name : {place.locality, place.subLocality})
        if (!name.isEmpty())
            names << name;
    return names.join(QStringLiteral(", "));
}

namespace {
struct ResizeRow {
    const char *title;
    int width, height; // the landscape column, in points
};
constexpr std::array<ResizeRow, 7> kResizeRows{{{"320 x 240", 160, 120},
                                                {"640 x 480", 320, 240},
                                                {"800 x 600", 400, 300},
                                                {"1024 x 768", 512, 384},
                                                {"1280 x 720", 640, 360},
                                                {"1280 x 1024", 640, 512},
                                                {"1920 x 1080", 960, 540}}};
} // namespace

QSize resizeTargetPoints(const QString &title, QSize uprightPhoto) {
    for (const ResizeRow &row : kResizeRows) {
        if (title != QLatin1String(row.title))
            continue;
        if (uprightPhoto.width() > uprightPhoto.height())
            return QSize(row.width, row.height);
        return QSize(row.height, row.width);
    }
    return QSize(320, 480);
}

QSize resizeTargetPixels(const QString &title, QSize uprightPhoto) {
    return resizeTargetPoints(title, uprightPhoto) * 2;
}

QStringList resizeTitles() {
    QStringList titles;
    for (const ResizeRow &row : kResizeRows)
        titles << QLatin1String(row.title);
    return titles;
}

float compressQualityForTitle(const QString &title, float current) {
    if (title == QLatin1String("20%"))
        return 0.2f;
    if (title == QLatin1String("40%"))
        return 0.4f;
    if (title == QLatin1String("80%"))
        return 0.8f;
    return current;
}
