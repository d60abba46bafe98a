// The library browser's filters and selections after a real scan of a copied library: the
// list each shows, its order, and what the two buttons then say.
#include "LibraryTestSupport.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/MainWindowController.h"
#include "browser/PRButton.h"
#include "library/core/LibrarySort.h"
#include "platform/core/PhotosApplication.h"
#include "support/AppDriver.h"

#include <QAction>
#include <QApplication>
#include <QDateTimeEdit>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLayout>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList names(const QList<IKImageItemPtr> &items) {
    QStringList out;
    for (const auto &i : items)
        out << i->fileName;
    return out;
}

class LibraryFilters : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
        setPhotosApplication(&photos);
        d = std::make_unique<AppDelegate>();
        d->launch();
        // The least width the window takes on a screen wide enough: what its bars need with
        // the labels they start with.
        leastWidth = d->window->centralWidget()->minimumSizeHint().width();
        lib = copyLibrary(QStringLiteral("Test-10.15.7"), dir.path());
        ASSERT_FALSE(lib.isEmpty());
    }
    void TearDown() override {
        d.reset();
        setPhotosApplication(nullptr);
    }
    bool open() {
        if (!d->mainWindowController().LoadPhotosLibraryItemThreader(lib))
            return false;
        QDeadlineTimer deadline(120000);
        while (!d->library().scanComplete && !deadline.hasExpired())
            QTest::qWait(5);
        return d->library().scanComplete;
    }
    QMessageBox *visibleSheet() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    void closeSheets() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            s->close();
    }
    // The filter button names the view; the toolbar's layout places every button whole,
    // none over another, each wide enough for its text.
    void expectButtons(const char *filterImage, const QString &title) {
        EXPECT_EQ(drive(*d).find<PRButton>("showPhotoTypelibBtn")->imageName(),
                  QLatin1String(filterImage));
        EXPECT_EQ(drive(*d).find<PRButton>("showPhotoTypelibBtn")->toolTip(),
                  QStringLiteral("Show: ") + title);
        EXPECT_EQ(drive(*d).find<PRButton>("filterPhotolibBtn")->imageName(),
                  QStringLiteral("sortphotobydate.png"));
        expectToolbarInShape();
    }
    void expectToolbarInShape() {
        // The window's own default size (the offscreen screen is smaller), then its least.
        d->window->resize(1200, 750);
        d->window->show();
        drive(*d).find<QWidget>("localphotoView")->hide();
        drive(*d).find<QWidget>("photolibView")->show();
        for (const QSize size : {QSize(1200, 750), QSize(leastWidth, 500)}) {
            SCOPED_TRACE(size.width());
            d->window->resize(size);
            QApplication::sendPostedEvents();
            QList<QWidget *> bar;
            for (PRButton *b : drive(*d)
                                   .find<QWidget>("photolibView")
                                   ->findChildren<PRButton *>(Qt::FindDirectChildrenOnly))
                if (b->isVisible())
                    bar << b;
            ASSERT_GE(bar.size(), 5);
            for (QWidget *a : bar) {
                const auto *button = static_cast<PRButton *>(a);
                EXPECT_GE(a->width(), a->fontMetrics().horizontalAdvance(button->shownText()))
                    << button->shownText().toStdString();
                EXPECT_LE(a->geometry().right(), drive(*d).find<QWidget>("photolibView")->width())
                    << a->objectName().toStdString();
                for (QWidget *b : bar)
                    EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                        << a->objectName().toStdString() << " over "
                        << b->objectName().toStdString();
            }
        }
        d->window->resize(1200, 750);
        QApplication::sendPostedEvents();
    }
    QList<IKImageItemPtr> newest(const QList<IKImageItemPtr> &l) {
        return sortedLibraryItems(l, LibrarySortOrder::NewestFirst);
    }
    FakePhotosApplication photos;
    QTemporaryDir dir;
    QString lib;
    int leastWidth = 0;
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(LibraryFilters, EachFilterShowsItsListNewestFirstAndMarksTheButtons) {
    ASSERT_TRUE(open());
    const LibraryState &l = d->library();
    // Right after the load, and after a sort, the toolbar keeps its shape.
    expectToolbarInShape();
    EXPECT_EQ(drive(*d).find<PRButton>("showPhotoTypelibBtn")->text(),
              QStringLiteral("Show: All Photos and Videos"));
    // A sort first, so the filters have a sort button to reset.
    d->mainWindowController().SortAllPhotosLibraryByFileNameAction();
    expectToolbarInShape();
    const QList<IKImageItemPtr> jpegs = l.jpgPhotosItemArray;
    ASSERT_GT(jpegs.size(), 5);
    d->mainWindowController().ShowJPGPhotoBtninPhotoLibraryAction();
    EXPECT_EQ(l.photoLibBroserArray, newest(jpegs));
    EXPECT_NE(l.photoLibBroserArray, jpegs) << "the scan order is not newest first here";
    EXPECT_EQ(l.jpgPhotosItemArray, jpegs) << "the source keeps its order";
    expectButtons("showjpgphotobtn.png", QStringLiteral("JPEG Photos"));
    // The sorts now sort the JPEG list.
    d->mainWindowController().SortAllPhotosLibraryByFileSizeAction();
    EXPECT_EQ(l.photoLibBroserArray.size(), jpegs.size());

    d->mainWindowController().ShowVideosBtninPhotoLibraryAction();
    EXPECT_EQ(names(l.photoLibBroserArray).size(), 2);
    for (const IKImageItemPtr &v : l.photoLibBroserArray)
        EXPECT_EQ(v->fileType, QStringLiteral("Movie"));
    expectButtons("showvideobtn.png", QStringLiteral("Videos"));

    // Lost files come in the order the check found them, not by date.
    d->mainWindowController().ShowLostReferencePhotosinPhotoLibraryAction();
    EXPECT_EQ(l.photoLibBroserArray, l.lostReferencePhotoItemArray);
    QStringList lost = names(l.photoLibBroserArray);
    lost.sort();
    EXPECT_EQ(lost, (QStringList{"IMG_2000.JPG", "Pumpkins4.jpg"}));
    expectButtons("missreferencephoto.png",
                  QStringLiteral("Referenced Photos Whose File Is Missing"));

    d->mainWindowController().ShowAllItemsBtninPhotoLibraryAction();
    EXPECT_EQ(l.photoLibBroserArray, newest(l.backupdifPhotoLibItemArray));
    expectButtons("showallitembtn.png", QStringLiteral("All Photos and Videos"));
}

