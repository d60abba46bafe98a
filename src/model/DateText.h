#pragma once

#include <QString>
#include <cstdint>
#include <limits>

#include "model/OutOfLine.h"

// A date text as the clock reading it spells when it is "yyyy-MM-dd HH:mm:ss" with a year of
// four digits (every date a library scan makes; a million of them took 70 MB as texts), else
// the text itself. The reading carries no zone: it is the text's fields, nothing more.
class DateText {
  public:
    QString text() const {
        if (odd_.has())
            return odd_.get();
        return clock_ == kNone ? QString() : format(clock_);
    }
    void setText(const QString &text) {
        odd_.reset();
        clock_ = kNone;
        if (const int64_t clock = parse(text); clock != kNone)
            clock_ = clock;
        else if (!text.isNull())
            odd_.edit() = text;
    }
    // The text "yyyy-MM-dd HH:mm:ss" of these fields; false (and nothing set) for fields that
    // text cannot spell, such as a year past 9999.
    bool setFields(int year, int month, int day, int hour, int minute, int second) {
        if (!valid(year, month, day, hour, minute, second))
            return false;
        odd_.reset();
        clock_ = clockOf(year, month, day, hour, minute, second);
        return true;
    }
    bool isEmpty() const { return odd_.has() ? odd_.get().isEmpty() : clock_ == kNone; }

    // "yyyy-MM-dd HH:mm:ss" of fields within range (a year of 0 to 9999), by hand: the printf
    // family is most of a large library's date text.
    static QString spell(int year, int month, int day, int hour, int minute, int second) {
        char text[19];
        const auto two = [&](int at, int value) {
            text[at] = char('0' + value / 10 % 10);
            text[at + 1] = char('0' + value % 10);
        };
        two(0, year / 100);
        two(2, year % 100);
        text[4] = text[7] = '-';
        text[10] = ' ';
        text[13] = text[16] = ':';
        two(5, month);
        two(8, day);
        two(11, hour);
        two(14, minute);
        two(17, second);
        return QString::fromLatin1(text, 19);
    }

  private:
    static constexpr int64_t kNone = std::numeric_limits<int64_t>::min();

    static bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
    static int daysIn(int y, int m) {
        static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        return m == 2 && leap(y) ? 29 : days[m - 1];
    }
    static bool valid(int y, int mo, int d, int h, int mi, int s) {
        return y >= 0 && y <= 9999 && mo >= 1 && mo <= 12 && d >= 1 && d <= daysIn(y, mo) &&
               h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
    }
    // Days from 1970-01-01 in the proleptic Gregorian calendar (H. Hinnant's days_from_civil).
    static int64_t daysOf(int y, int m, int d) {
        y -= m <= 2;
        const int era = (y >= 0 ? y : y - 399) / 400;
        const int yoe = y - era * 400;
        const int doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
        const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return int64_t(era) * 146097 + doe - 719468;
    }
    static int64_t clockOf(int y, int mo, int d, int h, int mi, int s) {
        return daysOf(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
    }
    static QString format(int64_t clock) {
        int64_t days = clock / 86400;
        int secs = int(clock % 86400);
        if (secs < 0) {
            secs += 86400;
            --days;
        }
        days += 719468;
        const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
        const int doe = int(days - era * 146097);
        const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const int mp = (5 * doy + 2) / 153;
        const int d = doy - (153 * mp + 2) / 5 + 1;
        const int m = mp < 10 ? mp + 3 : mp - 9;
        const int y = int(yoe + era * 400) + (m <= 2);
        return spell(y, m, d, secs / 3600, secs / 60 % 60, secs % 60);
    }
    static int64_t parse(const QString &s) {
        if (s.size() != 19 || s[4] != u'-' || s[7] != u'-' || s[10] != u' ' || s[13] != u':' ||
            s[16] != u':')
            return kNone;
        int f[6];
        const int at[] = {0, 5, 8, 11, 14, 17}, len[] = {4, 2, 2, 2, 2, 2};
        for (int k = 0; k < 6; ++k) {
            f[k] = 0;
            for (int i = at[k]; i < at[k] + len[k]; ++i) {
                const char16_t c = s[i].unicode();
                if (c < u'0' || c > u'9')
                    return kNone;
                f[k] = f[k] * 10 + (c - u'0');
            }
        }
        if (!valid(f[0], f[1], f[2], f[3], f[4], f[5]))
            return kNone;
        return clockOf(f[0], f[1], f[2], f[3], f[4], f[5]);
    }

    int64_t clock_ = kNone; // the fields as seconds from 1970-01-01 00:00:00, or kNone
    OutOfLine<QString> odd_;
};
