#include "library/core/LibraryComparison.h"

#include "base/Coordinates.h"
#include "browser/core/PhotoPanels.h"

#include "base/SharedHelpers.h"
#include "library/core/LibraryStore.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/UnicodeForms.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <cmath>

namespace {
void setIfPresent(QString &field, const QVariantMap &dict, const char *key) {
    const auto it = dict.constFind(QLatin1String(key));
    if (it != dict.constEnd() && it->isValid() && !it->isNull())
        field = propertyValueText(*it);
}
void setIfPresent(DateText &field, const QVariantMap &dict, const char *key) {
    const auto it = dict.constFind(QLatin1String(key));
    if (it != dict.constEnd() && it->isValid() && !it->isNull())
        field.setText(propertyValueText(*it));
}

QString signedCoordinateText(const QVariant &value, const QVariant &ref, GpsAxis axis) {
    const std::optional<double> v = signedCoordinate(value, ref, axis);
    return v ? QString::asprintf("%f", *v) : QString();
}

// A record's field, wherever the record keeps it.
using Field = QString (*)(const PRPicFileInfo &);
template <QString PRPicFileInfo::*M> QString own(const PRPicFileInfo &r) {
    return r.*M;
}
template <QString PRPicFileInfoRare::*M> QString rare(const PRPicFileInfo &r) {
    return r.rare().*M;
}
template <DateText PRPicFileInfo::*M> QString date(const PRPicFileInfo &r) {
    return (r.*M).text();
}
template <const QString (PRPicFileInfo::*M)() const> QString made(const PRPicFileInfo &r) {
    return (r.*M)();
}

struct Row {
    Field field;
    const char *caption;
    const char *originalLine;
    const char *originalField;
    const char *libraryLine;
    const char *libraryField;
    bool compared;
};

const Row kRows[] = {
    {own<&PRPicFileInfo::fileName>, "File Name: ", "origphotoNamelab", nullptr, "photolibNamelab",
     "photolibEiteFileNamelab", false},
    {own<&PRPicFileInfo::fileSize>, "File Size: ", "origphotoFileSizelab", nullptr,
     "photolibFileSizelab", nullptr, false},
    {own<&PRPicFileInfo::filePixel>, "Dimensions: ", "origphotoImageSizelab", nullptr,
     "photolibImageSizelab", nullptr, false},
    {date<&PRPicFileInfo::createDate>, "Created Date: ", "origphotoCreateDatelab", nullptr,
     "photolibCreateDatelab", nullptr, true},
    {date<&PRPicFileInfo::cameraDate>, "Camera Date: ", "origphotocameraDatelab",
     "originalPhotolibCameraDatelab", "photolibcameraDatelab", "photolibEiteCameraDatelab", true},
    {own<&PRPicFileInfo::fileTitle>, "Title: ", "origphototitlelab", "originalPhotolibTitlelab",
     "photolibtitlelab", "photolibEiteTitlelab", true},
    {rare<&PRPicFileInfoRare::fileAuthor>, "Author: ", "origphotoartistlab",
     "originalPhotolibArtistlab", "photolibartistlab", nullptr, true},
    {own<&PRPicFileInfo::fileDescription>, "Caption: ", "origphotoimageDescrilab",
     "originalPhotolibDescriplab", "photolibimageDescrilab", "photolibEiteDescriplab", true},
    {own<&PRPicFileInfo::fileKeywords>, "Keywords: ", "origphotokeywordslab",
     "originalPhotolibkeywordslab", "photolibkeywordslab", "photolibEitekeywordslab", true},
    {rare<&PRPicFileInfoRare::fileComments>, "Comments: ", "origphotocommentslab",
     "originalPhotolibCommendlab", "photolibcommentslab", nullptr, true},
    {own<&PRPicFileInfo::fileMaker>, "Camera Make: ", "origphotocameraMakelab",
     "originalPhotolibCameraMakelab", "photolibcameraMakelab", "photolibEiteCameraMakelab", true},
    {own<&PRPicFileInfo::fileModel>, "Camera Model: ", "origphotocameraModelab",
     "originalPhotolibCameraModelab", "photolibcameraModelab", "photolibEiteCameraModellab", true},
    {rare<&PRPicFileInfoRare::fileLensMake>, "Lens Make: ", nullptr, "originalPhotolibLenMakelab",
     "photoliblensMakelab", nullptr, false},
    {rare<&PRPicFileInfoRare::fileCopyright>, "Copyright: ", nullptr,
     "originalPhotolibCopyrightlab", nullptr, nullptr, false},
    {own<&PRPicFileInfo::fileLensModel>, "Lens Model: ", "origphotolensModelab",
     "originalPhotolibLenModelab", "photoliblensModelab", "photolibEiteLensModellab", true},
    {made<&PRPicFileInfo::latitudeText>, "Latitude: ", "origphotolensLatitudelab",
     "originalPhotolibgpsLatilab", "photoliblensLatitudelab", "photolibEitegpsLatilab", true},
    {made<&PRPicFileInfo::longitudeText>, "Longitude: ", "origphotolensLongitudelab",
     "originalPhotolibgpsLongtlab", "photoliblensLongitudelab", "photolibEitegpsLongtlab", true},
};

QString lineText(const char *caption, const QString &value) {
    return QCoreApplication::translate("LibraryComparison", caption) + value;
}

ColumnMap mapOf(const PRPicFileInfo &record) {
    ColumnMap map;
    if (record.latitudeText().isEmpty() || record.longitudeText().isEmpty())
        return map;
    bool okLat = false, okLon = false;
    map.latitude = record.latitudeText().toDouble(&okLat);
    map.longitude = record.longitudeText().toDouble(&okLon);
    // A text that is not a position on the globe hides the map instead of pinning 0, 0.
    map.shown = okLat && okLon && qAbs(map.latitude) <= 90.0 && qAbs(map.longitude) <= 180.0;
    return map;
}
} // namespace

