#include "batch/core/SidecarMerge.h"

#include "base/Coordinates.h"
#include "base/FileTypes.h"
#include "batch/core/SidecarRewrite.h"
#include "batch/core/TakeoutReaders.h"
#include "batch/core/VideoSidecarWrite.h"
#include "batch/core/XmpReaders.h"
#include "platform/core/FileCopy.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QTimeZone>

#include <cerrno>
#include <tuple>

namespace {

bool isImage(const QString &name) {
    return GetDragImageType(QFileInfo(name).suffix().toUtf8().constData()) >= 0;
}
bool isVideo(const QString &name) {
    return GetViedoType(QFileInfo(name).suffix().toUtf8().constData()) >= 0;
}
bool isOurTemporary(const QString &name) {
    return name.startsWith(QLatin1String(SafeWrite::kTemporaryPrefix));
}

QString named(const QString &path, const QString &why) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
}

// A link may lead anywhere, outside the chosen folder too: nothing is written through one.
QString leftAlone(const QString &path) {
    return named(path, QStringLiteral("a link: links are left alone"));
}

constexpr char kNotInVideos[] =
    "written, but not its description or keywords: videos take a title, date and position";

// Reads a sidecar whole, refusing one larger than `cap`.
bool readSidecar(const QString &path, qint64 cap, QByteArray *bytes, QString *why) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot be read: %1").arg(f.errorString());
        return false;
    }
    if (f.size() > cap) {
        *why = QStringLiteral("larger than any sidecar (%1 bytes)").arg(f.size());
        return false;
    }
    *bytes = f.read(cap + 1);
    return true;
}

struct FolderListing {
    QStringList folders, sidecars, media; // media: names, links to photos too, to pair them
    QStringList links;                    // paths of linked folders and sidecars
    bool ok = true;
};

FolderListing listFolder(const QString &folder, const QString &sidecarSuffix) {
    FolderListing out;
    QDir dir(folder);
    if (!dir.isReadable()) {
        out.ok = false;
        return out;
    }
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    if (entries.isEmpty() && !QDir(folder).exists()) {
        out.ok = false;
        return out;
    }
    for (const QFileInfo &e : entries) {
        if (isOurTemporary(e.fileName()))
            continue;
        const bool sidecar = e.suffix() == sidecarSuffix || e.suffix() == sidecarSuffix.toUpper();
        if (e.isSymLink() && (e.isDir() || sidecar))
            out.links << e.absoluteFilePath();
        else if (e.isDir())
            out.folders << e.absoluteFilePath();
        else if (sidecar)
            out.sidecars << e.fileName();
        else if (isImage(e.fileName()) || isVideo(e.fileName()))
            out.media << e.fileName();
    }
    return out;
}

int countSidecars(const QString &folder, const QString &suffix) {
    int n = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        n += !f.isSymLink() && (f.suffix() == suffix || f.suffix() == suffix.toUpper());
    }
    return n;
}

