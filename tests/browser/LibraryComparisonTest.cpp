#include "library/core/LibraryComparison.h"
#include "app/AppDelegate.h"
#include "browser/MainWindowController.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"
#include "platform/core/VideoFrame.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/TestSupport.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
IKImageItemPtr libraryItem(const QString &path, const QString &name, PRPicFileInfoPtr record,
                           const QString &type = QStringLiteral("Image")) {
    auto item = std::make_shared<IKImageItem>();
    item->filePath = path;
    item->fileName = name;
    item->fileType = type;
    item->photoLibFileNode = std::move(record);
    return item;
}

PRPicFileInfoPtr record(const QString &name) {
    auto r = std::make_shared<PRPicFileInfo>();
    r->fileName = name;
    return r;
}

bool differs(const LibraryComparison &c, const QString &line) {
    return c.differingLines.contains(line) && !c.agreeingLines.contains(line);
}
bool agrees(const LibraryComparison &c, const QString &line) {
    return c.agreeingLines.contains(line) && !c.differingLines.contains(line);
}
QString textOf(const QList<PanelText> &texts, const QString &outlet) {
    for (const PanelText &t : texts)
        if (t.outlet == outlet)
            return t.text;
    return QStringLiteral("<missing>");
}
} // namespace

TEST(LibraryComparison, OriginalRecordFromTheFile) {
    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const PRPicFileInfoPtr o = readOriginalRecord(park, "St James Park.jpg");
    EXPECT_EQ(o->fileName, "St James Park.jpg");
    EXPECT_EQ(o->fileTitle, "St. James's Park");
    EXPECT_EQ(o->fileModel, "NIKON D7000");
    EXPECT_EQ(o->cameraDate.text(), "2018:10:13 09:18:12");
    EXPECT_TRUE(o->fileKeywords.startsWith("UK,England,United Kingdom,London"));
    EXPECT_TRUE(o->latitudeText().startsWith("51.503"));
    EXPECT_TRUE(o->longitudeText().startsWith("-0.131"));
    EXPECT_FALSE(o->fileSize.isEmpty());
    EXPECT_TRUE(o->filePixel.contains(" x "));

    // A southern position written by an outside tool comes back negative.
    const QString south = copyFixture("wedding.jpg", dir.path());
    ASSERT_EQ(QProcess::execute("exiftool", {"-q", "-overwrite_original", "-GPSLatitude=48.5",
                                             "-GPSLatitudeRef=S", "-GPSLongitude=2.25",
                                             "-GPSLongitudeRef=W", south}),
              0);
    const PRPicFileInfoPtr s = readOriginalRecord(south, "wedding.jpg");
    EXPECT_EQ(s->latitudeText(), "-48.500000");
    EXPECT_EQ(s->longitudeText(), "-2.250000");

    // An unreadable file gives a record of defaults.
    const PRPicFileInfoPtr none = readOriginalRecord(dir.filePath("missing.jpg"), "missing.jpg");
    EXPECT_TRUE(none->fileName.isEmpty());
    EXPECT_TRUE(none->fileTitle.isEmpty());
    EXPECT_EQ(none->photoID, -1);
}

TEST(LibraryComparison, PairsAreColouredWhereTheRecordsDisagree) {
    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString wedding = copyFixture("wedding.jpg", dir.path());

    auto same = record("St James Park.jpg");
    same->fileTitle = "St. James's Park";
    same->fileKeywords = "UK, England, United Kingdom, London, London 2018, St. James's Park";
    same->fileMaker = "NIKON CORPORATION";
    auto item = libraryItem(park, "St James Park.jpg", same);
    LibraryComparison c = compareLibraryItem(*item, true);
    EXPECT_TRUE(agrees(c, "origphototitlelab"));
    EXPECT_TRUE(agrees(c, "photolibtitlelab"));
    EXPECT_TRUE(agrees(c, "photolibkeywordslab")); // lists compared, not spacing
    EXPECT_TRUE(agrees(c, "photolibcameraMakelab"));
    EXPECT_TRUE(differs(c, "photolibcameraModelab")); // the library holds no model
    EXPECT_TRUE(differs(c, "origphotolensLatitudelab"));
    EXPECT_EQ(textOf(c.libraryLines, "photolibtitlelab"), "Title: St. James's Park");
    EXPECT_EQ(textOf(c.originalLines, "origphotocameraModelab"), "Camera Model: NIKON D7000");
    EXPECT_EQ(textOf(c.libraryLines, "photolibcameraModelab"), "Camera Model: ");
    EXPECT_EQ(textOf(c.libraryFields, "photolibEiteFileNamelab"), "St James Park");
    EXPECT_TRUE(c.originalMap.shown);
    EXPECT_FALSE(c.libraryMap.shown);

    auto other = record("St James Park.jpg");
    other->fileTitle = "Green Park";
    c = compareLibraryItem(*libraryItem(park, "St James Park.jpg", other), true);
    EXPECT_TRUE(differs(c, "origphototitlelab"));
    EXPECT_TRUE(differs(c, "photolibtitlelab"));

    // Title "" in both: white. Title only in the file: both coloured.
    c = compareLibraryItem(*libraryItem(wedding, "wedding.jpg", record("wedding.jpg")), true);
    EXPECT_TRUE(agrees(c, "photolibtitlelab"));
    EXPECT_TRUE(differs(c, "photolibkeywordslab"));
    c = compareLibraryItem(*libraryItem(park, "St James Park.jpg", record("x.jpg")), true);
    EXPECT_TRUE(differs(c, "origphototitlelab"));

    // No library record: bare captions, and nothing agrees.
    c = compareLibraryItem(*libraryItem(wedding, "wedding.jpg", nullptr), true);
    EXPECT_FALSE(c.hasLibrary);
    EXPECT_EQ(textOf(c.libraryLines, "photolibtitlelab"), "Title: ");
    EXPECT_TRUE(c.agreeingLines.isEmpty());
}