TEST_F(LibraryFilters, EveryFilterActionShowsItsOwnList) {
    ASSERT_TRUE(open());
    LibraryState &l = d->library();
    using C = MainWindowController;
    using M = QList<IKImageItemPtr> LibraryLists::*;
    const std::tuple<void (C::*)(), M, const char *> filters[] = {
        {&C::ShowAllItemsBtninPhotoLibraryAction, &LibraryLists::backupdifPhotoLibItemArray,
         "showallitembtn.png"},
        {&C::ShowLivePhotoBtninPhotoLibraryAction, &LibraryLists::livesPhotosItemArray,
         "showlivephotosbtn.png"},
        {&C::ShowJPGPhotoBtninPhotoLibraryAction, &LibraryLists::jpgPhotosItemArray,
         "showjpgphotobtn.png"},
        {&C::ShowUnDownloadediCloudPhotoLibraryAction, &LibraryLists::unDownloadPhotosItemArray,
         "icloudphotosbtn.png"},
        {&C::ShowRAWPhotoBtninPhotoLibraryAction, &LibraryLists::rawPhotosItemArray,
         "showrawphotobtn.png"},
        {&C::ShowPNGPhotoBtninPhotoLibraryAction, &LibraryLists::pngPhotosItemArray,
         "showpngphotobtn.png"},
        {&C::ShowFavortePhotoBtninPhotoLibraryAction, &LibraryLists::favPhotosItemArray,
         "favbtn.png"},
        {&C::ShowEditedPhotoBtninPhotoLibraryAction, &LibraryLists::editPhotosItemArray,
         "showedited.png"},
        {&C::ShowNoAlbumPhotoBtninPhotoLibraryAction, &LibraryLists::noAlbumPhotosItemArray,
         "photosnoablum.png"},
        {&C::ShowNoTitlePhotoBtninPhotoLibraryAction, &LibraryLists::noTitlePhotosItemArray,
         "photosnotitle.png"},
        {&C::ShowNoCaptionPhotoBtninPhotoLibraryAction, &LibraryLists::noCaptionPhotosItemArray,
         "photosnocaption.png"},
        {&C::ShowNoLocationPhotoBtninPhotoLibraryAction, &LibraryLists::noLocationPhotosItemArray,
         "photosnolocation.png"},
        {&C::ShowNoKeywordsPhotoBtninPhotoLibraryAction, &LibraryLists::noKeywordsPhotosItemArray,
         "photosnokeywords.png"},
        {&C::ShowTwentyfourHoursinPhotoLibraryAction, &LibraryLists::twentyfourhoursItemArray,
         "last24hourbtn.png"},
        {&C::ShowSevenDaysinPhotoLibraryAction, &LibraryLists::sevendaysItemArray,
         "last7daysbtn.png"},
        {&C::ShowThirtyDaysinPhotoLibraryAction, &LibraryLists::thirtydaysItemArray,
         "last30daysbtn.png"},
        {&C::ShowNineDaysinPhotoLibraryAction, &LibraryLists::ninetydaysItemArray,
         "last90daysbtn.png"},
        {&C::ShowOneYearDaysinPhotoLibraryAction, &LibraryLists::oneyearsItemArray,
         "last365daysbtn.png"},
        {&C::ShowVideosBtninPhotoLibraryAction, &LibraryLists::videosItemArray, "showvideobtn.png"},
        {&C::ShowReferencePhotosinPhotoLibraryAction, &LibraryLists::referencePhotoItemArray,
         "showreferencephotos.png"},
    };
    // Each list told apart from the others by a marker item of its own.
    for (const auto &[action, list, image] : filters) {
        auto marker = std::make_shared<IKImageItem>();
        marker->fileName = QLatin1String(image);
        (l.*list).append(marker);
    }
    for (const auto &[action, list, image] : filters) {
        (d->mainWindowController().*action)();
        EXPECT_EQ(l.photoLibBroserArray, newest(l.*list)) << image;
        EXPECT_TRUE(names(l.photoLibBroserArray).contains(QLatin1String(image))) << image;
        EXPECT_EQ(drive(*d).find<PRButton>("showPhotoTypelibBtn")->imageName(),
                  QLatin1String(image));
        // The sorts find the same list again through the button's picture.
        EXPECT_EQ(&d->mainWindowController().libraryListForFilter(
                      drive(*d).find<PRButton>("showPhotoTypelibBtn")->imageName()),
                  &(l.*list));
    }
}

