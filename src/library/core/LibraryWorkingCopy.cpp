#include "library/core/LibraryWorkingCopy.h"

#include "base/DataFolders.h"
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibrarySchema.h"
#include "library/core/SqliteDatabase.h"
#include "platform/core/FileCopy.h"
#include "platform/core/JobRunner.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/SafeWrite.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimeZone>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <limits>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char *const kCompanions[] = {"-wal", "-shm"};
// What a restore removes before the restored file takes the name: a log or journal of the
// old file must never be applied to the new one.
const char *const kJournals[] = {"-wal", "-shm", "-journal"};
const char *const kLockAndAside[] = {".lock", ".aside", ".aside-shm", ".aside-wal"};

std::function<void(int)> restoreStepHook;

void restoreStep(int step) {
    if (restoreStepHook)
        restoreStepHook(step);
}

// Fold on an open connection; leaves it open so the caller can read a consistent file.
FoldResult foldOpen(SqliteDatabase &db) {
    FoldResult r;
    const QString mode = db.scalar(QStringLiteral("PRAGMA journal_mode")).toLower();
    if (mode.isNull()) {
        r.reason = db.lastError();
        r.busy = db.lastError().contains(QLatin1String("locked"));
        return r;
    }
    r.wal = mode == QLatin1String("wal");
    if (r.wal) {
        int log = -1, done = -1;
        const int rc = sqlite3_wal_checkpoint_v2(db.handle(), nullptr, SQLITE_CHECKPOINT_TRUNCATE,
                                                 &log, &done);
        if ((rc & 0xff) == SQLITE_BUSY || (rc == SQLITE_OK && log != done)) {
            r.busy = true;
            r.reason = QStringLiteral("\"%1\" is in use by another program").arg(db.path());
            return r;
        }
        if (rc != SQLITE_OK) {
            r.reason = db.errorFor(QStringLiteral("checkpoint"));
            return r;
        }
    } else {
        // No log to fold; a writer elsewhere would still make our copy stale.
        if (!db.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            r.busy = true;
            r.reason = QStringLiteral("\"%1\" is in use by another program").arg(db.path());
            return r;
        }
        db.exec(QStringLiteral("ROLLBACK"));
    }
    r.ok = true;
    return r;
}

QString joinedFile(const QString &path, const char *suffix) {
    return path + QLatin1String(suffix);
}

QString inUseBy(const QString &original, const QList<DatabaseHolder> &held) {
    if (std::all_of(held.begin(), held.end(),
                    [](const DatabaseHolder &h) { return h.onAnotherComputer(); }))
        return QStringLiteral("The library \"%1\" is open on another computer: its lock names "
                              "%2. Photo Kestry does not write a library that may be written "
                              "there.")
            .arg(libraryPackageOf(original), describeHolders(held));
    return QStringLiteral("The library \"%1\" is in use by %2. Close it and try again.")
        .arg(libraryPackageOf(original), describeHolders(held));
}

QString changedByAnother(const QString &original, const QString &how) {
    return QStringLiteral("The library \"%1\" was changed by another program after Photo "
                          "Kestry opened it (%2). Nothing was written to it; open it again to "
                          "edit it as it is now.")
        .arg(libraryPackageOf(original), how);
}

QString notWritten(const QString &original, const QString &what) {
    return QStringLiteral("The change was not written to the library \"%1\": %2. The library "
                          "is as it was; open it again to edit it.")
        .arg(libraryPackageOf(original), what);
}

QString damagedLibrary(const QString &original, const QString &detail) {
    return QStringLiteral("The library \"%1\" is damaged: %2. Nothing in it was changed. Photo "
                          "Kestry's backups of its database from earlier opens are in \"%3\"; "
                          "the photo application may also repair it.")
        .arg(libraryPackageOf(original), detail, libraryBackupFolderFor(original));
}

QString copyDamaged(const QString &original, const QString &detail) {
    return notWritten(
        original,
        QStringLiteral("Photo Kestry's copy of its database is damaged (%1)").arg(detail));
}

} // namespace

