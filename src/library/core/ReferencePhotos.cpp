#include "library/core/ReferencePhotos.h"

#include "base/FileTypes.h"
#include "base/SharedHelpers.h"
#include "library/core/LibraryComparison.h"
#include "platform/core/FileDates.h"
#include "platform/core/JobRunner.h"
#include "platform/core/UnicodeForms.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

QDateTime recordDateInstant(const QString &text) {
    static const QRegularExpression form(QStringLiteral(
        "^(\\d{4}[-:]\\d{2}[-:]\\d{2} \\d{2}:\\d{2}:\\d{2})(?: ([+-])(\\d{2}):?(\\d{2}))?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    QString stamp = m.captured(1);
    stamp[4] = QLatin1Char('-');
    stamp[7] = QLatin1Char('-');
    QDateTime local = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!local.isValid())
        return {};
    if (m.captured(2).isEmpty())
        return local;
    const int offset = (m.captured(3).toInt() * 3600 + m.captured(4).toInt() * 60) *
                       (m.captured(2) == QLatin1String("-") ? -1 : 1);
    QDateTime fixed(local.date(), local.time(), Qt::OffsetFromUTC, offset);
    return fixed;
}

namespace {

QString nfc(const QString &text) {
    return normalizedText(text, QString::NormalizationForm_C);
}

bool textDiffers(const QString &original, const QString &library) {
    return !library.isEmpty() && nfc(original) != nfc(library);
}

// Photos keeps keywords in its own order, the file in the order they were written.
QString sortedKeywords(const QString &text) {
    QStringList words;
    for (const QString &w : nfc(text).split(QLatin1Char(',')))
        words << w.trimmed();
    words.sort();
    return words.join(QLatin1Char(','));
}

bool coordinateDiffers(const QString &original, const QString &library) {
    bool okO = false, okL = false;
    const double o = original.toDouble(&okO), l = library.toDouble(&okL);
    if (!okO || !okL)
        return original != library;
    return std::fabs(o - l) > 0.00001;
}

} // namespace

bool libraryMetadataDiffers(const PRPicFileInfo &original, const PRPicFileInfo &library) {
    const QDateTime o = recordDateInstant(original.createDate.text());
    const QDateTime l = recordDateInstant(library.createDate.text());
    if (o.isValid() && l.isValid() ? o.toSecsSinceEpoch() != l.toSecsSinceEpoch()
                                   : original.createDate.text() != library.createDate.text())
        return true;
    if (textDiffers(original.fileTitle, library.fileTitle) ||
        textDiffers(original.fileDescription, library.fileDescription))
        return true;
    if (!library.fileKeywords.isEmpty() &&
        !sameKeywords(sortedKeywords(original.fileKeywords), sortedKeywords(library.fileKeywords)))
        return true;
    if (!library.latitudeText().isEmpty() || !library.longitudeText().isEmpty())
        return coordinateDiffers(original.latitudeText(), library.latitudeText()) ||
               coordinateDiffers(original.longitudeText(), library.longitudeText());
    return false;
}

namespace {

struct Checked {
    IKImageItemPtr item; // null: not a photo or video
    bool lost = false;
};

Checked checkOne(const PRPicFileInfoPtr &record) {
    Checked c;
    const QString path = record->rare().findLocation;
    QString type;
    if (GetDragImageType(path) >= 0)
        type = QStringLiteral("Image");
    else if (GetViedoType(path) >= 0)
        type = QStringLiteral("Movie");
    else
        return c;
    auto item = std::make_shared<IKImageItem>();
    item->fileType = type;
    item->filePath = item->fileThumbPath = item->fileLargeThumbPath = path;
    item->fileName = record->fileName;
    item->photoLibFileNode = record;
    c.lost = record->bLostReferencePhoto;
    const QFileInfo info(path);
    if (info.isFile() && type == QLatin1String("Image")) {
        getOriginalMedataDataWithItem(*item);
        item->originalFileNode->fileName = record->fileName;
        item->originalFileNode->filePixel = record->filePixel;
        item->bMetadataDifferent = libraryMetadataDiffers(*item->originalFileNode, *record);
    } else if (info.isFile()) {
        auto original = std::make_shared<PRPicFileInfo>();
        const QDateTime created = FileDates::creationDate(path);
        if (created.isValid())
            original->createDate.setText(
                created.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000")));
        if (info.size() > 0)
            original->fileSize = sizeToUnitString(uint64_t(info.size()));
        original->fileName = record->fileName;
        original->setLatitudeText(record->latitudeText());
        original->setLongitudeText(record->longitudeText());
        item->originalFileNode = original;
    }
    c.item = item;
    return c;
}

} // namespace

ReferencePhotoLists scanReferencePhotos(const QList<PRPicFileInfoPtr> &records) {
    QList<PRPicFileInfoPtr> referenced;
    for (const PRPicFileInfoPtr &r : records)
        if (r && r->bReferencePhoto)
            referenced << r;
    const QList<Checked> checked = JobRunner::sideBySideMapped(referenced, 0, checkOne);
    ReferencePhotoLists lists;
    for (const Checked &c : checked) {
        if (!c.item)
            continue;
        lists.items << c.item;
        lists.referencePhotoItemArray << c.item;
        if (c.lost)
            lists.lostReferencePhotoItemArray << c.item;
        if (c.item->bMetadataDifferent)
            lists.difPhotoLibItemArray << c.item;
    }
    return lists;
}
