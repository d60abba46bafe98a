#pragma once

#include "base/SharedHelpers.h"
#include "library/core/SqliteDatabase.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sqlite3.h>

// A catalogue row's columns as the records read them: NULL, empty text or invalid UTF-8 count
// as absent, and a number is the value its text would parse to (atoi, strtoll, atof).
// Numbers are read without SQLite's text of them, which was most of a large scan's column cost.
class LibraryRow {
  public:
    explicit LibraryRow(SqliteStatement &s) : s_(s) {}

    bool present(int c) const {
        const int type = sqlite3_column_type(s_.handle(), c);
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            return true;
        const char *t = type == SQLITE_NULL ? nullptr : s_.text(c);
        return t && *t;
    }
    QString text(int c) const { return present(c) ? GetStringFormChar(s_.text(c)) : QString(); }
    // atoi is strtol cut to int, and long is 64 bits here.
    int32_t i32(int c) const { return int32_t(i64(c)); }
    int64_t i64(int c) const {
        switch (sqlite3_column_type(s_.handle(), c)) {
        case SQLITE_NULL:
            return 0;
        case SQLITE_INTEGER:
            return s_.int64(c);
        case SQLITE_FLOAT:
            if (const std::optional<int64_t> whole = wholePart(s_.real(c)))
                return *whole;
            break;
        }
        return present(c) ? int64_t(std::strtoll(s_.text(c), nullptr, 10)) : 0;
    }
    // A real's text has 15 digits, which atof reads back to another double: only whole
    // numbers are taken straight.
    double real(int c) const {
        if (sqlite3_column_type(s_.handle(), c) == SQLITE_INTEGER)
            return double(s_.int64(c));
        return present(c) ? std::atof(s_.text(c)) : 0.0;
    }

  private:
    // The whole part of a real when its 15-digit fixed-point text ("%!.15g") has the same one:
    // within 1e-4..1e11 that text rounds by at most 5e-4, so only a fraction near 1 may carry.
    static std::optional<int64_t> wholePart(double v) {
        if (v == 0)
            return 0;
        const double magnitude = std::fabs(v);
        const double whole = std::trunc(v);
        if (magnitude < 1e-4 || magnitude >= 1e11 || std::fabs(v - whole) >= 0.999)
            return std::nullopt;
        return int64_t(whole);
    }
    SqliteStatement &s_;
};
