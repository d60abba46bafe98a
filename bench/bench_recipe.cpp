// The write recipe over 1,000 photos (DateTimeOriginal set, storage-folder mode), timed
// beside a plain `cp` of the same files and one exiftool run that writes the same tag.
#include "metadata/core/WriteRecipe.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {
// CPU seconds of this process, every thread: steadier than the wall clock on a shared machine.
struct Cpu {
    double user = 0;
    double system = 0;
};
Cpu cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
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

    const auto childCpu = [] {
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    QElapsedTimer t;
    t.start();
    QDir().mkpath(dir.filePath("cp"));
    const double childrenBefore = childCpu();
    QProcess::execute("cp", QStringList(files) << dir.filePath("cp"));
    const double cpCpu = childCpu() - childrenBefore;
    QProcess::execute("sync", {});
    const double cpSeconds = t.nsecsElapsed() / 1e9;

    WriteRecipeOptions options;
    // "verify": read the change back as the date features do.
    options.verify = argc > 2 && qstrcmp(argv[2], "verify") == 0;
    options.change = [](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        exif["DateTimeOriginal"] = QStringLiteral("2024:05:06 07:08:09");
        working["{Exif}"] = exif;
        return true;
    };
    t.restart();
    const Cpu cpuBefore = cpuSeconds();
    const WriteRecipeReport report = runWriteRecipe(items, dir.filePath("recipe"), false, options);
    const Cpu cpuAfter = cpuSeconds();
    QProcess::execute("sync", {});
    const double recipeSeconds = t.nsecsElapsed() / 1e9;
    if (report.writtenCount() != count) {
        std::fprintf(stderr, "only %d of %d written\n", report.writtenCount(), count);
        return 1;
    }

    t.restart();
    QDir().mkpath(dir.filePath("exiftool"));
    QProcess::execute("exiftool", QStringList{"-q", "-DateTimeOriginal=2024:05:06 07:08:09", "-o",
                                              dir.filePath("exiftool") + "/"} +
                                      files);
    QProcess::execute("sync", {});
    const double exiftoolSeconds = t.nsecsElapsed() / 1e9;

    std::printf("%d photos, %.0f MB\n", count, bytes / 1e6);
    std::printf(
        "recipe_s=%.2f cp_s=%.2f exiftool_s=%.2f ratio_vs_cp=%.2f speedup_vs_exiftool=%.2f\n",
        recipeSeconds, cpSeconds, exiftoolSeconds, recipeSeconds / cpSeconds,
        exiftoolSeconds / recipeSeconds);
    std::printf("recipe_cpu_user_s=%.2f recipe_cpu_system_s=%.2f (all threads) cp_cpu_s=%.2f\n",
                cpuAfter.user - cpuBefore.user, cpuAfter.system - cpuBefore.system, cpCpu);
    return 0;
}
