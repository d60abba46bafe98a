// Listing a camera of 3,040 photos (a "Directory Browse" folder): the time until the first
// items show and until all are listed, the longest the window's event loop went without a
// turn meanwhile, and how long closing the camera window takes to stop a listing.
// The photos are hard links to one JPEG made here (`tiny`, the default) or to the fixture
// photos (`photos`: real JPEGs without previews, whose pictures are made from the file).
#include "app/AppDelegate.h"
#include "browser/CameraWindow.h"
#include "platform/core/CameraDevice.h"
#include "support/BenchEnvironment.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// The camera window itself, found by its name among the program's windows.
QWidget *cameraWindowWidget() {
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("deviceWindow"))
            return top;
    return nullptr;
}

bool makeCard(const QString &card, int count, bool photos) {
    const QString folder = card + QStringLiteral("/DCIM/100TEST");
    QDir().mkpath(folder);
    QStringList sources;
    if (photos) {
        for (const char *name : {"wedding.jpg", "Fritest.jpeg", "St James Park.jpg"})
            sources << QStringLiteral(PK_BENCH_FIXTURES) + QStringLiteral("/photos/") +
                           QLatin1String(name);
    } else {
        QImage image(24, 16, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        sources << folder + QStringLiteral("/.source.jpg");
        if (!image.save(sources.first(), "JPEG"))
            return false;
    }
    for (int i = 0; i < count; ++i) {
        const QString target = QStringLiteral("%1/P%2.jpg").arg(folder).arg(i, 5, 10, QChar('0'));
        const QString &source = sources[i % sources.size()];
        // A hard link, or a copy where the fixtures live on another file system.
        if (::link(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) !=
                0 &&
            !QFile::copy(source, target))
            return false;
    }
    if (!photos)
        QFile::remove(sources.first());
    return true;
}

bool spinUntil(const std::function<bool()> &done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir home;
    bench::useHome(home.path());
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 3040;
    const bool photos = argc > 2 && QByteArray(argv[2]) == "photos";
    QTemporaryDir cards;
    const QString card = cards.filePath(QStringLiteral("card"));
    if (!makeCard(card, count, photos)) {
        std::fprintf(stderr, "cannot make the card in %s\n", qPrintable(card));
        return 1;
    }

    AppDelegate d;
    d.launch();
    d.cameraWindow().deviceBrowser()->setAutodetectEnabled(false);
    d.cameraWindow().deviceBrowser()->addFolderDevice(card);
    d.cameraWindow().deviceBrowser()->pollNow();
    if (!spinUntil([&] { return d.cameraWindow().cameraCount() > 0; }, 30000)) {
        std::fprintf(stderr, "the folder device did not show up\n");
        return 1;
    }
    auto device = d.cameraWindow().currentCamera();
    d.cameraWindow().ChangeToImportiOSDevicePhoto();

    // The whole listing, with a 10 ms tick measuring the event loop's longest gap.
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    double firstItem = -1;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (firstItem < 0 && !d.cameraWindow().photos().isEmpty())
            firstItem = now / 1000.0;
    });
    bool opened = false, stopped = false;
    QObject::connect(device.get(), &PKCameraDevice::didOpenSession, [&] { opened = true; });
    QObject::connect(device.get(), &PKCameraDevice::didStopListing, [&] { stopped = true; });
    clock.start();
    tick.start();
    d.cameraWindow().OpenDeviceAction();
    if (!spinUntil([&] { return opened; }, 600000)) {
        std::fprintf(stderr, "gave up after 600 s (%lld listed)\n",
                     static_cast<long long>(d.cameraWindow().photos().size()));
        return 1;
    }
    const double listed = clock.elapsed() / 1000.0;
    tick.stop();
    const qsizetype items = d.cameraWindow().photos().size();

    // A second camera over the same card, closed while it lists: from the close to the
    // listing's end, and the items that came after the close.
    cameraWindowWidget()->close();
    d.cameraWindow().deviceBrowser()->removeFolderDevice(card);
    d.cameraWindow().deviceBrowser()->pollNow();
    spinUntil([&] { return d.cameraWindow().cameraCount() == 0; }, 30000);
    d.cameraWindow().deviceBrowser()->addFolderDevice(card);
    d.cameraWindow().deviceBrowser()->pollNow();
    spinUntil([&] { return d.cameraWindow().cameraCount() > 0; }, 30000);
    auto again = d.cameraWindow().currentCamera();
    stopped = false;
    qsizetype atClose = -1;
    QElapsedTimer sinceClose;
    QObject::connect(again.get(), &PKCameraDevice::didStopListing, [&] { stopped = true; });
    QObject::connect(again.get(), &PKCameraDevice::didAddItems, [&] {
        if (atClose < 0 && d.cameraWindow().photos().size() >= 200) {
            cameraWindowWidget()->close();
            atClose = d.cameraWindow().photos().size();
            sinceClose.start();
        }
    });
    d.cameraWindow().ChangeToImportiOSDevicePhoto();
    d.cameraWindow().OpenDeviceAction();
    spinUntil([&] { return stopped || again->hasOpenSession(); }, 600000);
    const double stopMs = stopped ? sinceClose.nsecsElapsed() / 1e6 : -1;

    std::printf("camera_items=%lld mode=%s\n", static_cast<long long>(items),
                photos ? "photos" : "tiny");
    std::printf("camera_first_items_s=%.3f camera_listed_%s_s=%.3f camera_longest_stall_ms=%lld\n",
                firstItem, bench::sizeKey(count).constData(), listed,
                static_cast<long long>(longest));
    std::printf("camera_close_to_stop_ms=%.1f camera_items_after_close=%lld\n", stopMs,
                static_cast<long long>(d.cameraWindow().photos().size() - atClose));
    return 0;
}
