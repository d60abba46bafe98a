// Tag-to-tag copies and the renames, on copies of the real photos.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "metadata/MetadataMenus.h"
#include "metadata/core/SafeFileName.h"
#include "metadata/core/TagCopies.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

QVariantMap iptcOf(const QString &path) {
    return ImageSource(readAll(path)).properties(0).value("{IPTC}").toMap();
}

class TagCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        clearUserDefaults();
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        localBrowser(*d)->setModel(nullptr);
        d.reset();
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    // Shows `paths` in the local list and selects them all.
    void show(const QStringList &paths) {
        d->localLists().localPhotoItemArray.clear();
        for (const QString &p : paths)
            d->localLists().localPhotoItemArray << itemFor(p);
        model.setRowCount(int(paths.size()));
        model.setColumnCount(1);
        localBrowser(*d)->setModel(&model);
        for (int i = 0; i < paths.size(); ++i)
            localBrowser(*d)->selectionModel()->select(model.index(i, 0),
                                                       QItemSelectionModel::Select);
    }
    QString out(const QString &name) { return dir.filePath("out/" + name); }
    QMessageBox *openSheet() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    QTemporaryDir dir;
    QStandardItemModel model;
    std::unique_ptr<AppDelegate> d;
    QStringList revealed;
};

} // namespace

TEST(TagCopyRules, KeywordsPersonsAndDates) {
    QVariantMap w{{"{IPTC}", QVariantMap{{"Keywords", QStringList{"a", "b"}}}}};
    ASSERT_TRUE(copyKeywordsToCaption(w));
    EXPECT_EQ(w.value("{TIFF}").toMap().value("ImageDescription").toString(), "a,b");
    QVariantMap none{{"{IPTC}", QVariantMap{{"City", "Oslo"}}}};
    EXPECT_FALSE(copyKeywordsToCaption(none));

    QVariantMap p{{"{IPTC}", QVariantMap{{"Keywords", QStringList{"x"}},
                                         {"PersonInImage", QStringList{"y", "x"}}}}};
    ASSERT_TRUE(copyPersonsToKeywords(p));
    EXPECT_EQ(p.value("{IPTC}").toMap().value("Keywords").toStringList(), (QStringList{"x", "y"}));
    QVariantMap nobody{{"{IPTC}", QVariantMap{{"Keywords", QStringList{"x"}}}}};
    EXPECT_FALSE(copyPersonsToKeywords(nobody));

    QVariantMap same{{"{TIFF}", QVariantMap{{"DateTime", "2020:01:02 03:04:05"}}},
                     {"{Exif}", QVariantMap{{"DateTimeOriginal", "2020:01:02 03:04:05"},
                                            {"DateTimeDigitized", "2019:01:01 00:00:00"}}}};
    copyTiffDateToExif(same);
    EXPECT_EQ(same.value("{Exif}").toMap().value("DateTimeDigitized").toString(),
              "2019:01:01 00:00:00");
    QVariantMap onlyTiff{{"{TIFF}", QVariantMap{{"DateTime", "2021:01:01 00:00:00"}}}};
    copyExifDateToTiff(onlyTiff);
    EXPECT_EQ(onlyTiff.value("{TIFF}").toMap().value("DateTime").toString(), "2021:01:01 00:00:00");

    const QDateTime created(QDate(2022, 5, 6), QTime(7, 8, 9), QTimeZone::utc());
    EXPECT_EQ(cameraDateText({}, created), "2022-05-06 07:08:09");
    EXPECT_EQ(cameraDateText({{"{Exif}", QVariantMap{{"DateTimeOriginal", "garbage"}}}}, created),
              QString());
    EXPECT_EQ(fileNameWithoutExtension("IMG_0001.JPG"), "IMG_0001");
    EXPECT_EQ(fileNameWithoutExtension("a.b.jpg"), "a.b");
    EXPECT_EQ(parsePersonList(" Ann ;Bob,, Ann\nCy "), (QStringList{"Ann", "Bob", "Cy"}));
}

TEST(SafeNames, TitlesBecomeHarmlessFileNames) {
    EXPECT_EQ(safeFileBaseName("../../etc/passwd", "jpg"), "-..-etc-passwd");
    EXPECT_EQ(safeFileBaseName("..", "jpg"), "");
    EXPECT_EQ(safeFileBaseName(".hidden", "jpg"), "hidden");
    EXPECT_EQ(safeFileBaseName(QString("a\nb\tc") + QChar(0x1b), "jpg"), "abc");
    const QString longName = QString(300, QChar(0x00e9)); // two bytes each in UTF-8
    const QString cut = safeFileBaseName(longName, "jpeg");
    EXPECT_LE((cut + ".jpeg").toUtf8().size(), 255);
    EXPECT_GT(cut.size(), 100);
    // A title of megabytes (dots first) is cut once, not a character at a time.
    const QString huge =
        safeFileBaseName(QString(1024 * 1024, '.') + QString(1024 * 1024, 'x'), "jpg");
    EXPECT_EQ(huge, QString(251, 'x'));
}

