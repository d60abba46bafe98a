#include "export/core/DuplicateScan.h"

#include "base/Logging.h"
#include "platform/core/ImageLimits.h"
#include "platform/core/JobRunner.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QSet>

namespace {
constexpr int kSide = 32;
constexpr int kCells = kSide * kSide;

// A JPEG cut short (a half-copied package, an interrupted sync) still decodes, what is
// missing painted grey, so a cut is found by its missing end marker. Some writers pad the
// end with zeros.
bool jpegLacksEnd(const QByteArray &bytes) {
    if (bytes.size() < 4 || uchar(bytes[0]) != 0xff || uchar(bytes[1]) != 0xd8)
        return false;
    qsizetype end = bytes.size();
    while (end > 2 && bytes[end - 1] == '\0')
        --end;
    return !(uchar(bytes[end - 2]) == 0xff && uchar(bytes[end - 1]) == 0xd9);
}
} // namespace

AverageHash averageHashFromImage(const QImage &image) {
    AverageHash out;
    if (image.isNull())
        return out;
    // Transparent areas count as black, as a picture drawn onto a cleared canvas.
    const QImage small = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                             .scaled(kSide, kSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (small.isNull())
        return out;
    // Grey in whole thousandths, r x 0.299 + g x 0.587 + b x 0.114 without rounding: summed
    // as doubles, a uniform picture's mean can come out a hair below its own cells and turn
    // every cell to "1".
    qint64 grey[kCells];
    qint64 sum = 0;
    for (int y = 0; y < kSide; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(small.constScanLine(y));
        for (int x = 0; x < kSide; ++x) {
            const QRgb p = line[x];
            const qint64 g =
                qint64(qRed(p)) * 299 + qint64(qGreen(p)) * 587 + qint64(qBlue(p)) * 114;
            grey[y * kSide + x] = g;
            sum += g;
        }
    }
    out.mean = double(sum) * 0.0009765625 / 1000.0;
    out.bits.reserve(kCells);
    // g > sum / 1024, kept in integers: a cell equal to the mean is "0".
    for (qint64 g : grey)
        out.bits.append(g * kCells > sum ? QLatin1Char('1') : QLatin1Char('0'));
    return out;
}

QString perceptualHashFromImage(const QImage &image) {
    return averageHashFromImage(image).bits;
}

AverageHash averageHashOfFile(const QString &path, QString *why) {
    const auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return AverageHash{};
    };
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("the thumbnail is missing"));
    QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return fail(QStringLiteral("the thumbnail is empty"));
    if (jpegLacksEnd(bytes))
        return fail(QStringLiteral("the thumbnail is cut short"));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    QString tooLarge;
    if (size.isValid() && !ImageLimits::decodeAllowed(size.width(), size.height(), &tooLarge))
        return fail(tooLarge);
    // libjpeg can decode at a half, a quarter or an eighth in the DCT, several times faster
    // than the whole picture; keeping at least 128 pixels a side leaves the 32 x 32 cells
    // averaged from areas of pixels, as from the whole picture.
    if (size.isValid() && reader.format() == "jpeg" &&
        reader.supportsOption(QImageIOHandler::ScaledSize)) {
        int factor = 8;
        while (factor > 1 && (size.width() / factor < 128 || size.height() / factor < 128))
            factor /= 2;
        if (factor > 1)
            reader.setScaledSize(QSize(size.width() / factor, size.height() / factor));
    }
    const QImage image = reader.read();
    if (image.isNull())
        return fail(reader.errorString());
    return averageHashFromImage(image);
}

QString duplicateKey(const AverageHash &hash) {
    if (hash.bits.isNull())
        return QString();
    // With no cell above the mean the bits say nothing of the picture: a black frame and a
    // white one would be "equal".
    if (!hash.bits.contains(QLatin1Char('1')))
        return hash.bits + QLatin1Char('@') + QString::number(qRound(hash.mean));
    return hash.bits;
}

QList<DuplicateScanEntry> duplicateScanEntries(const QList<IKImageItemPtr> &items) {
    QList<DuplicateScanEntry> out;
    out.reserve(items.size());
    for (const IKImageItemPtr &item : items) {
        if (!item)
            continue;
        DuplicateScanEntry e;
        e.item = item;
        e.fileThumbPath = item->fileThumbPath;
        e.fileName = item->fileName;
        e.filePath = item->filePath;
        e.fileType = item->fileType;
        if (const PRPicFileInfoPtr &r = item->photoLibFileNode) {
            e.fileSize = r->fileSize;
            e.originalfilesize = r->originalfilesize;
            e.bReferencePhoto = r->bReferencePhoto;
        }
        out << e;
    }
    return out;
}

