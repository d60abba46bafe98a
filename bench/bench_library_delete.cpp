// Deleting library photos: the rows of every photo in one transaction, one copy back, then
// the files to the Trash. (1) The confirmed deletion of wedding.jpg (with a Live Photo half
// beside its original) and Pumpkins3.jpg on copies of the three fixture libraries, then the
// moved and the renamed repairs of their lost referenced photos, whose files are put under
// the root first; kept with --keep DIR (the libraries and the found files under DIR/root, the
// Trash under DIR/home); (2) 1,000 photos out of Test-13.0.0 grown to 20,000 assets, against a
// floor measured in the same run: `gio trash` of 1,000 like files, `cp` and `sync` of the
// database.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "library/LibraryWindows.h"
#include "library/core/LibraryDeletion.h"
#include "library/core/LibraryWorkingCopy.h"
#include "library/core/ReferenceRepair.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/Workspace.h"
#include "support/BenchEnvironment.h"
#include "support/BenchLibraries.h"
#include "support/LibraryBenchGenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {
using bench::choose;
using bench::copyPackage;

QString sqlite(const QString &db, const QString &sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {db, sql});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString databaseOf(const QString &library) {
    const QString current = library + QStringLiteral("/database/Photos.sqlite");
    return QFileInfo::exists(current) ? current : library + QStringLiteral("/database/photos.db");
}