TEST_F(TagCopy, KeywordsToCaptionSkipsPhotosWithoutKeywordsAndSaysSo) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString fri = copyFixture("IMG_1994.JPG", dir.path());
    show({park, fri});
    d->metadataMenus().ClickCopyKeywordstoCaptionAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(exiftool(out("St James Park.jpg")).value("EXIF:ImageDescription").toString(),
              "UK,England,United Kingdom,London,London 2018,St. James's Park");
    EXPECT_FALSE(QFile::exists(out("IMG_1994.JPG")));
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains("IMG_1994.JPG"));
}

TEST_F(TagCopy, PersonsToKeywordsWithoutDuplicates) {
    const QString wedding = copyFixture("wedding.jpg", dir.path());
    show({wedding});
    d->metadataMenus().ClickCopyPersonShownToKeywordsAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject json = exiftool(out("wedding.jpg"));
    EXPECT_EQ(json.value("IPTC:Keywords").toArray(), (QJsonArray{"wedding", "Maria"}));
    d->localLists().localPhotoItemArray[0] = itemFor(out("wedding.jpg"));
    d->metadataMenus().ClickCopyPersonShownToKeywordsAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(iptcOf(out("wedding.jpg")).value("Keywords").toStringList(),
              (QStringList{"wedding", "Maria"}));
}

TEST_F(TagCopy, PersonsShownAreTheOnesTheUserGives) {
    const QString wedding = copyFixture("wedding.jpg", dir.path());
    show({wedding});
    d->metadataMenus().ClickAddPersonShownAction();
    ASSERT_TRUE(waitForJobs(*d));
    auto *ask = d->window->findChild<QInputDialog *>("addPersonsShownSheet");
    ASSERT_TRUE(ask);
    ask->setTextValue("Maria, Tom");
    ask->accept();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(iptcOf(out("wedding.jpg")).value("PersonInImage").toStringList(),
              (QStringList{"Maria", "Tom"}));
    EXPECT_EQ(exiftool(out("wedding.jpg")).value("XMP:PersonInImage").toArray().size(), 2);
}

TEST_F(TagCopy, FileNameToTitleAndCaptionToTitle) {
    const QString a = copyFixture("IMG_1994.JPG", dir.path());
    const QString b = copyFixture("wedding.jpg", dir.path());
    show({a});
    d->metadataMenus().ClickCopyFileNameToTitleAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(exiftool(out("IMG_1994.JPG")).value("IPTC:ObjectName").toString(), "IMG_1994");
    show({b});
    d->metadataMenus().ClickCopyCaptionToTitleAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject json = exiftool(out("wedding.jpg"));
    EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "Bride Wedding day");
    EXPECT_EQ(json.value("XMP:Title").toString(), "Bride Wedding day");
}

TEST_F(TagCopy, TiffDateToExifSetsEachPhotosOwnFileDates) {
    const QString wedding = copyFixture("wedding.jpg", dir.path());
    show({wedding});
    d->metadataMenus().ClickCopyTIFFandIPTCtoExifAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject json = exiftool(out("wedding.jpg"));
    EXPECT_EQ(json.value("EXIF:DateTimeOriginal").toString(), "2019:06:25 15:27:48");
    EXPECT_EQ(json.value("EXIF:CreateDate").toString(), "2019:06:25 15:27:48");
    EXPECT_EQ(FileDates::modificationDate(out("wedding.jpg")),
              QDateTime(QDate(2019, 6, 25), QTime(15, 27, 48)));
}

TEST_F(TagCopy, TitleRenameMakesClashingAndUnsafeTitlesSafe) {
    const QString a = copyFixture("St James Park.jpg", dir.path());
    QDir().mkpath(dir.filePath("b"));
    const QString b = copyFixture("St James Park.jpg", dir.filePath("b"));
    // A photo whose title tries to climb out of the storage folder.
    WriteRecipeOptions evil;
    evil.change = [](QVariantMap &w, const IKImageItem &) {
        QVariantMap iptc = w.value("{IPTC}").toMap();
        iptc["ObjectName"] = "../../evil/..";
        w["{IPTC}"] = iptc;
        return true;
    };
    ASSERT_EQ(runWriteRecipe({itemFor(copyFixture("wedding.jpg", dir.path()))},
                             dir.filePath("titled"), false, evil)
                  .writtenCount(),
              1);
    const QString c = dir.filePath("titled/wedding.jpg");
    show({a, b, c});
    d->metadataMenus().ClickCopyPhotoTitleToFilenameAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(readAll(out("St. James's Park.jpg")), readAll(a));
    EXPECT_EQ(readAll(out("St. James's Park (2).jpg")), readAll(b));
    EXPECT_EQ(readAll(out("-..-evil-...jpg")), readAll(c));
    EXPECT_EQ(revealed.value(0), out("St. James's Park.jpg"));
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files).size(), 3);
    EXPECT_FALSE(QFile::exists(dir.filePath("evil")));
}

