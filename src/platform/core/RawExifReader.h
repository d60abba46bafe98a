#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A byte-level walk over the EXIF block of a JPEG file that logs selected tags. It is a
// diagnostic: its output is log lines (also returned) and the two thumbnail fields.
// Every count and offset is checked against the bytes the file has, and the walks have
// a fixed budget, so a crafted file can neither make it allocate without limit nor loop.
struct RawExifState {
    bool bhasThumImage = false;
    QByteArray theImageData;
};

QStringList ReadExifDataFromPiture(const QString &path, RawExifState &state);

// The bytes at `offset` as lowercase hex, two digits per byte; bytes past the end read as
// zero. Null for a count of 0 or less.
QString getHexString(const QByteArray &data, qint64 offset, qint64 count);
// The value of the first `digits` hex digits (most significant first); other characters
// count as 0; 0 when the text is shorter than `digits`.
quint64 DemaNumberFormHexChar(const QString &hex, int digits);
// `count` bytes at `offset`, zeros where the data ends; null for a count of 0 or less and
// for counts above 64 KiB (no tag value of interest is longer).
QByteArray readData(const QByteArray &data, qint64 offset, qint64 count);
// The string whose bytes are the text's digit pairs; "" for fewer than two characters.
QString stringFromHex(const QString &hex);
// Each UTF-16 unit as "%02x", concatenated.
QString stringToHex(const QString &string);
