// The Takeout run over 1,000 photos with their "NAME.EXT.json" sidecars, timed beside eight
// exiftools in parallel that copy the same values from the same sidecars into a second copy,
// then one `sync`: both sides end with the photos on the disk.
#include "batch/core/SidecarMerge.h"
#include "platform/core/ImageSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

QByteArray sidecar(const QString &name, qint64 timestamp) {
    return QStringLiteral(R"({
  "title": "%1",
  "description": "Bench photo, \"quoted\"",
  "photoTakenTime": {
    "timestamp": "%2",
    "formatted": "x"
  },
  "geoData": {
    "latitude": 37.7749,
    "longitude": -122.4194,
    "altitude": 12.5
  }
})")
        .arg(name)
        .arg(timestamp)
        .toUtf8();
}

bool fill(const QString &folder, const QString &photo, int count) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        const QString path = folder + QLatin1Char('/') + name;
        QFile json(path + QStringLiteral(".json"));
        if (!QFile::copy(photo, path) || !json.open(QIODevice::WriteOnly) ||
            json.write(sidecar(name, 1500000000 + i)) < 0)
            return false;
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const QString photo =
        qEnvironmentVariable("PK_FIXTURES_DIR", PK_BENCH_FIXTURES) + "/photos/St James Park.jpg";
    QTemporaryDir dir;
    const QString ours = dir.filePath("ours"), theirs = dir.filePath("exiftool");
    if (!fill(ours, photo, count) || !fill(theirs, photo, count)) {
        std::fprintf(stderr, "cannot make the bench folders\n");
        return 1;
    }
    QProcess::execute("sync", {});

    const auto cpu = [](int who) {
        rusage u{};
        getrusage(who, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    const double cpuBefore = cpu(RUSAGE_SELF), childrenBefore = cpu(RUSAGE_CHILDREN);
    QElapsedTimer t;
    t.start();
    const SidecarMergeSummary summary = ScanJsonPhotosItemThreader(ours, {});
    const double takeout = t.elapsed() / 1000.0;
    const double takeoutCpu = cpu(RUSAGE_SELF) - cpuBefore;
    // The check of what was written is the bench's, outside the time, as exiftool's side has none.
    int merged = 0;
    for (const QString &path : summary.merged) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly) &&
            ImageSource::exifDictionary(f.readAll()).value("DateTimeOriginal").toString().size() ==
                19)
            ++merged;
    }

    // The baseline a user with eight cores would run: eight exiftools side by side, each over
    // an eighth of the photos.
    constexpr int parallel = 8;
    const QStringList args{"-q",
                           "-overwrite_original",
                           "-d",
                           "%s",
                           "-tagsfromfile",
                           "%d%F.json",
                           "-DateTimeOriginal<PhotoTakenTimeTimestamp",
                           "-CreateDate<PhotoTakenTimeTimestamp",
                           "-Artist<Title",
                           "-ImageDescription<Description",
                           "-GPSLatitude<GeoDataLatitude",
                           "-GPSLatitudeRef<GeoDataLatitude",
                           "-GPSLongitude<GeoDataLongitude",
                           "-GPSLongitudeRef<GeoDataLongitude",
                           "-FileModifyDate<PhotoTakenTimeTimestamp"};
    const QStringList photos = QDir(theirs).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    QList<QProcess *> runs;
    t.restart();
    for (int k = 0; k < parallel; ++k) {
        QStringList mine = args;
        for (qsizetype i = k; i < photos.size(); i += parallel)
            mine << theirs + QLatin1Char('/') + photos[i];
        auto *p = new QProcess;
        p->start("exiftool", mine);
        runs << p;
    }
    for (QProcess *p : runs) {
        p->waitForFinished(-1);
        delete p;
    }
    const double exiftoolUnsynced = t.elapsed() / 1000.0;
    // Our run ends with every photo on the disk; exiftool leaves its photos in the page cache
    // for the kernel to write later. One `sync` puts them where ours are, as the other benches'
    // baselines do.
    QProcess::execute("sync", {});
    const double exiftool = t.elapsed() / 1000.0;

    std::printf("takeout_s=%.2f exiftool_s=%.2f takeout_vs_exiftool=%.2f pairs=%d merged=%d\n",
                takeout, exiftool, takeout > 0 ? exiftool / takeout : 0.0, count, merged);
    std::printf("exiftool_unsynced_s=%.2f takeout_vs_exiftool_unsynced=%.2f\n", exiftoolUnsynced,
                takeout > 0 ? exiftoolUnsynced / takeout : 0.0);
    std::printf("takeout_cpu_s=%.2f exiftool_cpu_s=%.2f\n", takeoutCpu,
                cpu(RUSAGE_CHILDREN) - childrenBefore);
    return merged == count ? 0 : 1;
}
