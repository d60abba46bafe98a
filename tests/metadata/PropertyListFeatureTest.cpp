#include "app/AppDelegate.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/MetadataMenus.h"
#include "platform/core/ImageSource.h"
#include "platform/core/PropertyList.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/PlistReader.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class PlistFeature : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer(
            [this](const QString &p, const QString &root) { revealed << p << root; });
        d = std::make_unique<AppDelegate>();
        d->launch();
        d->preferences().storagelocation = work.filePath("store/Changed");
        QDir().mkpath(work.filePath("photos"));
        park = copyFixture("St James Park.jpg", work.filePath("photos"));
        palm = copyFixture("IMG_1994.JPG", work.filePath("photos"));
        d->mainWindowController().appendLocalItem(makeLocalItem(park));
        d->mainWindowController().appendLocalItem(makeLocalItem(palm));
        d->mainWindowController().LoadImportedPhotsonMainThread();
    }
    void TearDown() override {
        d.reset();
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    void selectAll() {
        auto *sel = localBrowser(*d)->selectionModel();
        for (int i = 0; i < d->localLists().localPhotoItemArray.size(); ++i)
            sel->select(localBrowser(*d)->model()->index(i, 0), QItemSelectionModel::Select);
    }
    QMessageBox *openSheet() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    // The open file panel the user sees.
    QFileDialog *openPanel() {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *panel = qobject_cast<QFileDialog *>(w); panel && panel->isVisible())
                return panel;
        return nullptr;
    }
    // The Exif import's panel, answered with `file`.
    void answerImportPanel(const QString &file) {
        d->metadataMenus().ImportExiFtoPlistAction();
        QFileDialog *panel = openPanel();
        ASSERT_TRUE(panel);
        EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFile);
        panel->setDirectory(QFileInfo(file).absolutePath());
        panel->selectFile(QFileInfo(file).fileName());
        static_cast<QDialog *>(panel)->accept(); // the panel's own OK
        QApplication::processEvents();
        ASSERT_TRUE(waitForJobs(*d));
    }
    QTemporaryDir work;
    std::unique_ptr<AppDelegate> d;
    QString park, palm;
    QStringList revealed;
};

} // namespace

TEST_F(PlistFeature, MenuHoldsTheThirteenCommands) {
    ASSERT_TRUE(drive(*d).find<QMenu>("importandExportMenu"));
    EXPECT_EQ(drive(*d).find<QAction>("exportandimportActionMenu")->menu(),
              drive(*d).find<QMenu>("importandExportMenu"));
    int commands = 0;
    for (QAction *a : drive(*d).find<QMenu>("importandExportMenu")->actions())
        commands += a->isSeparator() ? 0 : 1;
    EXPECT_EQ(commands, 13);
}

TEST_F(PlistFeature, ExportIsRevealedInTheFolderItWasWrittenTo) {
    selectAll();
    d->metadataMenus().ExportExifAndGPSDataToPlist();
    const QString path = d->preferences().storagelocation + "/ExportExifandGPSInfo.plist";
    // The folder a sheet names where no file manager answers: the storage folder itself.
    EXPECT_EQ(revealed, (QStringList{path, d->preferences().storagelocation}));
    const QJsonObject root = readPlistOutside(path)["value"].toObject();
    EXPECT_TRUE(root.contains("St James Park.jpg"));
    EXPECT_TRUE(root.contains("IMG_1994.JPG"));
    EXPECT_EQ(openSheet(), nullptr);
}

TEST_F(PlistFeature, SameNamedPhotosAreToldAfterTheExport) {
    QDir().mkpath(work.filePath("other"));
    const QString twin = copyFixture("IMG_1994.JPG", work.filePath("other"));
    d->mainWindowController().appendLocalItem(makeLocalItem(twin));
    d->mainWindowController().LoadImportedPhotsonMainThread();
    selectAll();
    d->metadataMenus().ExportTIFFtoPlistAction();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains("IMG_1994.JPG"));
    EXPECT_EQ(revealed.size(), 2);
}

TEST_F(PlistFeature, TemplateFromTheEditSheetAndTheShownPhoto) {
    // The template takes what the edit sheet's fields hold.
    drive(*d).findIn<QLineEdit>("eidtMetaWindow", "artistlab")->setText("Ann");
    drive(*d).findIn<QLineEdit>("eidtMetaWindow", "gpsLatilab")->setText("48.8566");
    drive(*d).findIn<QLineEdit>("eidtMetaWindow", "lensMakelab")->setText("Nikkor");
    d->metadataMenus().ExportTemplateDataToPlist();
    const QString path = d->preferences().storagelocation + "/templatefile.plist";
    ASSERT_EQ(revealed.value(0), path);
    const QJsonObject v = readPlistOutside(path)["value"].toObject();
    EXPECT_EQ(v["Artist"]["v"].toString(), "Ann");
    EXPECT_EQ(v["LensMake"]["v"].toString(), "Nikkor");
    EXPECT_DOUBLE_EQ(v["Latitude"]["v"].toDouble(), 48.856601715087891);
    EXPECT_EQ(v.size(), 25);

    localBrowser(*d)->selectionModel()->select(localBrowser(*d)->model()->index(1, 0),
                                               QItemSelectionModel::ClearAndSelect);
    d->metadataMenus().WriteSelectedItemsExifDataToPlist();
    const QString shown = d->preferences().storagelocation + "/IMG_1994.plist";
    EXPECT_EQ(revealed.value(2), shown);
    EXPECT_TRUE(PropertyList::read(shown).root.toMap().contains("{Exif}"));
}

TEST_F(PlistFeature, ImportThroughThePanel) {
    selectAll();
    d->metadataMenus().ExportExiftoPlistAction();
    const QString exported = d->preferences().storagelocation + "/ExportExifInfo.plist";
    revealed.clear();

    // A file that is not a property list: a clear alert, and no photo written.
    QString error;
    const QString bogus = work.filePath("bogus.plist");
    QFile f(bogus);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("no plist here");
    f.close();
    answerImportPanel(bogus);
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "This property list cannot be imported.");
    sheet->buttons().first()->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(revealed.isEmpty());

    // Cancel does nothing.
    d->metadataMenus().ImportExiFtoPlistAction();
    ASSERT_TRUE(openPanel());
    openPanel()->reject();
    QApplication::processEvents();
    EXPECT_TRUE(revealed.isEmpty());

    // The exported file applied again writes both photos, the first one revealed.
    answerImportPanel(exported);
    EXPECT_EQ(revealed.value(0), d->preferences().storagelocation + "/St James Park.jpg");
    EXPECT_EQ(ImageSource::fromPath(d->preferences().storagelocation + "/IMG_1994.JPG")
                  .properties(0)
                  .value("{Exif}")
                  .toMap()
                  .value("DateTimeOriginal"),
              "2020:04:15 10:25:51");
    EXPECT_EQ(openSheet(), nullptr);

    // A photo the file does not name is left as it was, and the user is told.
    const QString one = work.filePath("one.plist");
    ASSERT_TRUE(PropertyList::writeXml(
        one, QVariantMap{{"IMG_1994.JPG", QVariantMap{{"ISOSpeedRatings", QVariantList{100}}}}},
        &error));
    answerImportPanel(one);
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains("St James Park.jpg"));
    EXPECT_FALSE(sheet->informativeText().contains("IMG_1994.JPG"));
}
