// The local panels and the edit sheet show the selected file's data only, never what an
// earlier photo left there.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalCellDelegate.h"
#include "browser/LocalPhotoModel.h"
#include "browser/core/LocalImport.h"
#include "platform/MapView.h"
#include "platform/core/Workspace.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
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
        d->mainWindow.appendLocalItem(makeLocalItem(path));
        d->mainWindow.LoadImportedPhotsonMainThread();
    }
    void selectRow(int row) {
        d->mainWindow.localImageBrowserView->selectionModel()->select(
            d->mainWindow.localPhotoModel->index(row), QItemSelectionModel::ClearAndSelect);
    }
    // Every place a photo's values reach: none may hold any after `name` is selected.
    void expectNoPhotoData(const QString &name) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(d->selection.currentFileName, name);
        EXPECT_EQ(d->mainWindow.photoNamelab->text(), name);
        for (QLabel *label : {d->mainWindow.photoImageSizelab, d->mainWindow.photoDPIlab,
                              d->mainWindow.photoLensInfolab, d->mainWindow.photoTitlelab,
                              d->mainWindow.photoModDatelab, d->mainWindow.photoExposurelab,
                              d->mainWindow.locationCitylab})
            EXPECT_TRUE(label->text().isEmpty()) << label->text().toStdString();
        EXPECT_EQ(d->mainWindow.localExifDataView->topLevelItemCount(), 0);
        EXPECT_FALSE(d->mainWindow.bMapPreview);
        EXPECT_FALSE(d->mainWindow.currentlocalMapView->isVisible());
        EXPECT_TRUE(d->selection.currentExifDictionary.isEmpty());
        EXPECT_TRUE(d->selection.currentLocationStr.isEmpty());
        for (const QString *value :
             {&d->selection.oldTitleStr, &d->selection.oldCameraMakeStr,
              &d->selection.oldCameraModeStr, &d->selection.oldCameraDateStr,
              &d->selection.oldGpsLatiStr, &d->selection.oldGpsLongtStr,
              &d->selection.oldimageExpotimeStr, &d->selection.oldimageFNumberStr})
            EXPECT_TRUE(value->isEmpty()) << value->toStdString();

        // The edit sheet opens with empty fields, whatever it was filled with before.
        d->editSheet.StartEditViewAction();
        for (QLineEdit *field :
             {d->editSheet.titlelab, d->editSheet.cameraMakelab, d->editSheet.cameraModelab,
              d->editSheet.cameraDatelab, d->editSheet.gpsLatilab, d->editSheet.gpsLongtlab,
              d->editSheet.imageExpotimelab, d->editSheet.sheetLensModellab})
            EXPECT_TRUE(field->text().isEmpty()) << field->text().toStdString();
        EXPECT_TRUE(d->editSheet.sheetLocationCitylab->text().isEmpty());
        if (auto *sheet = qobject_cast<QDialog *>(d->editSheet.eidtMetaWindow))
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
    EXPECT_TRUE(waitFor([&] { return d->mainWindow.locationCitylab->text() == "Place unknown"; }));

    for (int row : {1, 2, 3}) {
        selectRow(0);
        ASSERT_EQ(d->selection.oldCameraModeStr, "NIKON D7000");
        ASSERT_FALSE(d->selection.oldGpsLatiStr.isEmpty());
        ASSERT_GT(d->mainWindow.localExifDataView->topLevelItemCount(), 0);
        ASSERT_TRUE(d->mainWindow.currentlocalMapView->isVisible());
        d->editSheet.StartEditViewAction();
        ASSERT_EQ(d->editSheet.cameraModelab->text(), "NIKON D7000");
        qobject_cast<QDialog *>(d->editSheet.eidtMetaWindow)->reject();

        selectRow(row);
        expectNoPhotoData(d->localPhotoItemArray[row]->fileName);
    }
    // The file's own lines are still given: an empty file says so.
    EXPECT_TRUE(d->mainWindow.photoFileSizelab->text().contains("0 bytes") ||
                d->mainWindow.photoFileSizelab->text().contains("4096 bytes"));

    // With nothing selected nothing is shown either.
    selectRow(0);
    d->mainWindow.localImageBrowserView->selectionModel()->clearSelection();
    EXPECT_TRUE(d->selection.oldCameraModeStr.isEmpty());
    EXPECT_EQ(d->mainWindow.localExifDataView->topLevelItemCount(), 0);
    EXPECT_TRUE(d->mainWindow.photoNamelab->text().isEmpty());
}

