#pragma once

// Internal to the image source/destination layer: Exiv2 stays out of the public headers.

#include "platform/core/ImageSource.h"

#include <QVariant>

#include <exiv2/exiv2.hpp>

#include <memory>
#include <optional>
#include <span>
#include <vector>

struct heif_context;

enum class ValueKind {
    Auto,       // one number, a list of numbers, or text, as the stored value has them
    List,       // always a list of numbers
    Text,       // always text
    Comment,    // Exif comment with its charset header
    Version,    // "0231" stored, [2, 3, 1] given
    Coordinate, // three rationals d m s stored, absolute decimal degrees given
    GpsTime,    // three rationals h m s stored, "HH:MM:SS(.ss)" given
    TextList,   // repeatable IPTC dataset, a list of strings given
    IptcDate,   // "yyyyMMdd"
    IptcTime,   // "HHmmss" with an optional "+hhmm" zone
};

// One of our keys and where Exiv2 keeps it; reading and writing both go through these tables.
struct PropertyMapping {
    const char *key;
    const char *exiv2Key;
    ValueKind kind;
};

std::span<const PropertyMapping> exifMappings();
std::span<const PropertyMapping> tiffMappings();
std::span<const PropertyMapping> exifAuxMappings();
std::span<const PropertyMapping> gpsMappings();
std::span<const PropertyMapping> iptcMappings();

// Rational close to `value`: 1/n for exposure-like fractions, then the smallest power-of-ten
// denominator, then a continued fraction.
std::pair<qint64, qint64> toRational(double value);
bool isNullValue(const QVariant &value);
QVariantList listElements(const QVariant &value);

// Reading our values for a writer, shared by the Exiv2 and the HEIF writers.
struct ParsedNumber {
    double value = 0;
    qint64 numerator = 0;
    qint64 denominator = 0; // 0 unless given as a fraction such as "1/125"
};
// One number from a number or a text ("0.008", "1/125", "100").
bool parseNumber(const QVariant &value, ParsedNumber *out);
// Every element of a list value; false with *error set when one is not a number or none is given.
bool parseNumbers(const QVariant &value, std::vector<ParsedNumber> *out, QString *error);
// Text, with the elements of a list joined by blanks.
QString joinedText(const QVariant &value);
// "0231" from "0231" or [2, 3, 1].
QString versionDigits(const QVariant &value);
// Absolute decimal degrees, at most 180.
bool parseCoordinate(const QVariant &value, double *degrees, QString *error);
struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
    double seconds = 0;
    QString text; // as given, trimmed
};
// "HH:MM:SS" with optional decimals of a second.
bool parseTimeOfDay(const QVariant &value, TimeOfDay *out, QString *error);

QVariant exifValueToVariant(const Exiv2::Value &value, ValueKind kind);
QVariant gpsValueToVariant(const Exiv2::Value &value, ValueKind kind);
// Text handed to Exiv2's Value::read for the given type, or empty with *error set.
std::string gpsVariantToText(const QVariant &value, ValueKind kind, QString *error);
std::string variantToValueText(const QVariant &value, Exiv2::TypeId type, ValueKind kind,
                               QString *error);

// Fill `out` with the dictionaries read from decoded metadata. A photo's position lives in its
// Exif GPS directory and in XMP's exif:GPS copies, which some programs write alone: where Exif
// holds no latitude and longitude, "{GPS}" holds the position of the XMP copies.
void readExifSections(const Exiv2::ExifData &exif, const Exiv2::XmpData &xmp, QVariantMap &out);
// The "{GPS}" entries (coordinates, references, altitude) of the position the XMP copies hold;
// empty unless they hold a latitude and a longitude.
QVariantMap xmpPositionValues(const Exiv2::XmpData &xmp);
void readIptcSection(const Exiv2::IptcData &iptc, QVariantMap &out);
// The IPTC extension's "PersonInImage" list, kept in XMP, added to {IPTC}.
void readIptcExtension(const Exiv2::XmpData &xmp, QVariantMap &out);

// Apply one section's entry from a property map; `value` is a map, or null to remove it.
bool applyExifSection(Exiv2::ExifData &exif, const QString &section, const QVariant &value,
                      QString *error);
bool applyExifAuxSection(Exiv2::XmpData &xmp, const QVariant &value, QString *error);
// Changes of IPTC tags also reach their XMP twins; a removed section takes its XMP copies
// (twins, photoshop and IPTC namespaces, other programs' keyword lists) along.
bool applyIptcSection(Exiv2::IptcData &iptc, Exiv2::XmpData &xmp, const QVariant &value,
                      QString *error);
