// The library's export commands on copies of the fixture libraries, read back with exiftool.
#include "../library/LibraryEditTestSupport.h"
#include "../library/LibraryTestSupport.h"
#include "browser/MainWindowController.h"
#include "export/core/ExportRules.h"
#include "library/LibraryPanels.h"
#include "library/LibraryWindows.h"
#include "platform/core/FileDates.h"
#include "platform/core/JobRunner.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QStatusBar>
#include <QTest>
#include <QThreadPool>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// The library browser.
QListView *libraryBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("photoLibBrowserView");
}

QByteArray sha256(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

// exiftool's text reading of a file, lists kept as lists.
// How many times each of `paths` is opened while `work` runs.
QHash<QString, int> opensDuring(const QStringList &paths, const std::function<void()> &work) {
    QHash<QString, int> opens;
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QHash<int, QString> watched;
    for (const QString &path : paths)
        watched.insert(inotify_add_watch(fd, QFile::encodeName(path).constData(), IN_OPEN), path);
    work();
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        for (char *at = buffer; at < buffer + n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            if (event->mask & IN_OPEN)
                ++opens[watched.value(event->wd)];
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(fd);
    return opens;
}

QVariantMap exiftoolTexts(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("exiftool"),
            {QStringLiteral("-j"), QStringLiteral("-G1"), QStringLiteral("-n"), path});
    p.waitForFinished(30000);
    const QJsonArray all = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    return all.isEmpty() ? QVariantMap() : all.first().toObject().toVariantMap();
}

// The entries of one listing that the other lacks, each side marked.
QString changedEntries(const QStringList &before, const QStringList &after) {
    QStringList lines;
    for (const QString &e : before)
        if (!after.contains(e))
            lines << "- " + e;
    for (const QString &e : after)
        if (!before.contains(e))
            lines << "+ " + e;
    return lines.join('\n');
}

// ffprobe's list of a file's streams ("video,audio,..."): empty when it reads none.
QString streams(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("ffprobe"),
            {"-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0", path});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

class LibraryExport : public LibraryEditTest {
  protected:
    void SetUp() override {
        LibraryEditTest::SetUp();
        storage = dir.filePath(QStringLiteral("S"));
        QDir().mkpath(storage);
        d->preferences().storagelocation = storage;
        Workspace::setRevealer([this](const QString &p, const QString &root) {
            revealed << (p.isEmpty() ? root : p);
        });
    }
    void TearDown() override {
        Workspace::setRevealer({});
        LibraryEditTest::TearDown();
    }
    // Selects these very items (several may share one name).
    void selectItems(const QList<IKImageItemPtr> &items) {
        QItemSelection chosen;
        QAbstractItemModel *model = libraryBrowser(*d)->model();
        for (const IKImageItemPtr &i : items) {
            const int row = int(d->library().photoLibBroserArray.indexOf(i));
            chosen.select(model->index(row, 0), model->index(row, 0));
        }
        libraryBrowser(*d)->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
    }
    QList<IKImageItemPtr> named(const QString &name) const {
        QList<IKImageItemPtr> out;
        for (const IKImageItemPtr &i : d->library().photoLibBroserArray)
            if (i->fileName.normalized(QString::NormalizationForm_C) ==
                name.normalized(QString::NormalizationForm_C))
                out << i;
        return out;
    }
    void run(void (LibraryWindows::*action)()) {
        (d->libraryWindows().*action)();
        ASSERT_TRUE(waitForJobs(*d));
    }
    // Every file under S, relative, sorted.
    QStringList files() const {
        QStringList out;
        QDirIterator it(storage, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(storage).relativeFilePath(it.next());
        out.sort();
        return out;
    }
    QString storage;
    QStringList revealed;
};

} // namespace

TEST_F(LibraryExport, CopiesOfSameNamedPhotosAllGoOutAndNoFileIsReplaced) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    const QList<IKImageItemPtr> fritest = named("Frítest.jpg");
    ASSERT_EQ(fritest.size(), 4);
    // The files already there carry the library's own spelling of the name.
    const QString name = fritest.first()->fileName;
    const QString taken = storage + "/" + name;
    const QString taken2 = storage + "/" + QFileInfo(name).completeBaseName() + " 2.jpg";
    writeBytes(taken, "already here");
    writeBytes(taken2, "this one too");
    selectItems(fritest);
    run(&LibraryWindows::ExportphotosfromphotolibraryAction);

    EXPECT_EQ(fileBytes(taken), "already here");
    EXPECT_EQ(fileBytes(taken2), "this one too");
    // Each photo went out as its original, or as its thumbnail when the original is only in
    // iCloud, byte for byte, each as a file of its own.
    QList<QByteArray> expected, copies;
    for (const IKImageItemPtr &i : fritest)
        expected << sha256(i->bICloudDownloadPhoto                    ? i->filePath
                           : QFileInfo::exists(i->fileLargeThumbPath) ? i->fileLargeThumbPath
                                                                      : i->fileThumbPath);
    const QStringList out = files();
    EXPECT_EQ(out.size(), 6) << out.join(", ").toStdString();
    for (const QString &f : out)
        if (storage + "/" + f != taken && storage + "/" + f != taken2)
            copies << sha256(storage + "/" + f);
    std::sort(expected.begin(), expected.end());
    std::sort(copies.begin(), copies.end());
    EXPECT_EQ(copies, expected);
    // The two iCloud photos went out as thumbnails, under their own base name, and said so.
    const QString base = QFileInfo(name).completeBaseName();
    EXPECT_TRUE(out.contains(base + ".jpeg") && out.contains(base + " 2.jpeg"))
        << out.join(", ").toStdString();
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "The currently selected photos include one or more iCloud Photos "
                              "that have not been downloaded.");
    EXPECT_EQ(revealed.size(), 1);
}

