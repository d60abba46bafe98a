#include "metadata/core/FileNameDate.h"

#include "base/Logging.h"
#include "metadata/core/DateArithmetic.h"
#include "metadata/core/FileDateRules.h"

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {

// Characters 1-based, as the rules are told.
QString chars(const QString &s, int from, int to) {
    return s.mid(from - 1, to - from + 1);
}

QString dayForm(const QString &x) {
    return QStringLiteral("%1:%2:%3").arg(chars(x, 1, 4), chars(x, 5, 6), chars(x, 7, 8));
}

QString timeForm(const QString &y) {
    return QStringLiteral("%1:%2:%3").arg(chars(y, 1, 2), chars(y, 3, 4), chars(y, 5, 6));
}

QString midnight(const QString &x) {
    if (x.size() > 11)
        return x;
    return (x.size() == 8 ? dayForm(x) : x) + QStringLiteral(" 00:00:00");
}

QString threePartTime(const QStringList &q) {
    if (q.size() < 3 || q[0].size() < 2 || q[1].size() < 2 || q[2].size() < 2)
        return QString();
    return QStringLiteral("%1:%2:%3").arg(q[0].right(2), q[1].right(2), q[2].left(2));
}

// The common tail of the blank, underscore and hyphen forms once p0 is not a day.
QString fromTimeList(const QString &p0, const QString &p1, bool sixDigitTime) {
    QStringList q;
    if (p1.contains(QLatin1Char('-')))
        q = p1.split(QLatin1Char('-'));
    else if (p1.contains(QLatin1Char('.')))
        q = p1.split(QLatin1Char('.'));
    else if (sixDigitTime && p1.size() == 6)
        return p0 + QLatin1Char(' ') + timeForm(p1);
    else
        return midnight(p0);
    const QString t = threePartTime(q);
    return t.isEmpty() ? midnight(p0) : p0 + QLatin1Char(' ') + t;
}

QString dayAndTime(const QString &p0, const QString &p1) {
    const QString d = dayForm(p0);
    return p1.size() >= 6 ? d + QLatin1Char(' ') + timeForm(p1) : midnight(d);
}

int monthNumber(const QString &name) {
    static const QStringList months = {"jan", "feb", "mar", "apr", "may", "jun",
                                       "jul", "aug", "sep", "oct", "nov", "dec"};
    return int(months.indexOf(name.left(3).toLower())) + 1;
}

QDateTime makeDate(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    const QDate day(y, mo, d);
    const QTime time(h, mi, s);
    if (y < 1800 || y > 2200 || !day.isValid() || !time.isValid())
        return {};
    return QDateTime(day, time);
}

} // namespace

QList<DateMatch> detectDates(const QString &text) {
    struct Form {
        QRegularExpression re;
        int kind; // 0 numeric, 1 day-month-year words, 2 month-day-year words
    };
    static const QString monthWords = QStringLiteral(
        "(Jan(?:uary)?|Feb(?:ruary)?|Mar(?:ch)?|Apr(?:il)?|May|June?|July?|Aug(?:ust)?|"
        "Sep(?:t(?:ember)?)?|Oct(?:ober)?|Nov(?:ember)?|Dec(?:ember)?)");
    static const QList<Form> forms = {
        {QRegularExpression(
             QStringLiteral("(?<!\\d)(\\d{4})([-:._/]?)(\\d{2})\\2(\\d{2})"
                            "(?:[ T_-]?(\\d{2})([:.\\-]?)(\\d{2})\\6(\\d{2}))?(?!\\d)")),
         0},
        {QRegularExpression(QStringLiteral("(?<!\\d)(\\d{1,2})\\s+") + monthWords +
                                QStringLiteral("\\.?,?\\s+(\\d{4})(?!\\d)"),
                            QRegularExpression::CaseInsensitiveOption),
         1},
        {QRegularExpression(monthWords + QStringLiteral("\\.?\\s+(\\d{1,2}),?\\s+(\\d{4})(?!\\d)"),
                            QRegularExpression::CaseInsensitiveOption),
         2},
    };
    QList<DateMatch> found;
    for (const Form &form : forms) {
        auto it = form.re.globalMatch(text);
        while (it.hasNext()) {
            const auto m = it.next();
            DateMatch match;
            match.position = m.capturedStart(0);
            match.length = m.capturedLength(0);
            if (form.kind == 0) {
                // A numeric day without separators must still be 8 digits on its own.
                match.date = m.captured(5).isEmpty()
                                 ? makeDate(m.captured(1).toInt(), m.captured(3).toInt(),
                                            m.captured(4).toInt())
                                 : makeDate(m.captured(1).toInt(), m.captured(3).toInt(),
                                            m.captured(4).toInt(), m.captured(5).toInt(),
                                            m.captured(7).toInt(), m.captured(8).toInt());
            } else if (form.kind == 1) {
                match.date = makeDate(m.captured(3).toInt(), monthNumber(m.captured(2)),
                                      m.captured(1).toInt());
            } else {
                match.date = makeDate(m.captured(3).toInt(), monthNumber(m.captured(1)),
                                      m.captured(2).toInt());
            }
            if (match.date.isValid())
                found << match;
        }
    }
    std::sort(found.begin(), found.end(),
              [](const DateMatch &a, const DateMatch &b) { return a.position < b.position; });
    // Overlapping matches of different forms: the earlier one stands.
    QList<DateMatch> out;
    for (const DateMatch &m : found)
        if (out.isEmpty() || m.position >= out.last().position + out.last().length)
            out << m;
    return out;
}