TEST_F(LibraryFilters, AnAlbumFromItsMenuItemShowsNewestFirstAndKeepsScanOrder) {
    ASSERT_TRUE(open());
    const LibraryState &l = d->library();
    QAction *item = nullptr;
    for (QAction *a : drive(*d).find<QAction>("albumsFolderMenuItem")->menu()->actions())
        if (a->data().toString() == QLatin1String("Pumpkin Farm"))
            item = a;
    ASSERT_TRUE(item);
    item->trigger();
    const QList<IKImageItemPtr> album = l.albumDictionary.value(QStringLiteral("Pumpkin Farm"));
    ASSERT_EQ(album.size(), 3) << names(album).join(",").toStdString();
    EXPECT_EQ(l.currentAlbumArray, album);
    EXPECT_EQ(l.photoLibBroserArray, newest(album));
    expectButtons("showalbums.png", QStringLiteral("Pumpkin Farm"));
    // A sort afterwards sorts the album, not the whole library.
    d->mainWindowController().SortAllPhotosLibraryByFileNameAction();
    EXPECT_EQ(l.photoLibBroserArray.size(), 3);

    // A title with "&" is shown escaped and found by the item's data.
    const QList<IKImageItemPtr> kids = {album.first()};
    d->library().albumDictionary.insert(QStringLiteral("Kids & Dogs"), kids);
    d->mainWindowController().showLibraryAlbumMenu();
    QAction *amp = nullptr;
    for (QAction *a : drive(*d).find<QAction>("albumsFolderMenuItem")->menu()->actions())
        if (a->text() == QLatin1String("Kids && Dogs"))
            amp = a;
    ASSERT_TRUE(amp);
    amp->trigger();
    EXPECT_EQ(l.currentAlbumArray, kids);
    EXPECT_EQ(drive(*d).find<PRButton>("showPhotoTypelibBtn")->text(),
              QStringLiteral("Show: Kids && Dogs"));

    // A title longer than the bar has room for is shortened, whole in the tooltip.
    const QString longTitle = QStringLiteral("Summer in the Mountains with the Whole Family, 2019");
    d->library().albumDictionary.insert(longTitle, kids);
    d->mainWindowController().FilterSelectOneAlbumsAction(longTitle);
    expectButtons("showalbums.png", longTitle);
    d->window->resize(leastWidth, 500);
    QApplication::sendPostedEvents();
    EXPECT_TRUE(
        drive(*d).find<PRButton>("showPhotoTypelibBtn")->shownText().contains(QChar(0x2026)));
    // The bar asks for no more than the window's least width gives it.
    EXPECT_LE(drive(*d).find<QWidget>("photolibView")->layout()->minimumSize().width(),
              drive(*d).find<QWidget>("photolibView")->width());

    // An album title the last scan does not know changes nothing.
    const QList<IKImageItemPtr> shown = l.photoLibBroserArray;
    d->mainWindowController().FilterSelectOneAlbumsAction(QStringLiteral("No Such Album"));
    EXPECT_EQ(l.photoLibBroserArray, shown);
    EXPECT_EQ(l.currentAlbumArray, kids);
}

