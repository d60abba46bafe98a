#include "export/core/PlainExport.h"

#include "library/core/LibraryComparison.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <memory>
#include <vector>

int ExportReport::writtenCount() const {
    int n = 0;
    for (const ExportOutcome &p : photos)
        n += p.reason.isEmpty() ? 1 : 0;
    return n;
}

QStringList ExportReport::notWritten() const {
    QStringList out;
    if (!folderReason.isEmpty())
        out << folderReason;
    for (const ExportOutcome &p : photos)
        if (!p.reason.isEmpty())
            out << QStringLiteral("%1: %2").arg(p.name, p.reason);
    return out;
}

namespace {

enum class Durability { Synced, Unsynced };

// Writes the bytes of `source` into a new temporary in `folder` and reads them back, synced
// or left for a batch to sync; the temporary keeps the source's dates until the export sets
// its own.
std::unique_ptr<SafeWrite::Temporary> writeCopy(const QString &source, const QString &folder,
                                                Durability durability, QString *error) {
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
    auto temp = std::make_unique<SafeWrite::Temporary>();
    if (!temp->create(folder, error) || !temp->write(bytes, error) ||
        !temp->useDefaultMode(error) ||
        !(durability == Durability::Synced ? temp->finish(bytes, error)
                                           : temp->closeUnsynced(bytes, error)))
        return {};
    FileDates::copyDates(source, temp->path());
    return temp;
}

} // namespace

QString copyIntoFolder(const QString &source, const QString &folder, const QStringList &names,
                       QString *error) {
    const auto temp = writeCopy(source, folder, Durability::Synced, error);
    if (!temp)
        return {};
    const QString placed = moveToFirstFreeOf(temp->path(), folder, names, error);
    if (placed.isEmpty())
        return {};
    temp->release();
    QString why;
    if (!SafeWrite::syncFolder(folder, &why)) {
        *error =
            QStringLiteral("written to %1, but a crash may still undo it: %2").arg(placed, why);
        return {};
    }
    return placed;
}