// The date a photo no sidecar dated takes as its file dates: its own Exif or TIFF date, or its
// creation date when it names none. Invalid for a file that is no photo or a date that does
// not parse.
QDateTime ownTakenDate(const QString &path) {
    const ImageSource source = ImageSource::fromPath(path);
    if (!source.isValid())
        return {};
    bool named = false;
    const QVariantMap props = source.properties(0);
    const QVariantMap exif = props.value(QStringLiteral("{Exif}")).toMap();
    const QVariantMap tiff = props.value(QStringLiteral("{TIFF}")).toMap();
    const std::pair<QString, QString> tries[] = {
        {exif.value(QStringLiteral("DateTimeOriginal")).toString(),
         exif.value(QStringLiteral("OffsetTimeOriginal")).toString()},
        {exif.value(QStringLiteral("DateTimeDigitized")).toString(),
         exif.value(QStringLiteral("OffsetTimeDigitized")).toString()},
        {tiff.value(QStringLiteral("DateTime")).toString(),
         exif.value(QStringLiteral("OffsetTime")).toString()}};
    for (const auto &[text, offset] : tries) {
        named = named || !text.trimmed().isEmpty();
        QDateTime local =
            QDateTime::fromString(text.trimmed(), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
        if (!local.isValid())
            continue;
        // Without an offset the wall clock is read in the computer's own zone.
        if (offset.size() == 6 &&
            (offset[0] == QLatin1Char('+') || offset[0] == QLatin1Char('-'))) {
            const int sign = offset[0] == QLatin1Char('-') ? -1 : 1;
            local.setOffsetFromUtc(
                sign * (offset.mid(1, 2).toInt() * 3600 + offset.mid(4, 2).toInt() * 60));
        }
        return local;
    }
    return named ? QDateTime() : FileDates::creationDate(path);
}

SidecarChanges takeoutChanges(const TakeoutValues &v, bool tiffDateTime) {
    SidecarChanges c;
    c.title = v.title;
    c.description = v.description;
    c.instant = v.taken.toUTC();
    c.exifDate = c.instant.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    c.offset = QStringLiteral("+00:00");
    // Takeout's zero is no position, and a latitude alone is none either.
    if (!v.latitude.isEmpty()) {
        c.latitude = v.latitude.toDouble();
        c.longitude = v.longitude.isEmpty() ? 0.0 : v.longitude.toDouble();
        // The altitude goes with the position, as it does into videos.
        bool ok = false;
        const double altitude = v.altitude.toDouble(&ok);
        if (ok)
            c.altitude = altitude;
    }
    c.tiffDateTime = tiffDateTime;
    return c;
}

class TakeoutRun {
  public:
    TakeoutRun(const MergeProgress &progress, const std::atomic_bool *cancel)
        : progress(progress), cancel(cancel) {}

    SidecarMergeSummary run(const QString &root) {
        ScanJsonPhotosWithinFolder(root);
        runJobs();
        finalPass();
        runJobs();
        photoDatePass();
        return summary;
    }

  private:
    struct Pending {
        QString folder, name;
        TakeoutValues values;
    };

    bool cancelled() const { return cancel && cancel->load(); }

    struct Job {
        QString path, sidecar;
        TakeoutValues values;
        bool loose = false;
        bool ok = false;
        QString reason;
    };

    // Pairing decides first; the files are written afterwards, several at a time.
    // One sidecar a file: two that name one photo (a merge of two exports holds both
    // "IMG_1.JPG.json" and its supplemental twin) would otherwise race for it.
    void write(const QString &path, const TakeoutValues &v, bool loose, const QString &sidecar) {
        const QString key = QFileInfo(path).absoluteFilePath();
        if (const auto first = paired.constFind(key); first != paired.cend()) {
            summary.skipped << named(
                sidecar, QStringLiteral("%1 takes the values of %2")
                             .arg(QFileInfo(path).fileName(), QFileInfo(*first).fileName()));
            return;
        }
        paired.insert(key, sidecar);
        if (QFileInfo(path).isSymLink()) {
            summary.skipped << leftAlone(path);
            return;
        }
        jobs.append({path, sidecar, v, loose, false, {}});
    }

    void perform(Job &job) const {
        if (cancelled()) {
            job.reason = QStringLiteral("cancelled");
            return;
        }
        const TakeoutValues &v = job.values;
        if (isVideo(job.path)) {
            // Takeout names instants: its videos, as its photos, take them in UTC.
            const VideoWriteOutcome r = SaveChangedVideoExifWith(
                job.path, v.title, v.altitude, v.latitude, v.longitude, v.taken.toUTC());
            job.ok = r.ok;
            job.reason = r.reason;
            if (r.ok && job.reason.isEmpty() && !v.description.trimmed().isEmpty())
                job.reason = QLatin1String(kNotInVideos);
        } else {
            // The sidecar is dated like its photo, whether the photo could be written or not;
            // the photo's own reason comes first.
            datedSidecar(job);
            StagedRewrite staged;
            const RewriteOutcome r =
                stagePhotoRewrite(job.path, takeoutChanges(v, job.loose), &staged);
            if (!r.ok) {
                job.reason = r.reason;
                return;
            }
            // The job is the batch's from here on.
            return stagedForBatch(job, std::move(staged));
        }
        datedSidecar(job);
    }

    static void datedSidecar(Job &job) {
        QString why;
        if (!FileDates::setDates(job.sidecar, job.values.taken, &why) && job.reason.isEmpty())
            job.reason = QStringLiteral("its sidecar's file dates were not set: %1").arg(why);
    }

    // Rewritten photos wait in their temporaries until enough of them are there to be made
    // durable together (one wait on the disk instead of one a photo); then they replace
    // their photos. The bound keeps the room the temporaries take small.
    struct Staged {
        Job *job;
        StagedRewrite rewrite;
    };
    static constexpr size_t kBatchPhotos = 64;
    static constexpr qint64 kBatchBytes = 256 << 20;

    void stagedForBatch(Job &job, StagedRewrite rewrite) const {
        std::vector<Staged> full;
        {
            const QMutexLocker lock(&stagedMutex);
            stagedBytes += rewrite.size;
            staged.push_back({&job, std::move(rewrite)});
            if (staged.size() < kBatchPhotos && stagedBytes < kBatchBytes)
                return;
            full.swap(staged);
            stagedBytes = 0;
        }
        replaceStaged(full);
    }

    // Nothing is replaced before its replacement is durable; the folders are synced once,
    // after the pass.
    static void replaceStaged(std::vector<Staged> &batch) {
        QStringList temporaries;
        for (const Staged &s : batch)
            temporaries << s.rewrite.temporary->path();
        const QStringList syncErrors = SafeWrite::syncFiles(temporaries);
        for (size_t i = 0; i < batch.size(); ++i) {
            Job &job = *batch[i].job;
            const RewriteOutcome r =
                finishPhotoRewrite(job.path, batch[i].rewrite, syncErrors[qsizetype(i)]);
            job.ok = r.ok;
            if (!r.reason.isEmpty())
                job.reason = r.reason;
        }
        batch.clear();
    }

    void runJobs() {
        QMutex reporting;
        int finished = 0;
        const int total = written + int(jobs.size());
        Job *each = jobs.data(); // detached here, not by the threads
        // Twice as many photos as cores at a time: a worker waits on the disk for part of each
        // photo (freeing the one it replaced, syncing its batch), and the others fill the cores.
        JobRunner::sideBySide(jobs.size(), 2 * JobRunner::cores(), [&](qsizetype i) {
            perform(each[i]);
            const QMutexLocker lock(&reporting);
            ++finished;
            if (progress)
                progress(written + finished, total);
        });
        replaceStaged(staged);
        stagedBytes = 0;
        QSet<QString> folders;
        for (const Job &job : std::as_const(jobs)) {
            if (job.ok)
                folders.insert(QFileInfo(job.path).absolutePath());
        }
        // One sync a folder makes every rename of the batch durable.
        QHash<QString, QString> unsynced;
        for (const QString &folder : std::as_const(folders)) {
            QString why;
            if (!SafeWrite::syncFolder(folder, &why))
                unsynced.insert(folder, why);
        }
        for (Job &job : jobs) {
            const auto failed = unsynced.constFind(QFileInfo(job.path).absolutePath());
            if (job.ok && failed != unsynced.constEnd()) {
                job.ok = false;
                job.reason = QStringLiteral("written, but a crash may still undo it: %1")
                                 .arg(failed.value());
            }
        }
        for (const Job &job : std::as_const(jobs)) {
            if (job.ok)
                summary.merged << job.path;
            if (!job.reason.isEmpty())
                (job.ok ? summary.inPart : summary.skipped) << named(job.path, job.reason);
        }
        written += int(jobs.size());
        jobs.clear();
    }

    void ScanJsonPhotosWithinFolder(const QString &folder) {
        const FolderListing listing = listFolder(folder, QStringLiteral("json"));
        if (!listing.ok) {
            summary.skipped << named(folder, QStringLiteral("the folder cannot be listed"));
            return;
        }
        for (const QString &link : listing.links)
            summary.skipped << leftAlone(link);
        for (const QString &sub : listing.folders)
            ScanJsonPhotosWithinFolder(sub);
        allMedia.insert(folder, listing.media);
        for (const QString &name : listing.sidecars) {
            if (cancelled())
                return;
            const QString path = folder + QLatin1Char('/') + name;
            handle(folder, name, path);
        }
    }

    void handle(const QString &folder, const QString &name, const QString &path) {
        QByteArray bytes;
        QString why;
        if (!readSidecar(path, kMaxTakeoutJsonBytes, &bytes, &why)) {
            ++summary.sidecars;
            summary.skipped << named(path, why);
            return;
        }
        const auto json = parseTakeoutJson(bytes, &why);
        if (!json) {
            ++summary.sidecars;
            summary.skipped << named(path, why);
            return;
        }
        // An album's own metadata.json names no photo: it is the album's, nothing to merge.
        if (isTakeoutAlbumMetadata(*json)) {
            ++summary.albums;
            return;
        }
        ++summary.sidecars;
        const TakeoutValues values = readTakeoutValues(*json);
        if (!values.taken.isValid()) {
            summary.skipped << named(path, QStringLiteral("the sidecar gives no date"));
            return;
        }
        const QStringList names = takeoutPhotoNames(name, allMedia.value(folder));
        if (names.isEmpty()) {
            pending.append({folder, name, values});
            return;
        }
        for (const QString &photo : names)
            write(folder + QLatin1Char('/') + photo, values, false, path);
    }

    // Only into a photo nobody was paired with, and only when exactly one fits.
    void finalPass() {
        for (const Pending &p : pending) {
            if (cancelled())
                return;
            QStringList free;
            for (const QString &name : allMedia.value(p.folder)) {
                if (!paired.contains(
                        QFileInfo(p.folder + QLatin1Char('/') + name).absoluteFilePath()))
                    free << name;
            }
            const QString photo = looseTakeoutPhotoName(p.name, free);
            if (photo.isEmpty())
                summary.unpaired << p.folder + QLatin1Char('/') + p.name;
            else
                write(p.folder + QLatin1Char('/') + photo, p.values, true,
                      p.folder + QLatin1Char('/') + p.name);
        }
    }

    void photoDatePass() {
        for (auto it = allMedia.cbegin(); it != allMedia.cend(); ++it) {
            for (const QString &name : it.value()) {
                const QString path = it.key() + QLatin1Char('/') + name;
                if (cancelled() || paired.contains(QFileInfo(path).absoluteFilePath()) ||
                    !isImage(name))
                    continue;
                if (QFileInfo(path).isSymLink()) {
                    summary.skipped << leftAlone(path);
                    continue;
                }
                const QDateTime taken = ownTakenDate(path);
                QString why;
                if (taken.isValid() && !FileDates::setDates(path, taken, &why))
                    summary.skipped
                        << named(path, QStringLiteral("its own date was not set: %1").arg(why));
            }
        }
    }

    MergeProgress progress;
    const std::atomic_bool *cancel;
    SidecarMergeSummary summary;
    QHash<QString, QStringList> allMedia; // folder -> its photos and videos
    QHash<QString, QString> paired;       // photo -> the sidecar whose values it takes
    QList<Pending> pending;
    QList<Job> jobs;
    int written = 0; // files of the jobs already run
    // Photos waiting for their batch to be made durable; filled by the workers.
    mutable QMutex stagedMutex;
    mutable std::vector<Staged> staged;
    mutable qint64 stagedBytes = 0;
};

} // namespace