TEST_F(LibraryFilters, SelectionsKeepTheFilterAndSameNamesComeGroupedByName) {
    ASSERT_TRUE(open());
    const LibraryState &l = d->library();
    d->mainWindowController().ShowVideosBtninPhotoLibraryAction();
    d->mainWindowController().SelectAllissuesPhotosAction();
    EXPECT_EQ(l.photoLibBroserArray, l.difPhotoLibItemArray);
    EXPECT_EQ(drive(*d).find<PRButton>("showPhotoTypelibBtn")->imageName(),
              QStringLiteral("showvideobtn.png"));
    EXPECT_EQ(drive(*d).find<PRButton>("filterPhotolibBtn")->imageName(),
              QStringLiteral("allincorrectphotos.png"));
    expectToolbarInShape();
    // The sort still sorts the videos.
    d->mainWindowController().SortAllPhotosLibraryByDateAction();
    EXPECT_EQ(l.photoLibBroserArray, newest(l.videosItemArray));

    d->mainWindowController().SelectAllPhotosLibraryAction();
    EXPECT_EQ(l.photoLibBroserArray, l.backupdifPhotoLibItemArray);
    EXPECT_EQ(drive(*d).find<PRButton>("filterPhotolibBtn")->imageName(),
              QStringLiteral("allphotoinphotolib.png"));

    d->mainWindowController().FindSameFileNameinPhotoLibraryAction();
    QStringList groups = names(l.photoLibBroserArray);
    groups.removeDuplicates();
    QStringList composed = groups;
    for (QString &name : composed)
        name = name.normalized(QString::NormalizationForm_C);
    // The library spells Frítest decomposed.
    EXPECT_EQ(composed, (QStringList{"[2020-08-29] AAF035.jpg", "Frítest.jpg", "winebottle.jpeg"}));
    // Each group whole and contiguous, in its stored order.
    for (const QString &name : groups) {
        const QList<IKImageItemPtr> group = l.nameDictionary.value(name);
        const qsizetype at = l.photoLibBroserArray.indexOf(group.first());
        EXPECT_EQ(l.photoLibBroserArray.mid(at, group.size()), group) << name.toStdString();
    }
    expectButtons("samephotoname.png", QStringLiteral("Photos with the Same File Name"));
}

