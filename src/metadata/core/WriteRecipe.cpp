#include "metadata/core/WriteRecipe.h"

#include "base/FileTypes.h"
#include "base/Logging.h"
#include "base/SharedHelpers.h"
#include "metadata/core/EditedCopies.h"
#include "metadata/core/FileDateRules.h"
#include "metadata/core/Recompression.h"
#include "metadata/core/TiffFallback.h"
#include "metadata/core/VideoEdits.h"
#include "platform/core/DurableBatch.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"
#include "platform/core/QuickTimeWriter.h"
#include "platform/core/RawTemporary.h"
#include "platform/core/RegularFile.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/VideoMetadata.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

bool sameValue(const QVariant &a, const QVariant &b) {
    if (isNumberVariant(a) || isNumberVariant(b)) {
        bool okA = false, okB = false;
        const double x = a.toDouble(&okA), y = b.toDouble(&okB);
        if (!okA || !okB)
            return false;
        // A value stored as a rational comes back a little off.
        return std::fabs(x - y) <= 1e-4 * std::max(1.0, std::max(std::fabs(x), std::fabs(y)));
    }
    if (a.typeId() == QMetaType::QVariantList || b.typeId() == QMetaType::QVariantList ||
        a.typeId() == QMetaType::QStringList || b.typeId() == QMetaType::QStringList) {
        const QVariantList la = a.toList(), lb = b.toList();
        if (la.size() != lb.size())
            return false;
        for (qsizetype i = 0; i < la.size(); ++i)
            if (!sameValue(la[i], lb[i]))
                return false;
        return true;
    }
    if (a.typeId() == QMetaType::QVariantMap || b.typeId() == QMetaType::QVariantMap)
        return sameValues(a.toMap(), b.toMap()) && sameValues(b.toMap(), a.toMap());
    return a.toString().trimmed() == b.toString().trimmed();
}

} // namespace

int WriteRecipeReport::writtenCount() const {
    int n = 0;
    for (const auto &p : photos)
        n += p.written ? 1 : 0;
    return n;
}

QStringList WriteRecipeReport::notWritten() const {
    QStringList out;
    for (const auto &p : photos)
        if (!p.written)
            out << QStringLiteral("%1: %2").arg(QFileInfo(p.sourcePath).fileName(), p.reason);
    return out;
}

QVariantMap subDictionary(const QVariantMap &properties, const QString &key) {
    return properties.value(key).toMap();
}

bool sameValues(const QVariantMap &written, const QVariantMap &expected) {
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!it.value().isValid() || it.value().isNull()) {
            if (written.contains(it.key()) && !written.value(it.key()).isNull())
                return false;
            continue;
        }
        if (!written.contains(it.key()) || !sameValue(written.value(it.key()), it.value()))
            return false;
    }
    return true;
}

bool checkSameExifFromImageData(const QByteArray &data, const QVariantMap &exif) {
    if (data.isEmpty())
        return false;
    // Only the Exif block is decoded again: the check runs once for every photo written.
    const QVariantMap written = ImageSource::exifDictionary(data);
    return !written.isEmpty() && sameValues(written, exif);
}

QString recompressedPath(const QString &path) {
    const QFileInfo info(path);
    return QStringLiteral("%1/%2_.%3")
        .arg(info.absolutePath(), info.completeBaseName(), info.suffix());
}

