// Library scan: per fixture library, what the scan admits; then a library grown to 100,000
// assets (or the count given) in its real schema. The headline is the whole road an open takes
// (working copy, its check, the scan) beside what the command line needs for the same: a `cp`
// of the database, sqlite3's quick_check of the copy and sqlite3 reading the same columns from
// it. The scan alone beside that query stays a second line.
#include "library/core/LibraryScan.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "support/BenchEnvironment.h"
#include "support/BenchLibraries.h"
#include "support/LibraryBenchGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
using bench::copyPackage;

void printCounts(const QString &name, const LibraryScanResult &r) {
    int keyworded = 0, albumed = 0, located = 0, titled = 0, undownloaded = 0, referenced = 0,
        lost = 0;
    for (const PRPicFileInfoPtr &p : r.records) {
        keyworded += !p->fileKeywords.isEmpty();
        albumed += !p->fileAlbum.isEmpty();
        located += !p->latitudeText().isEmpty() && !p->longitudeText().isEmpty();
        titled += !p->fileTitle.isEmpty();
        undownloaded += !p->bICloudDownloadPhoto;
        referenced += p->bReferencePhoto;
        lost += p->bLostReferencePhoto;
    }
    std::printf(
        "fixture=%s records=%lld keyworded=%d albumed=%d located=%d titled=%d undownloaded=%d "
        "referenced=%d lost=%d%s\n",
        qPrintable(name), qlonglong(r.records.size()), keyworded, albumed, located, titled,
        undownloaded, referenced, lost,
        r.ok ? "" : qPrintable(QStringLiteral(" error=") + r.message));
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir home;
    bench::useHome(home.path());
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    FakePhotosApplication nobody; // the copies are ours alone; /proc walks are not timed

    for (const char *name : {"Test-13.0.0", "Test-10.15.7", "Test-10.14.6"}) {
        QDir().mkpath(dir.path() + QLatin1Char('/') + QLatin1String(name));
        const QString library =
            copyPackage(QLatin1String(name), dir.path() + QLatin1Char('/') + name);
        LibraryWorkingCopy copy(&nobody);
        printCounts(QLatin1String(name), ScanPhotoLibMetadata(library, copy));
    }

    QDir().mkpath(dir.path() + QStringLiteral("/big"));
    const QString library =
        copyPackage(QStringLiteral("Test-13.0.0"), dir.path() + QStringLiteral("/big"));
    commitDB(library + QStringLiteral("/database/Photos.sqlite"));
    const QString photo = dir.path() + QStringLiteral("/photo.jpg");
    QFile::copy(QStringLiteral(PK_BENCH_FIXTURES "/photos/St James Park.jpg"), photo);
    const bench::GeneratedLibrary grown = bench::growLibrary(library, count, photo);
    if (!grown.ok) {
        std::fprintf(stderr, "generator: %s\n", qPrintable(grown.error));
        return 1;
    }

    // Both roads start with the database in the page cache, as a library just opened has it.
    const QString database = library + QStringLiteral("/database/Photos.sqlite");
    {
        QFile warm(database);
        if (warm.open(QIODevice::ReadOnly))
            while (!warm.read(1 << 20).isEmpty()) {
            }
    }
    QProcess::execute(QStringLiteral("sync"), {});

    // The road an open takes: the working copy, the scan while the copy's checks (its bytes
    // against the library's, the backup, quick_check) go on beside, then the wait for them.
    QElapsedTimer timer;
    timer.start();
    LibraryWorkingCopy copy(&nobody);
    const LibraryStepResult begun = copy.beginOpen(database);
    const double workcopy = timer.nsecsElapsed() / 1e9;
    if (!begun.ok) {
        std::fprintf(stderr, "open: %s\n", qPrintable(begun.reason));
        return 1;
    }
    const QString w = copy.currentPhotolibDatabasePath();
    timer.restart();
    const LibraryScanResult scan = scanCurrentLibraryDatabase(library, w, true);
    const double scanSeconds = timer.nsecsElapsed() / 1e9;
    timer.restart();
    const LibraryStepResult checked = copy.finishOpen();
    const double quickCheck = timer.nsecsElapsed() / 1e9;
    const QString check = checked.ok ? QString() : checked.reason;
    // A second argument repeats the scan afterwards, for profilers.
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    for (int i = 1; i < repeats; ++i)
        scanCurrentLibraryDatabase(library, w, true);

    // The command line's road: a copy of the database, its quick_check, the query.
    const QString plainCopy = dir.path() + QStringLiteral("/cli-copy.sqlite");
    QProcess::execute(QStringLiteral("sync"), {});
    timer.restart();
    QProcess::execute(QStringLiteral("cp"), {database, plainCopy});
    const double cliCopy = timer.nsecsElapsed() / 1e9;
    timer.restart();
    QProcess cliCheck;
    cliCheck.start(QStringLiteral("sqlite3"), {plainCopy, QStringLiteral("PRAGMA quick_check")});
    cliCheck.waitForFinished(-1);
    const double cliQuickCheck = timer.nsecsElapsed() / 1e9;
    const QString cliCheckText = QString::fromUtf8(cliCheck.readAllStandardOutput()).trimmed();

    timer.restart();
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(
        QStringLiteral("sqlite3"),
        {plainCopy,
         QStringLiteral(
             "SELECT A.ZHEIGHT, A.ZWIDTH, A.ZDATECREATED, A.ZLATITUDE, A.ZLONGITUDE, A.ZFILENAME, "
             "B.ZORIGINALFILESIZE, B.ZORIGINALHEIGHT, B.ZORIGINALWIDTH, B.ZORIGINALFILENAME, "
             "B.ZTITLE, "
             "B.Z_PK, B.ZASSET, A.ZDIRECTORY, A.ZTRASHEDSTATE, A.ZMASTER, A.ZFAVORITE, "
             "A.ZHASADJUSTMENTS, "
             "(SELECT group_concat(k.ZTITLE) FROM ZKEYWORD k JOIN Z_1KEYWORDS j ON k.Z_PK = "
             "j.Z_40KEYWORDS "
             " WHERE j.Z_1ASSETATTRIBUTES = B.Z_PK), "
             "(SELECT g.ZTITLE FROM ZGENERICALBUM g JOIN Z_28ASSETS j ON g.Z_PK = j.Z_28ALBUMS "
             " WHERE j.Z_3ASSETS = A.Z_PK AND g.ZTRASHEDSTATE = 0 LIMIT 1), "
             "(SELECT d.ZLONGDESCRIPTION FROM ZASSETDESCRIPTION d WHERE d.ZASSETATTRIBUTES = "
             "B.Z_PK), "
             "e.ZCAMERAMAKE, e.ZCAMERAMODEL, e.ZLENSMODEL "
             "FROM ZASSET A LEFT JOIN ZADDITIONALASSETATTRIBUTES B ON A.Z_PK = B.ZASSET "
             "LEFT JOIN ZEXTENDEDATTRIBUTES e ON e.ZASSET = A.Z_PK")});
    cli.waitForFinished(-1);
    const double cliSeconds = timer.nsecsElapsed() / 1e9;

    printCounts(QStringLiteral("grown-%1").arg(count), scan);
    if (!check.isEmpty())
        std::printf("checks: %s\n", qPrintable(check));
    if (cliCheckText != QLatin1String("ok"))
        std::printf("sqlite3 quick_check: %s\n", qPrintable(cliCheckText.left(200)));
    // The program always makes the working copy and checks it (with a backup) around its scan:
    // the headline counts the whole road against the command line's copy, check and query; the
    // scan alone stands beside the command line's query on the second line.
    const QByteArray key = bench::sizeKey(count);
    const double road = workcopy + quickCheck + scanSeconds;
    const double cliRoad = cliCopy + cliQuickCheck + cliSeconds;
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("lib_open_road_%s_s=%.3f (workcopy_s=%.3f scan_s=%.3f checks_wait_s=%.3f) "
                "cli_road_s=%.3f (cp_s=%.3f quick_check_s=%.3f query_s=%.3f) "
                "road_vs_cli=%.2f records=%lld\n",
                key.constData(), road, workcopy, scanSeconds, quickCheck, cliRoad, cliCopy,
                cliQuickCheck, cliSeconds, ratio(road, cliRoad), qlonglong(scan.records.size()));
    std::printf("lib_scan_only_%s_s=%.3f sqlite3_query_s=%.3f scan_vs_query=%.2f\n",
                key.constData(), scanSeconds, cliSeconds, ratio(scanSeconds, cliSeconds));
    return scan.ok && checked.ok && cliCheckText == QLatin1String("ok") ? 0 : 1;
}
