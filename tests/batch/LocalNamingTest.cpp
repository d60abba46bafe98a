// Batch titles, captions and renames of local photos through their windows, on copies of
// the real photos.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "batch/NamingWindows.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class LocalNaming : public ::testing::Test {
  protected:
    void SetUp() override {
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        clearUserDefaults();
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
        d = std::make_unique<AppDelegate>();
        d->launch();
        QDir().mkpath(dir.filePath("in"));
    }
    void TearDown() override {
        localBrowser(*d)->setModel(nullptr);
        d.reset();
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
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
    QString in(const QString &name) { return dir.filePath("in/" + name); }
    QString out(const QString &name) { return dir.filePath("out/" + name); }
    QStringList outFiles() {
        return QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QMessageBox *openSheet() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    void choose(QComboBox *popUp, const QString &title) {
        const int i = popUp->findText(title);
        ASSERT_GE(i, 0) << title.toStdString();
        popUp->setCurrentIndex(i);
        emit popUp->activated(i);
    }
    QTemporaryDir dir;
    QStandardItemModel model;
    std::unique_ptr<AppDelegate> d;
    QStringList revealed;
};

} // namespace

TEST_F(LocalNaming, CaptionTemplateWritesCaptionAndDescriptionAndKeepsTheRest) {
    const QString park = copyFixture("St James Park.jpg", dir.filePath("in"));
    const QByteArray original = readAll(park);
    const QJsonObject before = exiftoolJson(park);
    show({park});
    d->namingWindows().BatchChangePhotoCaptionAction();
    ASSERT_TRUE(drive(*d).find("batchTitleWindow")->isVisible());
    drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
    EXPECT_TRUE(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->isEnabled());
    drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->setText("Trip/2019, {Title}");
    d->namingWindows().ClickSaveChangePhotoTitleAction();
    EXPECT_FALSE(drive(*d).find("batchTitleWindow")->isVisible());
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject after = exiftoolJson(out("St James Park.jpg"));
    EXPECT_EQ(after["Caption-Abstract"].toString(), "Trip2019 St. James's Park");
    EXPECT_EQ(after["ImageDescription"].toString(), "Trip2019 St. James's Park");
    for (const char *kept : {"Artist", "Copyright", "Keywords", "GPSLatitude", "GPSLongitude",
                             "GPSAltitude", "ObjectName", "DateTimeOriginal"})
        EXPECT_EQ(after[kept], before[kept]) << kept;
    EXPECT_EQ(readAll(park), original);
    EXPECT_EQ(revealed, QStringList{out("St James Park.jpg")});
    // The end step puts the window back into template mode, and the progress sheet is gone.
    EXPECT_FALSE(drive(*d).find("renameActionWindow")->isVisible());
    EXPECT_EQ(drive(*d).find<QLabel>("renameActionLab")->text(), "Applying changes...");
}

TEST_F(LocalNaming, TitlesFromFileNamesAndEmptyTemplatesNameTheSkippedPhotos) {
    const QString park = copyFixture("St James Park.jpg", dir.filePath("in"));
    const QString wedding = copyFixture("wedding.jpg", dir.filePath("in"));
    show({park, wedding});
    d->namingWindows().BatchChangePhotoTitleAction();
    choose(drive(*d).find<QComboBox>("useFileNameAsTitlePopButton"),
           "Add some Text to File Name as Photo Title");
    EXPECT_TRUE(drive(*d)
                    .find<QLineEdit>("addTextFileNametoTitleLab")
                    ->isVisibleTo(drive(*d).find("batchTitleWindow")));
    EXPECT_FALSE(drive(*d)
                     .find<QLineEdit>("replaceTextFileNametoTitleLab")
                     ->isVisibleTo(drive(*d).find("batchTitleWindow")));
    drive(*d).find<QLineEdit>("addTextFileNametoTitleLab")->setText("London");
    d->namingWindows().ClickSaveChangePhotoTitleAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(exiftoolJson(out("St James Park.jpg"))["ObjectName"].toString(),
              "London St James Park");
    EXPECT_EQ(exiftoolJson(out("wedding.jpg"))["ObjectName"].toString(), "London wedding");
    EXPECT_EQ(revealed.size(), 1);

    // wedding.jpg has no title: "{Existing Photo Title}" gives it nothing, so no copy, and
    // the sheet names it.
    QDir(dir.filePath("out")).removeRecursively();
    d->namingWindows().BatchChangePhotoTitleAction();
    drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
    d->namingWindows().ClickSaveChangePhotoTitleAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(outFiles(), QStringList{"St James Park.jpg"});
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains("wedding.jpg"));
    EXPECT_FALSE(sheet->informativeText().contains("St James Park.jpg"));
}

