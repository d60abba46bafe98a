// The local rename job over 5,000 distinct small photos, all named "Trip" without a counter,
// so that every name clashes, into an empty storage folder; timed beside a plain `cp` of the
// same files in the same run. The outputs are then counted by content: nothing may be lost.
#include "batch/core/BatchRename.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

namespace {
QSet<QByteArray> contentsOf(const QString &folder) {
    QSet<QByteArray> hashes;
    for (const QFileInfo &f : QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
        QFile file(f.filePath());
        if (file.open(QIODevice::ReadOnly))
            hashes.insert(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1));
    }
    return hashes;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
    const QString fixtures = qEnvironmentVariable("PK_FIXTURES_DIR", PK_BENCH_FIXTURES) + "/photos";
    QFile fixture(fixtures + "/Fritest.jpeg");
    if (!fixture.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(fixture.fileName()));
        return 1;
    }
    const QByteArray jpeg = fixture.readAll();
    QTemporaryDir dir;
    const QString in = dir.filePath("in"), out = dir.filePath("out"), cp = dir.filePath("cp");
    QDir().mkpath(in);
    QDir().mkpath(out);
    QDir().mkpath(cp);
    QList<batchrename::Photo> photos;
    QStringList files;
    for (int i = 0; i < count; ++i) {
        // Each its own bytes after the end marker, so the outputs can be told apart.
        const QString name = QStringLiteral("IMG_%1.jpeg").arg(i, 5, 10, QLatin1Char('0'));
        QFile f(in + "/" + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(jpeg + QByteArray::number(i)) < 0)
            return 1;
        photos << batchrename::Photo{f.fileName(), name};
        files << f.fileName();
    }
    const QSet<QByteArray> wanted = contentsOf(in);
    QProcess::execute("sync", {});

    QElapsedTimer t;
    t.start();
    QProcess::execute("cp", QStringList{"-p"} + files + QStringList{cp});
    QProcess::execute("sync", {});
    const double cpSeconds = t.nsecsElapsed() / 1e9;

    batchrename::Settings settings;
    settings.storage = out;
    settings.naming.useCustomName = true;
    settings.naming.customText = QStringLiteral("Trip");
    JobRunner runner;
    t.restart();
    if (!batchrename::start(runner, settings, photos)) {
        std::fprintf(stderr, "the rename job did not start\n");
        return 1;
    }
    const QList<JobResult> results = runner.waitForResults();
    const double renameSeconds = t.nsecsElapsed() / 1e9;
    int failed = 0;
    for (const JobResult &r : results)
        if (!r.ok && failed++ < 3)
            std::fprintf(stderr, "not renamed: %s\n", qPrintable(r.reason));

    const QSet<QByteArray> got = contentsOf(out);
    const int lost = int((wanted - got).size());
    std::printf("renamed=%d failed=%d files_out=%lld\n", int(results.size()) - failed, failed,
                qlonglong(QDir(out).entryList(QDir::Files).size()));
    std::printf("rename_s=%.3f cp_s=%.3f rename_vs_cp=%.2f photos=%d lost=%d\n", renameSeconds,
                cpSeconds, renameSeconds / cpSeconds, count, lost);
    return lost == 0 && failed == 0 ? 0 : 1;
}
