#include "base/SharedHelpers.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimeZone>
#include <cstdio>
#include <cstring>
#include <vector>

char *size_to_unit(uint64_t size, char *out_buffer) {
    // Callers give a few dozen bytes; 32 holds the longest text this makes.
    constexpr size_t kBuf = 32;
    if (size < 1000) {
        std::snprintf(out_buffer, kBuf, "%d bytes", static_cast<int>(size));
        return out_buffer;
    }
    // Single precision throughout, so 999,999 bytes reads "1000.00 KB" as users have seen.
    float value = static_cast<float>(size);
    const char *unit = "TB";
    int divisions = 4;
    if (size < 1000000ULL) {
        unit = "KB";
        divisions = 1;
    } else if (size < 1000000000ULL) {
        unit = "MB";
        divisions = 2;
    } else if (size < 1000000000000ULL) {
        unit = "GB";
        divisions = 3;
    }
    for (int i = 0; i < divisions; ++i)
        value /= 1000.0f;
    std::snprintf(out_buffer, kBuf, "%.2f %s", static_cast<double>(value), unit);
    return out_buffer;
}

QString sizeToUnitString(uint64_t size) {
    char buffer[32];
    return QString::fromLatin1(size_to_unit(size, buffer));
}

int Char2Unicode(const char *utf8, uint32_t *uncode, int count) {
    if (count <= 0 || !uncode)
        return 0;
    std::memset(uncode, 0, sizeof(uint32_t) * static_cast<size_t>(count));
    if (!utf8)
        return 0;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(QByteArrayView(utf8, qsizetype(std::strlen(utf8))));
    if (decoder.hasError())
        return 0;
    const QList<uint> units = text.toUcs4();
    int written = 0;
    for (uint u : units) {
        if (written >= count - 1)
            break;
        uncode[written++] = u;
    }
    uncode[written] = 0;
    return written;
}

QString GetStringFormChar(const char *utf8) {
    if (!utf8)
        return QString(QLatin1String(""));
    // Plain ASCII, most of a library's text, needs no decoder.
    const char *end = utf8;
    while (*end && static_cast<unsigned char>(*end) < 0x80)
        ++end;
    if (*end == 0)
        return end == utf8 ? QString(QLatin1String("")) : QString::fromLatin1(utf8, end - utf8);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(QByteArrayView(utf8, qsizetype(std::strlen(utf8))));
    if (decoder.hasError() || text.isEmpty())
        return QString(QLatin1String(""));
    return text;
}

QImage resizeTo(const QImage &image, int width, int height) {
    QImage out(qMax(width, 1), qMax(height, 1), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.drawImage(QRect(0, 0, out.width(), out.height()), image);
    painter.end();
    return out;
}

namespace {

enum class HourStyle { H24, H12 };

struct DateForm {
    const char *pattern; // date and time fields as capture groups 1..6
    HourStyle hours;
    bool hasZone; // fraction in group 7, zone in group 8
};

// The accepted forms, in the order they are tried.
const DateForm kForms[] = {
    {R"(^(\d{4}):(\d{1,2}):(\d{1,2}) (\d{1,2}):(\d{1,2}):(\d{1,2})$)", HourStyle::H24, false},
    {R"(^(\d{4}):(\d{1,2}):(\d{1,2}) (\d{1,2}):(\d{1,2}):(\d{1,2})$)", HourStyle::H12, false},
    {R"(^(\d{4})-(\d{1,2})-(\d{1,2}) (\d{1,2}):(\d{1,2}):(\d{1,2})$)", HourStyle::H24, false},
    {R"(^(\d{4})-(\d{1,2})-(\d{1,2}) (\d{1,2}):(\d{1,2}):(\d{1,2})$)", HourStyle::H12, false},
    {R"(^(\d{4})-(\d{1,2})-(\d{1,2}) at (\d{1,2}):(\d{1,2}):(\d{1,2})$)", HourStyle::H24, false},
    {R"(^(\d{4})-(\d{1,2})-(\d{1,2}) at (\d{1,2}):(\d{1,2}):(\d{1,2})$)", HourStyle::H12, false},
    {R"(^(\d{4})-(\d{1,2})-(\d{1,2})T(\d{1,2}):(\d{1,2}):(\d{1,2})\.(\d{6})([+-]\d{4}|Z)$)",
     HourStyle::H24, true},
};

QDateTime parseForm(const DateForm &form, const QString &text) {
    static thread_local QRegularExpression cache[std::size(kForms)];
    const size_t index = static_cast<size_t>(&form - kForms);
    QRegularExpression &re = cache[index];
    if (re.pattern().isEmpty())
        re.setPattern(QString::fromLatin1(form.pattern));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return {};
    const int year = m.captured(1).toInt();
    const int month = m.captured(2).toInt();
    const int day = m.captured(3).toInt();
    int hour = m.captured(4).toInt();
    const int minute = m.captured(5).toInt();
    const int second = m.captured(6).toInt();
    if (form.hours == HourStyle::H12) {
        // A 12-hour clock with no AM/PM marker: 12 is the hour after midnight.
        if (hour < 1 || hour > 12)
            return {};
        if (hour == 12)
            hour = 0;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, form.hasZone ? m.captured(7).left(3).toInt() : 0);
    if (!date.isValid() || !time.isValid())
        return {};
    if (!form.hasZone)
        return QDateTime(date, time); // the system's time zone
    const QString zone = m.captured(8);
    int offset = 0;
    if (zone != QLatin1String("Z")) {
        const int sign = zone.startsWith(QLatin1Char('-')) ? -1 : 1;
        const int hh = zone.mid(1, 2).toInt();
        const int mm = zone.mid(3, 2).toInt();
        if (hh > 23 || mm > 59)
            return {};
        offset = sign * (hh * 3600 + mm * 60);
    }
    return QDateTime(date, time, QTimeZone(offset)).toLocalTime();
}

} // namespace

bool CheckDateFormatWithDateString(const QString &text) {
    return parseForm(kForms[0], text).isValid() || parseForm(kForms[2], text).isValid();
}

QDateTime ConvertDateWithDateString(const QString &text) {
    for (const DateForm &form : kForms) {
        QDateTime d = parseForm(form, text);
        if (d.isValid())
            return d;
    }
    return {};
}

bool isNumberVariant(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}