TEST(LibraryComparison, NamesSchemasDownloadsAndVideos) {
    EXPECT_EQ(shortenedOriginalName("abcdefghijklmnopqrstuvwxy"), "abcdefgh.....pqrstuvwxy");
    EXPECT_EQ(shortenedLibraryName("abcdefghijklmnopqrstuvwxy"), "abcdefghij.....pqrstuvwxy");
    EXPECT_EQ(shortenedOriginalName("abcdefghijklmnopqrst"), "abcdefghijklmnopqrst");
    EXPECT_TRUE(sameKeywords("a, b", "a,b"));
    EXPECT_FALSE(sameKeywords("a,b", "b,a"));

    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    auto longName = record("abcdefghijklmnopqrstuvwxy.jpg");
    auto item = libraryItem(park, "St James Park.jpg", longName);
    item->bICloudDownloadPhoto = false;
    item->fileThumbPath = dir.filePath("thumb.jpg");
    // Older schema: the library column takes camera and lens from the file.
    LibraryComparison c = compareLibraryItem(*item, false);
    EXPECT_EQ(item->photoLibFileNode->fileModel, "NIKON D7000");
    EXPECT_TRUE(agrees(c, "photolibcameraModelab"));
    EXPECT_TRUE(agrees(c, "photolibcameraMakelab"));
    EXPECT_EQ(item->originalFileNode->fileName, "abcdefghijklmnopqrstuvwxy.jpg");
    EXPECT_EQ(textOf(c.originalLines, "origphotoNamelab"), "File Name: abcdefgh.....tuvwxy.jpg");
    EXPECT_EQ(c.originalCaption, "Undownloaded iCloud Photos");
    EXPECT_TRUE(c.originalCaptionDiffers);
    EXPECT_EQ(c.previewPath, dir.filePath("thumb.jpg"));

    // A video keeps its original record and takes the library's position.
    const QString clip = copyFixture("clip.mp4", dir.path());
    auto videoRecord = record("clip.mp4");
    videoRecord->setLatitudeText("-33.856800");
    videoRecord->setLongitudeText("151.215300");
    auto video = libraryItem(clip, "clip.mp4", videoRecord, "Movie");
    video->originalFileNode = record("clip.mp4");
    video->originalFileNode->fileSize = "1.00 MB";
    c = compareLibraryItem(*video, true);
    EXPECT_FALSE(c.isImage);
    EXPECT_EQ(video->originalFileNode->fileSize, "1.00 MB");
    EXPECT_TRUE(agrees(c, "origphotolensLatitudelab"));
    EXPECT_TRUE(c.originalMap.shown);
    EXPECT_NEAR(c.originalMap.latitude, -33.8568, 1e-6);

    QString why;
    const QImage frame = firstVideoFrame(clip, &why);
    EXPECT_FALSE(frame.isNull()) << why.toStdString();
    EXPECT_EQ(frame.size(), QSize(1280, 720));
    EXPECT_TRUE(firstVideoFrame(dir.filePath("none.mp4"), &why).isNull());
    EXPECT_FALSE(why.isEmpty());
}

