// Library scan: per fixture library, what the scan admits; then a library grown to 100,000
// assets (or the count given) in its real schema, timed from the working copy to the records,
// beside the sqlite3 command reading the same columns.
#include "library/core/LibraryScan.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "support/BenchEnvironment.h"
#include "support/BenchLibraries.h"
#include "support/LibraryBenchGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

    QElapsedTimer timer;
    timer.start();
    LibraryWorkingCopy copy(&nobody);
    const LibraryStepResult opened = copy.open(library + QStringLiteral("/database/Photos.sqlite"));
    const double workcopy = timer.nsecsElapsed() / 1e9;
    if (!opened.ok) {
        std::fprintf(stderr, "open: %s\n", qPrintable(opened.reason));
        return 1;
    }
    const QString w = copy.currentPhotolibDatabasePath();
    timer.restart();
    const QString check = checkDatabaseFile(w);
    const double quickCheck = timer.nsecsElapsed() / 1e9;
    // A second argument repeats the scan, for profilers.
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    for (int i = 1; i < repeats; ++i)
        scanCurrentLibraryDatabase(library, w);
    timer.restart();
    const LibraryScanResult scan = scanCurrentLibraryDatabase(library, w);
    const double scanSeconds = timer.nsecsElapsed() / 1e9;

    timer.restart();
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(
        QStringLiteral("sqlite3"),
        {w,
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
        std::printf("quick_check: %s\n", qPrintable(check));
    // The program always makes the working copy and checks it before it scans: the headline
    // counts both, and the scan alone stands beside the command line's same queries.
    const QByteArray key = bench::sizeKey(count);
    const double total = workcopy + quickCheck + scanSeconds;
    std::printf("lib_scan_%s_s=%.3f (workcopy_s=%.3f quick_check_s=%.3f scan_only_s=%.3f) "
                "sqlite3_cli_s=%.3f scan_vs_cli=%.2f records=%lld\n",
                key.constData(), total, workcopy, quickCheck, scanSeconds, cliSeconds,
                cliSeconds > 0 ? scanSeconds / cliSeconds : 0.0, qlonglong(scan.records.size()));
    return scan.ok ? 0 : 1;
}
