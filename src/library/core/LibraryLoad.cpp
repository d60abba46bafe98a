#include "library/core/LibraryLoad.h"

#include "base/FileTypes.h"
#include "browser/core/LocalImport.h"
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryComparison.h"
#include "library/core/LibraryScan.h"
#include "library/core/LibraryWorkingCopy.h"
#include "library/core/ReferencePhotos.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <malloc.h>

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("LibraryLoad", text);
}

// Collects filed items and hands them back every so many items or milliseconds.
class Batcher {
  public:
    Batcher(const LibraryLoadSettings &s, const std::function<void(LibraryLoadBatch &&)> &out)
        : settings_(s), out_(out) {
        clock_.start();
    }
    LibraryLoadBatch &batch() { return batch_; }
    void counted(int n) {
        pending_ += n;
        counted_ += n;
        // The first photos go at once: they are what the user waits for. Their batches end at
        // the scan's lookup tables at the latest, which take seconds in a large library, even
        // when an earlier batch went by the clock.
        const int most =
            counted_ <= kFirstBatchRecords
                ? std::min(settings_.batchRecords, kFirstBatchRecords - (counted_ - pending_))
                : settings_.batchRecords;
        if (pending_ >= most || clock_.elapsed() >= settings_.batchIntervalMs)
            flush();
    }
    void flush() {
        if (pending_ == 0 && !batch_.restart && batch_.lists.isEmpty() && batch_.records.isEmpty())
            return;
        if (batch_.restart)
            items_ = 0;
        items_ += int(batch_.lists.photoLibBroserArray.size());
        out_(std::exchange(batch_, {}));
        pending_ = 0;
        clock_.restart();
    }
    int items() const {
        return (batch_.restart ? 0 : items_) + int(batch_.lists.photoLibBroserArray.size());
    }

  private:
    const LibraryLoadSettings &settings_;
    const std::function<void(LibraryLoadBatch &&)> &out_;
    LibraryLoadBatch batch_;
    QElapsedTimer clock_;
    int pending_ = 0, items_ = 0, counted_ = 0;
    // The photos the scan gives before it reads its lookup tables.
    static constexpr int kFirstBatchRecords = kPhotosBeforeLookupTables;
};

bool cancelled(const std::atomic_bool *cancel) {
    return cancel && cancel->load();
}

void walkLibraryFolder(const QString &folder, LibraryFolderKind kind, Batcher &out,
                       const std::atomic_bool *cancel) {
    QSet<QString> visited;
    walkFolder(
        folder,
        [&](const QString &path) {
            if (cancelled(cancel))
                return;
            const QString name = QFileInfo(path).fileName();
            // Hidden files (".DS_Store", "._x.jpg") are no photos of the library.
            if (!name.startsWith(QLatin1Char('.')))
                fileLibraryFolderItem(makeLibraryFileItem(path), kind, out.batch().lists);
            out.counted(1);
        },
        visited);
}

// The package's top level when its database gave nothing: the originals or masters, and
// the photos and videos lying there.
void walkPackage(const QString &package, Batcher &out, const std::atomic_bool *cancel) {
    const QStringList entries = QDir(package).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        if (cancelled(cancel))
            return;
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const QString path = package + QLatin1Char('/') + name;
        const QFileInfo info(path);
        if (info.isDir()) {
            if (name == QLatin1String("originals"))
                walkLibraryFolder(path, LibraryFolderKind::Originals, out, cancel);
            else if (name == QLatin1String("Masters"))
                walkLibraryFolder(path, LibraryFolderKind::Masters, out, cancel);
            continue;
        }
        const QString ext = info.suffix();
        IKImageItemPtr item;
        if (!ext.isEmpty() && GetDragImageType(ext) >= 0) {
            item = makeLibraryFileItem(path);
            if (item)
                getOriginalMedataDataWithItem(*item);
        } else if (!ext.isEmpty() && GetViedoType(ext) >= 0) {
            item = makeLibraryFileItem(path);
        }
        if (item) {
            out.batch().lists.photoLibBroserArray.append(item);
            out.batch().lists.backupdifPhotoLibItemArray.append(item);
        }
        out.counted(1);
    }
}