TEST(LibrarySelection, ColumnsMapsAndPreviewOfTheSelectedPhoto) {
    clearUserDefaults();
    Workspace::setUrlOpener([](const QUrl &) { return true; });
    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString clip = copyFixture("clip.mp4", dir.path());
    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    {
        AppDelegate d;
        d.launch();
        d.mainWindowController().setLocalMode(false);
        drive(d).find("photolibView")->show();
        d.library().bScanNewPhotosLib = true;
        auto lib = record("St James Park.jpg");
        lib->fileTitle = "Another title";
        lib->setLatitudeText("-48.500000");
        lib->setLongitudeText("2.250000");
        auto video = record("clip.mp4");
        video->setLatitudeText("10.000000");
        video->setLongitudeText("20.000000");
        d.library().photoLibBroserArray = {
            libraryItem(park, "St James Park.jpg", lib),
            libraryItem(clip, "clip.mp4", video, "Movie"),
            libraryItem(heic, "IMG_3092.heic", record("IMG_3092.heic"))};
        auto *browser = drive(d).find<QListView>("photoLibBrowserView");
        auto *preview = drive(d).find<PKImageView>("previewImageView");
        auto *player = drive(d).find("theplayerView");
        auto *exif = drive(d).find<QTreeWidget>("localExifDataView");
        ASSERT_TRUE(browser && preview && player && exif);
        QStandardItemModel model(3, 1);
        browser->setModel(&model);
        browser->selectionModel()->select(model.index(0, 0), QItemSelectionModel::ClearAndSelect);
        d.mainWindowController().libraryBrowserSelectionDidChange();

        EXPECT_EQ(drive(d).find<QLabel>("photolibtitlelab")->text(), "Title: Another title");
        EXPECT_EQ(drive(d).find<QLabel>("origphototitlelab")->text(), "Title: St. James's Park");
        const QString blue = libraryDifferenceColor().name();
        EXPECT_EQ(blue, "#0091ff");
        EXPECT_TRUE(drive(d).find<QLabel>("photolibtitlelab")->styleSheet().contains(blue));
        EXPECT_TRUE(drive(d).find<QLabel>("origphototitlelab")->styleSheet().contains(blue));
        EXPECT_TRUE(drive(d).find<QLabel>("origphotocameraModelab")->styleSheet().contains(blue));
        EXPECT_EQ(drive(d).find<QLineEdit>("photolibEiteTitlelab")->text(), "Another title");
        EXPECT_EQ(drive(d).find<QLineEdit>("originalPhotolibTitlelab")->text(), "St. James's Park");
        EXPECT_EQ(drive(d).find<QLineEdit>("photolibEitegpsLatilab")->text(), "-48.500000");
        EXPECT_NEAR(drive(d).find<PKMapView>("photolibEiteMapView")->centerLatitude(), -48.5, 1e-9);
        EXPECT_NEAR(drive(d).find<PKMapView>("originalPhotolibMapView")->centerLatitude(), 51.5035,
                    1e-3);
        EXPECT_TRUE(drive(d).find<PKMapView>("photolibEiteMapView")->hasPin());
        EXPECT_FALSE(drive(d).find<PKMapView>("photolibEiteMapView")->isHidden());
        EXPECT_EQ(drive(d).find<QLabel>("previewOriginalphtoinfolab")->text(),
                  "Photo metadata of original file");
        // The right column is this photo's, not the last local photo's.
        EXPECT_EQ(drive(d).text("photoNamelab"), "St James Park.jpg");
        EXPECT_EQ(drive(d).text("photoDPIlab"), "NIKON D7000");
        EXPECT_GT(exif->topLevelItemCount(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !preview->image().isNull(); }));
        EXPECT_TRUE(player->isHidden());

        browser->selectionModel()->select(model.index(1, 0), QItemSelectionModel::ClearAndSelect);
        d.mainWindowController().libraryBrowserSelectionDidChange();
        EXPECT_TRUE(preview->isHidden());
        EXPECT_FALSE(player->isHidden());
        EXPECT_FALSE(drive(d).find<PKImageView>("playerFrameView")->image().isNull());
        EXPECT_EQ(drive(d).find<QLabel>("photolibNamelab")->text(), "File Name: clip.mp4");
        EXPECT_EQ(drive(d).find<QLabel>("origphotolensLatitudelab")->text(), "Latitude: 10.000000");
        EXPECT_TRUE(
            drive(d).find<QLabel>("origphotolensLatitudelab")->styleSheet().contains("#ffffff"));
        EXPECT_EQ(drive(d).text("photoNamelab"), "clip.mp4");

        // A library HEIC, upright: shown whole, bars left and right, nothing stretched.
        browser->selectionModel()->select(model.index(2, 0), QItemSelectionModel::ClearAndSelect);
        d.mainWindowController().libraryBrowserSelectionDidChange();
        EXPECT_EQ(drive(d).text("photoNamelab"), "IMG_3092.heic");
        EXPECT_FALSE(preview->isHidden());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->image().isNull(); }));
        const QImage shown = preview->image().toImage();
        EXPECT_EQ(qAlpha(shown.pixel(0, shown.height() / 2)), 0);
        EXPECT_EQ(qAlpha(shown.pixel(shown.width() / 2, shown.height() / 2)), 255);

        // Nothing selected: the column lets go of the photo.
        browser->selectionModel()->clearSelection();
        d.mainWindowController().libraryBrowserSelectionDidChange();
        EXPECT_TRUE(drive(d).text("photoNamelab").isEmpty());
        EXPECT_EQ(exif->topLevelItemCount(), 0);
        EXPECT_TRUE(preview->isHidden());
        EXPECT_TRUE(drive(d).find<QLabel>("previewOriginalphtoinfolab")->text().isEmpty());
        browser->setModel(nullptr);
    }
    Workspace::setUrlOpener({});
}
