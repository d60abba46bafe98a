#include "browser/core/DisplayValues.h"

#include "base/SharedHelpers.h"
#include "browser/core/PhotoPanels.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QVariantMap>

#include <cmath>
#include <optional>

namespace {

bool isNumber(const QVariant &value) {
    return isNumberVariant(value);
}

// `decimals` places at most, without trailing zeros: 2.50 -> "2.5", 3.00 -> "3".
QString fixedTrimmed(double value, int decimals) {
    QString text = QLocale::c().toString(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

bool positive(double value) {
    return std::isfinite(value) && value > 0;
}

// The first number of a list ("ISOSpeedRatings" is one), or the value itself.
std::optional<double> firstNumber(const QVariant &value) {
    if (value.typeId() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        return list.isEmpty() ? std::nullopt : firstNumber(list.first());
    }
    if (isNumber(value))
        return value.toDouble();
    bool ok = false;
    const double parsed = value.toString().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(parsed) : std::nullopt;
}

} // namespace

QString apertureText(double fNumber) {
    if (!positive(fNumber))
        return QString();
    return QStringLiteral("f/") + QLocale::c().toString(fNumber, 'f', 1);
}

QString exposureTimeText(double seconds) {
    if (!positive(seconds))
        return QString();
    if (seconds >= 1.0)
        return fixedTrimmed(seconds, 1) + QStringLiteral(" s");
    // Cameras store 1/N seconds; a reciprocal within a sixth of a stop of the stored time
    // names it the way the camera showed it, anything else stays a decimal (0.4 s is not 1/3).
    const double reciprocal = 1.0 / seconds;
    const long long n = std::llround(reciprocal);
    if (n >= 2 && std::abs(std::log2(double(n) * seconds)) <= 1.0 / 6.0)
        return QStringLiteral("1/%1 s").arg(n);
    return fixedTrimmed(seconds, 2) + QStringLiteral(" s");
}

QString focalLengthText(double millimetres) {
    if (!positive(millimetres))
        return QString();
    return fixedTrimmed(millimetres, 1) + QStringLiteral(" mm");
}

QString brightnessText(double value) {
    if (!std::isfinite(value))
        return QString();
    const QString text = QLocale::c().toString(value, 'f', 2);
    return text == QLatin1String("-0.00") ? QStringLiteral("0.00") : text;
}

QString exposureBiasText(double ev) {
    if (!std::isfinite(ev))
        return QString();
    if (std::abs(ev) < 0.05)
        return QStringLiteral("0 EV");
    return (ev > 0 ? QStringLiteral("+") : QString()) + QLocale::c().toString(ev, 'f', 1) +
           QStringLiteral(" EV");
}

QString trimmedNumberText(double value) {
    if (!std::isfinite(value))
        return QLocale::c().toString(value);
    return fixedTrimmed(value, 6);
}

QString exifDateDisplayText(const QString &exifDate, const QString &offset) {
    static const QRegularExpression date(QStringLiteral("^(\\d{4}):(\\d{2}):(\\d{2})(.*)$"));
    const QRegularExpressionMatch m = date.match(exifDate);
    if (!m.hasMatch())
        return exifDate;
    QString text = QStringLiteral("%1-%2-%3%4")
                       .arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
    const QString zone = offset.trimmed();
    if (!zone.isEmpty())
        text += QLatin1Char(' ') + zone;
    return text;
}

QString displayValueText(const QString &key, const QVariant &value) {
    if (value.typeId() == QMetaType::QVariantList) {
        QStringList parts;
        for (const QVariant &element : value.toList())
            parts << displayValueText(QString(), element);
        return parts.join(QLatin1Char(','));
    }
    if (isNumber(value)) {
        const double number = value.toDouble();
        if (key == QLatin1String("FNumber"))
            return apertureText(number);
        if (key == QLatin1String("ExposureTime"))
            return exposureTimeText(number);
        if (key == QLatin1String("FocalLength") || key == QLatin1String("FocalLenIn35mmFilm"))
            return focalLengthText(number);
        if (key == QLatin1String("BrightnessValue"))
            return brightnessText(number);
        if (key == QLatin1String("ExposureBiasValue"))
            return exposureBiasText(number);
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            return trimmedNumberText(number);
        return propertyValueText(value);
    }
    if (value.typeId() == QMetaType::QString && key.contains(QLatin1String("Date")))
        return exifDateDisplayText(value.toString());
    return propertyValueText(value);
}

QString exposureSummaryText(const QVariantMap &exif) {
    QStringList parts;
    const auto number = [&](const char *key) {
        return firstNumber(exif.value(QLatin1String(key)));
    };
    if (const auto f = number("FNumber"))
        parts << apertureText(*f);
    if (const auto t = number("ExposureTime"))
        parts << exposureTimeText(*t);
    if (const auto iso = number("ISOSpeedRatings"); iso && *iso > 0)
        parts << QStringLiteral("ISO %1").arg(std::llround(*iso));
    if (const auto focal = number("FocalLength"))
        parts << focalLengthText(*focal);
    // No correction is the rule; only a real one is worth the space.
    if (const auto bias = number("ExposureBiasValue"); bias && std::abs(*bias) >= 0.05)
        parts << exposureBiasText(*bias);
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}
