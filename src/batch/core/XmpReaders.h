#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The readers of an XMP sidecar ("photo.xmp", darktable's and digiKam's "photo.jpg.xmp"). The
// sidecar goes through Exiv2's XMP parser once, so attributes and elements read alike, and
// language alternatives, bags and sequences arrive as texts and lists, never as markup.

// Sidecars are small; a larger file is refused unread.
inline constexpr qint64 kMaxXmpSidecarBytes = 8 * 1024 * 1024;

// Each property of the sidecar by its Exiv2 key ("Xmp.dc.title"): a text (the x-default one
// of an alternative) or, for a bag or a sequence, a list of texts.
using XmpFields = QHash<QString, QVariant>;

// nullopt with *why when the sidecar is no XMP, or asks for a document type or entities:
// a sidecar is data, and nothing it names is fetched or expanded.
std::optional<XmpFields> parseXmpSidecar(const QByteArray &bytes, QString *why);

QString getTitlewithXMPStr(const XmpFields &xmp);
QString getDescriptionwithXMPStr(const XmpFields &xmp);
// photoshop:DateCreated, else exif:DateTimeOriginal, else xmp:CreateDate.
QString getPhotoDatewithXMPStr(const XmpFields &xmp);
// Each keyword as written, blanks and all.
QStringList getKeywordswithXMPStr(const XmpFields &xmp);
QString getGPSLatitudewithXMPStr(const XmpFields &xmp);
QString getGPSLongitudewithXMPStr(const XmpFields &xmp);
QString getGPSLatitudeRefwithXMPStr(const XmpFields &xmp);
QString getGPSLongitudeRefwithXMPStr(const XmpFields &xmp);

// An XMP date ("2021-06-01T10:20:30+02:00"): the EXIF text of its wall clock, its offset
// ("+02:00", empty when it names none) and the instant it names (the computer's own zone when
// it names none). Invalid when the text gives no time of day.
struct XmpDate {
    QString exifText;
    QString offset;
    QDateTime instant;
    bool isValid() const { return instant.isValid(); }
};
XmpDate xmpDate(const QString &text);

// The photos a sidecar may belong to, most likely first: "IMG_7.jpg" of "IMG_7.jpg.xmp", then
// the sidecar's stem with the photo extensions "jpg", "jpeg", "JPG", "JPEG", "HEIC", "PNG", the
// TIFF ones, those of the camera RAW photos exiftool writes ("DNG", "CR2", "NEF", ...), then
// with the video extensions "mov", "MOV", "mp4", "MP4".
QStringList xmpPhotoCandidates(const QString &sidecarPath);
