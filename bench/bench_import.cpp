// Importing a folder of 10,000 photos: the time until every item is listed, the time
// from the first item until the first 50 thumbnails are ready, and the peak memory.
// The photos are hard links to the fixtures under distinct names, so the folder costs no
// disk space; every one is read as a file of its own.
#include "app/AppDelegate.h"
#include "browser/LocalPhotoModel.h"
#include "platform/core/Workspace.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString fixtures = qEnvironmentVariable("PK_FIXTURES_DIR", PK_BENCH_FIXTURES) + "/photos";
    // "jpeg" as the second argument leaves out the HEIC photo, whose thumbnail is a whole
    // HEVC decode (the file carries no preview).
    const bool jpegOnly = argc > 2 && QByteArray(argv[2]) == "jpeg";
    QStringList photos{"St James Park.jpg", "wedding.jpg", "IMG_1994.JPG", "Fritest.jpeg"};
    if (!jpegOnly)
        photos << "IMG_3092.heic";
    QTemporaryDir dir;
    for (int i = 0; i < count; ++i) {
        const QString name = photos[i % photos.size()];
        const QString folder = dir.filePath(QStringLiteral("f%1").arg(i / 500));
        QDir().mkpath(folder);
        const QString target =
            QStringLiteral("%1/%2_%3").arg(folder).arg(i, 5, 10, QLatin1Char('0')).arg(name);
        if (::link(QFile::encodeName(fixtures + "/" + name).constData(),
                   QFile::encodeName(target).constData()) != 0 &&
            !QFile::copy(fixtures + "/" + name, target)) {
            std::fprintf(stderr, "cannot place %s\n", qPrintable(target));
            return 1;
        }
    }

    Workspace::setUrlOpener([](const QUrl &) { return true; });
    AppDelegate d;
    d.launch();
    d.window->show();

    QElapsedTimer t;
    t.start();
    d.importPhotosItemThreader({dir.path()});
    double firstItem = -1, allListed = -1, firstThumbs = -1;
    while (allListed < 0 || firstThumbs < 0) {
        app.processEvents(QEventLoop::AllEvents, 5);
        const double now = t.nsecsElapsed() / 1e9;
        const int listed = int(d.localPhotoItemArray.size());
        if (firstItem < 0 && listed > 0)
            firstItem = now;
        if (allListed < 0 && listed == count)
            allListed = now;
        // What the visible cells ask for: the pictures of the first rows.
        const int wanted = std::min(50, count);
        if (firstThumbs < 0 && listed >= wanted) {
            for (int i = 0; i < wanted; ++i)
                d.localPhotoModel->data(d.localPhotoModel->index(i), Qt::DecorationRole);
            if (allListed >= 0 && std::getenv("PK_BENCH_TRACE"))
                std::fprintf(stderr, "t=%.2f ready=%d pending=%d\n", now,
                             d.localPhotoModel->thumbnailsReady(),
                             d.localPhotoModel->thumbnailsPending());
            if (d.localPhotoModel->thumbnailsReady() >= wanted)
                firstThumbs = now - firstItem;
        }
        if (now > 300) {
            std::fprintf(stderr, "gave up after 300 s (%d listed)\n", listed);
            return 1;
        }
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("items=%d first_item_s=%.3f\n", count, firstItem);
    std::printf("import_10k_s=%.3f first_thumbs_s=%.3f peak_rss_mb=%.1f\n", allListed, firstThumbs,
                usage.ru_maxrss / 1024.0);
    return 0;
}
