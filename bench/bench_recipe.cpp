// The write recipe over 1,000 photos (DateTimeOriginal set, storage-folder mode), plain and with
// the read-back the date features switch on, timed beside `cp` of the same files and beside
// eight exiftools side by side that write the same tag, each side ending with a `sync`. Every
// side runs in each round; the medians of the rounds are printed, with each side's CPU.
// `bench_recipe [COUNT] [--rounds N] [--no-exiftool]`
#include "metadata/core/WriteRecipe.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

// CPU seconds, every thread: steadier than the wall clock on a shared machine.
double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One side of the comparison: its wall clock (to the end of its sync) and its CPU, round by
// round. Our CPU is this process's; the tools' is their children's.
struct Side {
    std::vector<double> seconds, cpu;
    double s() const { return median(seconds); }
    double c() const { return median(cpu); }
    QString range() const {
        if (seconds.empty())
            return QStringLiteral("-");
        const auto [lo, hi] = std::minmax_element(seconds.begin(), seconds.end());
        return QStringLiteral("%1-%2").arg(*lo, 0, 'f', 2).arg(*hi, 0, 'f', 2);
    }
};

// Times `work` followed by one `sync`, with the CPU of `who`.
void timed(Side &side, int who, const std::function<void()> &work) {
    QProcess::execute("sync", {});
    QElapsedTimer t;
    t.start();
    const double before = cpuSeconds(who);
    work();
    const double cpu = cpuSeconds(who) - before;
    QProcess::execute("sync", {});
    side.seconds.push_back(t.nsecsElapsed() / 1e9);
    side.cpu.push_back(cpu);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = argc > 1 && argv[1][0] != '-' ? std::atoi(argv[1]) : 1000;
    const int roundsAt = args.indexOf(QStringLiteral("--rounds"));
    const int rounds =
        roundsAt > 0 && roundsAt + 1 < args.size() ? std::max(3, args[roundsAt + 1].toInt()) : 3;
    const bool exiftoolToo = !args.contains(QStringLiteral("--no-exiftool"));
    const QString fixtures = qEnvironmentVariable("PK_FIXTURES_DIR", PK_BENCH_FIXTURES) + "/photos";
    const QStringList jpegs{"St James Park.jpg", "wedding.jpg", "IMG_1994.JPG", "Fritest.jpeg"};
    QTemporaryDir dir;
    const QString in = dir.filePath("in");
    QDir().mkpath(in);
    QList<IKImageItemPtr> items;
    QStringList files;
    qint64 bytes = 0;
    for (int i = 0; i < count; ++i) {
        const QString name = jpegs[i % jpegs.size()];
        const QString target =
            QStringLiteral("%1/%2_%3").arg(in).arg(i, 5, 10, QLatin1Char('0')).arg(name);
        if (!QFile::copy(fixtures + "/" + name, target)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(name));
            return 1;
        }
        bytes += QFileInfo(target).size();
        auto item = std::make_shared<IKImageItem>();
        item->filePath = target;
        item->fileName = QFileInfo(target).fileName();
        items << item;
        files << target;
    }
    QProcess::execute("sync", {});

    WriteRecipeOptions plain;
    plain.change = [](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        exif["DateTimeOriginal"] = QStringLiteral("2024:05:06 07:08:09");
        working["{Exif}"] = exif;
        return true;
    };
    // The date features read the written Exif back and recompress when it did not hold.
    WriteRecipeOptions readBack = plain;
    readBack.verify = true;

    // The baseline a user with eight cores would run: eight exiftools side by side, each over
    // an eighth of the photos.
    constexpr int parallel = 8;
    const auto exiftools = [&](const QString &folder) {
        QList<QProcess *> runs;
        for (int k = 0; k < parallel; ++k) {
            QStringList mine{"-q", "-DateTimeOriginal=2024:05:06 07:08:09", "-o", folder + "/"};
            for (qsizetype i = k; i < files.size(); i += parallel)
                mine << files[i];
            auto *p = new QProcess;
            p->start("exiftool", mine);
            runs << p;
        }
        for (QProcess *p : runs) {
            p->waitForFinished(-1);
            delete p;
        }
    };
    const auto recipe = [&](const WriteRecipeOptions &options, const QString &folder) {
        const WriteRecipeReport report = runWriteRecipe(items, folder, false, options);
        // Each run starts from the same items: an edited copy is not edited further.
        for (const IKImageItemPtr &item : items) {
            item->editRare().editedCopyPath.clear();
            item->editRare().editedCopyDigest.clear();
            item->editRare().editedCopyOriginalState.clear();
        }
        return report.writtenCount();
    };

    // The kernel's cost of filling pages differs by a factor of three between identical runs on
    // a virtual machine, for `cp` as for us: every side runs in every round, each round's files
    // are removed before the next, and the medians are printed.
    Side cp, ours, oursReadBack, exiftool;
    for (int round = 0; round < rounds; ++round) {
        const QString folder = dir.filePath(QStringLiteral("round%1").arg(round));
        for (const char *sub : {"cp", "recipe", "readback", "exiftool"})
            QDir().mkpath(folder + QLatin1Char('/') + QLatin1String(sub));
        timed(cp, RUSAGE_CHILDREN,
              [&] { QProcess::execute("cp", QStringList(files) << folder + "/cp"); });
        int written = 0;
        timed(ours, RUSAGE_SELF, [&] { written = recipe(plain, folder + "/recipe"); });
        int writtenBack = 0;
        timed(oursReadBack, RUSAGE_SELF,
              [&] { writtenBack = recipe(readBack, folder + "/readback"); });
        if (written != count || writtenBack != count) {
            std::fprintf(stderr, "only %d and %d of %d written\n", written, writtenBack, count);
            return 1;
        }
        if (exiftoolToo)
            timed(exiftool, RUSAGE_CHILDREN, [&] { exiftools(folder + "/exiftool"); });
        QDir(folder).removeRecursively();
    }

    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("%d photos, %.0f MB, medians of %d rounds (ranges: cp %s, recipe %s, "
                "recipe_readback %s, exiftool8 %s s)\n",
                count, bytes / 1e6, rounds, qPrintable(cp.range()), qPrintable(ours.range()),
                qPrintable(oursReadBack.range()), qPrintable(exiftool.range()));
    std::printf("recipe_s=%.2f recipe_readback_s=%.2f cp_s=%.2f exiftool8_s=%.2f\n", ours.s(),
                oursReadBack.s(), cp.s(), exiftool.s());
    std::printf("cpu_s: recipe=%.2f recipe_readback=%.2f (all threads) cp=%.2f exiftool8=%.2f\n",
                ours.c(), oursReadBack.c(), cp.c(), exiftool.c());
    std::printf("ratio_vs_cp=%.2f readback_ratio_vs_cp=%.2f speedup_vs_exiftool8=%.2f "
                "readback_speedup_vs_exiftool8=%.2f\n",
                ratio(ours.s(), cp.s()), ratio(oursReadBack.s(), cp.s()),
                ratio(exiftool.s(), ours.s()), ratio(exiftool.s(), oursReadBack.s()));
    return 0;
}