TEST_F(LibraryExport, AlbumFoldersAreOneFolderPerAlbumAndClashesTakeNumbers) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    QList<IKImageItemPtr> chosen = named("IMG_4547.jpg");
    QList<QByteArray> agua;
    for (const IKImageItemPtr &i : named("[2020-08-29] AAF035.jpg"))
        if (i->photoLibFileNode->fileAlbum.normalized(QString::NormalizationForm_C) ==
            QString("Água").normalized(QString::NormalizationForm_C)) {
            chosen << i;
            agua << sha256(i->filePath);
        }
    ASSERT_EQ(agua.size(), 3);
    selectItems(chosen);
    run(&LibraryWindows::ExportAllphotosfromphotolibrarywithAlbumsAction);
    const QStringList out = files();
    EXPECT_TRUE(out.contains(record("IMG_4547.jpg").fileAlbum + "/IMG_4547.jpg"))
        << out.join(", ").toStdString();
    QList<QByteArray> inAgua;
    for (const QString &f : out)
        if (f.normalized(QString::NormalizationForm_C)
                .startsWith(QString("Água/").normalized(QString::NormalizationForm_C)))
            inAgua << sha256(storage + "/" + f);
    std::sort(agua.begin(), agua.end());
    std::sort(inAgua.begin(), inAgua.end());
    EXPECT_EQ(inAgua, agua) << out.join(", ").toStdString();
    EXPECT_EQ(out.size(), 4);
    EXPECT_EQ(revealed, QStringList{storage});

    // The scan files a photo under its album's title; a "/" in the title makes no subfolder.
    ASSERT_TRUE(record("IMG_4547.jpg").albumTitles.contains("2019-10/11 Paris Clermont"));
    record("IMG_4547.jpg").fileAlbum = "2019-10/11 Paris Clermont";
    select({"IMG_4547.jpg"});
    run(&LibraryWindows::ExportAllphotosfromphotolibrarywithAlbumsAction);
    EXPECT_TRUE(files().contains("2019-10-11 Paris Clermont/IMG_4547.jpg"))
        << files().join(", ").toStdString();
    EXPECT_FALSE(QFileInfo::exists(storage + "/2019-10"));
}