namespace {

// Where a staged file goes once its batch is synced.
struct StagedTarget {
    bool replaces = false, replaceOriginal = false;
    QString originalPath;
    SafeWrite::FileStamp readStamp;
    QString storageFolder, outputName;
    int firstNumber = 1;
};

// A photo written into its temporary file, waiting for its batch to be synced and moved.
struct PendingPlacement {
    std::shared_ptr<SafeWrite::Temporary> staged;
    StagedTarget target;
    QStringList names; // the placement's names, when it decides them
    QString dateError;
    bool recompress = false;
    bool editedCopy = false; // the output is the photo's edited copy, with this digest
    QByteArray digest, originalState;
};

struct PhotoOutcome {
    WriteRecipeResult result;
    bool handled = false; // takes part in the job's one reveal
    QString revealPath;
    QString revealRoot;
    std::optional<PendingPlacement> pending;
};

// `names` with the extension of `outputName` when the road changed the type.
QStringList namesWithExtensionOf(const QStringList &names, const QString &outputName) {
    const QString suffix = QFileInfo(outputName).suffix();
    QStringList out;
    for (const QString &name : names)
        out << (QFileInfo(name).suffix() == suffix
                    ? name
                    : QFileInfo(name).completeBaseName() + QLatin1Char('.') + suffix);
    return out;
}

// What the original was when it was read: its stamp, to notice another program changing it
// before it is replaced, and its dates, for the new file.
struct OriginalAsRead {
    SafeWrite::FileStamp stamp;
    QDateTime created, modified;
};

OriginalAsRead readOriginal(const QString &path) {
    return {SafeWrite::stampOf(path), FileDates::creationDate(path),
            FileDates::modificationDate(path)};
}

// 6. The file dates the options ask for; a failure is reported with the photo.
QString setRecipeDates(const QString &written, const QString &originalPath,
                       const WriteRecipeOptions &options, const OriginalAsRead &read) {
    QString dateError;
    switch (options.dates) {
    case WriteRecipeOptions::Dates::CopyFromSource:
        if (read.created.isValid())
            FileDates::setCreationDate(written, read.created, &dateError);
        if (read.modified.isValid() && dateError.isEmpty())
            FileDates::setModificationDate(written, read.modified, &dateError);
        break;
    case WriteRecipeOptions::Dates::FromDateText:
        SetDateAttributWithFilePath(written, originalPath, options.dateText, &dateError);
        break;
    case WriteRecipeOptions::Dates::Keep:
        break;
    }
    return dateError;
}

// Dates were set on `written`: a creation date its file system cannot keep (FAT, exFAT) is
// named with the result, which is written all the same, with its modification date.
void noteCreationDate(const QString &written, WriteRecipeResult &result) {
    if (!FileDates::keepsCreationDates(written))
        result.leftOut << QStringLiteral("creation date");
}

// The record on a new file before it takes its name. A copy of the photo (a new one, or the
// next state of its edited copy) names the photo's original; a file replacing one that had
// a record keeps that source with the new digest, so a chain of edits of a copy the user
// added to the list goes on. `pending` learns whether the output is the photo's edited copy,
// which its item then remembers (also where the file system keeps no record).
QString recordSource(SafeWrite::Temporary &staged, const QString &originalPath,
                     bool copyOfOriginal) {
    return copyOfOriginal ? originalPath : EditedCopies::recordedSource(staged.fd());
}

void recordEditedCopy(SafeWrite::Temporary &staged, const QByteArray &digest, const QString &source,
                      const QString &originalPath, bool copyOfOriginal, PendingPlacement &pending) {
    pending.digest = digest;
    if (copyOfOriginal)
        pending.originalState = EditedCopies::originalState(originalPath);
    pending.editedCopy = copyOfOriginal;
    QString why;
    if (!EditedCopies::record(staged.fd(), source, pending.digest, pending.originalState, &why))
        qCWarning(lcMetadata) << "no record on the edited copy==" << staged.path() << why;
}

// The stages both roads share.

// A photo not written, and why. Where skipped photos count as handled it takes part in the
// job's reveal: its own file when it was to be replaced, else the storage folder.
PhotoOutcome &skipped(PhotoOutcome &outcome, const char *log, const QString &originalPath,
                      const QString &why, bool replacing, const QString &storageFolder,
                      const WriteRecipeOptions &options) {
    outcome.result.reason = why;
    qCWarning(lcMetadata) << log << originalPath << why;
    if (options.skippedCountsAsHandled) {
        outcome.handled = true;
        outcome.revealPath = replacing ? originalPath : QString();
        outcome.revealRoot = replacing ? QFileInfo(originalPath).absolutePath() : storageFolder;
    }
    return outcome;
}

// A photo that lives in the storage folder under its own name is its own output.
bool isItsOwnOutput(const QString &output, const QString &originalPath) {
    return QFileInfo(output).canonicalFilePath() == QFileInfo(originalPath).canonicalFilePath();
}

// The folder the new file is made in: the original's for a replacement, else the storage
// folder, made when missing. Empty with `why` when it cannot be made.
QString stagingFolder(bool replaces, const QString &originalPath, const QString &storageFolder,
                      QString *why) {
    if (replaces)
        return QFileInfo(originalPath).absolutePath();
    if (QDir().mkpath(storageFolder))
        return storageFolder;
    *why = QStringLiteral("the storage folder %1 cannot be created").arg(storageFolder);
    return {};
}

// The new file made ready to take a name: a replacement keeps the original's attributes, a
// new file gets an ordinary new file's; it carries its edited-copy record and is closed and
// read back (against `bytes`; none when its writer read it back), unsynced.
bool stageTemporary(SafeWrite::Temporary &staged, const QByteArray *bytes, QByteArrayView picture,
                    bool replaces, const QString &originalPath, const QString &itemPath,
                    bool copyOfOriginal, PendingPlacement &pending, QString *why) {
    if (!(replaces ? staged.keepAttributesOf(originalPath, why) : staged.useDefaultMode(why)))
        return false;
    const QString source = recordSource(staged, itemPath, copyOfOriginal);
    if (source.isEmpty())
        return bytes ? staged.closeUnsynced(*bytes, why, picture) : staged.closeUnsynced(why);
    // The digest recorded is of the bytes the file holds, taken as they are read back.
    EditedCopies::Digest digest;
    const auto add = [&digest](const char *data, size_t size) { digest.add(data, size); };
    if (bytes) {
        if (!staged.readBack(*bytes, picture, add, why))
            return false;
    } else {
        QFile file(staged.path());
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray written = file.readAll();
            add(written.constData(), size_t(written.size()));
        }
    }
    recordEditedCopy(staged, digest.hex(), source, itemPath, copyOfOriginal, pending);
    return staged.closeUnsynced(why);
}