TEST_F(LocalPanels, ClearAndAddKeepsTheListUntilPhotosAreChosen) {
    QTemporaryDir dir;
    add(copyFixture("St James Park.jpg", dir.path()));
    add(copyFixture("wedding.jpg", dir.path()));
    const QString fri = copyFixture("Fritest.jpeg", dir.path());
    selectRow(0);

    d->mainWindow.ClickClearandImportPhotosAction();
    QFileDialog *panel = d->mainWindow.theOpenPanel.data();
    ASSERT_TRUE(panel);
    panel->reject();
    EXPECT_EQ(d->localPhotoItemArray.size(), 2);
    EXPECT_EQ(d->localImportPhotoItemArray.size(), 2);
    EXPECT_EQ(d->mainWindow.localPhotoModel->rowCount(), 2);
    EXPECT_EQ(d->selection.oldCameraModeStr, "NIKON D7000");

    d->mainWindow.ClickClearandImportPhotosAction();
    panel = d->mainWindow.theOpenPanel.data();
    ASSERT_TRUE(panel);
    panel->setDirectory(dir.path());
    panel->selectFile(fri);
    static_cast<QDialog *>(panel)->accept(); // QFileDialog keeps its accept protected
    ASSERT_TRUE(waitFor([&] { return d->runningJobCount() == 0; }));
    ASSERT_EQ(d->localPhotoItemArray.size(), 1);
    EXPECT_EQ(d->localPhotoItemArray.first()->fileName, "Fritest.jpeg");
    // The cleared photo's panels went with it.
    EXPECT_TRUE(d->selection.oldCameraModeStr.isEmpty());
    EXPECT_EQ(d->mainWindow.localExifDataView->topLevelItemCount(), 0);
}

TEST_F(LocalPanels, EveryInformationLineHasItsCaptionAndReadableValues) {
    QTemporaryDir dir;
    add(copyFixture("St James Park.jpg", dir.path()));
    add(copyFixture("clip.mp4", dir.path()));
    const std::pair<QLabel *, QString> lines[] = {{d->mainWindow.photoNamelab, "Name:"},
                                                  {d->mainWindow.photoTitlelab, "Title:"},
                                                  {d->mainWindow.photoModDatelab, "Taken:"},
                                                  {d->mainWindow.photoDPIlab, "Camera:"},
                                                  {d->mainWindow.photoLensInfolab, "Lens:"},
                                                  {d->mainWindow.photoExposurelab, "Exposure:"},
                                                  {d->mainWindow.photoImageSizelab, "Dimensions:"},
                                                  {d->mainWindow.photoFileSizelab, "File size:"},
                                                  {d->mainWindow.photoCreateDatelab, "Created:"},
                                                  {d->mainWindow.locationCitylab, "Place:"}};
    auto captionOf = [&](QLabel *value) {
        const auto captions = d->window->findChildren<QLabel *>();
        for (QLabel *label : captions)
            if (label->buddy() == value)
                return label;
        return static_cast<QLabel *>(nullptr);
    };

    selectRow(0);
    QApplication::processEvents();
    for (const auto &[value, caption] : lines) {
        ASSERT_TRUE(value);
        QLabel *label = captionOf(value);
        ASSERT_TRUE(label) << caption.toStdString();
        EXPECT_EQ(label->text(), caption);
        EXPECT_TRUE(label->isVisible());
        // Caption and value on one line, the caption first, the value not under it.
        EXPECT_EQ(label->geometry().center().y(), value->geometry().center().y())
            << caption.toStdString();
        EXPECT_LT(label->geometry().right(), value->geometry().left());
        EXPECT_LE(value->geometry().right(), value->parentWidget()->width());
    }
    EXPECT_EQ(d->mainWindow.photoModDatelab->text(), "2018-10-13 09:18:12");
    EXPECT_EQ(d->mainWindow.photoExposurelab->text(), "1/2000 s, ISO 200, 22 mm, -1.7 EV");
    // The edit sheet keeps the Exif form for what it writes.
    EXPECT_EQ(d->selection.oldCameraDateStr, "2018:10:13 09:18:12");
    EXPECT_EQ(d->selection.oldimageExpotimeStr, "0.0005");

    // A video has no camera values: the captions stay, the values are empty.
    selectRow(1);
    for (const auto &[value, caption] : lines) {
        EXPECT_TRUE(captionOf(value)->isVisible()) << caption.toStdString();
        if (value != d->mainWindow.photoNamelab && value != d->mainWindow.photoFileSizelab &&
            value != d->mainWindow.photoCreateDatelab) {
            EXPECT_TRUE(value->text().isEmpty()) << caption.toStdString();
        }
    }
}