QString SidecarMergeSummary::text() const {
    QString t =
        QStringLiteral("%1 files merged from %2 sidecars.").arg(merged.size()).arg(sidecars);
    if (albums > 0)
        t += QStringLiteral(" %1 album descriptions (an album's own metadata.json) name no "
                            "photo and were passed over.")
                 .arg(albums);
    auto list = [&t](const char *heading, const QStringList &items) {
        if (items.isEmpty())
            return;
        t += QStringLiteral("\n\n%1 (%2):").arg(QLatin1String(heading)).arg(items.size());
        for (const QString &item : shortList(items))
            t += QStringLiteral("\n") + QDir::toNativeSeparators(item);
    };
    list("Merged in part", inPart);
    list("Sidecars without their photo", unpaired);
    list("Not done", skipped);
    return t;
}

namespace {

// A rename where it can be one, never over a file that took the name meanwhile; across file
// systems a durable copy that reads back the same and keeps the dates, before the original goes.
bool moveFile(const QString &from, const QString &to, QString *why) {
    const int error = renameWithoutReplacing(from, to);
    if (error == 0)
        return true;
    if (error != EXDEV) {
        *why = error == EEXIST ? QStringLiteral("a file of that name is already in %1")
                                     .arg(QFileInfo(to).absolutePath())
                               : SafeWrite::systemError(error);
        return false;
    }
    bool taken = false;
    const auto dated = [&](const QString &copy, QString *why) {
        return FileDates::copyDates(from, copy, why);
    };
    if (!copyFileAsNew(from, to, &taken, why, dated)) {
        if (taken)
            *why = QStringLiteral("a file of that name is already in %1")
                       .arg(QFileInfo(to).absolutePath());
        return false;
    }
    if (!QFile::remove(from)) {
        *why = QStringLiteral("copied, but the original cannot be removed");
        return false;
    }
    return true;
}

// Whether `relative` below `root` passes through a link, which may lead out of the folder.
bool throughLink(const QString &root, const QString &relative) {
    QString path = root;
    for (const QString &part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        if (QFileInfo(path).isSymLink())
            return true;
    }
    return false;
}

} // namespace