// 7 waits for the batch: its temporaries are synced together, then moved into place.
PhotoOutcome &awaitBatch(PhotoOutcome &outcome, PendingPlacement pending,
                         std::shared_ptr<SafeWrite::Temporary> staged, const StagedTarget &target,
                         const QString &dateError) {
    pending.staged = std::move(staged);
    pending.target = target;
    pending.dateError = dateError;
    outcome.pending = std::move(pending);
    return outcome;
}

// A video's road: the change sees its date, title, artist and position as a photo's
// dictionaries hold them (the date on the wall clock of the zone it was taken in), and what it
// changed goes into the QuickTime boxes through exiftool; values a video has no place for are
// named with the result. No track or packet changes.
PhotoOutcome writeOneVideo(const IKImageItem &item, const QString &storageFolder,
                           const QString &outputName, bool overwrite,
                           const WriteRecipeOptions &options, int firstNumber,
                           const std::optional<EditedCopies::Copy> &edited) {
    PhotoOutcome outcome;
    WriteRecipeResult &result = outcome.result;
    // An earlier edit's copy is read and replaced instead of the original.
    const QString originalPath = edited ? edited->path : item.filePath;
    result.sourcePath = item.filePath;
    auto skip = [&](const QString &why) {
        return skipped(outcome, "video skipped==", originalPath, why, overwrite, storageFolder,
                       options);
    };
    const OriginalAsRead read = readOriginal(originalPath);
    if (VideoMetadata::trackCount(originalPath) < 0)
        return skip(QStringLiteral("not a video that can be read"));
    QString why;
    const std::optional<QJsonObject> tags = VideoEdits::readTags(originalPath, &why);
    if (!tags)
        return skip(why);

    const QDateTime created = VideoMetadata::creationDateInItsZone(originalPath);
    const QVariantMap before = VideoEdits::propertiesOf(*tags, created);
    QVariantMap working = before;
    if (options.change && !options.change(working, item)) {
        result.unchanged = true;
        return skip(QLatin1String(kNothingToChange));
    }
    const VideoEdits::Plan plan = VideoEdits::planFor(before, working, *tags, created);
    if (plan.assignments.isEmpty())
        return skip(
            plan.leftOut.isEmpty()
                ? QStringLiteral("the video holds nothing this changes")
                : QStringLiteral("a video cannot take its %1").arg(plan.leftOut.join(", ")));

    const QString output = edited ? edited->path : storageFolder + QLatin1Char('/') + outputName;
    const bool replaces = overwrite || isItsOwnOutput(output, originalPath);
    const QString folder = stagingFolder(replaces, originalPath, storageFolder, &why);
    if (folder.isEmpty())
        return skip(why);
    const QString temp = QuickTimeWriter::writeTemporary(originalPath, plan.assignments, folder,
                                                         plan.date, QString(), &why);
    if (temp.isEmpty())
        return skip(why);
    // A value exiftool could not set, or a position it could not remove, is never reported
    // as written.
    const std::optional<QJsonObject> written = VideoEdits::readTags(temp, &why);
    const QStringList missed = written ? VideoEdits::missedIn(*written, plan) : QStringList();
    if (!written || !missed.isEmpty()) {
        QFile::remove(temp);
        return skip(written ? QStringLiteral("exiftool could not change %1 in it")
                                  .arg(missed.join(QStringLiteral(", ")))
                            : why);
    }
    auto staged = std::make_shared<SafeWrite::Temporary>();
    PendingPlacement pending;
    if (!staged->adopt(temp, &why) ||
        !stageTemporary(*staged, nullptr, {}, replaces, originalPath, item.filePath,
                        !replaces || edited, pending, &why))
        return skip(why);

    result.leftOut = plan.leftOut;
    const QString dateError = setRecipeDates(temp, originalPath, options, read);
    if (options.dates != WriteRecipeOptions::Dates::Keep)
        noteCreationDate(temp, result);
    return awaitBatch(
        outcome, std::move(pending), staged,
        {replaces, overwrite, originalPath, read.stamp, storageFolder, outputName, firstNumber},
        dateError);
}