TEST_F(LocalNaming, TitleWindowControls) {
    d->namingWindows().BatchChangePhotoTitleAction();
    EXPECT_TRUE(drive(*d).find<QCheckBox>("useFileNameAsTitleBtn")->isChecked());
    EXPECT_EQ(drive(*d).find<QComboBox>("useFileNameAsTitlePopButton")->currentText(),
              "Use entire File Name as Photo Title");
    EXPECT_FALSE(drive(*d)
                     .find<QLineEdit>("addTextFileNametoTitleLab")
                     ->isVisibleTo(drive(*d).find("batchTitleWindow")));
    EXPECT_FALSE(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->isEnabled());
    drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
    choose(drive(*d).find<QComboBox>("changephotoTitle_addPhotoTagsPopButton"), "Keywords");
    EXPECT_EQ(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->text(),
              "{Existing Photo Title} {Keywords}");
    EXPECT_EQ(drive(*d).find<QComboBox>("changephotoTitle_addPhotoTagsPopButton")->currentText(),
              "Add photo metadata tag(s)");
    choose(drive(*d).find<QComboBox>("changephotoTitle_addPhotoTagsPopButton"),
           "Caption/Description");
    drive(*d)
        .find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")
        ->setText(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->text() +
                  " {Existing Photo Title}");
    // Off: every copy of the existing tag goes, the other tags stay.
    drive(*d).find<QCheckBox>("changephotoTitle_keepPhotoTitleBtn")->setChecked(false);
    d->namingWindows().KeepExistingPhotoTitleAction();
    EXPECT_EQ(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->text(),
              " {Keywords} {Caption} ");
    drive(*d).find<QCheckBox>("changephotoTitle_keepPhotoTitleBtn")->setChecked(true);
    d->namingWindows().KeepExistingPhotoTitleAction();
    EXPECT_EQ(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->text(),
              "{Existing Photo Title}");

    d->namingWindows().BatchChangePhotoCaptionAction();
    EXPECT_EQ(drive(*d).find("batchTitleWindow")->windowTitle(), "Change Photo Caption");
    EXPECT_EQ(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->text(),
              "{Existing Photo Caption}");
    // The caption window keeps the existing caption, not the title.
    drive(*d).find<QCheckBox>("changephotoTitle_keepPhotoTitleBtn")->setChecked(true);
    d->namingWindows().KeepExistingPhotoTitleAction();
    EXPECT_EQ(drive(*d).find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")->text(),
              "{Existing Photo Caption}");
}

TEST_F(LocalNaming, RenameWindowModes) {
    const QString park = copyFixture("St James Park.jpg", dir.filePath("in"));
    show({park});
    d->namingWindows().ShowRenameWindowAction();
    EXPECT_TRUE(drive(*d).find<QCheckBox>("customerFileNameBtn")->isChecked());
    EXPECT_EQ(drive(*d).find<QLineEdit>("customNamelab")->text(), "St James Park");
    // Custom text: no tag template.
    EXPECT_FALSE(drive(*d).find<QLineEdit>("filenameFormatstrlab")->isEnabled());
    drive(*d).find<QCheckBox>("checkStartNumber")->setChecked(true);
    drive(*d).find<QCheckBox>("keepCurrentFileNameBtn")->click();
    EXPECT_FALSE(drive(*d).find<QCheckBox>("checkStartNumber")->isChecked());
    EXPECT_TRUE(drive(*d).find<QCheckBox>("checkKeepFirstFileName")->isEnabled());
    drive(*d).find<QCheckBox>("checkKeepFirstFileName")->click();
    drive(*d).find<QCheckBox>("checkRemoveLastFileName")->click();
    EXPECT_FALSE(drive(*d).find<QCheckBox>("checkKeepFirstFileName")->isChecked());
    EXPECT_TRUE(drive(*d).find<QCheckBox>("checkRemoveLastFileName")->isChecked());

    drive(*d).find<QCheckBox>("metaFileNameBtn")->click();
    EXPECT_TRUE(drive(*d).find<QLineEdit>("filenameFormatstrlab")->isEnabled());
    EXPECT_FALSE(drive(*d).find<QCheckBox>("checkRemoveLastFileName")->isChecked());
    EXPECT_FALSE(drive(*d).find<QComboBox>("renameDateFormatBtn")->isEnabled());
    choose(drive(*d).find<QComboBox>("addTagsButton"), "Camera Date");
    EXPECT_EQ(drive(*d).find<QLineEdit>("filenameFormatstrlab")->text(),
              "{Camera Date} {ExistingFileName}");
    EXPECT_TRUE(drive(*d).find<QComboBox>("renameDateFormatBtn")->isEnabled());
    drive(*d).find<QComboBox>("tagpostionButton")->setCurrentIndex(1);
    choose(drive(*d).find<QComboBox>("addTagsButton"), "Title");
    EXPECT_EQ(drive(*d).find<QLineEdit>("filenameFormatstrlab")->text(),
              "{Camera Date} {ExistingFileName} {Title}");
    drive(*d).find<QCheckBox>("keepFileNameBtn")->setChecked(false);
    d->namingWindows().KeepExistingFileNameAction();
    EXPECT_TRUE(drive(*d).find<QLineEdit>("filenameFormatstrlab")->text().isEmpty());
    d->namingWindows().CloseRenameWindowAction();
    EXPECT_EQ(drive(*d).find<QLineEdit>("filenameFormatstrlab")->text(), "{ExistingFileName}");
    EXPECT_FALSE(drive(*d).find("renameWindow")->isVisible());
}