QColor libraryDifferenceColor() {
    return QColor::fromRgbF(0.0f, 145.0f / 255.0f, 1.0f, 1.0f);
}

PRPicFileInfoPtr readOriginalRecord(const QString &path, const QString &fileName) {
    if (path.isEmpty())
        return std::make_shared<PRPicFileInfo>();
    const ImageSource source = ImageSource::fromPath(path);
    if (!source.isValid())
        return std::make_shared<PRPicFileInfo>();
    return originalRecordFromProperties(source.properties(0), path, fileName);
}

PRPicFileInfoPtr originalDatesRecord(const QString &path, const QString &fileName) {
    auto record = std::make_shared<PRPicFileInfo>();
    if (!fileName.isNull())
        record->fileName = fileName;
    const QDateTime created = FileDates::creationDate(path);
    if (created.isValid())
        record->createDate.setText(
            created.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000")));
    return record;
}

PRPicFileInfoPtr originalRecordFromProperties(const QVariantMap &props, const QString &path,
                                              const QString &fileName) {
    PRPicFileInfoPtr record = originalDatesRecord(path, fileName);
    const QVariantMap gps = props.value(QStringLiteral("{GPS}")).toMap();
    if (gps.contains(QStringLiteral("Latitude")))
        record->setLatitudeText(signedCoordinateText(gps.value(QStringLiteral("Latitude")),
                                                     gps.value(QStringLiteral("LatitudeRef")),
                                                     GpsAxis::Latitude));
    if (gps.contains(QStringLiteral("Longitude")))
        record->setLongitudeText(signedCoordinateText(gps.value(QStringLiteral("Longitude")),
                                                      gps.value(QStringLiteral("LongitudeRef")),
                                                      GpsAxis::Longitude));
    const qint64 size = QFileInfo(path).size();
    if (size > 0)
        record->fileSize = sizeToUnitString(uint64_t(size));
    if (props.contains(QStringLiteral("PixelWidth")) &&
        props.contains(QStringLiteral("PixelHeight")))
        record->filePixel =
            QStringLiteral("%1 x %2").arg(props.value(QStringLiteral("PixelWidth")).toString(),
                                          props.value(QStringLiteral("PixelHeight")).toString());
    const QVariantMap tiff = props.value(QStringLiteral("{TIFF}")).toMap();
    setIfPresent(record->editRare().fileAuthor, tiff, "Artist");
    setIfPresent(record->fileDescription, tiff, "ImageDescription");
    setIfPresent(record->editRare().fileCopyright, tiff, "Copyright");
    setIfPresent(record->fileMaker, tiff, "Make");
    setIfPresent(record->fileModel, tiff, "Model");
    const QVariantMap exif = props.value(QStringLiteral("{Exif}")).toMap();
    setIfPresent(record->editRare().fileLensMake, exif, "LensMake");
    setIfPresent(record->fileLensModel, exif, "LensModel");
    setIfPresent(record->cameraDate, exif, "DateTimeOriginal");
    setIfPresent(record->editRare().fileComments, exif, "UserComment");
    const QVariantMap iptc = props.value(QStringLiteral("{IPTC}")).toMap();
    setIfPresent(record->fileKeywords, iptc, "Keywords");
    setIfPresent(record->fileTitle, iptc, "ObjectName");
    return record;
}

void getOriginalMedataDataWithItem(IKImageItem &item) {
    item.originalFileNode = readOriginalRecord(item.filePath, item.fileName);
}

QString shortenedOriginalName(const QString &name) {
    return name.size() >= 21 ? name.left(8) + QStringLiteral(".....") + name.right(10) : name;
}

QString shortenedLibraryName(const QString &name) {
    return name.size() >= 21 ? name.left(10) + QStringLiteral(".....") + name.right(10) : name;
}

bool sameKeywords(const QString &a, const QString &b) {
    const auto words = [](const QString &text) {
        QStringList list;
        for (const QString &w : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
            if (!w.trimmed().isEmpty())
                list << w.trimmed();
        return list;
    };
    return words(a) == words(b);
}

namespace {
// A library keeps keywords as a set, in an order of its own.
QSet<QString> keywordKeys(const QString &text) {
    QSet<QString> keys;
    for (const QString &k : keywordSet(text))
        keys.insert(normalizedText(k, QString::NormalizationForm_C));
    return keys;
}
// The library keeps its own rounding of the file's position: "%f" texts a unit apart in their
// last place are one position (a tenth of a metre).
bool sameCoordinate(const QString &a, const QString &b) {
    bool okA = false, okB = false;
    const double x = a.toDouble(&okA), y = b.toDouble(&okB);
    return a == b || (okA && okB && std::fabs(x - y) <= 1.5e-6);
}
} // namespace

bool ComparePhotoMetadatawithOrignalPhoto(const PRPicFileInfo &file, const PRPicFileInfo &library) {
    // Cameras fill an empty caption with blanks.
    return file.fileTitle.trimmed() == library.fileTitle.trimmed() &&
           file.fileDescription.trimmed() == library.fileDescription.trimmed() &&
           keywordKeys(file.fileKeywords) == keywordKeys(library.fileKeywords) &&
           sameCoordinate(file.longitudeText(), library.longitudeText()) &&
           sameCoordinate(file.latitudeText(), library.latitudeText());
}

LibraryComparison compareLibraryItem(IKImageItem &item, bool bScanNewPhotosLib) {
    LibraryComparison c;
    c.isImage = item.fileType == QLatin1String("Image");
    if (c.isImage)
        getOriginalMedataDataWithItem(item);
    else if (!item.originalFileNode)
        item.originalFileNode = std::make_shared<PRPicFileInfo>();
    PRPicFileInfo *o = item.originalFileNode.get();
    PRPicFileInfo *l = item.photoLibFileNode.get();
    if (o && l) {
        o->fileName = l->fileName;
        o->filePixel = l->filePixel;
    }
    if (!bScanNewPhotosLib && o && l) {
        l->fileMaker = o->fileMaker;
        l->fileModel = o->fileModel;
        if (!o->rare().fileLensMake.isNull() || !l->rare().fileLensMake.isNull())
            l->editRare().fileLensMake = o->rare().fileLensMake;
        l->fileLensModel = o->fileLensModel;
    }
    if (item.bICloudDownloadPhoto) {
        c.originalCaption =
            QCoreApplication::translate("LibraryComparison", "Photo metadata of original file");
        c.previewPath = item.filePath;
    } else {
        c.originalCaption =
            QCoreApplication::translate("LibraryComparison", "Undownloaded iCloud Photos");
        c.originalCaptionDiffers = true;
        c.previewPath = item.fileThumbPath;
    }
    if (!c.isImage && o && l) {
        o->fileName = l->fileName;
        o->setLatitudeText(l->latitudeText());
        o->setLongitudeText(l->longitudeText());
    }

    c.hasOriginal = o != nullptr;
    c.hasLibrary = l != nullptr;
    for (const Row &row : kRows) {
        const QString ov = o ? row.field(*o) : QString();
        const QString lv = l ? row.field(*l) : QString();
        if (o && row.originalLine) {
            const QString shown =
                row.field == own<&PRPicFileInfo::fileName> ? shortenedOriginalName(ov) : ov;
            c.originalLines << PanelText{QLatin1String(row.originalLine),
                                         lineText(row.caption, shown)};
        }
        if (o && row.originalField)
            c.originalFields << PanelText{QLatin1String(row.originalField), ov};
        if (row.libraryLine) {
            const QString shown =
                row.field == own<&PRPicFileInfo::fileName> ? shortenedLibraryName(lv) : lv;
            c.libraryLines << PanelText{QLatin1String(row.libraryLine),
                                        lineText(row.caption, shown)};
        }
        if (row.libraryField) {
            const QString value = row.field == own<&PRPicFileInfo::fileName> && !lv.isEmpty()
                                      ? QFileInfo(lv).completeBaseName()
                                      : lv;
            c.libraryFields << PanelText{QLatin1String(row.libraryField), value};
        }
        if (row.compared) {
            // A missing record matches nothing, so its pairs are always marked.
            bool same =
                o && l &&
                (row.field == own<&PRPicFileInfo::fileKeywords> ? sameKeywords(ov, lv) : ov == lv);
            QList<QString> &target = same ? c.agreeingLines : c.differingLines;
            target << QLatin1String(row.originalLine) << QLatin1String(row.libraryLine);
        }
    }
    if (o)
        c.originalMap = mapOf(*o);
    if (l)
        c.libraryMap = mapOf(*l);
    return c;
}