// The copy an earlier edit of the photo at `originalPath` wrote into `storageFolder` (under
// `outputName`, its JPEG or TIFF name, or where `remembered` says), with its bytes when asked.
std::optional<EditedCopies::Copy>
startingCopy(const QString &originalPath, const QString &storageFolder, const QString &outputName,
             const EditedCopies::Remembered &remembered, bool keepBytes) {
    const QString base =
        storageFolder + QLatin1Char('/') + QFileInfo(outputName).completeBaseName();
    // Only a copy in the storage folder of now: after a change of folder the edits go on in
    // the new one.
    const bool here = !remembered.path.isEmpty() &&
                      EditedCopies::recordPath(QFileInfo(remembered.path).absolutePath()) ==
                          EditedCopies::recordPath(storageFolder);
    return EditedCopies::findCopy(originalPath, here ? remembered : EditedCopies::Remembered{},
                                  {here ? remembered.path : QString(),
                                   storageFolder + QLatin1Char('/') + outputName,
                                   base + QStringLiteral(".jpg"), base + QStringLiteral(".tiff")},
                                  keepBytes);
}

PhotoOutcome writeOnePhoto(const IKImageItem &item, const QString &jobFolder, bool overwrite,
                           const WriteRecipeOptions &options, int firstNumber,
                           const EditedCopies::Remembered &remembered) {
    PhotoOutcome outcome;
    WriteRecipeResult &result = outcome.result;
    result.sourcePath = item.filePath;
    std::optional<RecipePlacement> placement;
    if (options.placement) {
        placement = options.placement(item);
        // Exports never replace anything, whatever the overwrite setting says.
        overwrite = false;
    }
    const QString storageFolder = placement ? placement->folder : jobFolder;
    QString originalPath = placement ? placement->readPath : item.filePath;
    QString readPath = originalPath;
    QString outputName = placement && !placement->names.isEmpty() ? placement->names.first()
                         : item.fileName.isEmpty() ? QFileInfo(originalPath).fileName()
                                                   : QFileInfo(item.fileName).fileName();
    // Edits add up: an earlier edit's copy, still as we wrote it, is read and replaced.
    std::optional<EditedCopies::Copy> edited;
    if (!placement && !overwrite && options.addsUp)
        edited = startingCopy(item.filePath, storageFolder, outputName, remembered,
                              !QuickTimeWriter::isQuickTimeName(originalPath));
    if (edited && QuickTimeWriter::isQuickTimeName(originalPath))
        return writeOneVideo(item, storageFolder, outputName, overwrite, options, firstNumber,
                             edited);
    if (edited) {
        readPath = originalPath = edited->path;
        outputName = QFileInfo(edited->path).fileName();
    }
    bool fromRaw = false;
    if (!edited && options.useRawTemporary && QFileInfo(originalPath).isFile() &&
        GetSupportRAWImageType(originalPath) >= 0) {
        const QString jpeg = GetJPGImageFromRAWPhotowithImagePath(originalPath);
        if (jpeg != originalPath) {
            readPath = jpeg;
            fromRaw = true;
            // JPEG bytes never go out under a RAW name, nor over the RAW original.
            outputName = QFileInfo(outputName).completeBaseName() + QStringLiteral(".jpg");
        }
    }
    bool replaceOriginal = overwrite && !fromRaw;
    QString output = edited ? edited->path : storageFolder + QLatin1Char('/') + outputName;
    // 1. Read. The stamp tells whether another program changes the original meanwhile.
    const OriginalAsRead read = readOriginal(originalPath);

    auto skip = [&](const QString &why) {
        return skipped(outcome, "photo skipped==", originalPath, why, replaceOriginal,
                       storageFolder, options);
    };

    if (placement && !placement->refused.isEmpty())
        return skip(placement->refused);
    // Opening a FIFO or a device would wait forever or read what is no photo.
    if (!RegularFile::isRegular(readPath))
        return skip(QFileInfo::exists(readPath) ? QStringLiteral("not a regular file")
                                                : QStringLiteral("the file is missing"));
    if (!placement && QuickTimeWriter::isQuickTimeName(originalPath))
        return writeOneVideo(item, storageFolder, outputName, overwrite, options, firstNumber,
                             std::nullopt);

    QByteArray bytes;
    if (edited) {
        bytes = edited->bytes;
    } else {
        // Checked again on the opened file: one swapped for a FIFO meanwhile is refused too.
        QString why;
        // A worker reads its photos into one buffer of its own, reused from photo to photo
        // up to a size.
        constexpr qsizetype kRoomKept = 16 << 20;
        thread_local QByteArray room;
        const std::optional<QByteArray> read = RegularFile::readAll(readPath, &why, &room);
        if (!read)
            return skip(why.isEmpty() ? QStringLiteral("cannot be read") : why);
        bytes = *read;
        if (bytes.size() <= kRoomKept)
            room = bytes;
    }
    if (bytes.isEmpty())
        return skip(QStringLiteral("the file is empty"));
    ImageSource source(bytes);
    if (!source.isValid())
        return skip(source.errorString().isEmpty() ? QStringLiteral("not an image we can read")
                                                   : source.errorString());
    const QVariantMap original = source.properties(0);
    if (original.isEmpty())
        return skip(QStringLiteral("no metadata could be read"));

    // 2. Change.
    QVariantMap working = original;
    if (options.change && !options.change(working, item)) {
        result.unchanged = true;
        return skip(QLatin1String(kNothingToChange));
    }

    // 3. Write in memory, every frame with the same properties.
    static const QStringList writable = ImageDestination::typeIdentifiers();
    QByteArray encoded;
    QByteArrayView picture; // what follows `encoded` in the file, when kept apart
    bool asTiff = false;
    const bool heif = source.type() == QLatin1String("public.heic") ||
                      source.type() == QLatin1String("public.heif");
    // Our destinations rewrite one frame in place; files of several frames keep them all
    // through the TIFF road.
    if (!writable.contains(source.type()) || (source.count() > 1 && !heif)) {
        // 4. A type we cannot write keeps its pixels in a lossless TIFF. It takes a .tiff
        // name, since TIFF bytes under a .gif or RAW name would mislead every other
        // program, and it never replaces the original.
        if (GetImageType(readPath) < 0)
            return skip(QStringLiteral("photos of this type cannot be written"));
        QString why;
        encoded = createTiffFromSource(source, working, &why);
        if (encoded.isEmpty())
            return skip(why);
        asTiff = true;
        replaceOriginal = false;
        outputName = QFileInfo(outputName).completeBaseName() + QStringLiteral(".tiff");
        output = storageFolder + QLatin1Char('/') + outputName;
    } else {
        ImageDestination destination(&encoded, source.type(), source.count());
        // A JPEG's picture goes from the source's bytes into the file as it is.
        destination.keepPictureApart();
        if (!options.destinationDictionary.isEmpty())
            destination.setProperties(subDictionary(working, options.destinationDictionary));
        for (int i = 0; i < source.count(); ++i)
            destination.addImageFromSource(source, i, working);
        if (!destination.finalize()) {
            qCWarning(lcMetadata) << "CGImageDestinationFinalize failed"
                                  << destination.errorString();
            return skip(destination.errorString());
        }
        if (destination.pictureOffset() >= 0)
            picture = QByteArrayView(bytes).sliced(destination.pictureOffset());
    }

    // 5. The written file must hold the change; otherwise recompress.
    bool recompress = false;
    if (options.verify && !asTiff &&
        !checkSameExifFromImageData(encoded, subDictionary(working, QStringLiteral("{Exif}")))) {
        QString why;
        QByteArray again = recompressPhoto(bytes, working, outputName, &why);
        if (again.isEmpty())
            return skip(why);
        encoded = again;
        picture = {};
        recompress = true;
    }

    const bool replaces = replaceOriginal ||
                          (QFileInfo::exists(originalPath) && isItsOwnOutput(output, originalPath));
    // A file is only ever replaced by one that reads back as an image.
    if (replaces && !picture.isEmpty()) {
        encoded += picture;
        picture = {};
    }
    if (replaces && !ImageSource(encoded).isValid())
        return skip(QStringLiteral("the new file did not read back"));

    // The new bytes go into an exclusive temporary beside their target, never through a
    // link and never over another file; it is synced and read back before it takes a name.
    QString why;
    const QString folder = stagingFolder(replaces, originalPath, storageFolder, &why);
    if (folder.isEmpty())
        return skip(why);
    auto staged = std::make_shared<SafeWrite::Temporary>();
    PendingPlacement pending;
    if (!staged->create(folder, &why,
                        options.pastTheCache ? SafeWrite::Temporary::Caching::PastTheCache
                                             : SafeWrite::Temporary::Caching::Buffered) ||
        !staged->write(encoded, &why) || !staged->write(picture, &why) ||
        !stageTemporary(*staged, &encoded, picture, replaces, originalPath, item.filePath,
                        !placement && (!replaces || edited), pending, &why))
        return skip(why);
    const QString written = staged->path();

    // 6. File dates. A failure is reported with the photo, never passed over.
    QString dateError;
    if (placement) {
        if (placement->date.isValid())
            FileDates::setDates(written, placement->date, &dateError);
        else
            FileDates::copyDates(originalPath, written, &dateError);
    }
    // A placement sets the dates itself.
    if (!placement)
        dateError = setRecipeDates(written, originalPath, options, read);
    if (placement || options.dates != WriteRecipeOptions::Dates::Keep)
        noteCreationDate(written, outcome.result);

    if (placement)
        pending.names = namesWithExtensionOf(placement->names, outputName);
    pending.recompress = recompress;
    return awaitBatch(outcome, std::move(pending), staged,
                      {replaces, replaceOriginal, originalPath, read.stamp, storageFolder,
                       outputName, firstNumber},
                      dateError);
}

