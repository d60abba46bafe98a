// The duplicate scan over 50,000 thumbnails: 10,000 distinct 360 x 480 JPEG pictures, each
// also linked under four more names, scanned with at most 8 threads, then with 1. Each
// picture is a 4 x 4 grid of light and dark cells spelling its number, with noise that
// stays clear of the mean, so its hash is known and every picture is its own group.
#include "export/core/DuplicateScan.h"
#include "support/BenchEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kLinks = 4;

// Light cells at 200 and dark ones at 50, each pixel moved by at most 5: with at least one
// cell of each kind the mean lies between 59 and 191, so no cell comes near it.
QImage picture(quint16 pattern, quint32 seed) {
    QImage image(360, 480, QImage::Format_RGB32);
    QRandomGenerator noise(seed);
    for (int y = 0; y < 480; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < 360; ++x) {
            const int cell = y / 120 * 4 + x / 90;
            const int v = ((pattern >> cell) & 1 ? 200 : 50) + noise.bounded(-5, 6);
            line[x] = qRgb(v, v, v);
        }
    }
    return image;
}

QString expectedHash(quint16 pattern) {
    QString bits;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            bits += (pattern >> (y / 8 * 4 + x / 8)) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return bits;
}

double timedScan(const QList<DuplicateScanEntry> &entries, int threads, int *groups) {
    QElapsedTimer t;
    t.start();
    const DuplicateScanResult r = findDuplicateFiles(entries, threads);
    const double seconds = t.nsecsElapsed() / 1e9;
    *groups = int(r.groups.size());
    return seconds;
}
} // namespace

int main(int argc, char **argv) {
    // Runs where no display is: the thumbnail hashes need no window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int distinct = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    QList<int> numbers;
    for (int i = 0; i < distinct; ++i)
        numbers << i;
    // Patterns 1 to 65534: never all dark or all light.
    const auto patternOf = [](int i) { return quint16(1 + i % 65534); };
    QtConcurrent::blockingMap(numbers, [&](int i) {
        const QString first = dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        picture(patternOf(i), quint32(i)).save(first, "JPEG", 85);
        for (int k = 1; k <= kLinks; ++k)
            ::link(QFile::encodeName(first).constData(),
                   QFile::encodeName(dir.filePath(QStringLiteral("p%1-%2.jpg").arg(i).arg(k)))
                       .constData());
    });

    // The check that each hash is the one the picture spells.
    for (int i = 0; i < qMin(distinct, 200); ++i) {
        const QString path = dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        if (averageHashOfFile(path).bits != expectedHash(patternOf(i))) {
            std::fprintf(stderr, "picture %d does not hash as it spells\n", i);
            return 1;
        }
    }

    QList<DuplicateScanEntry> entries;
    for (int k = 0; k <= kLinks; ++k)
        for (int i = 0; i < distinct; ++i) {
            DuplicateScanEntry e;
            e.item = std::make_shared<IKImageItem>();
            e.fileName = k == 0 ? QStringLiteral("p%1.jpg").arg(i)
                                : QStringLiteral("p%1-%2.jpg").arg(i).arg(k);
            e.fileThumbPath = dir.filePath(e.fileName);
            e.filePath = e.fileThumbPath;
            e.fileType = QStringLiteral("Image");
            entries << e;
        }
    // Warm cache: every file read once before the clock starts.
    for (const DuplicateScanEntry &e : entries) {
        QFile f(e.fileThumbPath);
        if (f.open(QIODevice::ReadOnly))
            f.readAll();
    }

    const int threads = qMin(8, QThread::idealThreadCount());
    int groups = 0, groups1 = 0;
    const double many = timedScan(entries, threads, &groups);
    const double one = timedScan(entries, 1, &groups1);
    std::printf("cores=%d threads=%d items=%lld\n", QThread::idealThreadCount(), threads,
                qlonglong(entries.size()));
    const QByteArray key = bench::sizeKey(entries.size());
    std::printf("dup_%s_s=%.2f dup_%s_1thread_s=%.2f dup_speedup=%.2f dup_groups=%d\n",
                key.constData(), many, key.constData(), one, one / many,
                groups == groups1 ? groups : -1);
    return groups == distinct && groups1 == distinct ? 0 : 1;
}