FoldResult commitDB(const QString &path) {
    SqliteDatabase db;
    FoldResult r;
    if (!QFileInfo(path).isFile()) {
        r.reason = QStringLiteral("\"%1\" does not exist").arg(path);
        return r;
    }
    if (!db.open(path, SqliteDatabase::Mode::ReadWrite, &r.reason))
        return r;
    return foldOpen(db);
}

QString checkDatabaseFile(const QString &path, bool heldStill) {
    QString why;
    if (!looksLikeSqliteFile(path, &why))
        return why;
    SqliteDatabase db;
    if (!db.open(path,
                 heldStill ? SqliteDatabase::Mode::Immutable : SqliteDatabase::Mode::ReadWrite,
                 &why))
        return why;
    SqliteStatement *check = db.prepare(QStringLiteral("PRAGMA quick_check"));
    if (!check)
        return db.lastError();
    QStringList problems;
    while (check->step())
        problems << check->string(0);
    if (check->failed())
        return check->error();
    check->reset();
    if (problems != QStringList{QStringLiteral("ok")})
        return QStringLiteral("\"%1\" fails its check: %2")
            .arg(path, problems.mid(0, 3).join(QStringLiteral("; ")));
    const qint64 pages = db.scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
    const qint64 pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
    const DatabaseFileState state = databaseFileState(path);
    if (state.walSize <= 0 && pages * pageSize != state.size)
        return QStringLiteral("\"%1\" is cut short or damaged").arg(path);
    return QString();
}

