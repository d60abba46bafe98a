#include "metadata/core/DateCopies.h"

#include "base/Logging.h"
#include "platform/core/ExiftoolSession.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/SafeWrite.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

QStringList dateCopyOutputPaths(const QList<IKImageItemPtr> &items, const QString &storageFolder) {
    QHash<QString, int> seen;
    QStringList paths;
    for (const IKImageItemPtr &item : items) {
        const QString name = item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName()
                                                      : QFileInfo(item->fileName).fileName();
        paths << storageFolder + QLatin1Char('/') + numberedFileName(name, ++seen[name.toLower()]);
    }
    return paths;
}

QString importedFolderOutputPath(const QString &storageFolder, const QString &sourcePath,
                                 const QString &importParent) {
    QString rest = sourcePath;
    if (!importParent.isEmpty())
        rest.remove(importParent);
    if (!rest.startsWith(QLatin1Char('/')))
        rest.prepend(QLatin1Char('/'));
    return QDir::cleanPath(storageFolder + rest);
}

namespace {

// `source` streamed into a new exclusive temporary in `folder`, synced; with the attributes
// of `attributesFrom` when given, else those of an ordinary new file.
bool copyIntoTemporary(const QString &source, const QString &folder, const QString &attributesFrom,
                       SafeWrite::Temporary &temp, QString *error) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot be read");
        return false;
    }
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("the folder %1 cannot be created").arg(folder);
        return false;
    }
    if (!temp.create(folder, error) ||
        !(attributesFrom.isEmpty() ? temp.useDefaultMode(error)
                                   : temp.keepAttributesOf(attributesFrom, error)))
        return false;
    qint64 copied = 0;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFile::NoError) {
            *error = QStringLiteral("cannot be read: %1").arg(in.errorString());
            return false;
        }
        if (!temp.write(chunk, error))
            return false;
        copied += chunk.size();
    }
    if (!temp.finish(error))
        return false;
    if (QFileInfo(temp.path()).size() != copied || copied != in.size()) {
        *error = QStringLiteral("the copy did not read back whole");
        return false;
    }
    return true;
}

} // namespace

bool replaceOriginalWithCopy(const QString &copy, const QString &original, QString *error) {
    if (!QFileInfo(copy).isFile() || QFileInfo(copy).isSymLink()) {
        *error = QStringLiteral("the copy was not written");
        return false;
    }
    if (QFileInfo(copy).absolutePath() == QFileInfo(original).absolutePath())
        return SafeWrite::replaceWith(copy, original, {}, error);
    // Another folder, maybe another file system: a fresh copy beside the original first.
    SafeWrite::Temporary temp;
    if (!copyIntoTemporary(copy, QFileInfo(original).absolutePath(), original, temp, error))
        return false;
    if (!FileDates::copyDates(copy, temp.path(), error) ||
        !SafeWrite::replaceWith(temp.path(), original, {}, error))
        return false;
    temp.release();
    QFile::remove(copy);
    return true;
}

DateCopyOutcome copyPhotoWithDates(const QString &source, const QString &output,
                                   const QDateTime &creation, const QDateTime &modification,
                                   bool overwrite) {
    DateCopyOutcome outcome;
    if (!overwrite &&
        QFileInfo(source).canonicalFilePath() == QFileInfo(output).canonicalFilePath()) {
        outcome.reason = QStringLiteral("the copy would land on the photo itself");
        return outcome;
    }
    const SafeWrite::FileStamp stamp = SafeWrite::stampOf(source);
    // Overwriting stages beside the original and touches nothing in the storage folder.
    const QString folder =
        overwrite ? QFileInfo(source).absolutePath() : QFileInfo(output).absolutePath();
    SafeWrite::Temporary temp;
    if (!copyIntoTemporary(source, folder, overwrite ? source : QString(), temp, &outcome.reason))
        return outcome;
    if (creation.isValid() && !FileDates::setCreationDate(temp.path(), creation, &outcome.reason))
        return outcome;
    if (modification.isValid() &&
        !FileDates::setModificationDate(temp.path(), modification, &outcome.reason))
        return outcome;
    if (overwrite) {
        if (!SafeWrite::replaceWith(temp.path(), source, stamp, &outcome.reason))
            return outcome;
        outcome.finalPath = source;
    } else {
        outcome.finalPath =
            moveToFreeName(temp.path(), folder, QFileInfo(output).fileName(), &outcome.reason);
        if (outcome.finalPath.isEmpty())
            return outcome;
    }
    temp.release();
    outcome.written = true;
    return outcome;
}

DateCopyStarts::DateCopyStarts(const QList<IKImageItemPtr> &items, const QString &storageFolder,
                               bool overwrite)
    : outputs_(dateCopyOutputPaths(items, storageFolder)), storageFolder_(storageFolder),
      overwrite_(overwrite) {
    for (const IKImageItemPtr &item : items)
        photos_ << editedPhotoOf(*item);
}

DateCopyStart DateCopyStarts::at(qsizetype i, const QString &output) const {
    const EditedPhoto &photo = photos_[i];
    const QString edited = overwrite_ ? QString() : editedCopyToStartFrom(photo, storageFolder_);
    if (!edited.isEmpty())
        return {edited, edited, true};
    return {photo.filePath, output.isEmpty() ? outputs_[i] : output, false};
}

DateCopyOutcome copyPhotoWithDates(const DateCopyStart &start, const QDateTime &creation,
                                   const QDateTime &modification, bool overwrite) {
    return copyPhotoWithDates(start.source, start.output, creation, modification,
                              overwrite || start.inPlace);
}

QStringList exifToolDateArguments(const QString &dateText, const QString &path) {
    // "--" ends the options: a file named like one ("-delete.jpg") stays a file name.
    return {QStringLiteral("-f"), QStringLiteral("-AllDates=%1").arg(dateText),
            QStringLiteral("-overwrite_original"), QStringLiteral("--"), path};
}

bool runExifToolCommandWithArguments(const QStringList &arguments, QString *output) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (program.isEmpty()) {
        qCWarning(lcMetadata) << "ExifTool Output: exiftool is not installed";
        return false;
    }
    QProcess process;
    endWithParent(process);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    process.closeWriteChannel();
    process.waitForFinished(-1);
    const QString text = QString::fromUtf8(process.readAll());
    qCDebug(lcMetadata).noquote() << QStringLiteral("ExifTool Output: %1").arg(text);
    if (output)
        *output = text;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
