// The local panels and the edit sheet show the selected file's data only, never what an
// earlier photo left there.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/LocalImport.h"
#include "platform/MapView.h"
#include "platform/core/Workspace.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class LocalPanels : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        Workspace::setUrlOpener({});
    }
    void add(const QString &path) {
        d->appendLocalItem(makeLocalItem(path));
        d->LoadImportedPhotsonMainThread();
    }
    void selectRow(int row) {
        d->localImageBrowserView->selectionModel()->select(d->localPhotoModel->index(row),
                                                           QItemSelectionModel::ClearAndSelect);
    }
    // Every place a photo's values reach: none may hold any after `name` is selected.
    void expectNoPhotoData(const QString &name) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(d->selection.currentFileName, name);
        EXPECT_EQ(d->photoNamelab->text(), name);
        for (QLabel *label : {d->photoImageSizelab, d->photoDPIlab, d->photoLensInfolab,
                              d->photoTitlelab, d->photoModDatelab, d->locationCitylab})
            EXPECT_TRUE(label->text().isEmpty()) << label->text().toStdString();
        EXPECT_EQ(d->localExifDataView->topLevelItemCount(), 0);
        EXPECT_FALSE(d->bMapPreview);
        EXPECT_FALSE(d->currentlocalMapView->isVisible());
        EXPECT_TRUE(d->selection.currentExifDictionary.isEmpty());
        EXPECT_TRUE(d->selection.currentLocationStr.isEmpty());
        for (const QString *value :
             {&d->selection.oldTitleStr, &d->selection.oldCameraMakeStr,
              &d->selection.oldCameraModeStr, &d->selection.oldCameraDateStr,
              &d->selection.oldGpsLatiStr, &d->selection.oldGpsLongtStr,
              &d->selection.oldimageExpotimeStr, &d->selection.oldimageFNumberStr})
            EXPECT_TRUE(value->isEmpty()) << value->toStdString();

        // The edit sheet opens with empty fields, whatever it was filled with before.
        d->StartEditViewAction();
        for (QLineEdit *field :
             {d->titlelab, d->cameraMakelab, d->cameraModelab, d->cameraDatelab, d->gpsLatilab,
              d->gpsLongtlab, d->imageExpotimelab, d->sheetLensModellab})
            EXPECT_TRUE(field->text().isEmpty()) << field->text().toStdString();
        EXPECT_TRUE(d->sheetLocationCitylab->text().isEmpty());
        if (auto *sheet = qobject_cast<QDialog *>(d->eidtMetaWindow))
            sheet->reject();
    }
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(LocalPanels, AVideoAnEmptyFileOrGarbageAfterAPhotoShowNoneOfThePhoto) {
    QTemporaryDir dir;
    add(copyFixture("St James Park.jpg", dir.path()));
    add(copyFixture("clip.mp4", dir.path()));
    writeFile(dir.filePath("empty.jpg"), {});
    add(dir.filePath("empty.jpg"));
    writeFile(dir.filePath("garbage.jpg"), QByteArray(4096, 'g'));
    add(dir.filePath("garbage.jpg"));

    // No place-name server answers in tests: the label says the place is unknown.
    selectRow(0);
    EXPECT_TRUE(waitFor([&] { return d->locationCitylab->text() == "Place unknown"; }));

    for (int row : {1, 2, 3}) {
        selectRow(0);
        ASSERT_EQ(d->selection.oldCameraModeStr, "NIKON D7000");
        ASSERT_FALSE(d->selection.oldGpsLatiStr.isEmpty());
        ASSERT_GT(d->localExifDataView->topLevelItemCount(), 0);
        ASSERT_TRUE(d->currentlocalMapView->isVisible());
        d->StartEditViewAction();
        ASSERT_EQ(d->cameraModelab->text(), "NIKON D7000");
        qobject_cast<QDialog *>(d->eidtMetaWindow)->reject();

        selectRow(row);
        expectNoPhotoData(d->localPhotoItemArray[row]->fileName);
    }
    // The file's own lines are still given: an empty file says so.
    EXPECT_TRUE(d->photoFileSizelab->text().contains("0 bytes") ||
                d->photoFileSizelab->text().contains("4096 bytes"));

    // With nothing selected nothing is shown either.
    selectRow(0);
    d->localImageBrowserView->selectionModel()->clearSelection();
    EXPECT_TRUE(d->selection.oldCameraModeStr.isEmpty());
    EXPECT_EQ(d->localExifDataView->topLevelItemCount(), 0);
    EXPECT_TRUE(d->photoNamelab->text().isEmpty());
}

TEST_F(LocalPanels, ClearAndAddKeepsTheListUntilPhotosAreChosen) {
    QTemporaryDir dir;
    add(copyFixture("St James Park.jpg", dir.path()));
    add(copyFixture("wedding.jpg", dir.path()));
    const QString fri = copyFixture("Fritest.jpeg", dir.path());
    selectRow(0);

    d->ClickClearandImportPhotosAction();
    QFileDialog *panel = d->theOpenPanel.data();
    ASSERT_TRUE(panel);
    panel->reject();
    EXPECT_EQ(d->localPhotoItemArray.size(), 2);
    EXPECT_EQ(d->localImportPhotoItemArray.size(), 2);
    EXPECT_EQ(d->localPhotoModel->rowCount(), 2);
    EXPECT_EQ(d->selection.oldCameraModeStr, "NIKON D7000");

    d->ClickClearandImportPhotosAction();
    panel = d->theOpenPanel.data();
    ASSERT_TRUE(panel);
    panel->setDirectory(dir.path());
    panel->selectFile(fri);
    static_cast<QDialog *>(panel)->accept(); // QFileDialog keeps its accept protected
    ASSERT_TRUE(waitFor([&] { return d->runningJobCount() == 0; }));
    ASSERT_EQ(d->localPhotoItemArray.size(), 1);
    EXPECT_EQ(d->localPhotoItemArray.first()->fileName, "Fritest.jpeg");
    // The cleared photo's panels went with it.
    EXPECT_TRUE(d->selection.oldCameraModeStr.isEmpty());
    EXPECT_EQ(d->localExifDataView->topLevelItemCount(), 0);
}
