#pragma once

#include "library/core/DatabaseContent.h"
#include "library/core/DatabaseFiles.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <future>
#include <memory>

class PhotosApplication;
struct DatabaseHolder;

// The outcome of a step that may refuse: `ok`, or the reason it did nothing.
struct LibraryStepResult {
    bool ok = false;
    QString reason;
};

// One backup of a library's database, made when the library was opened.
struct LibraryBackup {
    QString path;       // the backup's copy of the database
    QDateTime made;     // when it was made (UTC)
    bool asNow = false; // its bytes are the library's database as it is now
};
// The time a backup at `path` was made, read from its folder's name; invalid for a path
// that is no backup of ours.
QDateTime libraryBackupTime(const QString &path);
// The backup's time as the sheets name it: local "yyyy-MM-dd HH:mm:ss".
QString libraryBackupTimeText(const QString &path);

// Folds the write-ahead log of an existing database into its main file. Opens read-write
// without creating and changes no journal mode; a database held by someone else is
// reported busy, not waited for.
struct FoldResult {
    bool ok = false;
    bool busy = false; // another connection holds it: the library is in use
    bool wal = false;  // the database is in WAL mode
    QString reason;
};
FoldResult commitDB(const QString &path);

// `PRAGMA quick_check` of a database file that must look like one; empty when it passes,
// else the reason. `heldStill`: nothing writes the file until the check ends (our working
// copy before its first write), so it is read through an immutable connection, which a
// reader of ours beside it can neither block nor be blocked by.
QString checkDatabaseFile(const QString &path, bool heldStill = false);

// The library's database O, its backups and our working copy W of it. Everything we read
// or write is W; O is only folded at the open, and replaced by copyBack()/restore() when
// nothing else holds it and it is as we left it.
class LibraryWorkingCopy {
  public:
    // nullptr: the program's PhotosApplication.
    explicit LibraryWorkingCopy(PhotosApplication *photos = nullptr);
    ~LibraryWorkingCopy();
    LibraryWorkingCopy(const LibraryWorkingCopy &) = delete;
    LibraryWorkingCopy &operator=(const LibraryWorkingCopy &) = delete;

    // Folds O (unless held or read-only), backs it up and makes W. Fails only when no W
    // could be made; a library that must not be written opens with readOnlyReason() set.
    LibraryStepResult open(const QString &originalDatabasePath);
    // open() in two halves, so that the scan reads the copy while it is checked: beginOpen()
    // folds O and makes W; the byte check of W, the backup and W's database check go on
    // beside until finishOpen(), which says whether they passed (a failure leaves the
    // library read-only). A copy back waits for them.
    LibraryStepResult beginOpen(const QString &originalDatabasePath);
    LibraryStepResult finishOpen();
    void close();

    const QString &originalPhotolibDatabasePath() const { return original_; }
    const QString &currentPhotolibDatabasePath() const { return current_; }
    // Empty while the library may be written.
    const QString &photolibReadOnlyReason() const { return readOnlyReason_; }
    // The folder of this library's backups, and the backup made at the open.
    QString libraryBackupFolder() const;
    const QString &lastBackupPath() const { return backup_; }

    // Who holds O now.
    QList<DatabaseHolder> holders() const;
    // W over O. Only with no holder, O as it was after the open, W folded and passing
    // quick_check; O's -wal/-shm, lock and aside files go after the replacement.
    LibraryStepResult copyBack();
    // This library's backups, newest first, each marked when it holds what O holds now.
    QList<LibraryBackup> backups() const;
    // `backup` (one of backups(); empty: the newest that passes quick_check) over O (and W),
    // likewise (restoreLibraryDatabase). A companion takes its backup of the same open.
    LibraryStepResult restore(const QString &backup = {});
    // The backup the last restore() put back; empty before one succeeded.
    const QString &restoredBackup() const { return restored_; }
    // `text` (a reason from our copy) naming the library instead of our working copy.
    QString libraryMessage(const QString &text) const;
    // Empty when O is as we last left it, else how another program changed it. Decided by
    // content: a reader is not a writer.
    QString originalChange() const;

    // A second database of the same library (iPhoto's and Aperture's Properties.apdb): the
    // same fold, backup and working copy; copied back after O when its working copy
    // changed, and restored with O. Call after open().
    LibraryStepResult openCompanion(const QString &originalDatabasePath);
    // Its working copy; empty without one.
    QString companionWorkingPath() const;

    // Backups kept per library.
    static constexpr int kBackupsKept = 5;

  private:
    // `check`, when given, must pass before the finished copy is renamed over O.
    LibraryStepResult replaceOriginal(const QString &source, bool requireUnchanged,
                                      const std::function<bool(QString *why)> &check = {});
    struct Verification {
        QString backup, readOnly, problem;
    };
    static Verification verifyWorkingCopy(const QString &original, const QString &working,
                                          const DatabaseContentState &baseline, bool backUp);
    bool lockWorkingCopy(const QString &path);
    // Whether a changed companion would be taken, checked before O is replaced, so that a
    // refusal leaves both files as they were.
    LibraryStepResult companionReady() const;
    bool companionChanged() const;
    // O's own result, or the companion's failure.
    LibraryStepResult copyBackCompanion(const LibraryStepResult &done);
    LibraryStepResult restoreCompanion(const LibraryStepResult &done, const QString &backup);
    // The companion's backup made at the open that made `backup` of O; empty when none.
    QString companionBackupBeside(const QString &backup) const;
    std::unique_ptr<LibraryWorkingCopy> companion_;
    bool holdsCatalogue_ = true; // false for a companion: no RK or Z tables to check
    PhotosApplication &photos_;
    QString original_, current_, readOnlyReason_, backup_, restored_;
    QString privateFolder_; // this process's own working folder when the shared one is taken
    DatabaseContentState baseline_; // O as we last left it
    QString baselineFile_;          // a file with baseline_'s bytes, when it has no digest
    int workingLockFd_ = -1;
    std::future<Verification> verifying_;
    QString openProblem_; // why the checks of the open failed
};

// The folder that keeps the backups of the library whose database is `originalPath`:
// named after the library package, with a short hash of its full path so that libraries
// of one name keep theirs apart.
QString libraryBackupFolderFor(const QString &originalPath);
// The library package that holds the database `originalPath`, for messages.
QString libraryPackageOf(const QString &originalPath);
// `text` with the working copy's path given as the library it copies: messages name the
// library the user knows, not our copy of it.
QString namingTheLibrary(QString text, const QString &working, const QString &original);
// Removes what killed runs of ours left of the library whose database is `originalPath`:
// unfinished copies beside its database, beside our working copies and in its backups.
void removeLibraryLeftovers(const QString &originalPath);
// The newest backup of that library that passes quick_check; empty when there is none.
QString newestSoundBackup(const QString &originalPath);

// Puts `backup` in place of the library database `original` so that a crash at any point
// leaves the old library or the restored one: refused while `photos` names a holder; the
// old log is folded into the old file first (a log left by another program must never meet
// the restored file), then the emptied -wal and -shm go, and the checked copy of the backup
// takes the database's name in one rename.
LibraryStepResult restoreLibraryDatabase(const QString &original, const QString &backup,
                                         PhotosApplication &photos);
// Tests stop a child process at each numbered step of a restore (1: folded, 2: log removed,
// 3: index removed, 4: copy written, 5: renamed) to kill it there.
void setRestoreStepHook(std::function<void(int step)> hook);