DuplicateScanResult groupDuplicates(const QList<DuplicateScanEntry> &entries,
                                    const QList<QString> &keys) {
    // Lists are made in the order their first member appears, so groups come in list order.
    QHash<QString, qsizetype> listOfKey;
    QList<QList<qsizetype>> lists;
    for (qsizetype i = 0; i < entries.size() && i < keys.size(); ++i) {
        if (keys.at(i).isNull())
            continue;
        const auto found = listOfKey.constFind(keys.at(i));
        if (found == listOfKey.cend()) {
            listOfKey.insert(keys.at(i), lists.size());
            lists.append(QList<qsizetype>{i});
        } else {
            lists[*found].append(i);
        }
    }

    DuplicateScanResult result;
    for (const QList<qsizetype> &members : lists) {
        if (members.size() < 2)
            continue;
        ++result.listsOfTwoOrMore;
        const DuplicateScanEntry &first = entries.at(members.first());
        if (QFileInfo(first.fileName).suffix().toLower() == QLatin1String("png") &&
            members.size() > 3)
            continue;
        auto group = std::make_shared<PRDuplicateNode>();
        group->filePath = first.fileThumbPath;
        group->fileName = first.fileName;
        group->fileSize = first.fileSize;
        group->fileNumber = first.originalfilesize;
        QList<PRDupFileNodePtr> children;
        for (qsizetype i : members) {
            const DuplicateScanEntry &e = entries.at(i);
            auto file = std::make_shared<PRDupFileNode>();
            file->filePath = e.fileThumbPath;
            file->fileFullPath = e.filePath;
            file->fileNumber = e.originalfilesize;
            file->fileName = e.fileName;
            file->theItem = e.item;
            if (e.fileType == QLatin1String("Image"))
                ++result.duplicatePhotosNum;
            else if (e.fileType == QLatin1String("Movie"))
                ++result.duplicateVideosNum;
            children << file;
        }
        group->setFileChildren(children);
        result.groups << group;
    }
    qCInfo(lcExport).noquote()
        << QStringLiteral("duplicateGroups==%1").arg(result.listsOfTwoOrMore);
    return result;
}

QStringList duplicateScanPaths(const QList<DuplicateScanEntry> &entries) {
    QStringList paths;
    QSet<QString> seen;
    for (const DuplicateScanEntry &e : entries) {
        if (e.bReferencePhoto || seen.contains(e.fileThumbPath))
            continue;
        seen.insert(e.fileThumbPath);
        paths << e.fileThumbPath;
    }
    return paths;
}

ThumbnailKey thumbnailKey(const QString &path) {
    ThumbnailKey k;
    k.key = duplicateKey(averageHashOfFile(path, &k.why));
    return k;
}

DuplicateScanResult duplicateScanResult(const QList<DuplicateScanEntry> &entries,
                                        const QStringList &paths, const QList<ThumbnailKey> &read) {
    QHash<QString, QString> keyOfPath;
    for (qsizetype i = 0; i < paths.size() && i < read.size(); ++i)
        keyOfPath.insert(paths.at(i), read.at(i).key);
    QList<QString> keys;
    keys.reserve(entries.size());
    for (const DuplicateScanEntry &e : entries)
        keys << (e.bReferencePhoto ? QString() : keyOfPath.value(e.fileThumbPath));
    DuplicateScanResult result = groupDuplicates(entries, keys);
    for (qsizetype i = 0; i < paths.size() && i < read.size(); ++i)
        if (read.at(i).key.isNull())
            result.unreadable << QStringLiteral("%1: %2").arg(paths.at(i), read.at(i).why);
    return result;
}

DuplicateScanResult findDuplicateFiles(const QList<DuplicateScanEntry> &entries, int maxThreads,
                                       const std::atomic_bool *cancel) {
    // Each thumbnail is read once, however many items show it.
    const QStringList paths = duplicateScanPaths(entries);
    const QList<ThumbnailKey> read =
        JobRunner::sideBySideMapped(paths, maxThreads, [cancel](const QString &path) {
            if (cancel && cancel->load())
                return ThumbnailKey{{}, QStringLiteral("cancelled")};
            return thumbnailKey(path);
        });
    DuplicateScanResult result = duplicateScanResult(entries, paths, read);
    result.cancelled = cancel && cancel->load();
    return result;
}
