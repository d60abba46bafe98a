// Library exports: 1,000 photos of Test-13.0.0 grown to 2,000 assets, each original its own
// file, exported plain (byte copies, flat) and with the library's metadata written into each
// copy, both against `cp` of the same originals into one folder and one `sync`, in one run.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "export/core/LibraryMetadataExport.h"
#include "export/core/PlainExport.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/Workspace.h"
#include "support/BenchEnvironment.h"
#include "support/BenchLibraries.h"
#include "support/LibraryBenchGenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {
using bench::choose;
using bench::copyPackage;

// `cp` of every source into `folder` under a name of its own, then one `sync`.
double timeCp(const QStringList &sources, const QString &folder) {
    QDir().mkpath(folder);
    QProcess::execute(QStringLiteral("sync"), {});
    QElapsedTimer t;
    t.start();
    QStringList args{QStringLiteral("-t"), folder};
    args << sources;
    QProcess::execute(QStringLiteral("cp"), args);
    QProcess::execute(QStringLiteral("sync"), {});
    return t.nsecsElapsed() / 1e9;
}

template <typename Export> double timeExport(Export run, int *written) {
    QProcess::execute(QStringLiteral("sync"), {});
    QElapsedTimer t;
    t.start();
    const ExportReport report = run();
    QProcess::execute(QStringLiteral("sync"), {});
    *written = report.writtenCount();
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv) {
    const int exporting = argc > 1 ? std::atoi(argv[1]) : 1000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    bench::useHome(home.path());
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    FakePhotosApplication nobody;
    setPhotosApplication(&nobody);
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);

    const QString library = copyPackage(QStringLiteral("Test-13.0.0"), scratch.path() + "/lib");
    commitDB(library + QStringLiteral("/database/Photos.sqlite"));
    const QString photo = scratch.path() + QStringLiteral("/photo.jpg");
    QFile::copy(bench::fixturesFolder() + QStringLiteral("/photos/St James Park.jpg"), photo);
    const bench::GeneratedLibrary grown = bench::growLibrary(library, exporting * 2, photo);
    if (!grown.ok) {
        std::fprintf(stderr, "generator: %s\n", qPrintable(grown.error));
        return 1;
    }
    AppDelegate d;
    d.launch();
    choose(d, library);
    // Each original its own file: the page cache would serve one file for all.
    const QList<int> rows = bench::photosWithOwnOriginals(d, exporting, 1, photo);
    const QList<IKImageItemPtr> &shown = d.library().photoLibBroserArray;
    QStringList sources;
    for (int row : rows)
        sources << shown.at(row)->filePath;
    const QList<ExportEntry> entries = snapshotSelection(shown, rows);

    const double cpSeconds = timeCp(sources, scratch.path() + QStringLiteral("/cp"));
    int plainWritten = 0, metadataWritten = 0;
    PlainExportSettings plain;
    plain.storageFolder = scratch.path() + QStringLiteral("/plain");
    const double plainSeconds =
        timeExport([&] { return exportPlainCopies(entries, plain); }, &plainWritten);
    LibraryExportSettings withMetadata;
    withMetadata.storageFolder = scratch.path() + QStringLiteral("/metadata");
    const double metadataSeconds = timeExport(
        [&] { return exportWithLibraryMetadata(entries, withMetadata); }, &metadataWritten);

    std::printf("photos=%lld plain_written=%d metadata_written=%d\n", qlonglong(rows.size()),
                plainWritten, metadataWritten);
    std::printf("export_s=%.3f plain_s=%.3f cp_sync_s=%.3f export_vs_cp=%.2f plain_vs_cp=%.2f\n",
                metadataSeconds, plainSeconds, cpSeconds,
                cpSeconds > 0 ? metadataSeconds / cpSeconds : 0.0,
                cpSeconds > 0 ? plainSeconds / cpSeconds : 0.0);
    setPhotosApplication(nullptr);
    return plainWritten == rows.size() && metadataWritten == rows.size() ? 0 : 1;
}
