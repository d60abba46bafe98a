#pragma once

// Photos whose date stands in every place readers look, made from the fixtures with exiftool.
#include "support/TestSupport.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs exiftool on `path` with the assignments; false when it did not run cleanly.
inline bool exiftoolWrite(const QString &path, const QStringList &assignments) {
    QProcess p;
    p.start(QStringLiteral("exiftool"),
            QStringList{QStringLiteral("-q"), QStringLiteral("-overwrite_original")} + assignments +
                QStringList{path});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// One IPTC dataset of record 2 as the file stores it.
inline QByteArray iptcDataset(int dataset, const QByteArray &value) {
    QByteArray d;
    d += char(0x1c);
    d += char(2);
    d += char(dataset);
    d += char((value.size() >> 8) & 0xff);
    d += char(value.size() & 0xff);
    return d + value;
}

// "rotated-dates.jpg" in `dir`: wedding.jpg turned to Orientation 6, dated 2019:05:04 17:18:56
// in Exif, in IPTC with both times stored without a zone ("171856", which exiftool itself
// never writes, so the IPTC block goes in whole), in the four XMP twins, and with an IPTC
// digest that matches. Empty on failure.
inline QString makeRotatedDatedJpeg(const QString &dir) {
    const QString path = dir + QStringLiteral("/rotated-dates.jpg");
    QFile::remove(path);
    if (!QFile::copy(fixturePath(QStringLiteral("wedding.jpg")), path))
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray iptc = iptcDataset(0, QByteArray("\x00\x04", 2)) + iptcDataset(5, "Rotated") +
                            iptcDataset(25, "wedding") + iptcDataset(55, "20190504") +
                            iptcDataset(60, "171856") + iptcDataset(62, "20190504") +
                            iptcDataset(63, "171856");
    const QString block = dir + QStringLiteral("/rotated-dates.iptc");
    QFile file(block);
    if (!file.open(QIODevice::WriteOnly) || file.write(iptc) != iptc.size())
        return {};
    file.close();
    const QString date = QStringLiteral("2019:05:04 17:18:56");
    if (!exiftoolWrite(path, {QStringLiteral("-IPTC<=") + block, QStringLiteral("-Orientation#=6"),
                              QStringLiteral("-AllDates=") + date,
                              QStringLiteral("-XMP-photoshop:DateCreated=") + date,
                              QStringLiteral("-XMP-xmp:CreateDate=") + date,
                              QStringLiteral("-XMP-xmp:ModifyDate=") + date,
                              QStringLiteral("-XMP-exif:DateTimeOriginal=") + date}) ||
        !exiftoolWrite(path, {QStringLiteral("-IPTCDigest=new")}))
        return {};
    QFile::remove(block);
    return path;
}

// "zoned-dates.jpg" in `dir`: the Canon photo IMG_1994.JPG dated 2019:05:04 17:18:56 at -07:00
// everywhere: Exif with its three zone tags, IPTC (exiftool writes times with a zone), the four
// XMP twins, and a matching IPTC digest. Empty on failure.
inline QString makeZonedDatedJpeg(const QString &dir) {
    const QString path = dir + QStringLiteral("/zoned-dates.jpg");
    QFile::remove(path);
    if (!QFile::copy(fixturePath(QStringLiteral("IMG_1994.JPG")), path))
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QString date = QStringLiteral("2019:05:04 17:18:56");
    const QString zoned = date + QStringLiteral("-07:00");
    if (!exiftoolWrite(path,
                       {QStringLiteral("-AllDates=") + date, QStringLiteral("-OffsetTime=-07:00"),
                        QStringLiteral("-OffsetTimeOriginal=-07:00"),
                        QStringLiteral("-OffsetTimeDigitized=-07:00"),
                        QStringLiteral("-IPTC:ObjectName=Zoned"),
                        QStringLiteral("-IPTC:DateCreated=2019:05:04"),
                        QStringLiteral("-IPTC:TimeCreated=17:18:56-07:00"),
                        QStringLiteral("-IPTC:DigitalCreationDate=2019:05:04"),
                        QStringLiteral("-IPTC:DigitalCreationTime=17:18:56-07:00"),
                        QStringLiteral("-XMP-photoshop:DateCreated=") + zoned,
                        QStringLiteral("-XMP-xmp:CreateDate=") + zoned,
                        QStringLiteral("-XMP-xmp:ModifyDate=") + zoned,
                        QStringLiteral("-XMP-exif:DateTimeOriginal=") + zoned}) ||
        !exiftoolWrite(path, {QStringLiteral("-IPTCDigest=new")}))
        return {};
    return path;
}

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ostream>

// Tag lists in gtest's messages as text.
inline void PrintTo(const QStringList &list, std::ostream *os) {
    *os << list.join(QLatin1Char(' ')).toStdString();
}

// exiftool's full view (-j -G1 -a), numbers as numbers when `numbers`.
inline QJsonObject exiftoolAll(const QString &path, bool numbers = false) {
    QProcess p;
    QStringList args{QStringLiteral("-j"), QStringLiteral("-G1"), QStringLiteral("-a")};
    if (numbers)
        args << QStringLiteral("-n");
    p.start(QStringLiteral("exiftool"), args + QStringList{path});
    if (!p.waitForFinished(60000))
        return {};
    const QJsonArray all = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    return all.isEmpty() ? QJsonObject() : all.first().toObject();
}

// The tags whose values differ between two views, leaving out what describes the file rather
// than its metadata (name, size, dates of the file system) and what exiftool derives.
// Sorted, so that a failure shows them.
inline QStringList changedTags(const QJsonObject &before, const QJsonObject &after) {
    QSet<QString> keys;
    for (const QString &k : before.keys())
        keys.insert(k);
    for (const QString &k : after.keys())
        keys.insert(k);
    QStringList changed;
    for (const QString &k : std::as_const(keys)) {
        if (k == QLatin1String("SourceFile") || k.startsWith(QLatin1String("System:")) ||
            k.startsWith(QLatin1String("File:")) || k.startsWith(QLatin1String("Composite:")) ||
            k.startsWith(QLatin1String("ExifTool:ExifToolVersion")))
            continue;
        if (before.value(k) != after.value(k))
            changed << k;
    }
    changed.sort();
    return changed;
}
