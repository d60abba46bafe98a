// HEIC to JPEG: 50 copies of the fixture HEIC converted through the menu action's own job
// (selection, runner, ordered commits, the job's ending), timed beside Debian's
// heif-convert -q 90 over the same files through xargs -P8.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "batch/ImageOutput.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "platform/core/Workspace.h"
#include "support/BenchEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QProcess>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    bench::useHome(home.path());
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 50;
    constexpr int threads = 8;
    const QString source =
        qEnvironmentVariable("PK_FIXTURES_DIR", PK_BENCH_FIXTURES) + "/photos/IMG_3092.heic";
    if (QStandardPaths::findExecutable("heif-convert").isEmpty()) {
        std::fprintf(stderr, "heif-convert is missing (Debian's libheif-examples)\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString in = dir.filePath("in");
    QDir().mkpath(in);
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString target = QStringLiteral("%1/IMG_%2.heic").arg(in).arg(i, 3, 10, QChar('0'));
        if (!QFile::copy(source, target)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(source));
            return 1;
        }
        files << target;
    }
    QProcess::execute("sync", {});

    const QString ours = dir.filePath("ours");
    QDir().mkpath(ours);
    userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
    userDefaults()->setValue(QStringLiteral("storagePath"), ours);
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    Workspace::setRevealer([](const QString &, const QString &) {});
    AppDelegate d;
    d.launch();
    for (const QString &path : files)
        d.localLists().localPhotoItemArray << makeLocalItem(path);
    QStandardItemModel model(int(files.size()), 1);
    auto *browser = d.window->findChild<QListView *>(QStringLiteral("localImageBrowserView"));
    browser->setModel(&model);
    browser->selectAll();
    const auto cpu = [](int who) {
        rusage u{};
        getrusage(who, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    const double cpuBefore = cpu(RUSAGE_SELF);
    QElapsedTimer t;
    t.start();
    d.imageOutput().ClickConvertHEICtoJPEGAction();
    // Sleeps between events, as the program's own event loop does: a spinning wait would take
    // a core from the job it times.
    while (d.jobs().runningJobCount() > 0)
        app.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    const double oursSeconds = t.nsecsElapsed() / 1e9;
    const double oursCpu = cpu(RUSAGE_SELF) - cpuBefore, childrenBefore = cpu(RUSAGE_CHILDREN);
    const int converted = int(QDir(ours).entryList({"*.jpg"}, QDir::Files).size());
    browser->setModel(nullptr);

    const QString theirs = dir.filePath("theirs");
    QDir().mkpath(theirs);
    QProcess xargs;
    xargs.setWorkingDirectory(in);
    // heif-convert writes "<name>.jpg" beside the name it is given: into "theirs".
    t.restart();
    xargs.start("sh", {"-c", QStringLiteral("ls *.heic | xargs -P%1 -I{} heif-convert -q 90 {} "
                                            "%2/{}.jpg > /dev/null")
                                 .arg(threads)
                                 .arg(theirs)});
    xargs.waitForFinished(-1);
    const double theirSeconds = t.nsecsElapsed() / 1e9;
    const int theirCount = int(QDir(theirs).entryList({"*.jpg"}, QDir::Files).size());

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("ours: %d converted in %.2f s; heif-convert: %d in %.2f s\n", converted,
                oursSeconds, theirCount, theirSeconds);
    std::printf("heic_jpeg_s=%.2f heif_convert_s=%.2f heic_vs_heif_convert=%.2f "
                "peak_rss_mb=%.0f converted=%d\n",
                oursSeconds, theirSeconds, theirSeconds > 0 ? oursSeconds / theirSeconds : 0.0,
                usage.ru_maxrss / 1024.0, converted);
    std::printf("heic_jpeg_cpu_s=%.2f heif_convert_cpu_s=%.2f\n", oursCpu,
                cpu(RUSAGE_CHILDREN) - childrenBefore);
    return converted == count && theirCount == count ? 0 : 1;
}