QString libraryBackupFolderFor(const QString &originalPath) {
    const QFileInfo info(originalPath);
    const QString package = libraryPackageOf(info.absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(info.absoluteFilePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(8);
    return backupFolder() + QLatin1Char('/') + QFileInfo(package).fileName() + QLatin1Char('-') +
           QString::fromLatin1(hash);
}

QString libraryPackageOf(const QString &originalPath) {
    QDir dir = QFileInfo(originalPath).absoluteDir();
    const QString databaseFolder = dir.absolutePath();
    // Photos keeps "database/Photos.sqlite", iPhoto and Aperture "Database/apdb/Library.apdb".
    for (int up = 0; up < 3 && !dir.isRoot(); ++up) {
        const QString name = dir.dirName();
        if (name.endsWith(QLatin1String("library"), Qt::CaseInsensitive) && name.contains('.'))
            return dir.absolutePath();
        dir.cdUp();
    }
    // A package under another name: the folder that holds "database" or "Database/apdb".
    QDir folder(databaseFolder);
    if (folder.dirName() == QLatin1String("apdb"))
        folder.cdUp();
    folder.cdUp();
    return folder.absolutePath();
}

QString namingTheLibrary(QString text, const QString &working, const QString &original) {
    if (working.isEmpty() || original.isEmpty())
        return text;
    const QString copy =
        QStringLiteral("Photo Kestry's copy of the library \"%1\"").arg(libraryPackageOf(original));
    return text.replace(QLatin1Char('"') + working + QLatin1Char('"'), copy).replace(working, copy);
}

QString LibraryWorkingCopy::libraryMessage(const QString &text) const {
    return namingTheLibrary(text, current_, original_);
}

void removeLibraryLeftovers(const QString &originalPath) {
    using SafeWrite::EarlierCopies;
    SafeWrite::removeStaleTemporaries(QFileInfo(originalPath).absolutePath(),
                                      EarlierCopies::NumberedAndUnnumbered);
    SafeWrite::removeStaleTemporaries(applicationSupportFolder(), EarlierCopies::Numbered);
    const QString folder = libraryBackupFolderFor(originalPath);
    for (const QString &stamp : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        SafeWrite::removeStaleTemporaries(folder + QLatin1Char('/') + stamp,
                                          EarlierCopies::Numbered);
        QDir(folder).rmdir(stamp); // only when the killed backup left it empty
    }
}

QString newestSoundBackup(const QString &originalPath) {
    const QString folder = libraryBackupFolderFor(originalPath);
    const QString name = QFileInfo(originalPath).fileName();
    const QStringList stamps =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = stamps.crbegin(); it != stamps.crend(); ++it) {
        const QString candidate = folder + QLatin1Char('/') + *it + QLatin1Char('/') + name;
        if (QFileInfo(candidate).isFile() && checkDatabaseFile(candidate).isEmpty())
            return candidate;
    }
    return {};
}

QDateTime libraryBackupTime(const QString &path) {
    // The folder is named "yyyyMMdd-HHmmsszzz" in UTC, with "-N" after it when two backups
    // fell in one millisecond.
    const QString stamp = QFileInfo(QFileInfo(path).absolutePath()).fileName();
    const QDate date = QDate::fromString(stamp.left(8), QStringLiteral("yyyyMMdd"));
    const QTime time = QTime::fromString(stamp.mid(9, 9), QStringLiteral("HHmmsszzz"));
    if (stamp.size() < 18 || stamp.at(8) != QLatin1Char('-') || !date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, QTimeZone::utc());
}

QString libraryBackupTimeText(const QString &path) {
    return libraryBackupTime(path).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void setRestoreStepHook(std::function<void(int)> hook) {
    restoreStepHook = std::move(hook);
}

LibraryStepResult restoreLibraryDatabase(const QString &original, const QString &backup,
                                         PhotosApplication &photos) {
    LibraryStepResult result;
    const auto refuse = [&](const QString &why) {
        result.reason = why;
        return result;
    };
    const auto held = [&](QString *why) {
        const QList<DatabaseHolder> holders = photos.holders(original);
        if (holders.isEmpty())
            return false;
        *why = inUseBy(original, holders);
        return true;
    };
    QString why;
    if (held(&why))
        return refuse(why);
    // The old file takes in whatever log it has, so that it stays whole until the rename.
    bool oldFileReadable = true;
    {
        SqliteDatabase db;
        FoldResult fold;
        if (!db.open(original, SqliteDatabase::Mode::ReadWrite, &why))
            fold.busy =
                why.contains(QLatin1String("locked")) || why.contains(QLatin1String("busy"));
        else
            fold = foldOpen(db);
        if (fold.busy)
            return refuse(QStringLiteral("The library \"%1\" is in use by another program.")
                              .arg(libraryPackageOf(original)));
        oldFileReadable = fold.ok;
    }
    restoreStep(1);
    if (held(&why))
        return refuse(why);
    // Frames that came after the fold belong to a writer we did not see; a damaged old file
    // cannot take them in, and nothing of it can be lost any more.
    if (oldFileReadable && walContent(joinedFile(original, "-wal")).frames > 0)
        return refuse(changedByAnother(original, QStringLiteral("its log was written")));
    for (int i = 0; i < 3; ++i) {
        if (!removeIfPresent(joinedFile(original, kJournals[i]), &why))
            return refuse(why);
        if (i < 2)
            restoreStep(2 + i);
    }
    const auto stillAlone = [&](QString *veto) {
        restoreStep(4);
        if (held(veto))
            return false;
        if (walContent(joinedFile(original, "-wal")).frames > 0) {
            *veto = changedByAnother(original, QStringLiteral("its log was written"));
            return false;
        }
        return true;
    };
    if (!copyFileSafely(backup, original, &why, stillAlone))
        return refuse(why);
    restoreStep(5);
    // A reader between the removal and the rename leaves an empty log; it holds nothing.
    for (const char *suffix : kCompanions)
        if (walContent(joinedFile(original, "-wal")).frames == 0)
            removeIfPresent(joinedFile(original, suffix), nullptr);
    result.ok = true;
    return result;
}

LibraryWorkingCopy::LibraryWorkingCopy(PhotosApplication *photos)
    : photos_(photos ? *photos : photosApplication()) {}

LibraryWorkingCopy::~LibraryWorkingCopy() {
    close();
}

void LibraryWorkingCopy::close() {
    // The checks beside the scan read our copy and write a backup: they end first.
    if (verifying_.valid())
        verifying_.wait();
    verifying_ = {};
    openProblem_.clear();
    companion_.reset();
    if (workingLockFd_ >= 0)
        ::close(workingLockFd_);
    workingLockFd_ = -1;
    if (!privateFolder_.isEmpty())
        QDir(privateFolder_).removeRecursively();
    privateFolder_.clear();
    original_.clear();
    current_.clear();
    readOnlyReason_.clear();
    backup_.clear();
    restored_.clear();
    baseline_ = {};
    baselineFile_.clear();
}

QString LibraryWorkingCopy::libraryBackupFolder() const {
    return original_.isEmpty() ? QString() : libraryBackupFolderFor(original_);
}

QList<DatabaseHolder> LibraryWorkingCopy::holders() const {
    return original_.isEmpty() ? QList<DatabaseHolder>() : photos_.holders(original_);
}

bool LibraryWorkingCopy::lockWorkingCopy(const QString &path) {
    const int fd = ::open(QFile::encodeName(path + QStringLiteral(".pklock")).constData(),
                          O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    workingLockFd_ = fd;
    return true;
}

namespace {

// A dated backup of `original` in its library's backup folder: its path, or empty with
// *why set.
QString makeBackupOf(const QString &original, QString *why) {
    const QString folder = libraryBackupFolderFor(original);
    QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    QString target = folder + QLatin1Char('/') + stamp;
    for (int i = 1; QFileInfo::exists(target); ++i)
        target = folder + QLatin1Char('/') + stamp + QStringLiteral("-%1").arg(i);
    if (!QDir().mkpath(target)) {
        *why = QStringLiteral("No backup could be made in \"%1\".").arg(target);
        return {};
    }
    const QString name = QFileInfo(original).fileName();
    QString failed;
    if (!copyFileSafely(original, target + QLatin1Char('/') + name, &failed)) {
        QDir(target).removeRecursively();
        *why = QStringLiteral("No backup could be made: %1").arg(failed);
        return {};
    }
    // The photo application's aside files go with the copy back; keep them here.
    for (const char *suffix : {".aside", ".aside-shm", ".aside-wal"}) {
        const QString aside = joinedFile(original, suffix);
        if (QFileInfo(aside).isFile())
            copyFileSafely(aside, target + QLatin1Char('/') + name + QLatin1String(suffix),
                           &failed);
    }
    return target + QLatin1Char('/') + name;
}

void removeBackup(const QString &backup) {
    if (!backup.isEmpty())
        QDir(QFileInfo(backup).absolutePath()).removeRecursively();
}

void pruneBackups(const QString &original) {
    const QString folder = libraryBackupFolderFor(original);
    QStringList kept = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    while (kept.size() > LibraryWorkingCopy::kBackupsKept)
        QDir(folder + QLatin1Char('/') + kept.takeFirst()).removeRecursively();
}

} // namespace

LibraryWorkingCopy::Verification
LibraryWorkingCopy::verifyWorkingCopy(const QString &original, const QString &working,
                                      const DatabaseContentState &baseline, bool backUp) {
    Verification v;
    QString why;
    if (backUp) {
        v.backup = makeBackupOf(original, &why);
        if (v.backup.isEmpty())
            v.readOnly = why;
    }
    QString how;
    if (!databaseContentUnchanged(original, baseline, working, &how)) {
        // Read-only, and no backup of a file that moved under us.
        removeBackup(v.backup);
        v.backup.clear();
        v.readOnly = QStringLiteral("The library \"%1\" was changed by another program while it "
                                    "was opened (%2).")
                         .arg(libraryPackageOf(original), how);
    } else if (!sameFileContents(original, working)) {
        removeBackup(v.backup);
        v.backup.clear();
        v.problem = QStringLiteral("The library \"%1\" could not be opened: the copy of its "
                                   "database does not read back as written.")
                        .arg(libraryPackageOf(original));
        return v;
    }
    // The scan reads the copy meanwhile. A second ordinary connection would meet its
    // locks and log recovery as SQLITE_BUSY (even at its first read, before any busy
    // handler) and take them for damage; the copy has no log and nothing writes it yet.
    QString problem = checkDatabaseFile(working, true);
    if (!problem.isEmpty()) {
        // Our copy holds the library's bytes: the damage is the library's. A copy of a
        // damaged library must not push a sound backup out of the five.
        v.problem = damagedLibrary(original, problem.replace(working, original));
        removeBackup(v.backup);
        v.backup.clear();
        return v;
    }
    if (!v.backup.isEmpty())
        pruneBackups(original);
    return v;
}

LibraryStepResult LibraryWorkingCopy::open(const QString &originalDatabasePath) {
    const LibraryStepResult begun = beginOpen(originalDatabasePath);
    return begun.ok ? finishOpen() : begun;
}

LibraryStepResult LibraryWorkingCopy::finishOpen() {
    LibraryStepResult result;
    if (!verifying_.valid()) {
        result.ok = !current_.isEmpty() && openProblem_.isEmpty();
        if (!result.ok)
            result.reason =
                openProblem_.isEmpty() ? QStringLiteral("No library is open.") : openProblem_;
        return result;
    }
    const Verification v = verifying_.get();
    backup_ = baselineFile_ = v.backup;
    if (!v.readOnly.isEmpty() && readOnlyReason_.isEmpty())
        readOnlyReason_ = v.readOnly;
    if (!v.problem.isEmpty()) {
        readOnlyReason_ = openProblem_ = v.problem;
        result.reason = v.problem;
        return result;
    }
    result.ok = true;
    return result;
}

LibraryStepResult LibraryWorkingCopy::beginOpen(const QString &originalDatabasePath) {
    close();
    LibraryStepResult result;
    const QFileInfo info(originalDatabasePath);
    if (!info.isFile()) {
        result.reason = QStringLiteral("\"%1\" does not exist.").arg(originalDatabasePath);
        return result;
    }
    QString why;
    if (!looksLikeSqliteFile(info.absoluteFilePath(), &why)) {
        result.reason = why;
        return result;
    }
    original_ = info.absoluteFilePath();
    const QString name = info.fileName();
    removeLibraryLeftovers(original_);

    QString working = applicationSupportFolder() + QLatin1Char('/') + name;
    QDir().mkpath(applicationSupportFolder());
    if (!lockWorkingCopy(working)) {
        // Another Photo Kestry works on that copy: leave it alone and read a private one.
        // Named so that a start after a crash knows it as ours and removes it.
        QByteArray folder =
            QFile::encodeName(PrivateFolder::temporaryTemplate(QStringLiteral("library")));
        privateFolder_ = ::mkdtemp(folder.data()) ? QFile::decodeName(folder) : QString();
        if (privateFolder_.isEmpty()) {
            result.reason = QStringLiteral("No private folder for a copy of the library \"%1\".")
                                .arg(libraryPackageOf(original_));
            original_.clear();
            return result;
        }
        working = privateFolder_ + QLatin1Char('/') + name;
        readOnlyReason_ = QStringLiteral("Another Photo Kestry has a library open; this one "
                                         "is opened read-only.");
    }
    const auto prepareWorking = [&](const QString &w) {
        QDir().mkpath(QFileInfo(w).absolutePath());
        for (const char *suffix : kCompanions)
            removeIfPresent(joinedFile(w, suffix), nullptr);
    };
    prepareWorking(working);

    const QList<DatabaseHolder> held = photos_.holders(original_);
    const bool writable = ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK) == 0 &&
                          ::access(QFile::encodeName(original_).constData(), W_OK) == 0;
    if (!held.isEmpty() && readOnlyReason_.isEmpty())
        readOnlyReason_ = inUseBy(original_, held);
    else if (!writable && readOnlyReason_.isEmpty())
        readOnlyReason_ = QStringLiteral("The folder of the library \"%1\" cannot be written.")
                              .arg(libraryPackageOf(original_));

    bool copied = false;
    if (held.isEmpty() && writable) {
        FoldResult fold;
        {
            SqliteDatabase db;
            if (!db.open(original_, SqliteDatabase::Mode::ReadWrite, &why)) {
                if (!why.contains(QLatin1String("locked")) &&
                    !why.contains(QLatin1String("busy"))) {
                    result.reason = damagedLibrary(original_, why);
                    original_.clear();
                    return result;
                }
                fold.busy = true;
            } else {
                fold = foldOpen(db);
                if (!fold.ok && fold.reason.isEmpty())
                    fold.reason = db.lastError();
            }
        }
        // The connection is closed before we read the file ourselves: closing any other
        // descriptor of it would drop SQLite's POSIX locks. Instead the file must look the
        // same before and after the copies.
        if (fold.ok) {
            baseline_ = databaseContentState(original_);
            // A plain copy to read at once: its byte check, the backup, the check that O held
            // still and the database check run beside the scan (finishOpen), and nothing is
            // written to or copied back from it before they have passed.
            copied = copyFileQuickly(original_, working, &why);
            if (!copied) {
                const QString fallback = QDir::tempPath() + QStringLiteral("/PhotoKestry/") + name;
                prepareWorking(fallback);
                copied = copyFileQuickly(original_, fallback, &why);
                if (copied)
                    working = fallback;
            }
            if (copied) {
                current_ = working;
                verifying_ = JobRunner::later([original = original_, working, baseline = baseline_,
                                               backUp = readOnlyReason_.isEmpty()] {
                    return verifyWorkingCopy(original, working, baseline, backUp);
                });
                result.ok = true;
                return result;
            }
        } else if (readOnlyReason_.isEmpty()) {
            readOnlyReason_ =
                fold.busy ? QStringLiteral("The library \"%1\" is in use by another program.")
                                .arg(libraryPackageOf(original_))
                          : QStringLiteral("The library \"%1\" could not be prepared: %2")
                                .arg(libraryPackageOf(original_), fold.reason);
        }
    }
    if (!copied) {
        // Read-only: a snapshot of O and its log, folded in our copy only.
        copied = copyFileSafely(original_, working, &why);
        const QString wal = joinedFile(original_, "-wal");
        if (copied && QFileInfo(wal).isFile())
            copied = copyFileSafely(wal, joinedFile(working, "-wal"), &why);
        if (copied)
            commitDB(working);
    }
    if (!copied) {
        result.reason = QStringLiteral("The library \"%1\" could not be opened: no copy of its "
                                       "database could be made (%2).")
                            .arg(libraryPackageOf(original_), why);
        original_.clear();
        return result;
    }
    current_ = working;
    QString problem = checkDatabaseFile(current_);
    if (!problem.isEmpty()) {
        // Our copy holds the library's bytes: the damage is the library's.
        problem = damagedLibrary(original_, problem.replace(current_, original_));
        // A copy of a damaged library must not push a sound backup out of the five.
        if (!backup_.isEmpty())
            QDir(QFileInfo(backup_).absolutePath()).removeRecursively();
        backup_.clear();
        result.reason = problem;
        readOnlyReason_ = problem;
        return result;
    }
    if (!backup_.isEmpty())
        pruneBackups(original_);
    result.ok = true;
    return result;
}

QString LibraryWorkingCopy::originalChange() const {
    QString how;
    if (databaseContentUnchanged(original_, baseline_, baselineFile_, &how))
        return {};
    return changedByAnother(original_, how);
}

LibraryStepResult LibraryWorkingCopy::replaceOriginal(const QString &source, bool requireUnchanged,
                                                      const std::function<bool(QString *)> &check) {
    LibraryStepResult result;
    QString why;
    const auto stillOurs = [&](QString *veto) {
        const QList<DatabaseHolder> held = photos_.holders(original_);
        if (!held.isEmpty()) {
            *veto = inUseBy(original_, held);
            return false;
        }
        if (requireUnchanged) {
            *veto = originalChange();
            return veto->isEmpty();
        }
        return true;
    };
    const auto beforeRename = [&](QString *veto) {
        return (!check || check(veto)) && stillOurs(veto);
    };
    if (!stillOurs(&why) || !copyFileSafely(source, original_, &why, beforeRename)) {
        result.reason = why;
        return result;
    }
    // The old log and index describe the file we just replaced; they hold no frame (the file
    // was unchanged), so they may go after the rename.
    QStringList leftovers;
    for (const char *suffix : kCompanions)
        if (!removeIfPresent(joinedFile(original_, suffix), &why))
            leftovers << why;
    // A lock of another computer, or of a live process here, that came after the check
    // stays: only a stale one goes.
    for (const char *suffix : kLockAndAside)
        if (qstrcmp(suffix, ".lock") != 0 || !lockFileStands(joinedFile(original_, suffix)))
            removeIfPresent(joinedFile(original_, suffix), nullptr);
    baseline_ = databaseContentState(original_);
    result.ok = true;
    result.reason = leftovers.join(QLatin1Char('\n'));
    return result;
}

LibraryStepResult LibraryWorkingCopy::copyBack() {
    // Never a copy back of a copy whose checks have not passed.
    if (verifying_.valid())
        if (const LibraryStepResult checked = finishOpen(); !checked.ok)
            return checked;
    LibraryStepResult result;
    if (original_.isEmpty() || current_.isEmpty()) {
        result.reason = QStringLiteral("No library is open.");
        return result;
    }
    if (!readOnlyReason_.isEmpty()) {
        result.reason = readOnlyReason_;
        return result;
    }
    if (const LibraryStepResult ready = companionReady(); !ready.ok)
        return ready;
    const QList<DatabaseHolder> held = photos_.holders(original_);
    if (!held.isEmpty()) {
        result.reason = inUseBy(original_, held);
        return result;
    }
    result.reason = originalChange();
    if (!result.reason.isEmpty())
        return result;
    QString why;
    if (!looksLikeSqliteFile(current_, &why)) {
        result.reason = copyDamaged(original_, libraryMessage(why));
        return result;
    }
    const FoldResult fold = commitDB(current_);
    if (!fold.ok) {
        result.reason = notWritten(
            original_,
            QStringLiteral("Photo Kestry's copy of its database could not be completed (%1)")
                .arg(libraryMessage(fold.reason)));
        return result;
    }
    if (databaseFileState(current_).walSize > 0) {
        result.reason =
            notWritten(original_, QStringLiteral("Photo Kestry's copy of its database is in use"));
        return result;
    }
    // The check reads the working copy while the copy beside the library is written; the
    // copy replaces the library's database only once the check has passed. The digest is
    // what the library holds afterwards, to know our own write from another program's.
    struct Checked {
        QString problem;
        QByteArray digest;
    };
    auto checked = JobRunner::later([path = current_, catalogue = holdsCatalogue_] {
        Checked c;
        c.problem = checkDatabaseFile(path);
        if (c.problem.isEmpty() && catalogue) {
            SqliteDatabase db;
            if (db.open(path, SqliteDatabase::Mode::ReadWrite, &c.problem) &&
                !LibrarySchema::read(db).isValid())
                c.problem = QStringLiteral("it holds no photo library catalogue");
        }
        if (c.problem.isEmpty())
            c.digest = fileDigest(path);
        return c;
    });
    Checked outcome;
    bool checkedAlready = false;
    const auto passes = [&](QString *veto) {
        if (!checkedAlready) {
            outcome = checked.get();
            checkedAlready = true;
        }
        if (outcome.problem.isEmpty())
            return true;
        *veto = copyDamaged(original_, libraryMessage(outcome.problem));
        return false;
    };
    result = replaceOriginal(current_, true, passes);
    if (result.ok) {
        baseline_.digest = outcome.digest;
        baselineFile_.clear();
    }
    if (!result.ok && !checkedAlready) {
        // Refused before the check was asked: a damaged copy still says so first.
        QString veto;
        if (!passes(&veto))
            result.reason = veto;
    }
    return result.ok ? copyBackCompanion(result) : result;
}

namespace {

// The backups of the database `original` kept in `folder`, newest first.
QList<LibraryBackup> libraryBackupsIn(const QString &folder, const QString &original) {
    QList<LibraryBackup> out;
    const QString name = QFileInfo(original).fileName();
    const QStringList stamps =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = stamps.crbegin(); it != stamps.crend(); ++it) {
        LibraryBackup b;
        b.path = folder + QLatin1Char('/') + *it + QLatin1Char('/') + name;
        b.made = libraryBackupTime(b.path);
        if (b.made.isValid() && QFileInfo(b.path).isFile())
            out << b;
    }
    return out;
}

} // namespace

QList<LibraryBackup> LibraryWorkingCopy::backups() const {
    if (original_.isEmpty())
        return {};
    QList<LibraryBackup> out = libraryBackupsIn(libraryBackupFolder(), original_);
    const qint64 size = QFileInfo(original_).size();
    for (LibraryBackup &b : out)
        b.asNow = QFileInfo(b.path).size() == size && sameFileContents(b.path, original_);
    return out;
}

QString LibraryWorkingCopy::companionBackupBeside(const QString &backup) const {
    const QDateTime made = libraryBackupTime(backup);
    if (!companion_ || !made.isValid())
        return {};
    QList<QDateTime> opens;
    for (const LibraryBackup &b : libraryBackupsIn(libraryBackupFolderFor(original_), original_))
        opens << b.made;
    // Each open backs up both files, a moment apart: the companion's backup of that open is
    // the one nearest to O's, and no other backup of O lies nearer to it.
    QString best;
    qint64 bestGap = std::numeric_limits<qint64>::max();
    for (const LibraryBackup &c :
         libraryBackupsIn(libraryBackupFolderFor(companion_->original_), companion_->original_)) {
        const qint64 gap = std::abs(c.made.msecsTo(made));
        const bool sameOpen = std::none_of(opens.begin(), opens.end(), [&](const QDateTime &o) {
            return std::abs(c.made.msecsTo(o)) < gap;
        });
        if (sameOpen && gap < bestGap) {
            best = c.path;
            bestGap = gap;
        }
    }
    return best;
}

LibraryStepResult LibraryWorkingCopy::restore(const QString &backup) {
    if (verifying_.valid())
        finishOpen(); // its backup may be the one to restore
    LibraryStepResult result;
    if (original_.isEmpty()) {
        result.reason = QStringLiteral("No library is open.");
        return result;
    }
    const QString package = libraryPackageOf(original_);
    QString chosen = backup;
    if (chosen.isEmpty()) {
        chosen = newestSoundBackup(original_);
        if (chosen.isEmpty()) {
            result.reason =
                QStringLiteral("There is no sound backup of the library \"%1\" in \"%2\".")
                    .arg(package, libraryBackupFolder());
            return result;
        }
    } else {
        // Only a backup of this very library, and only a whole one.
        const QFileInfo info(chosen);
        if (!info.isFile() || info.fileName() != QFileInfo(original_).fileName() ||
            QFileInfo(info.absolutePath()).absolutePath() != libraryBackupFolder() ||
            !libraryBackupTime(chosen).isValid()) {
            result.reason =
                QStringLiteral("\"%1\" is no backup of the library \"%2\".").arg(chosen, package);
            return result;
        }
        if (const QString problem = checkDatabaseFile(chosen); !problem.isEmpty()) {
            result.reason = QStringLiteral("The backup of %1 of the library \"%2\" is damaged: "
                                           "%3")
                                .arg(libraryBackupTimeText(chosen), package, problem);
            return result;
        }
    }
    // Both files of a library go back to the same open, or neither does.
    QString companionBackup;
    if (companion_) {
        companionBackup = companionBackupBeside(chosen);
        const QString problem = companionBackup.isEmpty() ? QStringLiteral("none was made")
                                                          : checkDatabaseFile(companionBackup);
        if (!problem.isEmpty()) {
            result.reason = QStringLiteral("The library \"%1\" was not restored: its backup of "
                                           "\"%2\" from %3 cannot be used (%4).")
                                .arg(package, QFileInfo(companion_->original_).fileName(),
                                     libraryBackupTimeText(chosen), problem);
            return result;
        }
    }
    result = restoreLibraryDatabase(original_, chosen, photos_);
    if (!result.ok)
        return result;
    baseline_ = databaseContentState(original_);
    baselineFile_ = restored_ = chosen;
    QString why;
    if (!current_.isEmpty()) {
        for (const char *suffix : kCompanions)
            removeIfPresent(joinedFile(current_, suffix), nullptr);
        if (!copyFileSafely(chosen, current_, &why))
            readOnlyReason_ = QStringLiteral("The library \"%1\" was restored, but Photo Kestry's "
                                             "copy of it could not follow (%2): open the library "
                                             "again before editing it.")
                                  .arg(package, why);
    }
    return restoreCompanion(result, companionBackup);
}