TEST_F(LibraryExport, EditedExportsUseTheRenderUnderItsOwnExtension) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"IMG_3092.heic", "wedding.jpg"});
    run(&LibraryWindows::ExportEditedphotosfromphotolibraryAction);
    const QStringList out = files();
    EXPECT_TRUE(out.contains("IMG_3092.jpeg")) << out.join(", ").toStdString();
    EXPECT_EQ(exiftoolTexts(storage + "/IMG_3092.jpeg").value("File:FileType").toString(), "JPEG");
    // wedding.jpg has a render too; it goes out as the render's bytes.
    const QString render =
        libraryPath + "/resources/renders/E/E9BC5C36-7CD1-40A1-A72B-8B8FAC227D51_1_201_a.jpeg";
    EXPECT_EQ(sha256(storage + "/wedding.jpeg"), sha256(render));
}

TEST_F(LibraryExport, EditedExportsOfTheOtherLibrariesFollowTheirRenders) {
    ASSERT_TRUE(openLibrary("Test-13.0.0"));
    select({"IMG_3092.heic"});
    run(&LibraryWindows::ExportEditedphotosfromphotolibraryAction);
    const QStringList out = files();
    ASSERT_EQ(out.size(), 1);
    const QString type = exiftoolTexts(storage + "/" + out[0]).value("File:FileType").toString();
    EXPECT_EQ(type, QFileInfo(out[0]).suffix().toLower() == "heic" ? "HEIC" : "JPEG");
    EXPECT_NE(sha256(storage + "/" + out[0]), sha256(item("IMG_3092.heic")->filePath));
}

TEST_F(LibraryExport, OlderLibrariesHaveNoRendersAndTheOriginalGoesOut) {
    ASSERT_TRUE(openLibrary("Test-10.14.6"));
    select({"wedding.jpg"});
    run(&LibraryWindows::ExportEditedphotosfromphotolibraryAction);
    EXPECT_EQ(sha256(storage + "/wedding.jpg"), sha256(item("wedding.jpg")->filePath));
    EXPECT_TRUE(takeSheets().isEmpty()) << "the file manager showed the result";

    // Where no file manager answers, the ending says what was done and where, as a sheet
    // without a warning sign.
    Workspace::setRevealer({});
    Workspace::setUrlOpener([](const QUrl &) { return false; });
    QAction *item = nullptr;
    for (QAction *a : drive(*d).find<QMenu>("PhotolibQuickMenu")->findChildren<QAction *>())
        if (a->text() == "Export Originals")
            item = a;
    ASSERT_TRUE(item);
    item->trigger();
    ASSERT_TRUE(waitForJobs(*d));
    QMessageBox *sheet = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                sheet = s;
        return sheet != nullptr;
    }));
    EXPECT_NE(sheet->icon(), QMessageBox::Warning);
    EXPECT_EQ(sheet->text(), "\u201cExport Originals\u201d done for 1 photo.");
    EXPECT_TRUE(sheet->informativeText().contains(QDir::toNativeSeparators(storage)))
        << sheet->informativeText().toStdString();
    Workspace::setUrlOpener({});
    takeSheets();
}

