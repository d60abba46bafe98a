// Library open: the whole road of the open panel's end (working copy, scan, filing, batched
// hand-backs, the closing sort) on the fixture libraries, then on one grown to 100,000 assets.
// Usage: bench_library_open [COUNT [KEEP_DIR]]; with KEEP_DIR the grown library is kept there
// and opened again by later runs of the same COUNT instead of being grown anew.
#include "app/AppDelegate.h"
#include "app/core/LaunchArguments.h"
#include "app/core/Settings.h"
#include "browser/MainWindowController.h"
#include "library/core/LibrarySort.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/Workspace.h"
#include "support/BenchEnvironment.h"
#include "support/BenchLibraries.h"
#include "support/LibraryBenchGenerator.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
using bench::choose;
using bench::copyPackage;

long peakRssMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong() / 1024;
    return -1;
}

// The process's resident anonymous and file-backed memory now, in MB (the mapped database
// pages count in the peak RSS too).
std::pair<long, long> residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    long anon = -1, file = -1;
    if (!status.open(QIODevice::ReadOnly))
        return {anon, file};
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            anon = line.mid(8).trimmed().split(' ').first().toLong() / 1024;
        else if (line.startsWith("RssFile:"))
            file = line.mid(8).trimmed().split(' ').first().toLong() / 1024;
    }
    return {anon, file};
}

// The machine's one-minute load: other work on the machine slows the copy and the scan.
QByteArray loadAverage() {
    QFile load(QStringLiteral("/proc/loadavg"));
    return load.open(QIODevice::ReadOnly) ? load.readAll().split(' ').first() : QByteArray("-1");
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    pinLocalTimeZone(); // as the program's start does
    QTemporaryDir home;
    bench::useHome(home.path());
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir temporary;
    const QString kept = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString dirPath = kept.isEmpty() ? temporary.path() : kept;
    FakePhotosApplication nobody;
    setPhotosApplication(&nobody);
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);

    AppDelegate d;
    d.launch();
    const auto waitForLoad = [&] {
        while (!d.library().scanComplete)
            app.processEvents(QEventLoop::AllEvents, 5);
    };
    for (const char *name : {"Test-13.0.0", "Test-10.15.7", "Test-10.14.6"}) {
        const QString library = copyPackage(QLatin1String(name), dirPath + QLatin1Char('/') + name);
        choose(d, library);
        waitForLoad();
        const auto *albumsItem =
            d.window->findChild<QAction *>(QStringLiteral("albumsFolderMenuItem"));
        const QMenu *albums = albumsItem ? albumsItem->menu() : nullptr;
        std::printf("open_fixture=%s shown=%lld albums=%lld\n", name,
                    qlonglong(d.library().photoLibBroserArray.size()),
                    qlonglong(albums ? albums->actions().size() : 0));
    }

    const QString grownMark = dirPath + QStringLiteral("/big/grown-%1").arg(count);
    QString library = dirPath + QStringLiteral("/big/Test-13.0.0.photoslibrary");
    if (kept.isEmpty() || !QFileInfo::exists(grownMark)) {
        QFile::remove(grownMark);
        QDir(dirPath + QStringLiteral("/big/referenced")).removeRecursively();
        library = copyPackage(QStringLiteral("Test-13.0.0"), dirPath + "/big");
        commitDB(library + QStringLiteral("/database/Photos.sqlite"));
        const QString photo = dirPath + QStringLiteral("/photo.jpg");
        QFile::remove(photo);
        QFile::copy(QStringLiteral(PK_BENCH_FIXTURES "/photos/St James Park.jpg"), photo);
        const bench::GeneratedLibrary grown = bench::growLibrary(library, count, photo);
        if (!grown.ok) {
            std::fprintf(stderr, "generator: %s\n", qPrintable(grown.error));
            return 1;
        }
        QFile mark(grownMark);
        mark.open(QIODevice::WriteOnly);
    }

    QElapsedTimer t;
    t.start();
    // Not waiting inside choose: the first hand-back is timed on the open's own road.
    choose(d, library, false);
    double firstItems = -1;
    long peakAnon = 0, peakFile = 0;
    QElapsedTimer sampled;
    sampled.start();
    while (!d.library().scanComplete) {
        app.processEvents(QEventLoop::AllEvents, 1);
        if (firstItems < 0 && !d.library().photoLibBroserArray.isEmpty())
            firstItems = t.nsecsElapsed() / 1e9;
        if (sampled.elapsed() >= 20) {
            const auto [anon, file] = residentMb();
            peakAnon = std::max(peakAnon, anon);
            peakFile = std::max(peakFile, file);
            sampled.restart();
        }
    }
    const auto [anonAfter, fileAfter] = residentMb();
    const double open = t.nsecsElapsed() / 1e9;
    const QList<IKImageItemPtr> &shown = d.library().photoLibBroserArray;
    const bool sorted = std::is_sorted(shown.begin(), shown.end(),
                                       [](const IKImageItemPtr &a, const IKImageItemPtr &b) {
                                           return comparePhotoLibItemsByDate(*a, *b) < 0;
                                       });
    std::printf("lib_open_%s_s=%.3f first_items_s=%.3f items=%lld reloads=%d sorted=%d "
                "peak_rss_mb=%ld peak_anon_mb=%ld peak_file_mb=%ld anon_after_mb=%ld load1=%s\n",
                bench::sizeKey(count).constData(), open, firstItems, qlonglong(shown.size()),
                d.mainWindowController().libraryHandBacks(), sorted ? 1 : 0, peakRssMb(), peakAnon,
                peakFile, anonAfter, loadAverage().constData());
    setPhotosApplication(nullptr);
    return 0;
}
