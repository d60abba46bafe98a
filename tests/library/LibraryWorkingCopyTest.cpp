#include "library/core/LibraryWorkingCopy.h"
#include "LibraryTestSupport.h"
#include "app/core/Settings.h"
#include "library/core/DatabaseFiles.h"
#include "library/core/SqliteDatabase.h"
#include "platform/core/FileCopy.h"
#include "platform/core/PhotosApplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

QString databaseOf(const QString &library) {
    return library + QStringLiteral("/database/Photos.sqlite");
}

// A bound UPDATE of one title in the working copy, as the library edits write.
void retitle(const QString &workingCopy, int attributesKey, const QString &title) {
    SqliteDatabase db;
    QString why;
    ASSERT_TRUE(db.open(workingCopy, SqliteDatabase::Mode::ReadWrite, &why)) << why.toStdString();
    SqliteStatement *stmt = db.prepare(
        QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE = ?1 WHERE Z_PK = ?2"));
    ASSERT_TRUE(stmt) << db.lastError().toStdString();
    stmt->bind(1, title).bind(2, int64_t(attributesKey));
    EXPECT_FALSE(stmt->step());
    EXPECT_FALSE(stmt->failed()) << stmt->error().toStdString();
}

struct Opened {
    QTemporaryDir dir;
    QString library, original;
    FakePhotosApplication photos;
    std::unique_ptr<LibraryWorkingCopy> copy;
};

std::unique_ptr<Opened> openCopy(const QString &name, PhotosApplication *photos = nullptr) {
    auto o = std::make_unique<Opened>();
    o->library = copyLibrary(name, o->dir.path());
    o->original = databaseOf(o->library);
    o->copy = std::make_unique<LibraryWorkingCopy>(photos ? photos : &o->photos);
    const LibraryStepResult r = o->copy->open(o->original);
    EXPECT_TRUE(r.ok) << r.reason.toStdString();
    return o;
}

QString titleOf7(const QString &database) {
    return sqliteValue(
        database, QStringLiteral("SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK=7"));
}

// Another program commits a title to the library and is killed: its -wal stays behind.
void leaveForeignLog(const QString &database, const QString &title) {
    QProcess writer;
    writer.start(QStringLiteral("sqlite3"), {database});
    ASSERT_TRUE(writer.waitForStarted());
    writer.write(QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE='%1' WHERE Z_PK=7;"
                                "SELECT 'written';\n")
                     .arg(title)
                     .toUtf8());
    ASSERT_TRUE(writer.waitForReadyRead(10000));
    writer.kill();
    writer.waitForFinished(10000);
    ASSERT_GT(QFileInfo(database + QStringLiteral("-wal")).size(), 0);
}

} // namespace

TEST(LibraryWorkingCopy, WorkingCopyHoldsWhatTheLibraryHolds) {
    QTemporaryDir reference;
    const QString fixtureCopy =
        databaseOf(copyLibrary(QStringLiteral("Test-10.15.7"), reference.path()));
    auto o = openCopy(QStringLiteral("Test-10.15.7"));
    const QString w = o->copy->currentPhotolibDatabasePath();
    EXPECT_TRUE(o->copy->photolibReadOnlyReason().isEmpty())
        << o->copy->photolibReadOnlyReason().toStdString();
    EXPECT_TRUE(w.startsWith(applicationSupportFolder()));
    EXPECT_EQ(o->copy->originalPhotolibDatabasePath(), o->original);
    // The log was folded into the library's own file, and nothing else was left there.
    EXPECT_FALSE(QFileInfo::exists(o->original + QStringLiteral("-wal")));
    EXPECT_EQ(sqliteDump(w), sqliteDump(fixtureCopy));
    EXPECT_TRUE(QFileInfo(o->copy->lastBackupPath()).isFile());
    EXPECT_TRUE(o->copy->lastBackupPath().startsWith(backupFolder()));
    EXPECT_TRUE(o->copy->lastBackupPath().contains(QStringLiteral("Test-10.15.7.photoslibrary")));
}