TEST_F(LibraryExport, MissingOriginalsAreNamedAndICloudPhotosGoOutAsThumbnails) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    ASSERT_FALSE(item("DSC03584.dng")->bICloudDownloadPhoto);
    // An original lost from the package after the scan (the package is the test's copy).
    ASSERT_TRUE(QFile::remove(item("Tulips.jpg")->filePath));
    select({"DSC03584.dng", "Tulips.jpg", "wedding.jpg"});
    run(&LibraryWindows::ExportphotosfromphotolibraryAction);
    EXPECT_EQ(files(), (QStringList{"DSC03584.jpeg", "wedding.jpg"}));
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].text, "Some photos were not exported.");
    EXPECT_EQ(sheets[0].informative,
              "2 of 3 photos went out. Not exported:\nTulips.jpg: its file is not in the library");
    EXPECT_EQ(sheets[1].text, "The currently selected photos include one or more iCloud Photos "
                              "that have not been downloaded.");
    EXPECT_EQ(sheets[1].informative,
              "Their thumbnails were exported in their place. Download the originals into the "
              "library from iCloud, then export them again.");

    // The metadata exports say the same, and the run goes on.
    select({"Tulips.jpg", "Jellyfish.MOV", "wedding.jpg"});
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaAction);
    const QList<SheetText> again = takeSheets();
    ASSERT_EQ(again.size(), 1);
    EXPECT_TRUE(again[0].informative.startsWith("2 of 3 photos went out."))
        << again[0].informative.toStdString();
    EXPECT_TRUE(again[0].informative.contains("Tulips.jpg: "));
    EXPECT_FALSE(again[0].informative.contains("Jellyfish.MOV: "));
    EXPECT_TRUE(files().contains("Jellyfish.MOV")) << files().join(", ").toStdString();
    EXPECT_TRUE(files().contains("wedding 2.jpg")) << files().join(", ").toStdString();
}

TEST_F(LibraryExport, LibraryValuesAreWrittenIntoTheCopies) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select(
        {"Pumkins2.jpg", "St James Park.jpg", "IMG_3092.heic", "Jellyfish.MOV", "Jellyfish1.mp4"});
    // Each photo's original is read once: the values compared come from the read that writes.
    const QStringList stills = {item("Pumkins2.jpg")->filePath, item("St James Park.jpg")->filePath,
                                item("IMG_3092.heic")->filePath};
    const QHash<QString, int> opens = opensDuring(
        stills, [&] { run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaAction); });
    for (const QString &path : stills)
        EXPECT_EQ(opens.value(path), 1) << path.toStdString();
    EXPECT_TRUE(takeSheets().isEmpty());
    // Videos go out too, every stream kept, with the library's title and position in their
    // QuickTime boxes.
    for (const QString video : {"Jellyfish.MOV", "Jellyfish1.mp4"}) {
        const QString copy = storage + "/" + video;
        EXPECT_EQ(streams(copy), streams(item(video)->filePath)) << video.toStdString();
        const QVariantMap tags = exiftoolTexts(copy);
        EXPECT_EQ(tags.value("ItemList:Title").toString(), QFileInfo(video).completeBaseName());
        EXPECT_TRUE(tags.value("UserData:GPSCoordinates").toString().startsWith("34.053"))
            << tags.value("UserData:GPSCoordinates").toString().toStdString();
    }
    // The image data is the original's: only metadata changed.
    const QImage copied(storage + "/Pumkins2.jpg"), original(item("Pumkins2.jpg")->filePath);
    ASSERT_FALSE(original.isNull());
    EXPECT_EQ(copied, original);
    // A HEIC goes the recipe's HEIC road: its keywords as XMP.
    const QVariantMap heic = exiftoolTexts(storage + "/IMG_3092.heic");
    EXPECT_EQ(heic.value("XMP-dc:Subject").toString(), "foo/bar")
        << record("IMG_3092.heic").fileKeywords.toStdString();

    const QVariantMap pumpkin = exiftoolTexts(storage + "/Pumkins2.jpg");
    EXPECT_EQ(pumpkin.value("IPTC:ObjectName").toString(), "I found one!");
    EXPECT_EQ(pumpkin.value("IPTC:Keywords").toString(), "Kids");
    EXPECT_EQ(pumpkin.value("IFD0:ImageDescription").toString(), "Girl holding pumpkin");
    EXPECT_NEAR(pumpkin.value("GPS:GPSLatitude").toDouble(), 41.256566, 1e-5);
    EXPECT_EQ(pumpkin.value("GPS:GPSLatitudeRef").toString(), "N");
    EXPECT_NEAR(pumpkin.value("GPS:GPSLongitude").toDouble(), 95.940257, 1e-5);
    EXPECT_EQ(pumpkin.value("GPS:GPSLongitudeRef").toString(), "W");

    const QVariantMap park = exiftoolTexts(storage + "/St James Park.jpg");
    EXPECT_EQ(park.value("IPTC:ObjectName").toString(), "St. James's Park");
    EXPECT_NEAR(park.value("GPS:GPSLatitude").toDouble(), 51.50357, 1e-4);
    EXPECT_NEAR(park.value("GPS:GPSLongitude").toDouble(), 0.13180, 1e-4);
    EXPECT_NEAR(park.value("GPS:GPSAltitude").toDouble(), 2.6, 0.05);
    EXPECT_EQ(park.value("IFD0:Artist").toString(), "Jeff Hitchcock");
    // Six keywords in the file, a list still.
    EXPECT_TRUE(park.value("IPTC:Keywords").typeId() == QMetaType::QVariantList)
        << park.value("IPTC:Keywords").toString().toStdString();
    EXPECT_FALSE(revealed.isEmpty());

    // The creation-date export takes a video too, byte for byte.
    select({"Jellyfish1.mp4"});
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction);
    EXPECT_TRUE(takeSheets().isEmpty());
    EXPECT_EQ(sha256(storage + "/Jellyfish1 2.mp4"), sha256(item("Jellyfish1.mp4")->filePath))
        << files().join(", ").toStdString();
}