// 7. The synced temporary takes the original's place in one rename (only if nobody changed
// the original since it was read), or the first free name in the storage folder.
void placePhoto(PhotoOutcome &outcome, const QString &syncError) {
    PendingPlacement p = std::move(*outcome.pending);
    outcome.pending.reset();
    WriteRecipeResult &result = outcome.result;
    auto fail = [&](const QString &why) {
        result.reason = why;
        qCWarning(lcMetadata) << "photo skipped==" << p.target.originalPath << why;
    };
    if (!syncError.isEmpty())
        return fail(syncError);
    QString why, finalPath;
    const QString written = p.staged->path();
    if (p.target.replaces) {
        if (!SafeWrite::replaceWith(written, p.target.originalPath, p.target.readStamp, &why))
            return fail(why);
        finalPath = p.target.originalPath;
    } else {
        finalPath = p.names.isEmpty()
                        ? moveToFreeName(written, p.target.storageFolder, p.target.outputName, &why,
                                         p.target.firstNumber)
                        : moveToFirstFreeOf(written, p.target.storageFolder, p.names, &why);
        if (finalPath.isEmpty())
            return fail(why);
    }
    p.staged->release();
    if (!p.dateError.isEmpty()) {
        result.reason = QStringLiteral("written to %1, but its file dates could not be set: %2")
                            .arg(finalPath, p.dateError);
        qCWarning(lcMetadata) << "photo dates not set==" << finalPath << p.dateError;
    }
    outcome.handled = true;
    outcome.revealPath = finalPath;
    outcome.revealRoot = p.target.replaceOriginal ? QFileInfo(p.target.originalPath).absolutePath()
                                                  : p.target.storageFolder;
    result.outputPath = finalPath;
    result.written = p.dateError.isEmpty();
    result.recompressed = p.recompress;
    result.editedCopy = p.editedCopy;
    result.digest = p.digest;
    result.originalState = p.originalState;
}

