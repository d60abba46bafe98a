#pragma once

#include <QByteArray>

// Boxes of ISO base media files (HEIF, QuickTime, MP4), made and found by the tests.

inline QByteArray be(quint64 value, int bytes) {
    QByteArray out(bytes, '\0');
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        out[i] = char(value & 0xff);
    return out;
}

inline QByteArray box(const char *type, const QByteArray &payload) {
    return be(quint64(8 + payload.size()), 4) + QByteArray(type, 4) + payload;
}

inline QByteArray fullBox(const char *type, int version, int flags, const QByteArray &payload) {
    return box(type, be(quint64(version), 1) + be(quint64(flags), 3) + payload);
}

inline quint64 readBe(const QByteArray &data, qsizetype at, int bytes) {
    quint64 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | uchar(data.at(at + i));
    return v;
}

// The child box `type` among the boxes in data[from, to); its start, or -1.
inline qsizetype findBox(const QByteArray &data, qsizetype from, qsizetype to, const char *type) {
    for (qsizetype at = from; at + 8 <= to;) {
        const qsizetype size = qsizetype(readBe(data, at, 4));
        if (size < 8)
            return -1;
        if (data.mid(at + 4, 4) == type)
            return at;
        at += size;
    }
    return -1;
}

// The end of the box that starts at `at`.
inline qsizetype boxEnd(const QByteArray &data, qsizetype at) {
    return at + qsizetype(readBe(data, at, 4));
}