QStringList mergeFolderswithSourceArray(const QStringList &folders) {
    QStringList notMoved;
    if (folders.size() < 2)
        return notMoved;
    const QDir target(folders.first());
    const auto linkedFolder = [&](const QString &from) {
        return named(from, QStringLiteral("its folder in %1 is a link: links are left alone")
                               .arg(target.absolutePath()));
    };
    for (qsizetype i = 1; i < folders.size(); ++i) {
        const QDir source(folders.at(i));
        QDirIterator it(source.absolutePath(),
                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        // Folders first, so that every file finds its folder in the target.
        QStringList files;
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = source.relativeFilePath(path);
            const QFileInfo info(path);
            if (info.isSymLink()) {
                notMoved << leftAlone(path);
            } else if (info.isDir()) {
                if (throughLink(target.absolutePath(), relative))
                    notMoved << linkedFolder(path);
                else if (!target.mkpath(relative))
                    notMoved << named(path, QStringLiteral("its folder cannot be made in %1")
                                                .arg(target.absolutePath()));
            } else {
                files << relative;
            }
        }
        for (const QString &relative : files) {
            const QString from = source.absoluteFilePath(relative);
            const QString to = target.absoluteFilePath(relative);
            QString why;
            if (throughLink(target.absolutePath(), QFileInfo(relative).path()))
                notMoved << linkedFolder(from);
            else if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
                notMoved << named(from, QStringLiteral("a file of that name is already in %1")
                                            .arg(target.absolutePath()));
            else if (!moveFile(from, to, &why))
                notMoved << named(from, why);
        }
    }
    return notMoved;
}