QString cameraDateCandidate(const QString &baseName) {
    static const QString kept = QStringLiteral("0123456789_ .-");
    QString s;
    for (const QChar c : baseName)
        if (kept.contains(c))
            s += c;
    qCDebug(lcMetadata).noquote() << QStringLiteral("newString--%1--").arg(s);
    if (s.size() >= 2) {
        if (!s.front().isDigit())
            s.remove(0, 1);
        if (!s.isEmpty() && !s.back().isDigit())
            s.chop(1);
    }
    qCDebug(lcMetadata).noquote() << QStringLiteral("newString--%1--").arg(s);

    if (s.contains(QLatin1Char(' '))) {
        const QStringList p = s.split(QLatin1Char(' '));
        if (p.size() < 2)
            return s;
        QString c = p[0].size() == 8 ? dayAndTime(p[0], p[1]) : fromTimeList(p[0], p[1], true);
        c.replace(QLatin1Char('-'), QLatin1Char(':'));
        c.replace(QLatin1Char('_'), QLatin1Char(':'));
        return c;
    }
    for (const QChar x : {QLatin1Char('_'), QLatin1Char('-')}) {
        if (!s.contains(x))
            continue;
        const QStringList p = s.split(x);
        if (p.size() < 2)
            return s;
        QString c;
        if (p[0].size() == 8)
            c = dayAndTime(p[0], p[1]);
        else if (p.size() == 6)
            c = QStringLiteral("%1:%2:%3 %4:%5:%6").arg(p[0], p[1], p[2], p[3], p[4], p[5]);
        else
            c = fromTimeList(p[0], p[1], false);
        c.replace(QLatin1Char('-'), QLatin1Char(':'));
        return c;
    }
    if (s.size() == 14)
        return QStringLiteral("%1:%2:%3 %4:%5:%6")
            .arg(chars(s, 1, 4), chars(s, 5, 6), chars(s, 7, 8), chars(s, 9, 10), chars(s, 11, 12),
                 chars(s, 13, 14));
    return s;
}

FileNameDate dateFromFileName(const QString &fileName) {
    const QString n = QFileInfo(fileName).completeBaseName();
    QString c = cameraDateCandidate(n);
    FileNameDate result;
    const QList<DateMatch> inCandidate = detectDates(c);
    if (!inCandidate.isEmpty() && !parseMetadataDate(c).isValid()) {
        // The candidate names a day in a form the tags cannot take ("20200105").
        c = exifDateText(inCandidate.last().date);
    } else if (inCandidate.isEmpty()) {
        const QList<DateMatch> inName = detectDates(n);
        if (!inName.isEmpty() && inName.last().date.isValid()) {
            result.detected = inName.last().date;
            // Written in local time, the time zone the tag text is read in.
            c = exifDateText(result.detected);
        }
    }
    c.replace(QLatin1Char('.'), QLatin1Char(':'));
    result.text = c;
    const QDateTime parsed = parseMetadataDate(c);
    result.valid = parsed.isValid();
    if (result.valid)
        result.text = exifDateText(parsed); // one-digit fields padded, as Exif wants
    return result;
}