TEST_F(LocalPanels, ThePropertyTreeKeepsItsHeightWhenTheMapShows) {
    QTemporaryDir dir;
    add(copyFixture("St James Park.jpg", dir.path())); // with a position
    add(copyFixture("IMG_1994.JPG", dir.path()));      // without one
    d->window->resize(1200, 750);
    auto settle = [] {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    };
    settle();
    const int before = d->mainWindow.localExifDataView->height();

    selectRow(0);
    settle();
    ASSERT_TRUE(d->mainWindow.currentlocalMapView->isVisible());
    const int withMap = d->mainWindow.localExifDataView->height();
    const QRect mapArea = d->mainWindow.currentlocalMapView->geometry();

    selectRow(1);
    settle();
    ASSERT_FALSE(d->mainWindow.currentlocalMapView->isVisible());
    EXPECT_EQ(d->mainWindow.localExifDataView->height(), withMap);
    EXPECT_EQ(d->mainWindow.localExifDataView->height(), before);
    EXPECT_EQ(d->mainWindow.localMapPlaceholder->text(), "No position");
    EXPECT_TRUE(d->mainWindow.localMapPlaceholder->isVisible());
    EXPECT_EQ(d->mainWindow.localMapPlaceholder->geometry(), mapArea);
    // Room for more than a handful of rows.
    EXPECT_GE(d->mainWindow.localExifDataView->height(),
              8 * d->mainWindow.localExifDataView->fontMetrics().height());
    // A short window too keeps more than three rows under the header.
    d->window->resize(1000, 560);
    settle();
    EXPECT_GE(d->mainWindow.localExifDataView->viewport()->height(),
              4 * (d->mainWindow.localExifDataView->fontMetrics().height() + 4));
    d->window->resize(1200, 750);
    settle();

    d->mainWindow.localImageBrowserView->selectionModel()->clearSelection();
    settle();
    EXPECT_EQ(d->mainWindow.localExifDataView->height(), withMap);
    EXPECT_TRUE(d->mainWindow.localMapPlaceholder->text().isEmpty());
}

TEST_F(LocalPanels, GridTitlesAreShortenedInTheMiddleAndFitTheirCells) {
    QTemporaryDir dir;
    const QString longName = dir.filePath("IMG_20181013_091812_HDR_panorama_final_0912.jpg");
    ASSERT_TRUE(QFile::copy(copyFixture("St James Park.jpg", dir.path()), longName));
    add(longName);
    add(copyFixture("wedding.jpg", dir.path()));
    d->window->resize(1200, 750);
    QApplication::processEvents();

    QListView *view = d->mainWindow.localImageBrowserView;
    auto *delegate = qobject_cast<LocalCellDelegate *>(view->itemDelegate());
    ASSERT_TRUE(delegate);
    for (int row : {0, 1}) {
        const QModelIndex index = d->mainWindow.localPhotoModel->index(row);
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.widget = view;
        option.rect = view->visualRect(index);
        option.decorationSize = view->iconSize();
        option.decorationPosition = QStyleOptionViewItem::Top;
        option.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
        option.features |= QStyleOptionViewItem::WrapText;
        ASSERT_FALSE(option.rect.isEmpty());
        const QString shown = delegate->shownTitle(option, index);
        const QStringList lines = shown.split(QChar(QChar::LineSeparator));
        const QFontMetrics metrics(view->font());
        EXPECT_LE(lines.size(), 2);
        for (const QString &line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), LocalCellDelegate::titleWidth(option))
                << line.toStdString();
        EXPECT_LE(LocalCellDelegate::titleWidth(option), option.rect.width());
        // Both lines fit under the picture, inside the cell.
        EXPECT_LE(view->iconSize().height() + lines.size() * metrics.lineSpacing(),
                  option.rect.height());
        if (row == 0) {
            EXPECT_TRUE(shown.startsWith("IMG_2018")) << shown.toStdString();
            EXPECT_TRUE(shown.endsWith("0912.jpg")) << shown.toStdString();
            EXPECT_TRUE(shown.contains(QChar(0x2026)));
        } else {
            EXPECT_EQ(shown, "wedding.jpg");
        }
    }
}