namespace {

SidecarChanges xmpChanges(const XmpFields &xmp) {
    SidecarChanges c;
    c.iptcTexts = true;
    c.title = getTitlewithXMPStr(xmp);
    c.description = getDescriptionwithXMPStr(xmp);
    c.keywords = getKeywordswithXMPStr(xmp);
    const XmpDate date = xmpDate(getPhotoDatewithXMPStr(xmp));
    if (date.isValid()) {
        c.exifDate = date.exifText;
        c.offset = date.offset;
        c.instant = date.instant;
    }
    c.latitude = xmpCoordinate(getGPSLatitudewithXMPStr(xmp), getGPSLatitudeRefwithXMPStr(xmp),
                               GpsAxis::Latitude);
    c.longitude = xmpCoordinate(getGPSLongitudewithXMPStr(xmp), getGPSLongitudeRefwithXMPStr(xmp),
                                GpsAxis::Longitude);
    return c;
}

class XmpRun {
  public:
    XmpRun(const MergeProgress &progress, const std::atomic_bool *cancel)
        : progress(progress), cancel(cancel) {}

    SidecarMergeSummary run(const QString &root) {
        total = countSidecars(root, QStringLiteral("xmp"));
        ScanXMPPhotosWithinFolder(root);
        return summary;
    }