namespace {

struct Destination {
    QString folder;
    QStringList names;
    QDateTime date; // both file dates of the copy, when valid
    QString reason;
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
        QDateTime date = libraryDate(record.cameraDate.text());
        if (date.isValid())
            d.date = date;
        else
            date = creationOrModification(source.path);
        if (!date.isValid()) {
            d.reason = QStringLiteral("it has no date to file it by");
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

namespace {

// A copy written and read back, waiting for its batch's sync before it takes its name.
struct PendingCopy {
    qsizetype outcome = 0; // its row in the report
    Destination destination;
    std::unique_ptr<SafeWrite::Temporary> temp;
};

// Makes a batch durable together, then gives each copy its name and dates, then syncs the
// folders that took names. A copy whose sync failed takes no name.
void placeBatch(std::vector<PendingCopy> &batch, ExportReport &report) {
    QStringList temporaries;
    for (const PendingCopy &p : batch)
        temporaries << p.temp->path();
    const QStringList syncErrors = SafeWrite::syncTogether(temporaries);
    QStringList folders;
    for (size_t i = 0; i < batch.size(); ++i) {
        PendingCopy &p = batch[i];
        ExportOutcome &outcome = report.photos[p.outcome];
        if (!syncErrors[qsizetype(i)].isEmpty()) {
            outcome.reason = syncErrors[qsizetype(i)];
            continue;
        }
        const Destination &d = p.destination;
        outcome.outputPath = moveToFirstFreeOf(p.temp->path(), d.folder, d.names, &outcome.reason);
        if (outcome.outputPath.isEmpty())
            continue;
        p.temp->release();
        if (!folders.contains(d.folder))
            folders << d.folder;
        QString why;
        if (d.date.isValid() && !FileDates::setDates(outcome.outputPath, d.date, &why))
            outcome.reason =
                QStringLiteral("written to %1, but its file dates could not be set: %2")
                    .arg(outcome.outputPath, why);
    }
    for (const QString &folder : folders) {
        QString why;
        if (SafeWrite::syncFolder(folder, &why))
            continue;
        for (const PendingCopy &p : batch) {
            ExportOutcome &outcome = report.photos[p.outcome];
            if (outcome.reason.isEmpty() && !outcome.outputPath.isEmpty() &&
                QFileInfo(outcome.outputPath).absolutePath() == folder)
                outcome.reason = QStringLiteral("written to %1, but a crash may still undo it: %2")
                                     .arg(outcome.outputPath, why);
        }
    }
    batch.clear();
}

} // namespace

ExportReport exportPlainCopies(const QList<ExportEntry> &entries,
                               const PlainExportSettings &settings,
                               const std::function<bool()> &cancelled) {
    ExportReport report;
    if (entries.isEmpty())
        return report;
    if (!storageFolderWritable(settings.storageFolder, &report.folderReason))
        return report;
    // Copies go out in batches that share one sync: a sync per copy made the export several
    // times slower than the copying itself, and each sync also waits for whatever else the
    // file system has to write. A batch's copies are written side by side; where they go is
    // worked out here first, since that reads the items.
    constexpr size_t kBatch = 256;
    const int writers = std::min(4, JobRunner::cores());
    std::vector<PendingCopy> batch;
    bool full = false;
    for (qsizetype first = 0; first < entries.size() && !full; first += qsizetype(kBatch)) {
        struct Planned {
            ExportSource source;
            PendingCopy copy;
            QString reason; // why it was not written
        };
        std::vector<Planned> planned;
        for (qsizetype i = first; i < std::min(entries.size(), first + qsizetype(kBatch)); ++i) {
            const ExportEntry &entry = entries[i];
            ExportOutcome outcome;
            outcome.name = entry.item->fileName;
            if (cancelled && cancelled()) {
                outcome.reason = QStringLiteral("cancelled");
                report.photos << outcome;
                continue;
            }
            const ExportSource source = exportSource(*entry.item, settings.edited);
            report.notDownloaded |= source.substituted;
            Destination d = destinationOf(entry, source, settings);
            outcome.reason = d.reason;
            if (outcome.reason.isEmpty() && !staysInside(settings.storageFolder, d.folder, d.names))
                outcome.reason = QStringLiteral("its name leads out of the storage folder");
            report.photos << outcome;
            if (outcome.reason.isEmpty())
                planned.push_back({source, {report.photos.size() - 1, std::move(d), nullptr}, {}});
        }
        JobRunner::sideBySide(qsizetype(planned.size()), writers, [&planned](qsizetype i) {
            Planned &p = planned[size_t(i)];
            p.copy.temp = writeCopy(p.source.path, p.copy.destination.folder, Durability::Unsynced,
                                    &p.reason);
        });
        const auto noSpace = [](const QString &reason) {
            return reason.contains(QLatin1String("No space left"));
        };
        bool oneAtATime = false;
        for (size_t i = 0; i < planned.size(); ++i) {
            Planned &p = planned[i];
            if (!oneAtATime && noSpace(p.reason)) {
                // Side by side, a later copy may have taken the room this one needed: from
                // here the copies are written again one at a time, in list order.
                oneAtATime = true;
                for (size_t j = i; j < planned.size(); ++j)
                    planned[j].copy.temp.reset();
            }
            if (oneAtATime) {
                p.reason.clear();
                p.copy.temp = writeCopy(p.source.path, p.copy.destination.folder,
                                        Durability::Unsynced, &p.reason);
            }
            report.photos[p.copy.outcome].reason = p.reason;
            // A full disk fails every later copy too: the run stops at the first copy it
            // refused, the later ones are dropped, and the report says how many went out.
            if (noSpace(p.reason)) {
                full = true;
                report.photos.resize(p.copy.outcome + 1);
                break;
            }
            if (p.copy.temp)
                batch.push_back(std::move(p.copy));
        }
        placeBatch(batch, report);
    }
    if (full)
        report.folderReason = QStringLiteral("the storage folder is full; %1 photos were exported")
                                  .arg(report.writtenCount());
    // The flat copies show their first file; the sorted ones the storage folder.
    if (settings.layout == PlainLayout::Flat)
        report.revealPath = report.photos.first().outputPath;
    report.revealRoot = settings.storageFolder;
    return report;
}
