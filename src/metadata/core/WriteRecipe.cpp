#include "metadata/core/WriteRecipe.h"

#include "app/core/FileTypes.h"
#include "app/core/Logging.h"
#include "app/core/RawTemporary.h"
#include "metadata/core/FileDateRules.h"
#include "metadata/core/Recompression.h"
#include "metadata/core/TiffFallback.h"
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
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentMap>
#include <cmath>
#include <cstdio>

namespace {

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        return false;
    }
    return true;
}

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
    // it takes a free name rather than that file's place.
    if (fromRaw && QFileInfo::exists(output)) {
        output = freeFilePath(storageFolder, outputName);
        outputName = QFileInfo(output).fileName();
    }
    const QDateTime sourceCreated = FileDates::creationDate(originalPath);
    const QDateTime sourceModified = FileDates::modificationDate(originalPath);

    auto skip = [&](const QString &why) {
        result.error = why;
        qCWarning(lcMetadata) << "photo skipped==" << originalPath << why;
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
        output = storageFolder + QLatin1Char('/') + outputName;
        if (QFileInfo::exists(output)) { // a TIFF of the same name that is not this photo's
            output = freeFilePath(storageFolder, outputName);
            outputName = QFileInfo(output).fileName();
        }
    } else {
        ImageDestination destination(&encoded, source.type(), source.count());
        if (!options.destinationDictionary.isEmpty())
            destination.setProperties(subDictionary(working, options.destinationDictionary));
        for (int i = 0; i < source.count(); ++i)
            destination.addImageFromSource(source, i, working);
        if (!destination.finalize()) {
            qCWarning(lcMetadata) << "CGImageDestinationFinalize failed"
                                  << destination.errorString();
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

    QString why;
    const QString written = recompress ? recompressedPath(output) : output;
    if (!QDir().mkpath(storageFolder))
        return skip(QStringLiteral("the storage folder %1 cannot be created").arg(storageFolder));
    if (!writeAtomically(written, encoded, &why))
        return skip(why);

    // 6. File dates.
    switch (options.dates) {
    case WriteRecipeOptions::Dates::CopyFromSource:
        if (sourceCreated.isValid())
            FileDates::setCreationDate(written, sourceCreated);
        if (sourceModified.isValid())
            FileDates::setModificationDate(written, sourceModified);
        break;
    case WriteRecipeOptions::Dates::FromDateText:
        SetDateAttributWithFilePath(written, originalPath, options.dateText);
        break;
    case WriteRecipeOptions::Dates::Keep:
        break;
    }

    // 7. Overwrite: the original is replaced in one atomic step by the file just made.
    QString finalPath = written;
    if (replaceOriginal) {
        if (!writeAtomically(originalPath, encoded, &why)) {
            QFile::remove(written);
            return skip(why);
        }
        FileDates::copyDates(written, originalPath);
        if (written != originalPath)
            QFile::remove(written);
        finalPath = originalPath;
    } else if (recompress) {
        // One atomic rename: the file at the output path is never gone in between.
        if (::rename(QFile::encodeName(written).constData(),
                     QFile::encodeName(output).constData()) != 0) {
            QFile::remove(written);
            return skip(QStringLiteral("cannot move %1 to %2").arg(written, output));
        }
        finalPath = output;
    }

    outcome.handled = true;
    outcome.revealPath = finalPath;
    outcome.revealRoot = replaceOriginal ? QFileInfo(originalPath).absolutePath() : storageFolder;
    result.outputPath = finalPath;
    result.written = true;
    result.recompressed = recompress;
    return outcome;
}

} // namespace

WriteRecipeReport runWriteRecipe(const QList<IKImageItemPtr> &items, const QString &storageFolder,
                                 bool overwrite, const WriteRecipeOptions &options) {
    ensureExiv2Initialised();
    QList<IKImageItemPtr> present;
    for (const IKImageItemPtr &item : items)
        if (item)
            present << item;
    // Two photos of one name from different folders must not write one output: the later
    // ones get " (2)", " (3)"... The base name decides, since RAW and TIFF outputs change
    // the extension.
    QHash<QString, int> seen;
    QList<std::pair<IKImageItemPtr, QString>> jobs;
    for (const IKImageItemPtr &item : present) {
        const QString name = item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName()
                                                      : QFileInfo(item->fileName).fileName();
        const int n = ++seen[QFileInfo(name).completeBaseName().toLower()];
        jobs.append({item, n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()});
    }
    // Photos are independent of each other, so they are written side by side; the job
    // still ends only when every photo is done, and reports them in list order.
    const QList<PhotoOutcome> outcomes =
        QtConcurrent::blockingMapped(jobs, [&](const std::pair<IKImageItemPtr, QString> &job) {
            return writeOnePhoto(*job.first, storageFolder, overwrite, options, job.second);
        });
    WriteRecipeReport report;
    bool revealed = false;
    for (const PhotoOutcome &o : outcomes) {
        report.photos << o.result;
        if (o.handled && !revealed) {
            // 8. Reveal the first handled photo only.
            revealed = true;
            report.revealPath = o.revealPath;
            report.revealRoot = o.revealRoot;
        }
    }
    return report;
}