// The lost referenced photos of the open library found again: each one's file is put under
// `root` in the last folder of its old place, at the size the library records, and the moved
// repair relinks it; then the file is renamed there and the renamed repair writes its new name
// into the library. False when a repair relinked fewer than it should or the library fails
// its integrity_check.
bool repairLostReferences(AppDelegate &d, const char *name, const QString &library,
                          const QString &root) {
    QList<IKImageItemPtr> lost;
    for (const IKImageItemPtr &item : d.library().photoLibBroserArray)
        if (item->photoLibFileNode && item->photoLibFileNode->bReferencePhoto &&
            item->photoLibFileNode->bLostReferencePhoto &&
            item->photoLibFileNode->originalfilesize > 0)
            lost << item;
    const QString movedRoot = root + QStringLiteral("/moved-") + QLatin1String(name);
    const QByteArray photo = [] {
        QFile f(QStringLiteral(PK_BENCH_FIXTURES "/photos/wedding.jpg"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    for (const IKImageItemPtr &item : lost) {
        const PRPicFileInfo &r = *item->photoLibFileNode;
        const QFileInfo was(r.fileFullPath);
        const QString folder = movedRoot + QLatin1Char('/') + was.dir().dirName();
        QDir().mkpath(folder);
        // A photo's bytes, padded or cut to the recorded size the repairs go by.
        QByteArray bytes = photo.left(qsizetype(r.originalfilesize));
        bytes.append(QByteArray(qsizetype(r.originalfilesize) - bytes.size(), '\0'));
        QFile f(folder + QLatin1Char('/') + was.fileName());
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    const ReferenceRepairReport moved =
        lost.isEmpty() ? ReferenceRepairReport{}
                       : d.libraryWindows().relinkMovedReferencedPhotos(movedRoot, lost);
    // Renamed behind the library's back, in the folder it now names.
    for (const IKImageItemPtr &item : lost) {
        const QFileInfo now(item->filePath);
        QFile::rename(now.filePath(), now.path() + QStringLiteral("/Renamed ") + now.fileName());
    }
    const ReferenceRepairReport renamed =
        lost.isEmpty() ? ReferenceRepairReport{}
                       : d.libraryWindows().relinkRenamedReferencedPhotos(lost, false);
    const QString integrity = sqlite(databaseOf(library), QStringLiteral("PRAGMA integrity_check"));
    std::printf(
        "repair library=%s lost=%lld moved_relinked=%d renamed_relinked=%d integrity=%s%s\n", name,
        qlonglong(lost.size()), moved.relinked, renamed.relinked, qPrintable(integrity),
        qPrintable(moved.reason.isEmpty() && renamed.reason.isEmpty()
                       ? QString()
                       : QStringLiteral(" reason=") + moved.reason + renamed.reason));
    return moved.relinked == lost.size() && renamed.relinked == lost.size() &&
           integrity == QLatin1String("ok");
}

} // namespace

int main(int argc, char **argv) {
    QString keep;
    int count = 20000, deleting = 1000;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--keep") && i + 1 < argc)
            keep = QString::fromLocal8Bit(argv[++i]);
        else if (a == QLatin1String("--assets") && i + 1 < argc)
            count = std::atoi(argv[++i]);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    // With --keep everything made stays under DIR, the Trash of the kept home included.
    const QString root = keep.isEmpty() ? scratch.path() : keep + QStringLiteral("/root");
    const QString home =
        keep.isEmpty() ? scratch.path() + QStringLiteral("/home") : keep + QStringLiteral("/home");
    QDir().mkpath(root);
    QDir().mkpath(home);
    qputenv("HOME", home.toUtf8());
    // The Trash lives in the data home; GLib reads it once, before its first use.
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    QApplication app(argc, argv);
    FakePhotosApplication nobody;
    setPhotosApplication(&nobody);
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);

    AppDelegate d;
    d.launch();
    int failures = 0;
    for (const char *name : {"Test-10.14.6", "Test-10.15.7", "Test-13.0.0"}) {
        const QString library = copyPackage(QLatin1String(name), root);
        choose(d, library);
        QList<IKImageItemPtr> chosen;
        for (const IKImageItemPtr &item : d.library().photoLibBroserArray)
            if (item->fileName == QLatin1String("wedding.jpg") ||
                item->fileName == QLatin1String("Pumpkins3.jpg"))
                chosen << item;
        for (const IKImageItemPtr &item : chosen)
            if (item->fileName == QLatin1String("wedding.jpg"))
                QFile::copy(QStringLiteral(PK_BENCH_FIXTURES "/photos/IMG_0123.mov"),
                            livePhotoCompanionPath(item->filePath));
        const LibraryDeletionReport r = d.libraryWindows().deleteLibraryPhotos(chosen, true, true);
        const QString integrity =
            sqlite(databaseOf(library), QStringLiteral("PRAGMA integrity_check"));
        const bool ok =
            r.ok && r.deleted.size() == chosen.size() && integrity == QLatin1String("ok");
        failures += ok ? 0 : 1;
        std::printf("library=%s chosen=%lld deleted=%lld trashed=%lld not_trashed=%lld "
                    "integrity=%s%s\n",
                    name, qlonglong(chosen.size()), qlonglong(r.deleted.size()),
                    qlonglong(r.trashed.size()), qlonglong(r.notTrashed.size()),
                    qPrintable(integrity), r.ok ? "" : qPrintable(" reason=" + r.reason));
        failures += repairLostReferences(d, name, library, root) ? 0 : 1;
    }

    // (2) A grown library; small originals, each its own file so that each goes to the Trash.
    const QString big = copyPackage(QStringLiteral("Test-13.0.0"), scratch.path() + "/big");
    commitDB(big + QStringLiteral("/database/Photos.sqlite"));
    const QString photo = scratch.path() + QStringLiteral("/photo.jpg");
    QFile::copy(QStringLiteral(PK_BENCH_FIXTURES "/photos/Fritest.jpeg"), photo);
    const bench::GeneratedLibrary grown = bench::growLibrary(big, count, photo);
    if (!grown.ok) {
        std::fprintf(stderr, "generator: %s\n", qPrintable(grown.error));
        return 1;
    }
    choose(d, big);
    QList<IKImageItemPtr> chosen;
    for (int row : bench::photosWithOwnOriginals(d, deleting, 7, photo))
        chosen << d.library().photoLibBroserArray.at(row);
    QProcess::execute(QStringLiteral("sync"), {});
    QElapsedTimer t;
    t.start();
    const LibraryDeletionReport r = d.libraryWindows().deleteLibraryPhotos(chosen, true, false);
    const double seconds = t.nsecsElapsed() / 1e9;
    const QString integrity = sqlite(databaseOf(big), QStringLiteral("PRAGMA integrity_check"));
    failures += r.ok && integrity == QLatin1String("ok") ? 0 : 1;

    // The floor: the Trash's own work for as many like files (`gio trash`, as a file manager
    // would), and the database copied and synced once.
    const QString like = scratch.path() + QStringLiteral("/like");
    QDir().mkpath(like);
    QStringList likeFiles;
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        likeFiles << QStringLiteral("%1/%2.jpeg").arg(like).arg(i);
        QFile::copy(photo, likeFiles.last());
    }
    QProcess::execute(QStringLiteral("sync"), {});
    t.restart();
    QProcess::execute(QStringLiteral("gio"), QStringList{QStringLiteral("trash")} + likeFiles);
    QProcess::execute(QStringLiteral("cp"), {databaseOf(big), like + QStringLiteral("/db")});
    QProcess::execute(QStringLiteral("sync"), {});
    const double floor = t.nsecsElapsed() / 1e9;
    std::printf("grown_assets=%d chosen=%lld deleted=%lld integrity=%s\n", count,
                qlonglong(chosen.size()), qlonglong(r.deleted.size()), qPrintable(integrity));
    std::printf("lib_delete_%s_s=%.3f trashed=%lld floor_s=%.3f ratio_vs_floor=%.2f\n",
                bench::sizeKey(chosen.size()).constData(), seconds, qlonglong(r.trashed.size()),
                floor, seconds / floor);
    setPhotosApplication(nullptr);
    return failures == 0 ? 0 : 1;
}