bool applyExifKey(Exiv2::ExifData &exif, const PropertyMapping &m, const QVariant &value,
                  QString *error);

// The IPTC block inside a JPEG's Photoshop (APP13) segments; empty when there is none.
QByteArray jpegIptcData(const QByteArray &jpeg);
// The IPTC block of a TIFF-based file, from its IPTC tag; empty when there is none.
QByteArray tiffIptcData(const Exiv2::ExifData &exif, Exiv2::ByteOrder byteOrder);
// IPTC times the block `raw` stores without a zone become text, so that they are written back so.
void keepZonelessIptcTimes(Exiv2::IptcData &iptc, const QByteArray &raw);
// Sets the IPTC digest of a written JPEG, where it has one, to the digest of its IPTC block.
void refreshIptcDigest(QByteArray *jpeg);

// Decoded Exif/XMP of a HEIF file and its primary image's description.
struct HeifInfo {
    bool ok = false;
    QString error;
    int count = 0;
    int width = 0; // as shown: turned and mirrored by the file's transformations
    int height = 0;
    int storedWidth = 0; // as stored, before them
    int storedHeight = 0;
    bool hasAlpha = false;
    int depth = 0;
    QByteArray icc;
    QByteArray exifTiff; // from the TIFF header on
    std::string xmp;
    std::vector<std::pair<int, int>> sizes;
    // The parsed file, kept for the thumbnail; it reads the bytes in place.
    std::shared_ptr<heif_context> context;
};
HeifInfo readHeif(const QByteArray &data);
// `data` is the file's bytes, which `context` reads in place.
QImage heifThumbnail(heif_context *context, const QByteArray &data, int maxSide);
bool looksLikeHeif(const QByteArray &data, QString *type);

// What a source decoded from its bytes, shared with the destinations written from it.
struct DecodedMetadata {
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;
    std::string xmpPacket; // as the file holds it
    QByteArray icc;
    std::string comment;
    Exiv2::ByteOrder byteOrder = Exiv2::invalidByteOrder;
    // The source's properties(0), once asked for.
    std::optional<QVariantMap> properties;

    // Gives an image opened on the same bytes what readMetadata() would have read.
    void copyInto(Exiv2::Image &image) const;
};

struct ImageSource::Private {
    QByteArray data; // Exiv2's MemIo reads these bytes in place: keep them alive first
    Exiv2::Image::AutoPtr image;
    std::shared_ptr<DecodedMetadata> meta = std::make_shared<DecodedMetadata>();
    Exiv2::ExifData &exif = meta->exif;
    Exiv2::IptcData &iptc = meta->iptc;
    Exiv2::XmpData &xmp = meta->xmp;
    QByteArray &icc = meta->icc;
    QString type;
    QString error;
    bool valid = false;
    int count = 0;
    QVariantMap topLevel;
    std::vector<std::pair<int, int>> frameSizes;
    std::shared_ptr<heif_context> heif; // declared after `data`, so released before it
};

// An IPTC key's XMP counterpart. HEIF files have no IPTC block, so there these carry the values.
struct XmpTwin {
    const char *key;      // our {IPTC} key
    const char *exiv2Key; // where Exiv2 reads it
    const char *exiftoolTag;
    bool list;
};
std::span<const XmpTwin> iptcXmpTwins();

// An IPTC date and time pair and the one XMP date that holds both.
struct IptcDateTwin {
    const char *dateKey; // our {IPTC} keys
    const char *timeKey;
    const char *exiv2Key;
    const char *exiftoolTag;
    // The Exif date that shares the XMP place, or null; where the file has Exif, it decides.
    const char *exifKey;
};
std::span<const IptcDateTwin> iptcDateTwins();
const IptcDateTwin *iptcDateTwinOf(const char *key);
// An Exif date and its XMP copy, which a write keeps in step where the file has one.
struct ExifDateTwin {
    const char *section; // "{Exif}" or "{TIFF}"
    const char *key;
    const char *offsetKey; // the {Exif} key of its zone
    const char *exiv2Key;
    const char *offsetExiv2Key;
    const char *xmpKey;
    const char *exiftoolTag;
};
std::span<const ExifDateTwin> exifDateTwins();
// The XMP date of an IPTC date ("yyyyMMdd") and time ("HHmmss" with an optional "+hhmm"), in
// XMP's form or, for exiftool, in its "yyyy:MM:dd HH:mm:ss+hh:mm"; empty without a date.
QString xmpDateOfIptc(const QVariant &date, const QVariant &time, bool exiftoolForm);
// The XMP date of an Exif date "yyyy:MM:dd HH:mm:ss" in the zone of `offset` ("+hh:mm"); without
// one, in the zone the old XMP value named, if it named one. Empty when `dateTime` is no date.
QString xmpDateOfExif(const QString &dateTime, const QString &offset, const QString &oldXmp,
                      bool exiftoolForm);
