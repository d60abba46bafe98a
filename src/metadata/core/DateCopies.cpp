#include "metadata/core/DateCopies.h"

#include "app/core/Logging.h"
#include "platform/core/FileDates.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstdio>

QStringList dateCopyOutputPaths(const QList<IKImageItemPtr> &items, const QString &storageFolder) {
    QHash<QString, int> seen;
    QStringList paths;
    for (const IKImageItemPtr &item : items) {
        const QString name = item->fileName.isEmpty() ? QFileInfo(item->filePath).fileName()
                                                      : QFileInfo(item->fileName).fileName();
        const QFileInfo info(name);
        const int n = ++seen[name.toLower()];
        QString out = name;
        if (n > 1)
            out = info.completeBaseName() + QStringLiteral(" (%1)").arg(n) +
                  (info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix());
        paths << storageFolder + QLatin1Char('/') + out;
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

bool writeByteCopy(const QString &source, const QString &output, QString *error) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot be read");
        return false;
    }
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(output).canonicalFilePath()) {
        *error = QStringLiteral("the copy would land on the photo itself");
        return false;
    }
    if (!QDir().mkpath(QFileInfo(output).absolutePath())) {
        *error = QStringLiteral("the folder of %1 cannot be created").arg(output);
        return false;
    }
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(output, out.errorString());
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFile::NoError) {
            *error = QStringLiteral("cannot be read: %1").arg(in.errorString());
            out.cancelWriting();
            return false;
        }
        if (out.write(chunk) != chunk.size()) {
            *error = QStringLiteral("cannot write %1: %2").arg(output, out.errorString());
            out.cancelWriting();
            return false;
        }
    }
    if (!out.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(output, out.errorString());
        return false;
    }
    return true;
}

bool replaceOriginalWithCopy(const QString &copy, const QString &original, QString *error) {
    if (!QFileInfo(copy).isFile()) {
        *error = QStringLiteral("the copy was not written");
        return false;
    }
    if (::rename(QFile::encodeName(copy).constData(), QFile::encodeName(original).constData()) == 0)
        return true;
    // Another file system: a fresh copy beside the original, then one rename over it.
    QString why;
    const QFileInfo info(original);
    const QString beside =
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".pk-tmp");
    if (!writeByteCopy(copy, beside, &why) ||
        ::rename(QFile::encodeName(beside).constData(), QFile::encodeName(original).constData()) !=
            0) {
        QFile::remove(beside);
        *error = QStringLiteral("cannot replace %1 %2").arg(original, why);
        return false;
    }
    QFile::remove(copy);
    return true;
}

DateCopyOutcome copyPhotoWithDates(const QString &source, const QString &output,
                                   const QDateTime &creation, const QDateTime &modification,
                                   bool overwrite) {
    DateCopyOutcome outcome;
    if (!writeByteCopy(source, output, &outcome.error))
        return outcome;
    QString why;
    if (creation.isValid() && !FileDates::setCreationDate(output, creation, &why)) {
        outcome.error = why;
        return outcome;
    }
    if (modification.isValid() && !FileDates::setModificationDate(output, modification, &why)) {
        outcome.error = why;
        return outcome;
    }
    outcome.finalPath = output;
    if (overwrite) {
        if (!replaceOriginalWithCopy(output, source, &outcome.error))
            return outcome;
        outcome.finalPath = source;
    }
    outcome.written = true;
    return outcome;
}

QStringList exifToolDateArguments(const QString &dateText, const QString &path) {
    return {QStringLiteral("-f"), QStringLiteral("-AllDates=%1").arg(dateText),
            QStringLiteral("-overwrite_original"), path};
}

bool runExifToolCommandWithArguments(const QStringList &arguments, QString *output) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (program.isEmpty()) {
        qCWarning(lcMetadata) << "ExifTool Output: exiftool is not installed";
        return false;
    }
    QProcess process;
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