// Jellyfish.MOV only in iCloud with its thumbnails in the library; Jellyfish1.mp4 only in
// iCloud with none.
void videosOnlyInICloud(const QString &package) {
    QDirIterator it(package, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QFileInfo(path).fileName();
        if (name.startsWith("D1359D09-1373-4F3B-B0E3-1A4DE573E4A3") ||
            name == "35329C57-B963-48D6-BB75-6AFF9370CBBC.mov")
            QFile::remove(path);
    }
}

TEST_F(LibraryExport, VideosOnlyInICloudGoOutAsTheirThumbnailWithTheLibraryValuesOrAreNamed) {
    ASSERT_TRUE(openLibrary("Test-10.15.7", videosOnlyInICloud));
    ASSERT_FALSE(item("Jellyfish.MOV")->bICloudDownloadPhoto);
    ASSERT_FALSE(item("Jellyfish1.mp4")->bICloudDownloadPhoto);
    select({"Jellyfish.MOV", "Jellyfish1.mp4", "Pumkins2.jpg"});
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaAction);
    EXPECT_EQ(files(), (QStringList{"Jellyfish.jpeg", "Pumkins2.jpg"}));
    // The thumbnail takes what the library holds, as a photo's does.
    const QVariantMap thumb = exiftoolTexts(storage + "/Jellyfish.jpeg");
    EXPECT_EQ(thumb.value("IPTC:ObjectName").toString(), "Jellyfish");
    EXPECT_NEAR(thumb.value("GPS:GPSLatitude").toDouble(), 34.053, 1e-3);
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].informative,
              "2 of 3 photos went out. Not exported:\nJellyfish1.mp4: its original is in iCloud, "
              "not downloaded, and the library holds no thumbnail of it");
    EXPECT_EQ(sheets[1].text, "The currently selected photos include one or more iCloud Photos "
                              "that have not been downloaded.");

    // The download names both, each with its reason; the thumbnail that is there goes out.
    d->libraryWindows().DownloadICloudsfromphotolibraryAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QList<SheetText> download = takeSheets();
    ASSERT_EQ(download.size(), 1);
    EXPECT_EQ(download[0].informative,
              "Jellyfish1.mp4: iCloud Photos cannot be reached from Linux\nJellyfish.MOV: "
              "iCloud Photos cannot be reached from Linux (its thumbnail is Jellyfish 2.jpeg)");
    EXPECT_TRUE(files().contains("Jellyfish 2.jpeg")) << files().join(", ").toStdString();

    // The creation-date export gives the same reason.
    select({"Jellyfish1.mp4"});
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction);
    const QList<SheetText> dated = takeSheets();
    ASSERT_FALSE(dated.isEmpty());
    EXPECT_TRUE(
        dated[0].informative.endsWith("Jellyfish1.mp4: its original is in iCloud, not "
                                      "downloaded, and the library holds no thumbnail of it"))
        << dated[0].informative.toStdString();
}