TEST_F(TagCopy, PlaceRenameGoesOnPastAPhotoWithoutGps) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString wedding = copyFixture("wedding.jpg", dir.path());
    QDir().mkpath(dir.filePath("c"));
    const QString park2 = copyFixture("St James Park.jpg", dir.filePath("c"));
    show({park, wedding, park2});
    d->localLists().localPhotoItemArray[0]->editRare().GPSLocationfileName = "London/Westminster";
    d->localLists().localPhotoItemArray[2]->editRare().GPSLocationfileName = "London/Westminster";
    d->metadataMenus().ClickCopyPhotoGPSNameToFilenameAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(QFile::exists(out("London-Westminster.jpg")));
    EXPECT_TRUE(QFile::exists(out("London-Westminster (2).jpg")));
    EXPECT_FALSE(QFile::exists(out("wedding.jpg")));
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains("wedding.jpg: no GPS data"));
    EXPECT_NEAR(d->selection().currentCoords.x(), 51.5036, 1e-3);
    EXPECT_LT(d->selection().currentCoords.y(), 0);
    sheet->close();

    // Only photos without a position: the sheet asks for one that has it.
    show({wedding});
    d->metadataMenus().ClickCopyPhotoGPSNameToFilenameAction();
    ASSERT_TRUE(waitForJobs(*d));
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "No GPS data");
    sheet->close();

    show({park, park2});
    d->localLists().localPhotoItemArray[0]->editRare().GPSLocationfileName = "London/Westminster";
    d->metadataMenus().ClickCopyPhotoGPSNameToFilenameAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(QFile::exists(out("London-Westminster (3).jpg")));
    EXPECT_TRUE(QFile::exists(out("St James Park.jpg"))); // no place name: its own name
}

TEST_F(TagCopy, PlaceRenameKeepsTheImportedFolderLayoutForPhotosWithoutAPlace) {
    QDir().mkpath(dir.filePath("import/sub"));
    const QString park = copyFixture("St James Park.jpg", dir.filePath("import/sub"));
    const QString other = copyFixture("St James Park.jpg", dir.filePath("import"));
    // The folder imported as a whole: the copies keep their places under its parent.
    d->mainWindowController().importPhotosItemThreader({dir.filePath("import")});
    ASSERT_TRUE(waitForJobs(*d));
    show({park, other});
    d->localLists().localPhotoItemArray[1]->editRare().GPSLocationfileName = "Westminster";
    d->metadataMenus().ClickCopyPhotoGPSNameToFilenameAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(readAll(out("import/sub/St James Park.jpg")), readAll(park));
    EXPECT_TRUE(QFile::exists(out("Westminster.jpg")));
    EXPECT_FALSE(QFile::exists(out("import/St James Park.jpg")));
    EXPECT_EQ(revealed, QStringList{out("import/sub/St James Park.jpg")}); // one reveal per job
}

TEST_F(TagCopy, ARawOriginalIsNeverReplacedEvenWhenOverwriting) {
    const QString raw = dir.filePath("scene.dng");
    const QByteArray dng = makeMinimalDng({}, "RawMaker", "R1", "2020:01:02 03:04:05");
    {
        QFile f(raw);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(dng);
    }
    d->preferences().overwrite = true;
    show({raw});
    d->metadataMenus().ClickCopyFileNameToCommentsAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(readAll(raw), dng);
    EXPECT_FALSE(QFile::exists(out("scene.dng")));
    ASSERT_TRUE(QFile::exists(out("scene.tiff")));
    EXPECT_EQ(exiftool(out("scene.tiff")).value("EXIF:UserComment").toString(), "scene");
}

TEST_F(TagCopy, CameraDateToTitleFallsBackOnTheFilesCreationDate) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString plain = dir.filePath("plain.jpg");
    ASSERT_TRUE(image.save(plain, "JPEG"));
    const QDateTime created(QDate(2015, 3, 4), QTime(5, 6, 7), QTimeZone::utc());
    ASSERT_TRUE(FileDates::setCreationDate(plain, created));
    const QString park = copyFixture("St James Park.jpg", dir.path());
    show({plain, park});
    d->metadataMenus().ClickCopyCameraDateToTitleAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(iptcOf(out("plain.jpg")).value("ObjectName").toString(), "2015-03-04 05:06:07");
    EXPECT_EQ(iptcOf(out("St James Park.jpg")).value("ObjectName").toString(),
              "2018:10:13 09:18:12");
}
