#include "platform/core/ImagePropertyTables.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

// Both writers read our values through these, so a value the Exiv2 writer takes is taken by the
// HEIF writer too, and means the same there.

bool parseNumber(const QVariant &value, ParsedNumber *out) {
    *out = ParsedNumber();
    if (value.typeId() == QMetaType::QString) {
        const QString s = value.toString().trimmed();
        const qsizetype slash = s.indexOf(QLatin1Char('/'));
        if (slash > 0) {
            bool okN = false, okD = false;
            const qint64 n = s.left(slash).trimmed().toLongLong(&okN);
            const qint64 d = s.mid(slash + 1).trimmed().toLongLong(&okD);
            if (!okN || !okD || d == 0)
                return false;
            *out = {double(n) / double(d), n, d};
            return true;
        }
        bool ok = false;
        out->value = s.toDouble(&ok);
        return ok && std::isfinite(out->value);
    }
    bool ok = false;
    out->value = value.toDouble(&ok);
    return ok && std::isfinite(out->value);
}

bool parseNumbers(const QVariant &value, std::vector<ParsedNumber> *out, QString *error) {
    out->clear();
    for (const QVariant &e : listElements(value)) {
        ParsedNumber n;
        if (!parseNumber(e, &n)) {
            *error = QStringLiteral("not a number: %1").arg(e.toString());
            return false;
        }
        out->push_back(n);
    }
    if (out->empty()) {
        *error = QStringLiteral("no value");
        return false;
    }
    return true;
}

QString joinedText(const QVariant &value) {
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(' '));
    return value.toString();
}

QString versionDigits(const QVariant &value) {
    const QVariantList parts = listElements(value);
    if (parts.size() == 1 && parts.first().toString().size() == 4)
        return parts.first().toString();
    return QStringLiteral("%1%2%3")
        .arg(parts.value(0).toInt(), 2, 10, QLatin1Char('0'))
        .arg(parts.value(1).toInt() % 10)
        .arg(parts.value(2).toInt() % 10);
}

bool parseCoordinate(const QVariant &value, double *degrees, QString *error) {
    bool ok = false;
    *degrees = std::fabs(value.toString().trimmed().toDouble(&ok));
    if (!ok || !std::isfinite(*degrees) || *degrees > 180) {
        *error = QStringLiteral("not a coordinate: %1").arg(value.toString());
        return false;
    }
    return true;
}

bool parseTimeOfDay(const QVariant &value, TimeOfDay *out, QString *error) {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,2}):(\\d{1,2}):(\\d{1,2}(?:\\.\\d+)?)$"));
    const auto match = re.match(value.toString().trimmed());
    if (match.hasMatch()) {
        *out = {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toDouble(),
                match.captured(0)};
        if (out->hours <= 23 && out->minutes <= 59 && out->seconds < 61)
            return true;
    }
    *error = QStringLiteral("not a time of day: %1").arg(value.toString());
    return false;
}