TEST_F(LibraryExport, ACancelledMetadataExportSendsNoVideosAfterIt) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"Pumkins2.jpg", "Jellyfish.MOV"});
    // Every worker busy elsewhere, so that the cancel comes before any photo starts.
    QSemaphore release;
    const int workers = JobRunner::pool()->maxThreadCount();
    for (int i = 0; i < workers; ++i)
        JobRunner::pool()->start([&release] { release.acquire(); });
    d->libraryWindows().ExportOriginalPhotoWithPhotoLibraryMetaAction();
    auto *cancel = d->window->statusBar()->findChild<QPushButton *>("JobCancelButton");
    ASSERT_TRUE(cancel);
    cancel->click();
    release.release(workers);
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(files().contains("Jellyfish.MOV")) << files().join(", ").toStdString();
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets.first().informative.contains("Jellyfish.MOV: the export was cancelled"))
        << sheets.first().informative.toStdString();

    // A selection of videos alone goes out as a job of its own, which Cancel stops too.
    select({"Jellyfish.MOV", "Jellyfish1.mp4"});
    for (int i = 0; i < workers; ++i)
        JobRunner::pool()->start([&release] { release.acquire(); });
    d->libraryWindows().ExportOriginalPhotoWithPhotoLibraryMetaAction();
    cancel = shownJobCancel(*d); // not the first job's, whose bar may still be there
    ASSERT_TRUE(cancel);
    cancel->click();
    release.release(workers);
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(files().isEmpty()) << files().join(", ").toStdString();
    const QList<SheetText> videos = takeSheets();
    ASSERT_EQ(videos.size(), 1);
    EXPECT_EQ(videos.first().informative,
              "0 of 2 photos went out. Not exported:\nJellyfish1.mp4: the export was "
              "cancelled\nJellyfish.MOV: the export was cancelled");
}

TEST_F(LibraryExport, SortedMetadataExportsFileByAlbumOrByDate) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    record("IMG_4547.jpg").fileAlbum = "2019-10/11 Paris Clermont";
    select({"IMG_4547.jpg", "Pumkins2.jpg"});
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction);
    QStringList out = files();
    EXPECT_EQ(out,
              (QStringList{"2019-10-11 Paris Clermont/IMG_4547.jpg", "Pumpkin Farm/Pumkins2.jpg"}));
    EXPECT_EQ(exiftoolTexts(storage + "/Pumpkin Farm/Pumkins2.jpg").value("IPTC:ObjectName"),
              "I found one!");
    // The same photo again in its album: numbered by its place in the whole list.
    select({"Pumkins2.jpg"});
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction);
    const int index = int(d->library().photoLibBroserArray.indexOf(item("Pumkins2.jpg")));
    EXPECT_TRUE(files().contains(QString("Pumpkin Farm/Pumkins2 %1.jpg").arg(index)))
        << files().join(", ").toStdString();

    // By year and month: the library's camera date decides the folder.
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAction);
    const QDateTime date = libraryDate(record("Pumkins2.jpg").cameraDate.text());
    ASSERT_TRUE(date.isValid());
    const QString filed =
        QString("%1/%2/Pumkins2.jpg").arg(date.date().year()).arg(date.date().month());
    EXPECT_TRUE(files().contains(filed)) << files().join(", ").toStdString();
    EXPECT_EQ(exiftoolTexts(storage + "/" + filed).value("IPTC:ObjectName").toString(),
              "I found one!");
    EXPECT_TRUE(takeSheets().isEmpty());
}

class LibraryExportEach : public LibraryExport,
                          public ::testing::WithParamInterface<const char *> {};

INSTANTIATE_TEST_SUITE_P(Libraries, LibraryExportEach,
                         ::testing::Values("Test-10.14.6", "Test-10.15.7", "Test-13.0.0"));

