#include "metadata/core/WriteRecipe.h"

#include "app/core/FileTypes.h"
#include "app/core/RawTemporary.h"
#include "metadata/core/FileDateRules.h"
#include "metadata/core/Recompression.h"
#include "metadata/core/TiffFallback.h"
#include "platform/core/DurableBatch.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

bool sameValue(const QVariant &a, const QVariant &b) {
    const auto isNumber = [](const QVariant &v) {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
            return true;
        default:
            return false;
        }
    };
    if (isNumber(a) || isNumber(b)) {
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
            out << QStringLiteral("%1: %2").arg(QFileInfo(p.sourcePath).fileName(), p.error);
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
    ImageSource source(data);
    if (!source.isValid())
        return false;
    const QVariantMap props = source.properties(0);
    if (!props.contains(QStringLiteral("{Exif}")))
        return false;
    return sameValues(subDictionary(props, QStringLiteral("{Exif}")), exif);
}

QString recompressedPath(const QString &path) {
    const QFileInfo info(path);
    return QStringLiteral("%1/%2_.%3")
        .arg(info.absolutePath(), info.completeBaseName(), info.suffix());
}

namespace {

struct PhotoOutcome {
    WriteRecipeResult result;
    bool handled = false; // takes part in the job's one reveal
    QString revealPath;
    QString revealRoot;
    // The finished file waiting for the batch's commit, and where it goes.
    QString temporaryPath;
    QString targetPath;
    bool takeFreeName = false;
};

PhotoOutcome writeOnePhoto(const IKImageItem &item, const QString &storageFolder, bool overwrite,
                           const WriteRecipeOptions &options, const QString &nameSuffix) {
    PhotoOutcome outcome;
    WriteRecipeResult &result = outcome.result;
    result.sourcePath = item.filePath;
    const QString originalPath = item.filePath;
    QString readPath = originalPath;
    QString outputName = item.fileName.isEmpty() ? QFileInfo(originalPath).fileName()
                                                 : QFileInfo(item.fileName).fileName();
    if (!nameSuffix.isEmpty()) {
        const QFileInfo name(outputName);
        outputName = name.completeBaseName() + nameSuffix +
                     (name.suffix().isEmpty() ? QString() : QLatin1Char('.') + name.suffix());
    }
    bool fromRaw = false;
    if (options.useRawTemporary && GetSupportRAWImageType(originalPath) >= 0) {
        const QString jpeg = GetJPGImageFromRAWPhotowithImagePath(originalPath);
        if (jpeg != originalPath) {
            readPath = jpeg;
            fromRaw = true;
            // JPEG bytes never go out under a RAW name, nor over the RAW original.
            outputName = QFileInfo(outputName).completeBaseName() + QStringLiteral(".jpg");
        }
    }
    bool replaceOriginal = overwrite && !fromRaw;
    QString output = storageFolder + QLatin1Char('/') + outputName;
    // A RAW's JPEG may meet the camera's own JPEG of the same shot in the storage folder:
    // it takes a free name (at the commit) rather than that file's place.
    const QDateTime sourceCreated = FileDates::creationDate(originalPath);
    const QDateTime sourceModified = FileDates::modificationDate(originalPath);

    auto skip = [&](const QString &why) {
        result.error = why;
        qWarning() << "photo skipped==" << originalPath << why;
        if (options.skippedCountsAsHandled) {
            outcome.handled = true;
            outcome.revealPath = replaceOriginal ? originalPath : QString();
            outcome.revealRoot =
                replaceOriginal ? QFileInfo(originalPath).absolutePath() : storageFolder;
        }
        return outcome;
    };

    // 1. Read.
    QFile file(readPath);
    if (!file.open(QIODevice::ReadOnly))
        return skip(QStringLiteral("cannot be read"));
    const QByteArray bytes = file.readAll();
    file.close();
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
    if (options.change && !options.change(working, item))
        return skip(QStringLiteral("nothing to change"));

    // 3. Write in memory, every frame with the same properties.
    static const QStringList writable = ImageDestination::typeIdentifiers();
    QByteArray encoded;
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
        // A TIFF of the same name that is not this photo's keeps its place (at the commit).
        output = storageFolder + QLatin1Char('/') + outputName;
    } else {
        ImageDestination destination(&encoded, source.type(), source.count());
        if (!options.destinationDictionary.isEmpty())
            destination.setProperties(subDictionary(working, options.destinationDictionary));
        for (int i = 0; i < source.count(); ++i)
            destination.addImageFromSource(source, i, working);
        if (!destination.finalize()) {
            qWarning() << "CGImageDestinationFinalize failed" << destination.errorString();
            return skip(destination.errorString());
        }
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
        recompress = true;
    }

    // A file is only ever replaced by one that reads back as an image: the original, or
    // whatever already stands at the output path (a photo that lives in the storage
    // folder is its own output).
    if ((replaceOriginal || QFileInfo::exists(output)) && !ImageSource(encoded).isValid())
        return skip(QStringLiteral("the new file did not read back"));

    // The new file goes beside its final place under a temporary name; the job's commit
    // makes a batch of them durable at once and only then moves them into place.
    if (!QDir().mkpath(storageFolder))
        return skip(QStringLiteral("the storage folder %1 cannot be created").arg(storageFolder));
    const QString target = replaceOriginal ? originalPath : output;
    QString why;
    const QString temporary = DurableBatch::writeTemporaryBeside(target, encoded, &why);
    if (temporary.isEmpty())
        return skip(why);