TEST_F(LibraryFilters, CustomRangeOverThePickers) {
    ASSERT_TRUE(open());
    const LibraryState &l = d->library();
    d->mainWindowController().ensureDateRangePickers();
    ASSERT_TRUE(drive(*d).find<QDateTimeEdit>("startDatePicker") &&
                drive(*d).find<QDateTimeEdit>("endDatePicker"));
    // The title is not cut: room for it, bold, beside a title bar's buttons.
    QFont bold = drive(*d).find<QWidget>("dateRangeWindow")->font();
    bold.setBold(true);
    EXPECT_GE(std::max(drive(*d).find<QWidget>("dateRangeWindow")->sizeHint().width(),
                       drive(*d).find<QWidget>("dateRangeWindow")->minimumWidth()),
              QFontMetrics(bold).horizontalAdvance("Custom Date Range") + 150);
    // One photo dated in the future, one with a dashed date text.
    const IKImageItemPtr future = l.backupdifPhotoLibItemArray.at(0);
    const IKImageItemPtr dashed = l.backupdifPhotoLibItemArray.at(1);
    const QDateTime now = QDateTime::currentDateTime();
    future->photoLibFileNode->createDate.setText(
        now.addDays(2).toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")));
    dashed->photoLibFileNode->createDate.setText(QStringLiteral("1999-07-01 10:00:00"));

    drive(*d).find<QDateTimeEdit>("startDatePicker")->setDateTime(now.addDays(1));
    drive(*d).find<QDateTimeEdit>("endDatePicker")->setDateTime(now.addDays(3));
    d->mainWindowController().ShowCustomRangePhotoLibraryAction();
    EXPECT_EQ(l.photoLibBroserArray, (QList<IKImageItemPtr>{future}));
    EXPECT_EQ(l.currentAlbumArray, (QList<IKImageItemPtr>{future}));
    expectButtons("daterangebtn.png", QStringLiteral("Custom Date Range"));

    // Both ends are included.
    const QDateTime ten(QDate(1999, 7, 1), QTime(10, 0));
    drive(*d).find<QDateTimeEdit>("startDatePicker")->setDateTime(ten);
    drive(*d).find<QDateTimeEdit>("endDatePicker")->setDateTime(ten);
    d->mainWindowController().ShowCustomRangePhotoLibraryAction();
    EXPECT_EQ(l.photoLibBroserArray, (QList<IKImageItemPtr>{dashed}));

    drive(*d).find<QDateTimeEdit>("startDatePicker")->setDateTime(now.addDays(3));
    drive(*d).find<QDateTimeEdit>("endDatePicker")->setDateTime(now.addDays(1));
    d->mainWindowController().ShowCustomRangePhotoLibraryAction();
    EXPECT_TRUE(l.photoLibBroserArray.isEmpty());
    EXPECT_TRUE(l.currentAlbumArray.isEmpty());

    // Every dated photo of the library lies between 1990 and the day after tomorrow, in
    // scan order behind the view.
    drive(*d)
        .find<QDateTimeEdit>("startDatePicker")
        ->setDateTime(QDateTime(QDate(1990, 1, 1), QTime(0, 0)));
    drive(*d).find<QDateTimeEdit>("endDatePicker")->setDateTime(now.addDays(3));
    d->mainWindowController().ShowCustomRangePhotoLibraryAction();
    EXPECT_EQ(l.photoLibBroserArray, newest(l.currentAlbumArray));
    EXPECT_GE(l.currentAlbumArray.size(), l.backupdifPhotoLibItemArray.size() - 2);
    for (qsizetype i = 1; i < l.currentAlbumArray.size(); ++i)
        EXPECT_LT(l.backupdifPhotoLibItemArray.indexOf(l.currentAlbumArray.at(i - 1)),
                  l.backupdifPhotoLibItemArray.indexOf(l.currentAlbumArray.at(i)));
}

TEST_F(LibraryFilters, WhileALoadRunsEveryViewSaysTheScanIsNotComplete) {
    ASSERT_TRUE(d->mainWindowController().LoadPhotosLibraryItemThreader(lib));
    for (void (MainWindowController::*action)() :
         {&MainWindowController::ShowJPGPhotoBtninPhotoLibraryAction,
          &MainWindowController::SelectAllissuesPhotosAction,
          &MainWindowController::SelectSamePhotosNameAction,
          &MainWindowController::ShowCustomRangePhotoLibraryAction}) {
        (d->mainWindowController().*action)();
        QMessageBox *sheet = visibleSheet();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->text(), QStringLiteral("The Scan is not completed."));
        EXPECT_EQ(sheet->informativeText(),
                  QStringLiteral("Please wait a while to complete the scan."));
        closeSheets();
    }
    d->mainWindowController().FilterSelectOneAlbumsAction(QStringLiteral("Pumpkin Farm"));
    EXPECT_TRUE(visibleSheet());
    closeSheets();
    EXPECT_TRUE(d->library().currentAlbumArray.isEmpty());
    QDeadlineTimer deadline(120000);
    while (!d->library().scanComplete && !deadline.hasExpired())
        QTest::qWait(5);
    ASSERT_TRUE(d->library().scanComplete);
}
