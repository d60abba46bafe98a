// Copy from "St James Park.jpg", paste onto "wedding.jpg", section by section.
#include "metadata/Clipboard.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "metadata/core/MetadataClipboard.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class CopyPaste : public ::testing::Test {
  protected:
    void SetUp() override {
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        clearUserDefaults();
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        d = std::make_unique<AppDelegate>();
        d->launch();
        park = copyFixture("St James Park.jpg", dir.path());
        wedding = copyFixture("wedding.jpg", dir.path());
        d->localLists().localPhotoItemArray = {itemFor(park), itemFor(wedding)};
        model.setRowCount(2);
        model.setColumnCount(1);
        localBrowser(*d)->setModel(&model);
    }
    void TearDown() override {
        localBrowser(*d)->setModel(nullptr);
        d.reset();
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    void select(int row) {
        localBrowser(*d)->selectionModel()->select(model.index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect);
    }
    Clipboard &clipboard() { return drive(*d).clipboard(); }
    QAction *item(const char *name) { return drive(*d).find<QAction>(QLatin1String(name)); }
    QMessageBox *openSheet() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    QTemporaryDir dir;
    QStandardItemModel model;
    std::unique_ptr<AppDelegate> d;
    QString park, wedding;
    QStringList revealed;
};

} // namespace

TEST_F(CopyPaste, PasteBeforeCopyTellsWhatToDo) {
    EXPECT_FALSE(item("pasteGPSMenuItem")->isEnabled());
    select(1);
    clipboard().ClickPasteGPSDataAction();
    ASSERT_TRUE(waitForJobs(*d));
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "First you need to copy GPS data from a photo.");
    EXPECT_EQ(sheet->informativeText(), "Please select a photo, and then click the Copy GPS data "
                                        "from a selected photo menu item.");
    sheet->close();
    delete sheet;
    clipboard().ClickPasteAllPhotoMetaAction();
    ASSERT_TRUE(waitForJobs(*d));
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "First you need to copy All Photo metadata from a photo.");
    EXPECT_TRUE(sheet->informativeText().isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("out/wedding.jpg")));
}

TEST_F(CopyPaste, GpsAndIptcGoOverSectionBySection) {
    select(0);
    clipboard().ClickCopyOnePhotoGPSAction();
    ASSERT_TRUE(waitForJobs(*d));
    clipboard().ClickCopyOnePhotoIPTCAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(clipboard().holds(Clipboard::Section::Gps));
    EXPECT_TRUE(item("pasteGPSMenuItem")->isEnabled());
    EXPECT_FALSE(item("pasteExifMenuItem")->isEnabled());
    select(1);
    clipboard().ClickPasteGPSDataAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QString out = dir.filePath("out/wedding.jpg");
    EXPECT_EQ(revealed, QStringList{out});
    QJsonObject json = exiftool(out);
    EXPECT_EQ(json.value("EXIF:GPSLatitudeRef").toString(), "North");
    EXPECT_EQ(json.value("EXIF:ImageDescription").toString(), "Bride Wedding day");
    EXPECT_EQ(json.value("IPTC:Keywords").toString(), "wedding");

    // The IPTC paste replaces the section whole: the old keyword goes.
    d->localLists().localPhotoItemArray[1] = itemFor(out);
    clipboard().ClickPasteIPTCDataAction();
    ASSERT_TRUE(waitForJobs(*d));
    json = exiftool(out);
    EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "St. James's Park");
    EXPECT_EQ(json.value("IPTC:Keywords").toArray().size(), 6);
    EXPECT_EQ(json.value("EXIF:GPSLatitudeRef").toString(), "North");
    EXPECT_EQ(json.value("EXIF:Model").toString(), "NIKON D810");
    // The original itself is never touched by a paste.
    EXPECT_FALSE(propertiesOf(wedding).contains("{GPS}"));
}

TEST_F(CopyPaste, CopyOfAPhotoWithoutGpsPastesAnEmptySection) {
    select(1);
    clipboard().ClickCopyOnePhotoGPSAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(clipboard().holds(Clipboard::Section::Gps));
    EXPECT_TRUE(clipboard().copied(Clipboard::Section::Gps).isEmpty());
    select(0);
    clipboard().ClickPasteGPSDataAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(propertiesOf(dir.filePath("out/St James Park.jpg")).contains("{GPS}"));
}

TEST_F(CopyPaste, AllPasteKeepsTheTargetsPixelsAndOrientation) {
    select(0);
    clipboard().ClickCopyOneAllPhotoMetadataAction();
    ASSERT_TRUE(waitForJobs(*d));
    select(1);
    clipboard().ClickPasteAllPhotoMetaAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject json = exiftool(dir.filePath("out/wedding.jpg"));
    EXPECT_EQ(json.value("EXIF:Model").toString(), "NIKON D7000");
    EXPECT_EQ(json.value("IPTC:ObjectName").toString(), "St. James's Park");
    EXPECT_EQ(json.value("File:ImageWidth").toInt(), 2048);
    EXPECT_FALSE(json.contains("EXIF:ExifImageWidth"));
}

TEST(PasteRules, PixelDescriptionsStayTheTargets) {
    const QVariantMap copied{{"PixelWidth", 10},
                             {"Orientation", 6},
                             {"{TIFF}", QVariantMap{{"Make", "A"}, {"Orientation", 6}}},
                             {"{Exif}", QVariantMap{{"PixelXDimension", 10}, {"ISO", 100}}}};
    const QVariantMap target{{"PixelWidth", 20},
                             {"{TIFF}", QVariantMap{{"Make", "B"}}},
                             {"{Exif}", QVariantMap{{"PixelXDimension", 20}, {"FNumber", 2.0}}},
                             {"{GPS}", QVariantMap{{"Latitude", 1.0}}}};
    const QVariantMap all = pasteAll(target, copied);
    EXPECT_EQ(all.value("PixelWidth").toInt(), 20);
    EXPECT_FALSE(all.contains("Orientation"));
    EXPECT_TRUE(all.value("{TIFF}").toMap().value("Orientation").isNull());
    EXPECT_EQ(all.value("{TIFF}").toMap().value("Make").toString(), "A");
    EXPECT_EQ(all.value("{Exif}").toMap().value("PixelXDimension").toInt(), 20);
    EXPECT_FALSE(all.value("{Exif}").toMap().contains("FNumber"));
    // Not given, so the file's own section is left alone.
    EXPECT_FALSE(all.contains("{GPS}"));

    const QVariantMap exif = pasteSection(target, "{Exif}", copied.value("{Exif}").toMap());
    EXPECT_EQ(exif.value("{Exif}").toMap().value("ISO").toInt(), 100);
    EXPECT_EQ(exif.value("{Exif}").toMap().value("PixelXDimension").toInt(), 20);
    EXPECT_EQ(exif.value("{TIFF}"), target.value("{TIFF}"));
}

TEST_F(CopyPaste, MenusReachTheActions) {
    ASSERT_TRUE(drive(*d).find<QMenu>("removeExifMenu"));
    EXPECT_EQ(drive(*d).find<QMenu>("removeExifMenu")->actions().size(), 7);
    select(0);
    item("pasteTIFFMenuItem")->setEnabled(true);
    item("pasteTIFFMenuItem")->trigger();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "First you need to copy TIFF data from a photo.");
}