  private:
    void ScanXMPPhotosWithinFolder(const QString &folder) {
        const FolderListing listing = listFolder(folder, QStringLiteral("xmp"));
        if (!listing.ok) {
            summary.skipped << named(folder, QStringLiteral("the folder cannot be listed"));
            return;
        }
        for (const QString &link : listing.links)
            summary.skipped << leftAlone(link);
        for (const QString &sub : listing.folders)
            ScanXMPPhotosWithinFolder(sub);
        for (const QString &name : listing.sidecars) {
            if (cancel && cancel->load())
                return;
            ++summary.sidecars;
            handle(folder + QLatin1Char('/') + name);
            if (progress)
                progress(++done, total);
        }
    }

    void handle(const QString &path) {
        QByteArray bytes;
        QString why;
        if (!readSidecar(path, kMaxXmpSidecarBytes, &bytes, &why)) {
            summary.skipped << named(path, why);
            return;
        }
        const auto xmp = parseXmpSidecar(bytes, &why);
        if (!xmp) {
            summary.skipped << named(path, why);
            return;
        }
        const auto wanted = [](const QString &candidate) {
            const QFileInfo f(candidate);
            return (f.isFile() || f.isSymLink()) && (isImage(candidate) || isVideo(candidate));
        };
        QString photo;
        for (const QString &candidate : xmpPhotoCandidates(path)) {
            if (wanted(candidate)) {
                photo = candidate;
                break;
            }
        }
        // Linux tells "IMG_7.heic" from "IMG_7.HEIC": another spelling of a candidate counts.
        if (photo.isEmpty()) {
            const QFileInfo info(path);
            const QStringList present =
                info.dir().entryList({info.completeBaseName() + QStringLiteral(".*")}, QDir::Files);
            for (const QString &candidate : xmpPhotoCandidates(path)) {
                const QString candidateName = QFileInfo(candidate).fileName();
                for (const QString &name : present) {
                    if (photo.isEmpty() && name.compare(candidateName, Qt::CaseInsensitive) == 0 &&
                        wanted(info.dir().absoluteFilePath(name)))
                        photo = info.dir().absoluteFilePath(name);
                }
            }
        }
        if (photo.isEmpty()) {
            summary.unpaired << path;
            return;
        }
        if (QFileInfo(photo).isSymLink()) {
            summary.skipped << leftAlone(photo);
            return;
        }
        const SidecarChanges changes = xmpChanges(*xmp);
        bool ok = false;
        QString reason;
        if (isVideo(photo)) {
            std::tie(ok, reason) = writeVideo(photo, changes);
        } else {
            const RewriteOutcome r = rewritePhotoInPlace(photo, changes);
            ok = r.ok;
            reason = r.reason;
        }
        if (ok)
            summary.merged << photo;
        if (!reason.isEmpty())
            (ok ? summary.inPart : summary.skipped) << named(photo, reason);
    }

    // A video takes the sidecar's title, date and position; its description and keywords
    // have no place there and are named.
    static std::pair<bool, QString> writeVideo(const QString &path, const SidecarChanges &c) {
        const auto degrees = [](const std::optional<double> &v) {
            return v ? QString::number(*v, 'f', 7) : QString();
        };
        const VideoWriteOutcome r = SaveChangedVideoExifWith(path, c.title, {}, degrees(c.latitude),
                                                             degrees(c.longitude), c.instant);
        QString reason = r.reason;
        if (r.ok && reason.isEmpty() && (!c.description.isEmpty() || !c.keywords.isEmpty()))
            reason = QLatin1String(kNotInVideos);
        return {r.ok, reason};
    }

    MergeProgress progress;
    const std::atomic_bool *cancel;
    SidecarMergeSummary summary;
    int total = 0, done = 0;
};

} // namespace

SidecarMergeSummary ScnXmpPhotosItemThreader(const QString &folder, const MergeProgress &progress,
                                             const std::atomic_bool *cancel) {
    XmpRun run(progress, cancel);
    return run.run(QFileInfo(folder).absoluteFilePath());
}

SidecarMergeSummary ScanJsonPhotosItemThreader(const QString &folder, const MergeProgress &progress,
                                               const std::atomic_bool *cancel) {
    TakeoutRun run(progress, cancel);
    return run.run(QFileInfo(folder).absoluteFilePath());
}