TEST_F(LocalNaming, ThreePhotosNamedTripWithAndWithoutOverwrite) {
    QStringList paths;
    for (const char *n : {"a.jpg", "b.jpg", "c.jpg"}) {
        paths << in(n);
        ASSERT_TRUE(writeAll(paths.last(), QByteArray("photo ") + n));
    }
    show(paths);
    d->namingWindows().ShowRenameWindowAction();
    drive(*d).find<QLineEdit>("customNamelab")->setText("Trip");
    d->namingWindows().SaveChangesRenameWindowAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(outFiles(), (QStringList{"Trip (2).jpg", "Trip (3).jpg", "Trip.jpg"}));
    // A copy leaves the photos and their items as they were; all went well: no sheet.
    EXPECT_EQ(d->localLists().localPhotoItemArray[0]->filePath, in("a.jpg"));
    EXPECT_FALSE(openSheet());
    EXPECT_EQ(revealed, QStringList{out("Trip.jpg")});
    EXPECT_EQ(drive(*d).find<QLineEdit>("filenameFormatstrlab")->text(), "{ExistingFileName}");

    d->preferences().overwrite = true;
    d->namingWindows().ShowRenameWindowAction();
    drive(*d).find<QLineEdit>("customNamelab")->setText("Trip");
    d->namingWindows().SaveChangesRenameWindowAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(QDir(dir.filePath("in")).entryList(QDir::Files, QDir::Name),
              (QStringList{"Trip (2).jpg", "Trip (3).jpg", "Trip.jpg"}));
    EXPECT_EQ(outFiles().size(), 3);
    EXPECT_EQ(d->localLists().localPhotoItemArray[1]->filePath, in("Trip (2).jpg"));
    EXPECT_EQ(d->localLists().localPhotoItemArray[1]->fileName, "Trip (2).jpg");
    EXPECT_EQ(readAll(in("Trip (2).jpg")), "photo b.jpg");
}

TEST_F(LocalNaming, AnEmptyNameIsListedAtTheEnd) {
    ASSERT_TRUE(writeAll(in("a.jpg"), "a"));
    show({in("a.jpg")});
    d->namingWindows().ShowRenameWindowAction();
    drive(*d).find<QLineEdit>("customNamelab")->setText("..");
    d->namingWindows().SaveChangesRenameWindowAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(outFiles().isEmpty());
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains("a.jpg"));
}

TEST_F(LocalNaming, WithNothingSelectedEveryJobEndsAndTakesItsSheetAway) {
    show({});
    const std::function<void()> saves[] = {
        [&] {
            d->namingWindows().BatchChangePhotoTitleAction();
            d->namingWindows().ClickSaveChangePhotoTitleAction();
        },
        [&] {
            d->namingWindows().BatchChangePhotoCaptionAction();
            drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
            d->namingWindows().ClickSaveChangePhotoTitleAction();
        },
        [&] {
            d->namingWindows().ShowRenameWindowAction();
            d->namingWindows().SaveChangesRenameWindowAction();
        }};
    for (const auto &save : saves) {
        save();
        ASSERT_TRUE(waitForJobs(*d));
        QTest::qWait(10);
        EXPECT_FALSE(drive(*d).find("renameActionWindow")->isVisible());
        EXPECT_FALSE(openSheet());
    }
    EXPECT_TRUE(outFiles().isEmpty());
    EXPECT_TRUE(revealed.isEmpty());
}

TEST_F(LocalNaming, ARawPhotoIsTitledThroughItsJpegStandIn) {
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QByteArray preview;
    QBuffer buffer(&preview);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "JPEG"));
    const QString raw = in("IMG_1.NEF");
    const QByteArray dng = makeMinimalDng(preview, "Kestry", "Cam", "2021:06:15 12:34:56");
    ASSERT_TRUE(writeAll(raw, dng));
    show({raw});
    d->namingWindows().BatchChangePhotoTitleAction();
    drive(*d).find<QCheckBox>("useTagsAsTitleBtn")->click();
    drive(*d)
        .find<QLineEdit>("changephotoTitle_PhotoTitleStrLab")
        ->setText("{Camera Make} {Camera Date}");
    d->namingWindows().ClickSaveChangePhotoTitleAction();
    ASSERT_TRUE(waitForJobs(*d));
    // The JPEG bytes never go out under the RAW's name; the RAW stays as it was.
    EXPECT_EQ(outFiles(), QStringList{"IMG_1.jpg"});
    const QJsonObject json = exiftoolJson(out("IMG_1.jpg"));
    EXPECT_TRUE(readAll(out("IMG_1.jpg")).startsWith("\xff\xd8")); // JPEG bytes
    EXPECT_EQ(json["ObjectName"].toString(), "Kestry 2021.06.15_12.34.56");
    EXPECT_EQ(readAll(raw), dng);
}
