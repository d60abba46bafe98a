#include "batch/core/TakeoutDate.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace {

// 1..12, or 0 when the word names no month: a full name or its start ("Jul", "Sept").
int monthOf(const QString &word) {
    static const char *const names[] = {"january",   "february", "march",    "april",
                                        "may",       "june",     "july",     "august",
                                        "september", "october",  "november", "december"};
    const QString w = word.toLower();
    if (w.size() < 3)
        return 0;
    for (int i = 0; i < 12; ++i) {
        if (QLatin1String(names[i]).startsWith(w))
            return i + 1;
    }
    return 0;
}

// Seconds east of UTC for the zone text after the time; false when it is no zone we know.
bool zoneOffset(const QString &zone, int *seconds) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*(?:(UTC|GMT|Z)\\s*)?(?:([+-])(\\d{1,2})(?::?(\\d{2}))?)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(zone);
    if (!m.hasMatch())
        return false;
    *seconds = 0;
    if (!m.captured(2).isEmpty()) {
        const int hours = m.captured(3).toInt(), minutes = m.captured(4).toInt();
        if (hours > 14 || minutes > 59)
            return false;
        *seconds = (hours * 3600 + minutes * 60) * (m.captured(2) == QLatin1String("-") ? -1 : 1);
    }
    return true;
}

QDateTime isoDate(const QString &text) {
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(\\d{4})-(\\d{2})-(\\d{2})[T ](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?(.*)$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return {};
    int offset = 0;
    if (!zoneOffset(m.captured(7), &offset))
        return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::OffsetFromUTC, offset);
}

} // namespace

QDateTime detectTakeoutDate(const QString &input) {
    // Newer exports put a narrow no-break space before "AM"/"PM".
    QString text = input;
    text.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
    if (QDateTime iso = isoDate(text); iso.isValid())
        return iso;

    static const QRegularExpression timeRe(QStringLiteral(
        "(\\d{1,2}):(\\d{2})(?::(\\d{2}))?(?:\\.\\d+)?\\s*(?:([AaPp])\\.?[Mm]\\.?)?(?![\\w])"));
    const QRegularExpressionMatch t = timeRe.match(text);
    if (!t.hasMatch())
        return {};
    const QString before = text.left(t.capturedStart());
    const QString after = text.mid(t.capturedEnd());

    // The date part: a month name, a day of one or two digits and a year of four.
    static const QRegularExpression wordRe(QStringLiteral("[^\\W\\d_]+|\\d+"));
    int month = 0, day = 0, year = 0;
    for (auto it = wordRe.globalMatch(before); it.hasNext();) {
        const QString token = it.next().captured();
        if (token.at(0).isDigit()) {
            if (token.size() == 4 && !year)
                year = token.toInt();
            else if (token.size() <= 2 && !day)
                day = token.toInt();
            else
                return {};
        } else if (const int m = monthOf(token)) {
            if (month)
                return {};
            month = m;
        }
        // Other words ("at", weekday names) carry no part of the date.
    }
    if (!month || !day || !year)
        return {};

    int hour = t.captured(1).toInt();
    const QString half = t.captured(4).toLower();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return {};
        hour = hour % 12 + (half == QLatin1String("p") ? 12 : 0);
    }
    int offset = 0;
    if (!zoneOffset(after, &offset))
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, t.captured(2).toInt(), t.captured(3).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::OffsetFromUTC, offset);
}