TEST_P(LibraryExportEach, StJamesParkKeepsItsOwnPositionAltitudeAndArtist) {
    ASSERT_TRUE(openLibrary(GetParam()));
    select({"St James Park.jpg"});
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaAction);
    EXPECT_TRUE(takeSheets().isEmpty());
    const QVariantMap park = exiftoolTexts(storage + "/St James Park.jpg");
    EXPECT_NEAR(park.value("GPS:GPSLatitude").toDouble(), 51.50357, 1e-4);
    EXPECT_EQ(park.value("GPS:GPSLatitudeRef").toString(), "N");
    EXPECT_NEAR(park.value("GPS:GPSLongitude").toDouble(), 0.13180, 1e-4);
    EXPECT_EQ(park.value("GPS:GPSLongitudeRef").toString(), "W");
    EXPECT_NEAR(park.value("GPS:GPSAltitude").toDouble(), 2.6, 0.05);
    EXPECT_EQ(park.value("IFD0:Artist").toString(), "Jeff Hitchcock");
    const QString title = record("St James Park.jpg").fileTitle;
    EXPECT_EQ(park.value("IPTC:ObjectName").toString(),
              title.isEmpty() ? QString("St. James's Park") : title);
}

TEST_F(LibraryExport, OneGroupExportsWriteThatGroupAlone) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"Pumkins2.jpg"});
    const QVariantMap before = exiftoolTexts(item("Pumkins2.jpg")->filePath);
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryTitleAction);
    QVariantMap out = exiftoolTexts(storage + "/Pumkins2.jpg");
    EXPECT_EQ(out.value("IPTC:ObjectName").toString(), "I found one!");
    EXPECT_EQ(out.value("IFD0:ImageDescription"), before.value("IFD0:ImageDescription"));
    EXPECT_EQ(out.value("GPS:GPSLatitude"), before.value("GPS:GPSLatitude"));

    // The creation-date copy is the original byte for byte, under the next name.
    run(&LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction);
    EXPECT_EQ(fileBytes(storage + "/Pumkins2 2.jpg"), fileBytes(item("Pumkins2.jpg")->filePath));
    const QDateTime created = libraryDate(record("Pumkins2.jpg").createDate.text());
    ASSERT_TRUE(created.isValid());
    EXPECT_EQ(FileDates::modificationDate(storage + "/Pumkins2 2.jpg"), created);

    // The edited road with library values: the render goes out under its own extension.
    select({"IMG_3092.heic"});
    run(&LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaAction);
    out = exiftoolTexts(storage + "/IMG_3092.jpeg");
    EXPECT_EQ(out.value("File:FileType").toString(), "JPEG");
    EXPECT_EQ(out.value("IPTC:Keywords").toString(), "foo/bar");
    EXPECT_NEAR(out.value("GPS:GPSLatitude").toDouble(), 41.256566, 1e-5);
}

TEST_F(LibraryExport, TheOriginalPanelsValuesGoIntoACopyBesideAnyFileOfThatName) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"St James Park.jpg"});
    d->libraryPanels().StartPhotoOriginalEditViewAction();
    // The panel shows the file's own copyright and lens make too.
    EXPECT_EQ(field("originalPhotolibCopyrightlab")->text(),
              item("St James Park.jpg")->originalFileNode->rare().fileCopyright);
    EXPECT_FALSE(field("originalPhotolibCopyrightlab")->text().isEmpty());
    writeBytes(storage + "/St James Park.jpg", "someone's");
    type("originalPhotolibTitlelab", "Typed title");
    type("originalPhotolibCopyrightlab", "Typed copyright");
    type("originalPhotolibLenMakelab", "Typed lens make");
    type("originalPhotolibkeywordslab", "one, two");
    type("originalPhotolibCameraDatelab", "2019:05:03 10:20:30");
    d->libraryWindows().ApplyOriginalPhotoMetadataChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(takeSheets().isEmpty());
    EXPECT_EQ(fileBytes(storage + "/St James Park.jpg"), "someone's");
    const QString copy = storage + "/St James Park 2.jpg";
    const QVariantMap park = exiftoolTexts(copy);
    EXPECT_EQ(park.value("IPTC:ObjectName").toString(), "Typed title");
    EXPECT_EQ(park.value("IFD0:Copyright").toString(), "Typed copyright");
    EXPECT_EQ(park.value("ExifIFD:LensMake").toString(), "Typed lens make");
    EXPECT_EQ(park.value("IPTC:Keywords").toStringList(), (QStringList{"one", "two"}));
    EXPECT_EQ(park.value("ExifIFD:DateTimeOriginal").toString(), "2019:05:03 10:20:30");
    EXPECT_EQ(park.value("IFD0:Artist").toString(), "Jeff Hitchcock");
    EXPECT_NEAR(park.value("GPS:GPSAltitude").toDouble(), 2.6, 0.05);
    EXPECT_EQ(FileDates::modificationDate(copy), QDateTime(QDate(2019, 5, 3), QTime(10, 20, 30)));
}

