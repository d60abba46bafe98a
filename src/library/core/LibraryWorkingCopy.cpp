#include "library/core/LibraryWorkingCopy.h"

#include "base/DataFolders.h"
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibrarySchema.h"
#include "library/core/SqliteDatabase.h"
#include "platform/core/PhotosApplication.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <fcntl.h>
#include <future>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char *const kCompanions[] = {"-wal", "-shm"};
const char *const kLockAndAside[] = {".lock", ".aside", ".aside-shm", ".aside-wal"};

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

QString checkDatabaseFile(const QString &path) {
    QString why;
    if (!looksLikeSqliteFile(path, &why))
        return why;
    SqliteDatabase db;
    if (!db.open(path, SqliteDatabase::Mode::ReadWrite, &why))
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

LibraryWorkingCopy::LibraryWorkingCopy(PhotosApplication *photos)
    : photos_(photos ? *photos : photosApplication()) {}

LibraryWorkingCopy::~LibraryWorkingCopy() {
    close();
}

void LibraryWorkingCopy::close() {
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
    foldState_ = {};
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

void LibraryWorkingCopy::makeBackup() {
    const QString folder = libraryBackupFolder();
    QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    QString target = folder + QLatin1Char('/') + stamp;
    for (int i = 1; QFileInfo::exists(target); ++i)
        target = folder + QLatin1Char('/') + stamp + QStringLiteral("-%1").arg(i);
    QString why;
    if (!QDir().mkpath(target)) {
        readOnlyReason_ = QStringLiteral("No backup could be made in \"%1\".").arg(target);
        return;
    }
    const QString name = QFileInfo(original_).fileName();
    if (!copyFileSafely(original_, target + QLatin1Char('/') + name, &why)) {
        QDir(target).removeRecursively();
        readOnlyReason_ = QStringLiteral("No backup could be made: %1").arg(why);
        return;
    }
    // The photo application's aside files go with the copy back; keep them here.
    for (const char *suffix : {".aside", ".aside-shm", ".aside-wal"}) {
        const QString aside = joinedFile(original_, suffix);
        if (QFileInfo(aside).isFile())
            copyFileSafely(aside, target + QLatin1Char('/') + name + QLatin1String(suffix), &why);
    }
    backup_ = target + QLatin1Char('/') + name;
}

LibraryStepResult LibraryWorkingCopy::open(const QString &originalDatabasePath) {
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

    QString working = applicationSupportFolder() + QLatin1Char('/') + name;
    QDir().mkpath(applicationSupportFolder());
    if (!lockWorkingCopy(working)) {
        // Another Photo Kestry works on that copy: leave it alone and read a private one.
        privateFolder_ = QDir::tempPath() + QStringLiteral("/PhotoKestry-%1").arg(::getpid());
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
        readOnlyReason_ = QStringLiteral("The library is in use by %1.").arg(describeHolders(held));
    else if (!writable && readOnlyReason_.isEmpty())
        readOnlyReason_ = QStringLiteral("The library's folder cannot be written.");

    bool copied = false;
    if (held.isEmpty() && writable) {
        FoldResult fold;
        {
            SqliteDatabase db;
            if (!db.open(original_, SqliteDatabase::Mode::ReadWrite, &why)) {
                if (!why.contains(QLatin1String("locked")) &&
                    !why.contains(QLatin1String("busy"))) {
                    result.reason = why;
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
            foldState_ = databaseFileState(original_);
            if (readOnlyReason_.isEmpty())
                makeBackup();
            copied = copyFileSafely(original_, working, &why);
            if (!copied) {
                const QString fallback = QDir::tempPath() + QStringLiteral("/PhotoKestry/") + name;
                prepareWorking(fallback);
                copied = copyFileSafely(original_, fallback, &why);
                if (copied)
                    working = fallback;
            }
            if (copied && !(databaseFileState(original_) == foldState_)) {
                copied = false;
                if (!backup_.isEmpty())
                    QDir(QFileInfo(backup_).absolutePath()).removeRecursively();
                backup_.clear();
                if (readOnlyReason_.isEmpty())
                    readOnlyReason_ = QStringLiteral("The library was changed by another program "
                                                     "while it was opened.");
            }
        } else if (readOnlyReason_.isEmpty()) {
            readOnlyReason_ =
                fold.busy
                    ? QStringLiteral("The library is in use by another program.")
                    : QStringLiteral("The library could not be prepared: %1").arg(fold.reason);
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
        result.reason = QStringLiteral("No working copy could be made: %1").arg(why);
        original_.clear();
        return result;
    }
    current_ = working;
    const QString problem = checkDatabaseFile(current_);
    if (!problem.isEmpty()) {
        // A copy of a damaged library must not push a sound backup out of the five.
        if (!backup_.isEmpty())
            QDir(QFileInfo(backup_).absolutePath()).removeRecursively();
        backup_.clear();
        result.reason = problem;
        readOnlyReason_ = problem;
        return result;
    }
    if (!backup_.isEmpty()) {
        const QString folder = libraryBackupFolder();
        QStringList kept = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        while (kept.size() > kBackupsKept)
            QDir(folder + QLatin1Char('/') + kept.takeFirst()).removeRecursively();
    }
    result.ok = true;
    return result;
}

LibraryStepResult LibraryWorkingCopy::replaceOriginal(const QString &source, bool requireUnchanged,
                                                      const std::function<bool(QString *)> &check) {
    LibraryStepResult result;
    QString why;
    const auto stillOurs = [&](QString *veto) {
        const QList<DatabaseHolder> held = photos_.holders(original_);
        if (!held.isEmpty()) {
            *veto = QStringLiteral("The library is in use by %1.").arg(describeHolders(held));
            return false;
        }
        if (requireUnchanged && !(databaseFileState(original_) == foldState_)) {
            *veto = QStringLiteral("The library's database was changed by another program "
                                   "after Photo Kestry opened it.");
            return false;
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
    // The old log and index describe the file we just replaced.
    QStringList leftovers;
    for (const char *suffix : kCompanions)
        if (!removeIfPresent(joinedFile(original_, suffix), &why))
            leftovers << why;
    for (const char *suffix : kLockAndAside)
        removeIfPresent(joinedFile(original_, suffix), nullptr);
    foldState_ = databaseFileState(original_);
    result.ok = true;
    result.reason = leftovers.join(QLatin1Char('\n'));
    return result;
}

LibraryStepResult LibraryWorkingCopy::copyBack() {
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
        result.reason = QStringLiteral("The library is in use by %1.").arg(describeHolders(held));
        return result;
    }
    if (!(databaseFileState(original_) == foldState_)) {
        result.reason = QStringLiteral("The library's database was changed by another program "
                                       "after Photo Kestry opened it.");
        return result;
    }
    QString why;
    if (!looksLikeSqliteFile(current_, &why)) {
        result.reason = QStringLiteral("The working copy is damaged: %1").arg(why);
        return result;
    }
    const FoldResult fold = commitDB(current_);
    if (!fold.ok) {
        result.reason =
            QStringLiteral("The working copy could not be completed: %1").arg(fold.reason);
        return result;
    }
    if (databaseFileState(current_).walSize > 0) {
        result.reason = QStringLiteral("The working copy is still in use.");
        return result;
    }
    // The check reads the working copy while the copy beside the library is written; the
    // copy replaces the library's database only once the check has passed.
    auto checked = std::async(std::launch::async, [path = current_, catalogue = holdsCatalogue_] {
        QString problem = checkDatabaseFile(path);
        if (problem.isEmpty() && catalogue) {
            SqliteDatabase db;
            if (db.open(path, SqliteDatabase::Mode::ReadWrite, &problem) &&
                !LibrarySchema::read(db).isValid())
                problem = QStringLiteral("\"%1\" holds no photo library catalogue").arg(path);
        }
        return problem;
    });
    QString damage;
    bool checkedAlready = false;
    const auto passes = [&](QString *veto) {
        if (!checkedAlready) {
            damage = checked.get();
            checkedAlready = true;
        }
        if (damage.isEmpty())
            return true;
        *veto = QStringLiteral("The working copy is damaged: %1").arg(damage);
        return false;
    };
    result = replaceOriginal(current_, true, passes);
    if (!result.ok && !checkedAlready) {
        // Refused before the check was asked: a damaged copy still says so first.
        QString veto;
        if (!passes(&veto))
            result.reason = veto;
    }
    return result.ok ? copyBackCompanion(result) : result;
}

LibraryStepResult LibraryWorkingCopy::restore() {
    LibraryStepResult result;
    if (original_.isEmpty()) {
        result.reason = QStringLiteral("No library is open.");
        return result;
    }
    const QString folder = libraryBackupFolder();
    const QString name = QFileInfo(original_).fileName();
    QStringList stamps = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QString chosen, why;
    for (auto it = stamps.crbegin(); it != stamps.crend() && chosen.isEmpty(); ++it) {
        const QString candidate = folder + QLatin1Char('/') + *it + QLatin1Char('/') + name;
        if (QFileInfo(candidate).isFile() && checkDatabaseFile(candidate).isEmpty())
            chosen = candidate;
    }
    if (chosen.isEmpty()) {
        result.reason = QStringLiteral("There is no sound backup of this library.");
        return result;
    }
    result = replaceOriginal(chosen, false);
    if (!result.ok)
        return result;
    if (!current_.isEmpty()) {
        for (const char *suffix : kCompanions)
            removeIfPresent(joinedFile(current_, suffix), nullptr);
        if (!copyFileSafely(chosen, current_, &why))
            readOnlyReason_ =
                QStringLiteral("The working copy could not follow the restore: %1").arg(why);
    }
    return restoreCompanion(result);
}