    // 6. File dates, set on the temporary: a rename keeps them.
    switch (options.dates) {
    case WriteRecipeOptions::Dates::CopyFromSource:
        if (sourceCreated.isValid())
            FileDates::setCreationDate(temporary, sourceCreated);
        if (sourceModified.isValid())
            FileDates::setModificationDate(temporary, sourceModified);
        break;
    case WriteRecipeOptions::Dates::FromDateText:
        SetDateAttributWithFilePath(temporary, originalPath, options.dateText);
        break;
    case WriteRecipeOptions::Dates::Keep:
        break;
    }

    // 7. Overwrite: the original is replaced in one rename by the file just made.
    outcome.temporaryPath = temporary;
    outcome.targetPath = target;
    // A RAW's JPEG or a TIFF stand-in never takes the place of another file.
    outcome.takeFreeName = fromRaw || asTiff;
    outcome.revealRoot = replaceOriginal ? QFileInfo(originalPath).absolutePath() : storageFolder;
    result.recompressed = recompress;
    return outcome;
}

// Per batch of finished photos: one sync for all temporaries, then the moves into place,
// then the folders. A photo counts as written only once it stands under its final name.
void commitPhotos(QList<JobResult> &batch, std::vector<PhotoOutcome> &outcomes) {
    QStringList temporaries;
    for (const JobResult &r : batch)
        if (!outcomes[size_t(r.index)].temporaryPath.isEmpty())
            temporaries << outcomes[size_t(r.index)].temporaryPath;
    if (temporaries.isEmpty())
        return;
    QString syncError;
    const bool synced = DurableBatch::syncFiles(temporaries, &syncError);
    QStringList folders;
    for (JobResult &r : batch) {
        PhotoOutcome &o = outcomes[size_t(r.index)];
        if (o.temporaryPath.isEmpty())
            continue;
        const QString temporary = std::exchange(o.temporaryPath, QString());
        auto fail = [&](const QString &why) {
            QFile::remove(temporary);
            o.result.error = why;
            o.result.recompressed = false;
            o.handled = false;
            qWarning() << "photo not written==" << o.result.sourcePath << why;
            r.ok = false;
            r.reason = why;
        };
        if (!synced) {
            fail(syncError);
            continue;
        }
        QString why;
        QString finalPath = o.targetPath;
        if (o.takeFreeName) {
            const QFileInfo target(o.targetPath);
            finalPath = moveToFreeName(temporary, target.absolutePath(), target.fileName(), &why);
            if (finalPath.isEmpty()) {
                fail(why);
                continue;
            }
        } else if (!DurableBatch::replaceWith(temporary, o.targetPath, &why)) {
            fail(why);
            continue;
        }
        folders << QFileInfo(finalPath).absolutePath();
        o.handled = true;
        o.revealPath = finalPath;
        o.result.outputPath = finalPath;
        o.result.written = true;
        r.ok = true;
        r.outputPath = finalPath;
        r.reason.clear();
    }
    QString folderError;
    if (!DurableBatch::syncFolders(folders, &folderError))
        qWarning() << "folder sync failed==" << folderError;
}

struct RecipeJob {
    QList<std::pair<IKImageItemPtr, QString>> photos;
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
        job.photos.append({item, n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()});
    }
    job.outcomes = std::make_shared<std::vector<PhotoOutcome>>(size_t(job.photos.size()));
    return job;
}

bool startRecipe(JobRunner &runner, const RecipeJob &job, const QString &storageFolder,
                 bool overwrite, const WriteRecipeOptions &options) {
    const auto outcomes = job.outcomes;
    const auto photos = job.photos;
    return runner.start(
        photos.size(),
        [photos, outcomes, storageFolder, overwrite, options](qsizetype i) {
            PhotoOutcome &o = (*outcomes)[size_t(i)];
            o = writeOnePhoto(*photos[i].first, storageFolder, overwrite, options,
                              photos[i].second);
            JobResult r;
            r.ok = !o.temporaryPath.isEmpty();
            r.reason = o.result.error;
            return r;
        },
        [outcomes](QList<JobResult> &batch) { commitPhotos(batch, *outcomes); });
}

WriteRecipeReport reportOf(const RecipeJob &job, const QList<JobResult> &results) {
    const std::vector<PhotoOutcome> &outcomes = *job.outcomes;
    WriteRecipeReport report;
    bool revealed = false;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        WriteRecipeResult photo = outcomes[i].result;
        // A photo the job never reached (cancelled) or whose task failed outright.
        if (photo.sourcePath.isEmpty())
            photo.sourcePath = job.photos[qsizetype(i)].first->filePath;
        if (!photo.written && photo.error.isEmpty() && qsizetype(i) < results.size())
            photo.error = results[qsizetype(i)].reason;
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

WriteRecipeReport runWriteRecipe(const QList<IKImageItemPtr> &items, const QString &storageFolder,
                                 bool overwrite, const WriteRecipeOptions &options) {
    const RecipeJob job = prepareRecipe(items);
    JobRunner runner;
    startRecipe(runner, job, storageFolder, overwrite, options);
    const QList<JobResult> results = runner.waitForResults();
    return reportOf(job, results);
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
            if (done)
                done(reportOf(job, results), cancelled);
        },
        Qt::SingleShotConnection);
    return true;
}