TEST_F(LibraryExport, AHostileLibrarysNamesStayInsideTheStorageFolderInEveryLayout) {
    // Names that climb out of the storage folder or name a path of their own, a name of dots,
    // album titles that climb, and one of two megabytes.
    const QString victim = dir.filePath("victim/abs.jpg");
    ASSERT_TRUE(openLibrary("Test-13.0.0", [&](const QString &package) {
        const QString db = package + "/database/Photos.sqlite";
        sqliteValue(db, QString("UPDATE ZADDITIONALASSETATTRIBUTES SET ZORIGINALFILENAME = CASE "
                                "Z_PK WHEN 1 THEN '../../climb.jpg' WHEN 6 THEN '%1' WHEN 7 "
                                "THEN '..' ELSE ZORIGINALFILENAME END; UPDATE ZGENERICALBUM SET "
                                "ZTITLE = '../../climb-album' WHERE ZKIND = 2; UPDATE "
                                "ZGENERICALBUM SET ZTITLE = replace(hex(zeroblob(1048576)), "
                                "'00', 'Ä') WHERE Z_PK IN (48, 64, 65)")
                            .arg(victim));
    }));
    storage = dir.filePath("out/deep/S");
    ASSERT_TRUE(QDir().mkpath(storage));
    d->preferences().storagelocation = storage;
    // The browser's cached thumbnails and the program's own scratch folder are no export's.
    const QStringList mine = {storage, QDir::homePath() + "/.cache", PrivateFolder::root()};
    const QStringList before = treeListing(QDir::homePath(), mine);
    selectItems(d->library().photoLibBroserArray);
    for (void (LibraryWindows::*action)() :
         {&LibraryWindows::ExportphotosfromphotolibraryAction,
          &LibraryWindows::ExportEditedphotosfromphotolibraryAction,
          &LibraryWindows::ExportAllphotosfromphotolibrarywithAlbumsAction,
          &LibraryWindows::ExportphotosfromphotolibrarywithYearandMonthAction,
          &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaAction,
          &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction,
          &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAction,
          &LibraryWindows::ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction,
          &LibraryWindows::ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction,
          &LibraryWindows::ExportOriginaPhotoLibraryMetaToPlistAction,
          &LibraryWindows::ExportPhotoLibraryMetaToPlistAction}) {
        run(action);
        takeSheets();
    }
    const QStringList after = treeListing(QDir::homePath(), mine);
    EXPECT_EQ(after, before) << changedEntries(before, after).toStdString();
    EXPECT_FALSE(QFileInfo::exists(victim));
    const QStringList out = files();
    const QString longAlbum(127, QChar(0x00c4)); // 254 bytes: the most whole "Ä" that fit
    EXPECT_TRUE(out.contains("climb.jpg") && out.contains("Photo") &&
                out.contains(longAlbum + "/IMG_4547.jpg"))
        << out.join(", ").toStdString();
    EXPECT_FALSE(out.filter(QRegularExpression("^climb-album/Pumkins1")).isEmpty());
    EXPECT_FALSE(out.filter(QRegularExpression("^tmp-.*victim-abs.jpg$")).isEmpty());
    EXPECT_EQ(integrity(), "ok");
}
