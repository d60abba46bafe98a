// The library view's two property lists, read back by an outside reader.
#include "../library/LibraryEditTestSupport.h"
#include "../library/LibraryTestSupport.h"
#include "browser/MainWindowController.h"
#include "library/LibraryWindows.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/PlistReader.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QLineEdit>
#include <QListView>
#include <sys/stat.h>

namespace {

// The library browser.
QListView *libraryBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("photoLibBrowserView");
}

class LibraryPlist : public LibraryEditTest {
  protected:
    void SetUp() override {
        LibraryEditTest::SetUp();
        storage = dir.filePath(QStringLiteral("S"));
        d->preferences().storagelocation = storage;
        Workspace::setRevealer(
            [this](const QString &p, const QString &root) { revealed << p << root; });
    }
    void TearDown() override {
        Workspace::setRevealer({});
        LibraryEditTest::TearDown();
    }
    QString storage;
    QStringList revealed;
};

QJsonObject entryOf(const QJsonObject &plist, const QString &name) {
    return plist.value("value").toObject().value(name).toObject();
}

} // namespace

TEST_F(LibraryPlist, EachEntryHoldsItsOwnPhotosLibraryValues) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"Pumkins2.jpg", "St James Park.jpg", "wedding.jpg"});
    d->libraryWindows().ExportPhotoLibraryMetaToPlistAction();
    const QString path = storage + "/PhotoLibrayMetadata.plist";
    // The folder a sheet names where no file manager answers: the one written to.
    EXPECT_EQ(revealed, (QStringList{path, storage}));
    const QJsonObject plist = readPlistOutside(path);
    ASSERT_FALSE(plist.isEmpty());
    EXPECT_EQ(plist.value("format").toString(), "xml");
    const QJsonObject pumpkin = entryOf(plist, "Pumkins2.jpg");
    EXPECT_EQ(pumpkin.value("ObjectName").toObject().value("v").toString(), "I found one!");
    EXPECT_EQ(pumpkin.value("Keywords").toObject().value("t").toString(), "str");
    EXPECT_EQ(pumpkin.value("Keywords").toObject().value("v").toString(),
              record("Pumkins2.jpg").fileKeywords);
    EXPECT_EQ(pumpkin.value("Latitude").toObject().value("t").toString(), "real");
    // Stored in single precision.
    EXPECT_EQ(pumpkin.value("Latitude").toObject().value("v").toDouble(), double(float(41.256566)));
    EXPECT_EQ(pumpkin.value("LongitudeRef").toObject().value("v").toString(), "W");
    const QJsonObject park = entryOf(plist, "St James Park.jpg");
    EXPECT_EQ(park.value("ObjectName").toObject().value("v").toString(), "St. James's Park");
    EXPECT_EQ(park.value("LongitudeRef").toObject().value("v").toString(), "W");
    // No library position: no coordinates at all.
    const QJsonObject wedding = entryOf(plist, "wedding.jpg");
    EXPECT_FALSE(wedding.contains("Latitude"));
    EXPECT_FALSE(wedding.contains("ObjectName"));
    EXPECT_TRUE(takeSheets().isEmpty());
}

TEST_F(LibraryPlist, OriginalsAreReadWholeAndMissingOnesAreNamed) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"St James Park.jpg", "IMG_1693.tif"});
    d->libraryWindows().ExportOriginaPhotoLibraryMetaToPlistAction();
    const QJsonObject plist = readPlistOutside(storage + "/OriginalPhotoMetadata.plist");
    ASSERT_FALSE(plist.isEmpty());
    const QJsonObject park = entryOf(plist, "St James Park.jpg");
    EXPECT_EQ(park.value("{IPTC}").toObject().value("ObjectName").toObject().value("v").toString(),
              "St. James's Park");
    EXPECT_TRUE(park.value("{GPS}").toObject().contains("Altitude"));
    EXPECT_EQ(plist.value("keys").toArray().size(), 1);
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets[0].informative.contains("IMG_1693.tif"));
}

TEST_F(LibraryPlist, AFolderThatCannotBeMadeIsSaidAndSameNamesAreNamed) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    writeBytes(dir.filePath("blocker"), "x");
    d->preferences().storagelocation = dir.filePath("blocker/S");
    select({"wedding.jpg"});
    d->libraryWindows().ExportPhotoLibraryMetaToPlistAction();
    QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "The metadata could not be exported.");
    EXPECT_TRUE(revealed.isEmpty());

    d->preferences().storagelocation = storage;
    QList<IKImageItemPtr> same;
    for (const IKImageItemPtr &i : d->library().photoLibBroserArray)
        if (i->fileName == "winebottle.jpeg")
            same << i;
    ASSERT_EQ(same.size(), 2);
    QItemSelection chosen;
    for (const IKImageItemPtr &i : same) {
        const int row = int(d->library().photoLibBroserArray.indexOf(i));
        chosen.select(libraryBrowser(*d)->model()->index(row, 0),
                      libraryBrowser(*d)->model()->index(row, 0));
    }
    libraryBrowser(*d)->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
    d->libraryWindows().ExportPhotoLibraryMetaToPlistAction();
    sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets[0].informative.contains("winebottle.jpeg"));
}