// One batch of finished photos: their temporaries made durable together, then the moves in
// list order, then one sync per folder so the new names survive a crash.
void commitPhotos(std::vector<PhotoOutcome> &outcomes, QList<JobResult> &batch) {
    DurableBatch::Commit commit;
    QStringList temporaries;
    for (const JobResult &r : batch)
        if (const PhotoOutcome &o = outcomes[size_t(r.index)]; o.pending)
            temporaries << o.pending->staged->path();
    commit.syncTemporaries(temporaries);
    std::vector<JobResult *> placed;
    for (JobResult &r : batch) {
        PhotoOutcome &o = outcomes[size_t(r.index)];
        if (!o.pending)
            continue;
        placePhoto(o, commit.syncError(o.pending->staged->path()));
        if (!o.result.outputPath.isEmpty())
            commit.placed(o.result.outputPath);
        placed.push_back(&r);
    }
    const QHash<QString, QString> unsynced = commit.syncFolders();
    for (JobResult *each : placed) {
        JobResult &r = *each;
        PhotoOutcome &o = outcomes[size_t(r.index)];
        const QString folder = QFileInfo(o.result.outputPath).absolutePath();
        if (!o.result.outputPath.isEmpty() && unsynced.contains(folder)) {
            o.result.written = false;
            o.result.reason = QStringLiteral("written to %1, but a crash may still undo it: %2")
                                  .arg(o.result.outputPath, unsynced.value(folder));
        }
        r.ok = o.result.written;
        r.outputPath = o.result.outputPath;
        r.reason = o.result.reason;
    }
}

} // namespace

