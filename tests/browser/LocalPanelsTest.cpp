// The local panels and the edit sheet show the selected file's data only, never what an
// earlier photo left there.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalCellDelegate.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/EditSheet.h"
#include "platform/MapView.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
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
#include <QMessageBox>
#include <QPushButton>
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
        d->mainWindowController().appendLocalItem(makeLocalItem(path));
        d->mainWindowController().LoadImportedPhotsonMainThread();
    }
    void selectRow(int row) { drive(*d).selectRows("localImageBrowserView", {row}); }
    QListView *browser() { return drive(*d).find<QListView>("localImageBrowserView"); }
    QTreeWidget *tree() { return drive(*d).find<QTreeWidget>("localExifDataView"); }
    PKMapView *map() { return drive(*d).find<PKMapView>("currentlocalMapView"); }
    QLabel *label(const char *name) { return drive(*d).find<QLabel>(QLatin1String(name)); }
    // The import panel on screen, if one is.
    QFileDialog *openPanel() {
        for (QFileDialog *panel : d->window->findChildren<QFileDialog *>())
            if (panel->isVisible())
                return panel;
        return nullptr;
    }
    // Whether Show Map has a position to show; without one it says so in a sheet, closed here.
    bool showMapFindsAPosition() {
        d->mainWindowController().ShowMapAction();
        for (QMessageBox *sheet : d->window->findChildren<QMessageBox *>())
            if (sheet->isVisible() && sheet->text() == "No GPS Data") {
                sheet->buttons().first()->click();
                return false;
            }
        QWidget *mapWindow = drive(*d).find("mapWindow");
        const bool shown = mapWindow && mapWindow->isVisible();
        if (mapWindow)
            mapWindow->hide();
        return shown;
    }
    // Every place a photo's values reach: none may hold any after `name` is selected.
    void expectNoPhotoData(const QString &name) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(d->selection().currentFileName, name);
        EXPECT_EQ(drive(*d).text("photoNamelab"), name);
        for (QLabel *label :
             {label("photoImageSizelab"), label("photoDPIlab"), label("photoLensInfolab"),
              label("photoTitlelab"), label("photoModDatelab"), label("photoExposurelab"),
              label("locationCitylab")})
            EXPECT_TRUE(label->text().isEmpty()) << label->text().toStdString();
        EXPECT_EQ(tree()->topLevelItemCount(), 0);
        EXPECT_FALSE(showMapFindsAPosition());
        EXPECT_FALSE(map()->isVisible());
        EXPECT_TRUE(d->selection().currentExifDictionary.isEmpty());
        EXPECT_TRUE(d->selection().currentLocationStr.isEmpty());
        for (const QString *value :
             {&d->selection().oldTitleStr, &d->selection().oldCameraMakeStr,
              &d->selection().oldCameraModeStr, &d->selection().oldCameraDateStr,
              &d->selection().oldGpsLatiStr, &d->selection().oldGpsLongtStr,
              &d->selection().oldimageExpotimeStr, &d->selection().oldimageFNumberStr})
            EXPECT_TRUE(value->isEmpty()) << value->toStdString();

        // The edit sheet opens with empty fields, whatever it was filled with before.
        drive(*d).editSheet().StartEditViewAction();
        for (const char *name : {"titlelab", "cameraMakelab", "cameraModelab", "cameraDatelab",
                                 "gpsLatilab", "gpsLongtlab", "imageExpotimelab", "lensModellab"})
            EXPECT_TRUE(drive(*d).findIn<QLineEdit>("eidtMetaWindow", name)->text().isEmpty())
                << name;
        EXPECT_TRUE(drive(*d).text("sheetLocationCitylab").isEmpty());
        if (auto *sheet = qobject_cast<QDialog *>(drive(*d).find("eidtMetaWindow")))
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
    EXPECT_TRUE(waitFor([&] { return drive(*d).text("locationCitylab") == "Place unknown"; }));

    for (int row : {1, 2, 3}) {
        selectRow(0);
        ASSERT_EQ(d->selection().oldCameraModeStr, "NIKON D7000");
        ASSERT_FALSE(d->selection().oldGpsLatiStr.isEmpty());
        ASSERT_GT(tree()->topLevelItemCount(), 0);
        ASSERT_TRUE(map()->isVisible());
        drive(*d).editSheet().StartEditViewAction();
        ASSERT_EQ(drive(*d).findIn<QLineEdit>("eidtMetaWindow", "cameraModelab")->text(),
                  "NIKON D7000");
        qobject_cast<QDialog *>(drive(*d).find("eidtMetaWindow"))->reject();

        selectRow(row);
        expectNoPhotoData(d->localLists().localPhotoItemArray[row]->fileName);
    }
    // The file's own lines are still given: an empty file says so.
    EXPECT_TRUE(drive(*d).text("photoFileSizelab").contains("0 bytes") ||
                drive(*d).text("photoFileSizelab").contains("4096 bytes"));

    // With nothing selected nothing is shown either.
    selectRow(0);
    browser()->selectionModel()->clearSelection();
    EXPECT_TRUE(d->selection().oldCameraModeStr.isEmpty());
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_TRUE(drive(*d).text("photoNamelab").isEmpty());
}