bool hasDatabaseFile(const QString &package) {
    return QFileInfo(package + QStringLiteral("/database/Photos.sqlite")).isFile() ||
           QFileInfo(package + QStringLiteral("/database/photos.db")).isFile() ||
           !catalogueDatabasePath(package).isEmpty();
}

} // namespace

LibraryLoadOutcome runLibraryLoad(const LibraryLoadSettings &settings,
                                  const std::function<void(LibraryLoadBatch &&)> &handBack,
                                  const std::atomic_bool *cancel) {
    LibraryLoadOutcome outcome;
    const QString path = settings.libraryPath;
    const QFileInfo info(path);
    if (!info.exists()) {
        outcome.note = tr("\"%1\" does not exist.").arg(path);
        return outcome;
    }
    if (!info.isDir()) {
        outcome.note = tr("\"%1\" is a file, not a photo library.").arg(path);
        return outcome;
    }
    if (!info.isReadable() || !info.isExecutable()) {
        outcome.note = tr("\"%1\" cannot be read: its folder permissions do not allow it to be "
                          "listed.")
                           .arg(path);
        return outcome;
    }

    Batcher out(settings, handBack);
    auto workingCopy = std::make_shared<LibraryWorkingCopy>(settings.photos);
    int streamed = 0;
    // Items show while the scan reads on.
    LibraryScanResult scan =
        ScanPhotoLibMetadata(path, *workingCopy, [&](const PRPicFileInfoPtr &record) {
            if (cancelled(cancel))
                return;
            ++streamed;
            fileLibraryRecord(record, settings.now, out.batch().lists);
            out.batch().records.append(record);
            out.counted(1);
        });
    // The scan's lookup tables and folder listings are gone: their pages go back to the
    // system rather than staying with the process (hundreds of MB for a large library).
    malloc_trim(0);
    outcome.bScanNewPhotosLib = scan.bScanNewPhotosLib;
    QString reason = scan.ok ? QString() : scan.message;
    if (!scan.ok && streamed > 0) {
        out.flush();
        out.batch().restart = true;
    }
    if (scan.ok && !scan.records.isEmpty()) {
        outcome.libraryRead = true;
        outcome.workingCopy = workingCopy;
        const QList<PRPicFileInfoPtr> &records = scan.records;
        out.flush();
        if (!cancelled(cancel)) {
            ReferencePhotoLists refs = scanReferencePhotos(records);
            LibraryLists &l = out.batch().lists;
            l.photoLibBroserArray.append(refs.items);
            l.backupdifPhotoLibItemArray.append(refs.items);
            l.referencePhotoItemArray.append(refs.referencePhotoItemArray);
            l.lostReferencePhotoItemArray.append(refs.lostReferencePhotoItemArray);
            l.difPhotoLibItemArray.append(refs.difPhotoLibItemArray);
            out.counted(int(refs.items.size()));
        }
    } else {
        workingCopy->close();
        if (scan.ok)
            reason = tr("The library's database holds no photos.");
        walkPackage(path, out, cancel);
        if (!hasDatabaseFile(path) && reason.isEmpty())
            reason = tr("\"%1\" is no photo library.").arg(path);
        const bool shown = out.items() > 0;
        if (!hasDatabaseFile(path) && !QFileInfo(path + QStringLiteral("/originals")).isDir() &&
            !QFileInfo(path + QStringLiteral("/Masters")).isDir())
            outcome.note = shown ? tr("\"%1\" is no photo library: its top-level photos are "
                                      "shown.")
                                       .arg(path)
                                 : tr("\"%1\" is no photo library and holds no photos.").arg(path);
        else
            outcome.note = tr("The library \"%1\" could not be read (%2). %3")
                               .arg(path, reason,
                                    shown ? tr("The photos in its folders are shown, read-only.")
                                          : tr("No photo was found in its folders."));
    }
    out.flush();
    outcome.itemCount = out.items();
    return outcome;
}