namespace {

struct RecipePhoto {
    IKImageItemPtr item;
    int firstNumber = 1; // the first number its output name may take
    // Read on the calling thread: workers never look at an item the window may change.
    EditedCopies::Remembered remembered;
};

struct RecipeJob {
    QList<RecipePhoto> photos;
    std::shared_ptr<std::vector<PhotoOutcome>> outcomes;
};

RecipeJob prepareRecipe(const QList<IKImageItemPtr> &items) {
    ensureExiv2Initialised();
    RecipeJob job;
    // Two photos of one name from different folders must not write one output: the later
    // ones get " (2)", " (3)"... The base name decides, since RAW and TIFF outputs change
    // the extension.
    QHash<QString, int> seen;
    for (const IKImageItemPtr &item : items) {
        if (!item)
            continue;
        const QString name = item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName()
                                                      : QFileInfo(item->fileName).fileName();
        const int n = ++seen[QFileInfo(name).completeBaseName().toLower()];
        job.photos.append({item, n, editedPhotoOf(*item).remembered});
    }
    job.outcomes = std::make_shared<std::vector<PhotoOutcome>>(size_t(job.photos.size()));
    return job;
}

// Photos are independent of each other, so they are written side by side on the job
// runner's pool; each batch of them is made durable and moved into place by the commit, in
// list order, so same-named photos take their numbers as listed.
bool startRecipe(JobRunner &runner, const RecipeJob &job, const QString &storageFolder,
                 bool overwrite, const WriteRecipeOptions &options) {
    const auto outcomes = job.outcomes;
    const auto photos = job.photos;
    runner.setCommitInOrder(true);
    return runner.start(
        photos.size(),
        [photos, outcomes, storageFolder, overwrite, options](qsizetype i) {
            PhotoOutcome &o = (*outcomes)[size_t(i)];
            o = writeOnePhoto(*photos[i].item, storageFolder, overwrite, options,
                              photos[i].firstNumber, photos[i].remembered);
            JobResult r;
            r.ok = o.result.written;
            r.outputPath = o.result.outputPath;
            r.reason = o.result.reason;
            return r;
        },
        [outcomes](QList<JobResult> &batch) { commitPhotos(*outcomes, batch); });
}

WriteRecipeReport reportOf(const RecipeJob &job, const QList<JobResult> &results) {
    const std::vector<PhotoOutcome> &outcomes = *job.outcomes;
    WriteRecipeReport report;
    bool revealed = false;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        WriteRecipeResult photo = outcomes[i].result;
        // A photo the job never reached (cancelled) or whose task failed outright.
        if (photo.sourcePath.isEmpty())
            photo.sourcePath = job.photos[qsizetype(i)].item->filePath;
        photo.item = job.photos[qsizetype(i)].item;
        if (!photo.written && photo.reason.isEmpty() && qsizetype(i) < results.size())
            photo.reason = results[qsizetype(i)].reason;
        report.photos << photo;
        if (outcomes[i].handled && !revealed) {
            // 8. Reveal the first handled photo only.
            revealed = true;
            report.revealPath = outcomes[i].revealPath;
            report.revealRoot = outcomes[i].revealRoot;
        }
    }
    return report;
}

} // namespace