// Brings the present XMP copies of the Exif dates in step with the dates that changed since
// `before` was taken.
struct ExifDates {
    std::string values[3];
};
ExifDates exifDates(const Exiv2::ExifData &exif);
void mirrorExifDatesToXmp(const ExifDates &before, const Exiv2::ExifData &exif,
                          Exiv2::XmpData &xmp);
// The same for the Exif texts with an XMP copy (artist, description, copyright, camera, lens,
// comment): readers that prefer XMP show dc:creator over the Exif artist.
struct ExifTexts {
    std::vector<std::string> values;
};
ExifTexts exifTexts(const Exiv2::ExifData &exif);
// The same texts from "{TIFF}" and "{Exif}" dictionaries, for writers that do not go through Exiv2.
ExifTexts exifTexts(const QVariantMap &tiff, const QVariantMap &exif);
void mirrorExifTextsToXmp(const ExifTexts &before, const Exiv2::ExifData &exif,
                          Exiv2::XmpData &xmp);
// The XMP copies `xmp` holds of the Exif texts that differ from `before` to `now`, with their
// new texts (empty: the copy goes). mirrorExifTextsToXmp applies them.
struct ExifTextTwinChange {
    const char *xmpKey;
    std::string text;
};
std::vector<ExifTextTwinChange> exifTextTwinChanges(const ExifTexts &before, const ExifTexts &now,
                                                    const Exiv2::XmpData &xmp);
// The XMP copies `xmp` holds of the position (exif:GPSLatitude, GPSLongitude, GPSAltitude and
// its reference) when the "{GPS}" position moved from `before` to `now`, with their new texts as
// exiftool takes them after "#=" (signed degrees, metres); empty: the copy goes. A removed
// position takes every exif:GPS copy with it, or readers that prefer XMP still find it.
struct XmpPositionChange {
    std::string xmpKey;
    QString number;
};
std::vector<XmpPositionChange> xmpPositionChanges(const QVariantMap &before, const QVariantMap &now,
                                                  const Exiv2::XmpData &xmp);
// The same applied to `xmp`, for the position `exif` holds now.
void mirrorPositionToXmp(const QVariantMap &before, const Exiv2::ExifData &exif,
                         Exiv2::XmpData &xmp);
// The "{GPS}" dictionary of `exif`.
QVariantMap gpsSection(const Exiv2::ExifData &exif);
// The "{GPS}" dictionary a reader gives for `exif` and `xmp`: gpsSection(), or the position of
// the XMP copies where Exif holds none.
QVariantMap photoGpsSection(const Exiv2::ExifData &exif, const Exiv2::XmpData &xmp);
// The keyword lists of other programs that `xmp` holds: they take new keywords with dc:subject.
std::vector<const char *> keywordCopiesIn(const Exiv2::XmpData &xmp);
// exiftool's name of an XMP key: "Xmp.dc.creator" -> "XMP-dc:Creator".
QString exiftoolXmpTag(const char *exiv2Key);
// {IPTC} built from the XMP counterparts, for files without an IPTC block.
void readIptcFromXmp(const Exiv2::XmpData &xmp, QVariantMap &out);

// Rewrites the metadata of HEIF bytes (or, with their `suffix`, a camera RAW photo's) through
// exiftool. `layers` are applied in order onto `original` (the source's properties) with the
// same rules as the Exiv2 path. `xmp`, the file's XMP, tells which XMP copies of the Exif dates
// it has.
bool writeHeifMetadata(const QByteArray &source, const QVariantMap &original,
                       const std::vector<QVariantMap> &layers, QByteArray *output, QString *error,
                       const Exiv2::XmpData *xmp = nullptr,
                       const QString &suffix = QStringLiteral("heic"));
// The exiftool tag assignments for those changes; empty with *error set when one cannot be made.
QStringList heifTagArguments(const QVariantMap &original, const std::vector<QVariantMap> &layers,
                             QString *error, const Exiv2::XmpData *xmp = nullptr);
