#include "export/core/PlainExport.h"

#include "browser/core/LibraryComparison.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

int ExportReport::writtenCount() const {
    int n = 0;
    for (const ExportOutcome &p : photos)
        n += p.error.isEmpty() ? 1 : 0;
    return n;
}

QStringList ExportReport::notWritten() const {
    QStringList out;
    if (!folderError.isEmpty())
        out << folderError;
    for (const ExportOutcome &p : photos)
        if (!p.error.isEmpty())
            out << QStringLiteral("%1: %2").arg(p.name, p.error);
    return out;
}

QString copyIntoFolder(const QString &source, const QString &folder, const QStringList &names,
                       QString *error) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QFileInfo::exists(source) ? QStringLiteral("cannot be read")
                                           : QStringLiteral("its file is not in the library");
        return {};
    }
    const QByteArray bytes = in.readAll();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("the folder %1 cannot be created").arg(folder);
        return {};
    }
    SafeWrite::Temporary temp;
    if (!temp.create(folder, error) || !temp.write(bytes, error) || !temp.useDefaultMode(error) ||
        !temp.finish(bytes, error))
        return {};
    // A copy keeps the source's dates until the export sets its own.
    FileDates::copyDates(source, temp.path());
    const QString placed = moveToFirstFreeOf(temp.path(), folder, names, error);
    if (!placed.isEmpty()) {
        temp.release();
        SafeWrite::syncFolder(folder);
    }
    return placed;
}

namespace {

struct Destination {
    QString folder;
    QStringList names;
    QDateTime date; // both file dates of the copy, when valid
    QString error;
};

Destination destinationOf(const ExportEntry &entry, const ExportSource &source,
                          const PlainExportSettings &settings) {
    Destination d;
    const QString &n = source.name;
    const QString s = settings.storageFolder;
    const PRPicFileInfo none;
    const PRPicFileInfo &record =
        entry.item->photoLibFileNode ? *entry.item->photoLibFileNode : none;
    switch (settings.layout) {
    case PlainLayout::Flat:
        d.folder = s;
        d.names = {n, clashName(n, 2), clashName(n, entry.index)};
        break;
    case PlainLayout::Album: {
        const QString album = libraryFolderName(record.fileAlbum);
        d.folder = album.isEmpty() ? s : s + QLatin1Char('/') + album;
        d.names = {n};
        if (!album.isEmpty())
            d.names << clashName(n, 2);
        break;
    }
    case PlainLayout::YearMonth: {
        getOriginalMedataDataWithItem(*entry.item);
        QDateTime date = libraryDate(record.fileCameraDate);
        if (date.isValid())
            d.date = date;
        else
            date = creationOrModification(source.path);
        if (!date.isValid()) {
            d.error = QStringLiteral("it has no date to file it by");
            break;
        }
        d.folder = s + QLatin1Char('/') + yearMonthFolder(date, true);
        d.names = {n, clashName(n, 2)};
        break;
    }
    }
    return d;
}

} // namespace

ExportReport exportPlainCopies(const QList<ExportEntry> &entries,
                               const PlainExportSettings &settings) {
    ExportReport report;
    if (entries.isEmpty())
        return report;
    if (!storageFolderWritable(settings.storageFolder, &report.folderError))
        return report;
    bool first = true;
    for (const ExportEntry &entry : entries) {
        const ExportSource source = exportSource(*entry.item, settings.edited);
        report.notDownloaded |= source.substituted;
        ExportOutcome outcome;
        outcome.name = entry.item->fileName;
        const Destination d = destinationOf(entry, source, settings);
        outcome.error = d.error;
        if (outcome.error.isEmpty() && !staysInside(settings.storageFolder, d.folder, d.names))
            outcome.error = QStringLiteral("its name leads out of the storage folder");
        if (outcome.error.isEmpty())
            outcome.outputPath = copyIntoFolder(source.path, d.folder, d.names, &outcome.error);
        if (!outcome.outputPath.isEmpty() && d.date.isValid()) {
            QString why;
            if (!FileDates::setDates(outcome.outputPath, d.date, &why))
                outcome.error =
                    QStringLiteral("written to %1, but its file dates could not be set: %2")
                        .arg(outcome.outputPath, why);
        }
        if (first) {
            first = false;
            // The flat copies show their first file; the sorted ones the storage folder.
            if (settings.layout == PlainLayout::Flat)
                report.revealPath = outcome.outputPath;
            report.revealRoot = settings.storageFolder;
        }
        report.photos << outcome;
        // A full disk fails every later copy too: say how many went out instead.
        if (outcome.error.contains(QLatin1String("No space left"))) {
            report.folderError =
                QStringLiteral("the storage folder is full; %1 photos were exported")
                    .arg(report.writtenCount());
            break;
        }
    }
    return report;
}