EditedPhoto editedPhotoOf(const IKImageItem &item) {
    return {item.filePath,
            item.fileName,
            {item.rare().editedCopyPath, item.rare().editedCopyDigest,
             item.rare().editedCopyOriginalState}};
}

QString editedCopyToStartFrom(const EditedPhoto &photo, const QString &storageFolder) {
    const QString name = photo.fileName.isEmpty() ? QFileInfo(photo.filePath).fileName()
                                                  : QFileInfo(photo.fileName).fileName();
    const std::optional<EditedCopies::Copy> copy =
        startingCopy(photo.filePath, storageFolder, name, photo.remembered, false);
    return copy ? copy->path : QString();
}

QString editedCopyToStartFrom(const IKImageItem &item, const QString &storageFolder) {
    return editedCopyToStartFrom(editedPhotoOf(item), storageFolder);
}

void rememberEditedCopies(const WriteRecipeReport &report) {
    for (const WriteRecipeResult &photo : report.photos) {
        if (!photo.item || photo.outputPath.isEmpty())
            continue;
        if (photo.editedCopy) {
            photo.item->editRare().editedCopyPath = photo.outputPath;
            photo.item->editRare().editedCopyDigest = photo.digest;
            photo.item->editRare().editedCopyOriginalState = photo.originalState;
        } else if (EditedCopies::recordPath(photo.outputPath) ==
                   EditedCopies::recordPath(photo.item->filePath)) {
            // Written over the photo's own file: that file holds the latest state now.
            photo.item->editRare().editedCopyPath.clear();
            photo.item->editRare().editedCopyDigest.clear();
            photo.item->editRare().editedCopyOriginalState.clear();
        }
    }
}

WriteRecipeReport runWriteRecipe(const QList<IKImageItemPtr> &items, const QString &storageFolder,
                                 bool overwrite, const WriteRecipeOptions &options) {
    const RecipeJob job = prepareRecipe(items);
    JobRunner runner;
    startRecipe(runner, job, storageFolder, overwrite, options);
    const QList<JobResult> results = runner.waitForResults();
    const WriteRecipeReport report = reportOf(job, results);
    rememberEditedCopies(report);
    return report;
}

bool startWriteRecipe(JobRunner &runner, const QList<IKImageItemPtr> &items,
                      const QString &storageFolder, bool overwrite,
                      const WriteRecipeOptions &options, WriteRecipeDone done) {
    const RecipeJob job = prepareRecipe(items);
    if (!startRecipe(runner, job, storageFolder, overwrite, options))
        return false;
    QObject::connect(
        &runner, &JobRunner::finished, &runner,
        [job, done](const QList<JobResult> &results, bool cancelled) {
            const WriteRecipeReport report = reportOf(job, results);
            rememberEditedCopies(report);
            if (done)
                done(report, cancelled);
        },
        Qt::SingleShotConnection);
    return true;
}