TEST(LibraryWorkingCopy, CopyBackCarriesABoundEditIntoTheLibrary) {
    auto o = openCopy(QStringLiteral("Test-10.15.7"));
    const QString w = o->copy->currentPhotolibDatabasePath();
    retitle(w, 7, QStringLiteral("Park's \"edge\"; DROP TABLE ZASSET"));
    // The lock of a process here that has ended is stale: the copy back takes it away.
    writeLibraryLock(o->original + QStringLiteral(".lock"), QHostInfo::localHostName(),
                     endedProcessId());
    const LibraryStepResult back = o->copy->copyBack();
    ASSERT_TRUE(back.ok) << back.reason.toStdString();
    EXPECT_EQ(
        sqliteValue(o->original,
                    QStringLiteral("SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK=7")),
        QStringLiteral("Park's \"edge\"; DROP TABLE ZASSET"));
    EXPECT_EQ(sqliteValue(o->original, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
    EXPECT_FALSE(QFileInfo::exists(o->original + QStringLiteral(".lock")));
    // A second edit goes back too: the state after a copy back is the new baseline.
    retitle(w, 7, QStringLiteral("Second"));
    ASSERT_TRUE(o->copy->copyBack().ok);
    EXPECT_EQ(
        sqliteValue(o->original,
                    QStringLiteral("SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK=7")),
        QStringLiteral("Second"));
}

TEST(LibraryWorkingCopy, DamagedWorkingCopiesAreRefused) {
    const QList<std::pair<const char *, std::function<QByteArray(const QByteArray &)>>> damages = {
        {"truncated", [](const QByteArray &b) { return b.left(b.size() / 2); }},
        {"zeroed", [](const QByteArray &b) { return QByteArray(b.size(), '\0'); }},
        {"random",
         [](const QByteArray &b) {
             QByteArray r(b.size(), '\0');
             QRandomGenerator gen(7);
             for (char &c : r)
                 c = char(gen.generate());
             return r;
         }},
        {"random pages",
         [](const QByteArray &b) {
             QByteArray r = b;
             QRandomGenerator gen(11);
             for (int i = 4096; i < r.size(); ++i)
                 r[i] = char(gen.generate());
             return r;
         }},
        {"empty", [](const QByteArray &) { return QByteArray(); }},
    };
    for (const auto &[what, damage] : damages) {
        SCOPED_TRACE(what);
        auto o = openCopy(QStringLiteral("Test-13.0.0"));
        const QByteArray before = fileBytes(o->original);
        const QString w = o->copy->currentPhotolibDatabasePath();
        writeBytes(w, damage(fileBytes(w)));
        const LibraryStepResult back = o->copy->copyBack();
        EXPECT_FALSE(back.ok);
        // The user knows the library, not our copy of it.
        EXPECT_TRUE(back.reason.contains(o->library)) << back.reason.toStdString();
        EXPECT_FALSE(back.reason.contains(w)) << back.reason.toStdString();
        EXPECT_EQ(fileBytes(o->original), before);
    }
    // A damaged library says so at the open, with where its backups are.
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    QByteArray bytes = fileBytes(databaseOf(library));
    for (int i = 8192; i < bytes.size(); i += 4096)
        bytes[i + 100] = char(0x7f);
    writeBytes(databaseOf(library), bytes);
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryStepResult opened = copy.open(databaseOf(library));
    EXPECT_FALSE(opened.ok);
    EXPECT_TRUE(
        opened.reason.startsWith(QStringLiteral("The library \"%1\" is damaged").arg(library)))
        << opened.reason.toStdString();
    EXPECT_TRUE(opened.reason.contains(libraryBackupFolderFor(databaseOf(library))));
    EXPECT_FALSE(
        opened.reason.contains(applicationSupportFolder() + QStringLiteral("/Photos.sqlite")));
}

TEST(LibraryWorkingCopy, CopyReadBeforeItsChecksIsWrittenOnlyAfterThey) {
    // A copy back asked for before the checks have ended waits for them, then goes through.
    {
        QTemporaryDir dir;
        const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
        FakePhotosApplication nobody;
        LibraryWorkingCopy copy(&nobody);
        ASSERT_TRUE(copy.beginOpen(databaseOf(library)).ok);
        const LibraryStepResult first = copy.copyBack();
        EXPECT_TRUE(first.ok) << first.reason.toStdString();
        EXPECT_FALSE(copy.lastBackupPath().isEmpty());
        retitle(copy.currentPhotolibDatabasePath(), 7, QStringLiteral("after the checks"));
        const LibraryStepResult back = copy.copyBack();
        EXPECT_TRUE(back.ok) << back.reason.toStdString();
        EXPECT_EQ(titleOf7(databaseOf(library)), QStringLiteral("after the checks"));
        EXPECT_EQ(sqliteValue(databaseOf(library), QStringLiteral("PRAGMA integrity_check")),
                  QStringLiteral("ok"));
    }
    // Checks that fail leave the library read-only, as it was, and refuse the copy back:
    // damage deep in the file, which the open's fold does not read.
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    QByteArray bytes = fileBytes(databaseOf(library));
    for (qsizetype i = bytes.size() - 3 * 4096; i < bytes.size(); i += 4096)
        bytes[i] = char(0x7f);
    writeBytes(databaseOf(library), bytes);
    const QByteArray before = fileBytes(databaseOf(library));
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    ASSERT_TRUE(copy.beginOpen(databaseOf(library)).ok);
    const LibraryStepResult back = copy.copyBack();
    EXPECT_FALSE(back.ok);
    EXPECT_TRUE(back.reason.contains(QStringLiteral("is damaged"))) << back.reason.toStdString();
    EXPECT_FALSE(copy.finishOpen().ok);
    EXPECT_FALSE(copy.photolibReadOnlyReason().isEmpty());
    EXPECT_FALSE(copy.copyBack().ok);
    EXPECT_EQ(fileBytes(databaseOf(library)), before);
}

TEST(LibraryWorkingCopy, TheCheckBesideTheScanMeetsNoLockOfOurs) {
    // A connection of ours holds the copy's lock, as the scan's does for a moment when it
    // closes and removes its empty log: a second ordinary connection's first read fails
    // there, before any busy handler; the check beside the scan reads on.
    QTemporaryDir dir;
    const QString file = databaseOf(copyLibrary(QStringLiteral("Test-13.0.0"), dir.path()));
    ASSERT_TRUE(commitDB(file).ok);
    SqliteDatabase holder;
    QString why;
    ASSERT_TRUE(holder.open(file, SqliteDatabase::Mode::ReadWrite, &why)) << why.toStdString();
    ASSERT_TRUE(holder.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")));
    ASSERT_TRUE(holder.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    EXPECT_TRUE(checkDatabaseFile(file).contains(QStringLiteral("locked")));
    EXPECT_EQ(checkDatabaseFile(file, true), QString());
}

TEST(LibraryWorkingCopy, LibraryWrittenAfterTheOpenIsNotOverwritten) {
    auto o = openCopy(QStringLiteral("Test-13.0.0"));
    sqliteRows(
        o->original,
        QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE='by Photos' WHERE Z_PK=2"));
    const QByteArray before = fileBytes(o->original);
    retitle(o->copy->currentPhotolibDatabasePath(), 2, QStringLiteral("by us"));
    const LibraryStepResult back = o->copy->copyBack();
    EXPECT_FALSE(back.ok);
    EXPECT_TRUE(back.reason.contains(QStringLiteral("changed")));
    EXPECT_EQ(fileBytes(o->original), before);
}

TEST(LibraryWorkingCopy, ALibraryHeldByAnotherProcessIsNotOverwritten) {
    LinuxPhotosApplication linux;
    auto o = std::make_unique<Opened>();
    o->library = copyLibrary(QStringLiteral("Test-10.15.7"), o->dir.path());
    o->original = databaseOf(o->library);
    // Not the lock the Mac left: a process here holds this library.
    ASSERT_TRUE(QFile::remove(o->original + QStringLiteral(".lock")));
    o->copy = std::make_unique<LibraryWorkingCopy>(&linux);
    ASSERT_TRUE(o->copy->open(o->original).ok);
    ASSERT_TRUE(o->copy->photolibReadOnlyReason().isEmpty());
    QProcess reader;
    reader.start(QStringLiteral("sqlite3"), {o->original});
    ASSERT_TRUE(reader.waitForStarted());
    reader.write("BEGIN; SELECT count(*) FROM ZGENERICASSET;\n");
    ASSERT_TRUE(reader.waitForReadyRead(10000));
    const QByteArray before = fileBytes(o->original);
    retitle(o->copy->currentPhotolibDatabasePath(), 7, QStringLiteral("not now"));

    const QList<DatabaseHolder> held = o->copy->holders();
    ASSERT_FALSE(held.isEmpty());
    EXPECT_EQ(held.first().pid, reader.processId());
    EXPECT_EQ(held.first().name, QStringLiteral("sqlite3"));
    const LibraryStepResult back = o->copy->copyBack();
    EXPECT_FALSE(back.ok);
    EXPECT_TRUE(back.reason.contains(QStringLiteral("sqlite3"))) << back.reason.toStdString();
    EXPECT_EQ(fileBytes(o->original), before);

    reader.write("COMMIT;\n.quit\n");
    reader.closeWriteChannel();
    ASSERT_TRUE(reader.waitForFinished(10000));
    EXPECT_TRUE(o->copy->holders().isEmpty());
}

TEST(LibraryWorkingCopy, HeldLibraryOpensReadOnly) {
    FakePhotosApplication held;
    held.heldBy << DatabaseHolder{4242, QStringLiteral("Photos"), QStringLiteral("lock")};
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    const QStringList before = folderHashes(library);
    LibraryWorkingCopy copy(&held);
    ASSERT_TRUE(copy.open(databaseOf(library)).ok);
    EXPECT_TRUE(copy.photolibReadOnlyReason().contains(QStringLiteral("Photos (4242)")));
    EXPECT_EQ(folderHashes(library), before); // not even folded
    const LibraryStepResult back = copy.copyBack();
    EXPECT_FALSE(back.ok);
    EXPECT_EQ(folderHashes(library), before);
}

TEST(LibraryWorkingCopy, DeleteModeLibraryStaysInDeleteMode) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    const QString db = databaseOf(library);
    EXPECT_EQ(sqliteValue(db, QStringLiteral("PRAGMA journal_mode=DELETE")),
              QStringLiteral("delete"));
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    ASSERT_TRUE(copy.open(db).ok);
    retitle(copy.currentPhotolibDatabasePath(), 2, QStringLiteral("delete mode"));
    ASSERT_TRUE(copy.copyBack().ok);
    EXPECT_EQ(sqliteValue(db, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("delete"));
    EXPECT_EQ(sqliteValue(
                  db, QStringLiteral("SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK=2")),
              QStringLiteral("delete mode"));
}

TEST(LibraryWorkingCopy, RestorePutsThisLibrarysNewestSoundBackupBack) {
    auto o = openCopy(QStringLiteral("Test-10.15.7"));
    const QByteArray backupDump = sqliteDump(o->copy->lastBackupPath());
    retitle(o->copy->currentPhotolibDatabasePath(), 7, QStringLiteral("to be undone"));
    ASSERT_TRUE(o->copy->copyBack().ok);
    ASSERT_NE(sqliteDump(o->original), backupDump);
    o->photos.heldBy << DatabaseHolder{4242, QStringLiteral("sqlite3"), QStringLiteral("lock")};
    const QByteArray edited = fileBytes(o->original);
    const LibraryStepResult refused = o->copy->restore();
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.reason.contains(QStringLiteral("sqlite3 (4242)")));
    EXPECT_EQ(fileBytes(o->original), edited);
    o->photos.heldBy.clear();
    const LibraryStepResult restored = o->copy->restore();
    ASSERT_TRUE(restored.ok) << restored.reason.toStdString();
    EXPECT_EQ(sqliteDump(o->original), backupDump);
    EXPECT_EQ(sqliteDump(o->copy->currentPhotolibDatabasePath()), backupDump);
    // After a restore, edits go on from the restored state.
    retitle(o->copy->currentPhotolibDatabasePath(), 7, QStringLiteral("again"));
    EXPECT_TRUE(o->copy->copyBack().ok);
}

TEST(LibraryWorkingCopy, ReadersAreNotWritersButWritersAreSeen) {
    auto o = openCopy(QStringLiteral("Test-13.0.0"));
    const QString w = o->copy->currentPhotolibDatabasePath();
    for (const char *title : {"first", "second"}) {
        // A reader leaves an empty -wal and -shm behind; it wrote nothing.
        QProcess reader;
        reader.start(QStringLiteral("sqlite3"),
                     {QStringLiteral("-readonly"), o->original, QStringLiteral("SELECT 1")});
        ASSERT_TRUE(reader.waitForFinished(10000));
        retitle(w, 2, QLatin1String(title));
        const LibraryStepResult back = o->copy->copyBack();
        ASSERT_TRUE(back.ok) << back.reason.toStdString();
        EXPECT_EQ(
            sqliteValue(o->original, QStringLiteral("SELECT ZTITLE FROM "
                                                    "ZADDITIONALASSETATTRIBUTES WHERE Z_PK=2")),
            QLatin1String(title));
    }
    // A writer that folded its own log leaves the header as it was; the bytes tell.
    sqliteRows(
        o->original,
        QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE='by another' WHERE Z_PK=2"));
    retitle(w, 2, QStringLiteral("by us"));
    const LibraryStepResult back = o->copy->copyBack();
    EXPECT_FALSE(back.ok);
    EXPECT_TRUE(back.reason.contains(QStringLiteral("changed by another program")));
    EXPECT_TRUE(back.reason.contains(QStringLiteral("Test-13.0.0.photoslibrary")));
    EXPECT_EQ(sqliteValue(o->original, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
}

TEST(LibraryWorkingCopy, RestoreKilledAtEveryStepLeavesTheOldOrTheRestoredLibrary) {
    for (int step = 1; step <= 6; ++step) {
        SCOPED_TRACE(step);
        auto o = openCopy(QStringLiteral("Test-10.15.7"));
        // The Mac's lock would keep the restoring program away: taken over.
        ASSERT_TRUE(QFile::remove(o->original + QStringLiteral(".lock")));
        const QString restored = titleOf7(o->copy->lastBackupPath());
        retitle(o->copy->currentPhotolibDatabasePath(), 7, QStringLiteral("edited"));
        ASSERT_TRUE(o->copy->copyBack().ok);
        o->copy->close();
        leaveForeignLog(o->original, QStringLiteral("foreign"));

        const QByteArray child = QByteArrayLiteral(PK_RESTORE_CHILD);
        const QByteArray path = QFile::encodeName(o->original), stop = QByteArray::number(step);
        char *argv[] = {const_cast<char *>(child.constData()), const_cast<char *>(path.constData()),
                        const_cast<char *>(stop.constData()), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, child.constData(), nullptr, nullptr, argv, environ), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, WUNTRACED), pid);
        if (step <= 5) {
            ASSERT_TRUE(WIFSTOPPED(status));
            kill(pid, SIGKILL);
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
        } else {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        // What the next program to open the library sees: the old one with the foreign
        // transaction, or the restored one; never a mix.
        EXPECT_EQ(sqliteValue(o->original, QStringLiteral("PRAGMA integrity_check")),
                  QStringLiteral("ok"));
        const QString title = titleOf7(o->original);
        if (step <= 4)
            EXPECT_EQ(title, QStringLiteral("foreign"));
        else
            EXPECT_EQ(title, restored);
        // The killed run's copy beside the database goes when the library is next opened.
        const QDir folder = QFileInfo(o->original).absoluteDir();
        const auto copies = [&] {
            return folder.entryList({QStringLiteral("*.pk-*")}, QDir::Files | QDir::Hidden);
        };
        EXPECT_EQ(copies().size(), step == 4 ? 1 : 0);
        LibraryWorkingCopy again(&o->photos);
        ASSERT_TRUE(again.open(o->original).ok);
        EXPECT_TRUE(copies().isEmpty());
    }
}

TEST(LibraryWorkingCopy, OnlyOurLeftoversOfEndedRunsGoAtTheOpen) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    const QString db = databaseOf(library);
    QProcess ended;
    ended.start(QStringLiteral("true"));
    ASSERT_TRUE(ended.waitForStarted());
    const QString deadPid = QString::number(ended.processId());
    ASSERT_TRUE(ended.waitForFinished());
    const QString gone[] = {db + QStringLiteral(".pk-%1-a1B2c3").arg(deadPid),
                            db + QStringLiteral(".pk-Ab12Cd"), // before copies named their run
                            applicationSupportFolder() +
                                QStringLiteral("/Photos.sqlite.pk-%1-x9Y8z7").arg(deadPid)};
    const QString stay[] = {
        db + QStringLiteral(".pk-1-a1B2c3"), // a live process's
        db + QStringLiteral(".pk-notes.txt"), db + QStringLiteral(".pk-%1-a1B2c3.jpg").arg(deadPid),
        library + QStringLiteral("/database/other.pk-Ab12Cd"),
        // an edit's snapshot of the working copy
        applicationSupportFolder() + QStringLiteral("/Photos.sqlite.pk-before")};
    QDir().mkpath(applicationSupportFolder());
    for (const QString &path : gone)
        writeBytes(path, "x");
    for (const QString &path : stay)
        writeBytes(path, "x");
    // A backup that a killed open left unfinished.
    const QString unfinished = libraryBackupFolderFor(db) + QStringLiteral("/20200101-000000000");
    QDir().mkpath(unfinished);
    writeBytes(unfinished + QStringLiteral("/Photos.sqlite.pk-%1-q1w2e3").arg(deadPid), "x");
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    ASSERT_TRUE(copy.open(db).ok);
    for (const QString &path : gone)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString &path : stay)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_FALSE(QFileInfo::exists(unfinished));
    EXPECT_EQ(sqliteValue(db, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

TEST(LibraryWorkingCopy, RestoreNeverUsesAnotherLibrarysBackup) {
    auto first = openCopy(QStringLiteral("Test-10.15.7"));
    ASSERT_TRUE(QFileInfo(first->copy->lastBackupPath()).isFile());
    first->copy->close();
    // Same name, other folder: its own backups, and a damaged one is passed over.
    auto second = openCopy(QStringLiteral("Test-10.15.7"));
    EXPECT_NE(second->copy->libraryBackupFolder(), libraryBackupFolderFor(first->original));
    writeBytes(second->copy->lastBackupPath(), QByteArray("damaged"));
    const QByteArray before = fileBytes(second->original);
    const LibraryStepResult r = second->copy->restore();
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.reason.isEmpty());
    EXPECT_EQ(fileBytes(second->original), before);
}

TEST(LibraryWorkingCopy, FiveBackupsKeptPerLibrary) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(copy.open(databaseOf(library)).ok);
    EXPECT_EQ(QDir(copy.libraryBackupFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
              LibraryWorkingCopy::kBackupsKept);
}

TEST(LibraryWorkingCopy, SecondOpenOfTheWorkingCopyIsToldItIsInUse) {
    auto o = openCopy(QStringLiteral("Test-13.0.0"));
    QTemporaryDir dir;
    const QString other = databaseOf(copyLibrary(QStringLiteral("Test-13.0.0"), dir.path()));
    FakePhotosApplication nobody;
    LibraryWorkingCopy second(&nobody);
    ASSERT_TRUE(second.open(other).ok);
    EXPECT_FALSE(second.photolibReadOnlyReason().isEmpty());
    EXPECT_NE(second.currentPhotolibDatabasePath(), o->copy->currentPhotolibDatabasePath());
    EXPECT_FALSE(second.copyBack().ok);
    const QString privateCopy = second.currentPhotolibDatabasePath();
    second.close();
    EXPECT_FALSE(QFileInfo::exists(privateCopy));
}

TEST(PhotosApplication, EndProcessTermsThenKills) {
    LinuxPhotosApplication linux;
    linux.graceMilliseconds = 300;
    QProcess polite;
    polite.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(polite.waitForStarted());
    QProcess stubborn;
    stubborn.start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("trap '' TERM; sleep 30 & wait; sleep 30")});
    ASSERT_TRUE(stubborn.waitForStarted());
    QString why;
    EXPECT_TRUE(linux.endProcess(polite.processId(), &why)) << why.toStdString();
    EXPECT_TRUE(linux.endProcess(stubborn.processId(), &why)) << why.toStdString();
    EXPECT_TRUE(polite.waitForFinished(5000));
    EXPECT_TRUE(stubborn.waitForFinished(5000));
    EXPECT_FALSE(linux.endProcess(0, &why));
}

TEST(PhotosApplication, AProcessHoldingIPhotosLockFileHoldsTheCatalogue) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-iPhoto-9.6.1"), dir.path());
    const QString catalogue = library + QStringLiteral("/Database/apdb/Library.apdb");
    LinuxPhotosApplication linux;
    EXPECT_TRUE(linux.holders(catalogue).isEmpty());
    QProcess holder;
    holder.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; echo ready; exec sleep 60"),
                  library + QStringLiteral("/iPhotoLock.data")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    const QList<DatabaseHolder> held = linux.holders(catalogue);
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(held.first().pid, holder.processId());
    holder.kill();
    holder.waitForFinished(10000);
}

// The lock a Mac left names that Mac: the library may be open there over a shared disk, and
// its process cannot be asked from here, so the lock holds the library until the user takes
// it over. This computer's lock holds it while its process lives.
TEST(PhotosApplication, ALockNamesItsComputerAndHoldsUntilTakenOver) {
    QTemporaryDir dir;
    const QString database = databaseOf(copyLibrary(QStringLiteral("Test-13.0.0"), dir.path()));
    const QString lock = database + QStringLiteral(".lock");
    LinuxPhotosApplication linux;
    const QList<DatabaseHolder> held = linux.holders(database);
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(held[0].host, QStringLiteral("Mac-mini.local"));
    EXPECT_EQ(held[0].pid, 61681);
    EXPECT_EQ(held[0].name, QStringLiteral("photolibraryd"));
    EXPECT_EQ(held[0].lockFile, lock);
    EXPECT_FALSE(isPhotosApplication(held[0])); // never ours to end
    EXPECT_EQ(describeHolders(held),
              QStringLiteral("photolibraryd (61681) on the computer \"Mac-mini.local\""));
    EXPECT_TRUE(lockFileStands(lock));
    // A lock that changed since it was shown is not taken over.
    DatabaseHolder other = held[0];
    other.pid = 61682;
    QString why;
    EXPECT_FALSE(takeOverLockFile(other, &why));
    EXPECT_TRUE(why.contains(lock)) << why.toStdString();
    EXPECT_TRUE(QFileInfo::exists(lock));
    ASSERT_TRUE(takeOverLockFile(held[0], &why)) << why.toStdString();
    EXPECT_FALSE(QFileInfo::exists(lock));
    EXPECT_TRUE(linux.holders(database).isEmpty());

    QProcess living;
    living.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(living.waitForStarted());
    writeLibraryLock(lock, QHostInfo::localHostName(), living.processId());
    const QList<DatabaseHolder> here = linux.holders(database);
    ASSERT_EQ(here.size(), 1);
    EXPECT_EQ(here[0].pid, living.processId());
    EXPECT_FALSE(here[0].onAnotherComputer());
    EXPECT_TRUE(lockFileStands(lock));
    living.kill();
    living.waitForFinished(10000);
    EXPECT_TRUE(linux.holders(database).isEmpty());
    EXPECT_FALSE(lockFileStands(lock));
    // A lock naming no computer holds nothing either.
    writeBytes(lock, "not a property list");
    EXPECT_TRUE(linux.holders(database).isEmpty());
}

// Opened while a Mac's lock names it, a library is only read: nothing is folded into it, no
// write reaches it and its lock stays. Taken over, it opens writable; a lock another computer
// leaves after that open refuses the copy back, naming that computer.
TEST(LibraryWorkingCopy, AnotherComputersLockKeepsTheLibraryUntilTakenOver) {
    LinuxPhotosApplication linux;
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-10.15.7"), dir.path());
    const QString original = databaseOf(library), lock = original + QStringLiteral(".lock");
    const QStringList before = folderHashes(library + QStringLiteral("/database"));
    LibraryWorkingCopy copy(&linux);
    ASSERT_TRUE(copy.open(original).ok);
    EXPECT_TRUE(copy.photolibReadOnlyReason().contains(
        QStringLiteral("on the computer \"Rhets-MacBook-Pro.local\"")))
        << copy.photolibReadOnlyReason().toStdString();
    retitle(copy.currentPhotolibDatabasePath(), 7, QStringLiteral("not there"));
    EXPECT_FALSE(copy.copyBack().ok);
    EXPECT_EQ(folderHashes(library + QStringLiteral("/database")), before);

    const QList<DatabaseHolder> held = copy.holders();
    ASSERT_EQ(held.size(), 1);
    QString why;
    ASSERT_TRUE(takeOverLockFile(held[0], &why)) << why.toStdString();
    ASSERT_TRUE(copy.open(original).ok);
    EXPECT_TRUE(copy.photolibReadOnlyReason().isEmpty())
        << copy.photolibReadOnlyReason().toStdString();
    retitle(copy.currentPhotolibDatabasePath(), 7, QStringLiteral("taken over"));
    ASSERT_TRUE(copy.copyBack().ok);
    EXPECT_EQ(titleOf7(original), QStringLiteral("taken over"));

    writeLibraryLock(lock, QStringLiteral("Studio-iMac.local"), 512);
    const QByteArray bytes = fileBytes(original);
    retitle(copy.currentPhotolibDatabasePath(), 7, QStringLiteral("refused"));
    const LibraryStepResult back = copy.copyBack();
    EXPECT_FALSE(back.ok);
    EXPECT_TRUE(back.reason.contains(QStringLiteral("\"Studio-iMac.local\"")))
        << back.reason.toStdString();
    const LibraryStepResult restored = copy.restore();
    EXPECT_FALSE(restored.ok);
    EXPECT_TRUE(restored.reason.contains(QStringLiteral("\"Studio-iMac.local\"")))
        << restored.reason.toStdString();
    EXPECT_EQ(fileBytes(original), bytes);
    EXPECT_TRUE(QFileInfo::exists(lock));
    EXPECT_EQ(sqliteValue(original, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
}

TEST(LibraryWorkingCopy, FullDiskLeavesTheLibraryAsItWas) {
    auto o = openCopy(QStringLiteral("Test-13.0.0"));
    retitle(o->copy->currentPhotolibDatabasePath(), 2, QStringLiteral("no room"));
    const QByteArray before = fileBytes(o->original);
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1 << 20; // smaller than the database
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const LibraryStepResult back = o->copy->copyBack();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(back.ok);
    EXPECT_FALSE(back.reason.isEmpty());
    EXPECT_EQ(fileBytes(o->original), before);
    const QStringList left = QDir(QFileInfo(o->original).absolutePath())
                                 .entryList({QStringLiteral("*.pk-*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
    // With room again, the same copy back goes through.
    EXPECT_TRUE(o->copy->copyBack().ok);
}

// A large database is copied in windows at once: sparse, so that the test writes little;
// marks at the windows' edges and at its end find a window copied wrong or not at all.
TEST(LibraryWorkingCopy, ALargeDatabaseIsCopiedWholeInWindows) {
    QTemporaryDir dir;
    if (QStorageInfo(dir.path()).bytesAvailable() < (qint64(1) << 30))
        GTEST_SKIP() << "less than 1 GB free for the copy";
    const QString source = dir.filePath(QStringLiteral("large.sqlite"));
    const qint64 window = qint64(16) << 20;
    const qint64 size = 6 * window + 123;
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(size));
        for (const qint64 at : {qint64(0), window - 1, window, 3 * window + 4095, size - 8}) {
            f.seek(at);
            f.write(QByteArray::number(at).rightJustified(8, 'x', true));
        }
    }
    const QString target = dir.filePath(QStringLiteral("copy.sqlite"));
    QString why;
    // Once out of the page cache (read past it), once in it (copied by the kernel from there).
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "not cached");
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        if (cached)
            while (!f.read(1 << 20).isEmpty()) {
            }
        else
            ::posix_fadvise(f.handle(), 0, 0, POSIX_FADV_DONTNEED);
        ASSERT_TRUE(copyFileQuickly(source, target, &why)) << why.toStdString();
        EXPECT_EQ(QFileInfo(target).size(), size);
        EXPECT_EQ(QProcess::execute(QStringLiteral("cmp"), {QStringLiteral("-s"), source, target}),
                  0);
    }

    // A copy that cannot be written whole says so and leaves nothing behind.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1 << 20;
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool copied = copyFileQuickly(source, target, &why);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(copied);
    EXPECT_FALSE(QFileInfo::exists(target));
}

// A write through a mapping that the file cannot take ends that copy, not the program: on any
// thread, and as often as it happens. Within the file the same copy goes through, also from
// a source read past the page cache.
TEST(LibraryWorkingCopy, ACopyIntoAMappingPastTheFilesEndFailsAndTheProgramGoesOn) {
    QTemporaryDir dir;
    const size_t mb = size_t(1) << 20;
    QByteArray bytes(int(3 * mb), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7) ^ (i >> 12));
    const QString source = dir.filePath(QStringLiteral("source"));
    const QString target = dir.filePath(QStringLiteral("target"));
    {
        QFile s(source), t(target);
        ASSERT_TRUE(s.open(QIODevice::WriteOnly));
        ASSERT_EQ(s.write(bytes), bytes.size());
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        ASSERT_TRUE(t.resize(qint64(mb) + 5)); // the mapping's last 2 MB lie past its end
    }
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(QFile::encodeName(target).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(in, 0);
    ASSERT_GE(out, 0);
    EXPECT_FALSE(copyIntoMapping(in, false, out, 0, 3 * mb));
    EXPECT_FALSE(copyIntoMapping(in, false, out, 0, 3 * mb));
    bool elsewhere = true;
    std::thread([&] { elsewhere = copyIntoMapping(in, false, out, 0, 3 * mb); }).join();
    EXPECT_FALSE(elsewhere);
    EXPECT_TRUE(copyIntoMapping(in, false, out, 0, mb));
    EXPECT_EQ(fileBytes(target).left(int(mb)), bytes.left(int(mb)));
    EXPECT_EQ(QFileInfo(target).size(), qint64(mb) + 5);

    // From a source read past the page cache (where its file system allows it), a whole
    // window after the first.
    QFile(target).resize(0);
    QFile(target).resize(qint64(3 * mb));
    if (const int direct =
            ::open(QFile::encodeName(source).constData(), O_RDONLY | O_DIRECT | O_CLOEXEC);
        direct >= 0) {
        EXPECT_TRUE(copyIntoMapping(direct, true, out, off_t(mb), 2 * mb));
        ::close(direct);
        EXPECT_EQ(fileBytes(target).mid(int(mb)), bytes.mid(int(mb)));
    }
    ::close(in);
    ::close(out);
}

// A real library of a few hundred megabytes, out of the page cache: its working copy is read
// past the cache in windows, and must be the library's database page for page.
TEST(LibraryWorkingCopy, ALargeLibraryFromAColdDiskOpensIntoASoundCopy) {
    QTemporaryDir dir;
    if (QStorageInfo(dir.path()).bytesAvailable() < (qint64(2) << 30))
        GTEST_SKIP() << "less than 2 GB free for the library and its copies";
    const QString library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
    const QString db = databaseOf(library);
    EXPECT_EQ(sqliteValue(db, QStringLiteral("CREATE TABLE PKBulk(b); INSERT INTO PKBulk "
                                             "SELECT randomblob(1 << 20) FROM generate_series(1, "
                                             "200); SELECT count(*) FROM PKBulk")),
              QStringLiteral("200"));
    ASSERT_GT(QFileInfo(db).size(), qint64(128) << 20);
    const QString assets = sqliteValue(db, QStringLiteral("SELECT count(*) FROM ZASSET"));
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        ::fdatasync(f.handle());
        ::posix_fadvise(f.handle(), 0, 0, POSIX_FADV_DONTNEED);
    }
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryStepResult opened = copy.open(db);
    ASSERT_TRUE(opened.ok) << opened.reason.toStdString();
    EXPECT_TRUE(copy.photolibReadOnlyReason().isEmpty())
        << copy.photolibReadOnlyReason().toStdString();
    const QString working = copy.currentPhotolibDatabasePath();
    EXPECT_EQ(QProcess::execute(QStringLiteral("cmp"), {QStringLiteral("-s"), db, working}), 0);
    EXPECT_EQ(sqliteValue(working, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(sqliteValue(working, QStringLiteral("SELECT count(*) FROM ZASSET")), assets);
}

TEST(LibraryWorkingCopy, ABusyFoldOpensReadOnly) {
    QTemporaryDir dir;
    const QString library = copyLibrary(QStringLiteral("Test-10.15.7"), dir.path());
    const QString db = databaseOf(library);
    QProcess reader; // unknown to the holder check: only the fold finds it
    reader.start(QStringLiteral("sqlite3"), {db});
    ASSERT_TRUE(reader.waitForStarted());
    reader.write("BEGIN; SELECT count(*) FROM ZGENERICASSET;\n");
    ASSERT_TRUE(reader.waitForReadyRead(10000));
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryStepResult opened = copy.open(db);
    EXPECT_TRUE(opened.ok) << opened.reason.toStdString();
    EXPECT_TRUE(copy.photolibReadOnlyReason().contains(QStringLiteral("in use")))
        << copy.photolibReadOnlyReason().toStdString();
    EXPECT_EQ(sqliteValue(copy.currentPhotolibDatabasePath(),
                          QStringLiteral("SELECT count(*) FROM ZGENERICASSET")),
              QStringLiteral("29"));
    EXPECT_FALSE(copy.copyBack().ok);
    reader.write("COMMIT;\n.quit\n");
    reader.closeWriteChannel();
    reader.waitForFinished(10000);
}

TEST(LibraryWorkingCopy, UpdatesThatFireThePhotoApplicationsTriggersWork) {
    for (const char *name : {"Test-13.0.0", "Test-10.15.7"}) {
        SCOPED_TRACE(name);
        auto o = openCopy(QLatin1String(name));
        const QString table = QLatin1String(name) == QLatin1String("Test-13.0.0")
                                  ? QStringLiteral("ZASSET")
                                  : QStringLiteral("ZGENERICASSET");
        // Without stand-ins this fails with "no such function: NSCoreData...".
        SqliteDatabase db;
        QString why;
        ASSERT_TRUE(
            db.open(o->copy->currentPhotolibDatabasePath(), SqliteDatabase::Mode::ReadWrite, &why));
        SqliteStatement *stmt = db.prepare(
            QStringLiteral("UPDATE %1 SET ZTRASHEDSTATE = ?1 WHERE Z_PK = ?2").arg(table));
        ASSERT_TRUE(stmt) << db.lastError().toStdString();
        stmt->bind(1, int64_t(1)).bind(2, int64_t(2));
        stmt->step();
        EXPECT_FALSE(stmt->failed()) << stmt->error().toStdString();
        db.close();
        ASSERT_TRUE(o->copy->copyBack().ok);
        EXPECT_EQ(
            sqliteValue(o->original,
                        QStringLiteral("SELECT ZTRASHEDSTATE FROM %1 WHERE Z_PK = 2").arg(table)),
            QStringLiteral("1"));
    }
}
