#pragma once

#include "model/IKImageItem.h"
#include "platform/core/ImageSource.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// exiftool's view of a file: an outside reader, so our writer cannot hide its own mistakes.
inline QJsonObject exiftoolJson(const QString &path, const QStringList &extra = {}) {
    QProcess p;
    p.start(QStringLiteral("exiftool"),
            QStringList{QStringLiteral("-j")} + extra + QStringList{path});
    if (!p.waitForFinished(-1))
        return {};
    const QJsonArray all = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    return all.isEmpty() ? QJsonObject() : all.first().toObject();
}

// With group names ("EXIF:Make").
inline QJsonObject exiftool(const QString &path) {
    return exiftoolJson(path, {QStringLiteral("-G")});
}

// Numbers as numbers, with the family-1 groups ("IFD0:Make", "GPS:GPSLatitude").
inline QJsonObject exiftoolNumbers(const QString &path) {
    return exiftoolJson(path, {QStringLiteral("-n"), QStringLiteral("-G1")});
}

// Our own reader's view: the properties of the first image.
inline QVariantMap propertiesOf(const QString &path) {
    return ImageSource::fromPath(path).properties(0);
}

// A browser item for a file, as an import makes it.
inline IKImageItemPtr itemFor(const QString &path) {
    auto item = std::make_shared<IKImageItem>();
    item->filePath = path;
    item->fileName = QFileInfo(path).fileName();
    item->fileThumbPath = path;
    return item;
}

inline QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// From the start-of-scan marker to the end: the compressed pixels, which a metadata
// rewrite must leave alone.
inline QByteArray jpegScanData(const QByteArray &b) {
    qsizetype i = 2;
    while (i + 4 <= b.size() && uchar(b[i]) == 0xff) {
        const uchar marker = uchar(b[i + 1]);
        if (marker == 0xda)
            return b.mid(i);
        i += 2 + ((uchar(b[i + 2]) << 8) | uchar(b[i + 3]));
    }
    return {};
}