TEST_F(LocalPanels, ClearAndAddKeepsTheListUntilPhotosAreChosen) {
    QTemporaryDir dir;
    add(copyFixture("St James Park.jpg", dir.path()));
    add(copyFixture("wedding.jpg", dir.path()));
    const QString fri = copyFixture("Fritest.jpeg", dir.path());
    selectRow(0);

    d->mainWindowController().ClickClearandImportPhotosAction();
    QFileDialog *panel = openPanel();
    ASSERT_TRUE(panel);
    panel->reject();
    EXPECT_EQ(d->localLists().localPhotoItemArray.size(), 2);
    EXPECT_EQ(d->localLists().localImportPhotoItemArray.size(), 2);
    EXPECT_EQ(browser()->model()->rowCount(), 2);
    EXPECT_EQ(d->selection().oldCameraModeStr, "NIKON D7000");

    d->mainWindowController().ClickClearandImportPhotosAction();
    panel = openPanel();
    ASSERT_TRUE(panel);
    panel->setDirectory(dir.path());
    panel->selectFile(fri);
    static_cast<QDialog *>(panel)->accept(); // QFileDialog keeps its accept protected
    ASSERT_TRUE(waitFor([&] { return d->jobs().runningJobCount() == 0; }));
    ASSERT_EQ(d->localLists().localPhotoItemArray.size(), 1);
    EXPECT_EQ(d->localLists().localPhotoItemArray.first()->fileName, "Fritest.jpeg");
    // The cleared photo's panels went with it.
    EXPECT_TRUE(d->selection().oldCameraModeStr.isEmpty());
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
}

TEST_F(LocalPanels, EveryInformationLineHasItsCaptionAndReadableValues) {
    QTemporaryDir dir;
    add(copyFixture("St James Park.jpg", dir.path()));
    add(copyFixture("clip.mp4", dir.path()));
    const std::pair<QLabel *, QString> lines[] = {{label("photoNamelab"), "Name:"},
                                                  {label("photoTitlelab"), "Title:"},
                                                  {label("photoModDatelab"), "Taken:"},
                                                  {label("photoDPIlab"), "Camera:"},
                                                  {label("photoLensInfolab"), "Lens:"},
                                                  {label("photoExposurelab"), "Exposure:"},
                                                  {label("photoImageSizelab"), "Dimensions:"},
                                                  {label("photoFileSizelab"), "File size:"},
                                                  {label("photoCreateDatelab"), "Created:"},
                                                  {label("locationCitylab"), "Place:"}};
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
    EXPECT_EQ(drive(*d).text("photoModDatelab"), "2018-10-13 09:18:12");
    EXPECT_EQ(drive(*d).text("photoExposurelab"), "1/2000 s, ISO 200, 22 mm, -1.7 EV");
    // The edit sheet keeps the Exif form for what it writes.
    EXPECT_EQ(d->selection().oldCameraDateStr, "2018:10:13 09:18:12");
    EXPECT_EQ(d->selection().oldimageExpotimeStr, "0.0005");

    // A video has no camera values: the captions stay, the values are empty.
    selectRow(1);
    for (const auto &[value, caption] : lines) {
        EXPECT_TRUE(captionOf(value)->isVisible()) << caption.toStdString();
        if (value != label("photoNamelab") && value != label("photoFileSizelab") &&
            value != label("photoCreateDatelab")) {
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
    const int before = tree()->height();

    selectRow(0);
    settle();
    ASSERT_TRUE(map()->isVisible());
    const int withMap = tree()->height();
    const QRect mapArea = map()->geometry();

    selectRow(1);
    settle();
    ASSERT_FALSE(map()->isVisible());
    EXPECT_EQ(tree()->height(), withMap);
    EXPECT_EQ(tree()->height(), before);
    EXPECT_EQ(drive(*d).text("localMapPlaceholder"), "No position");
    EXPECT_TRUE(label("localMapPlaceholder")->isVisible());
    EXPECT_EQ(label("localMapPlaceholder")->geometry(), mapArea);
    // Room for more than a handful of rows.
    EXPECT_GE(tree()->height(), 8 * tree()->fontMetrics().height());
    // A short window too keeps more than three rows under the header.
    d->window->resize(1000, 560);
    settle();
    EXPECT_GE(tree()->viewport()->height(), 4 * (tree()->fontMetrics().height() + 4));
    d->window->resize(1200, 750);
    settle();

    browser()->selectionModel()->clearSelection();
    settle();
    EXPECT_EQ(tree()->height(), withMap);
    EXPECT_TRUE(drive(*d).text("localMapPlaceholder").isEmpty());
}

TEST_F(LocalPanels, GridTitlesAreShortenedInTheMiddleAndFitTheirCells) {
    QTemporaryDir dir;
    const QString longName = dir.filePath("IMG_20181013_091812_HDR_panorama_final_0912.jpg");
    ASSERT_TRUE(QFile::copy(copyFixture("St James Park.jpg", dir.path()), longName));
    add(longName);
    add(copyFixture("wedding.jpg", dir.path()));
    d->window->resize(1200, 750);
    QApplication::processEvents();

    QListView *view = browser();
    auto *delegate = qobject_cast<LocalCellDelegate *>(view->itemDelegate());
    ASSERT_TRUE(delegate);
    for (int row : {0, 1}) {
        const QModelIndex index = browser()->model()->index(row, 0);
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
