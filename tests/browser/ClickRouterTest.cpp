#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/PRButton.h"
#include "browser/core/LibraryLocation.h"
#include "browser/core/LocalImport.h"
#include "metadata/EditSheet.h"
#include "platform/MapView.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class ClickRouter : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        QDir(testHome()).removeRecursively();
        QDir().mkpath(testHome());
        Workspace::setUrlOpener([this](const QUrl &url) {
            opened << url;
            return true;
        });
        d = std::make_unique<AppDelegate>();
        d->launch();
        opened.clear();
    }
    void TearDown() override {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *menu = qobject_cast<QMenu *>(w))
                menu->hide();
        d.reset();
        Workspace::setUrlOpener({});
    }
    QMessageBox *openSheet() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    // A button of the main window, by its name.
    PRButton *button(const char *name) { return drive(*d).find<PRButton>(QLatin1String(name)); }
    QMenu *menu(const char *name) { return drive(*d).find<QMenu>(QLatin1String(name)); }
    QWidget *view(const char *name) { return drive(*d).find(QLatin1String(name)); }
    // The menu the menu bar's Actions offers for the mode's quick actions.
    QMenu *quickActions() {
        auto *item = drive(*d).find<QAction>(QStringLiteral("quickActionMenu"));
        return item ? item->menu() : nullptr;
    }
    // The file dialog the main window has open, if any.
    QFileDialog *openPanel() { return d->window->findChild<QFileDialog *>(); }
    PKMapView *localMap() {
        return drive(*d).find<PKMapView>(QStringLiteral("currentlocalMapView"));
    }
    // The window's close button; its name follows the picture it shows.
    PRClosedButton *closeButton() { return d->window->findChild<PRClosedButton *>(); }
    void click(QObject *button) {
        NotificationCenter::defaultCenter().postNotificationName(
            QStringLiteral("MybuttonMouseDown"), button);
    }
    std::unique_ptr<AppDelegate> d;
    QList<QUrl> opened;
};
} // namespace

TEST_F(ClickRouter, ButtonsPopTheirMenusAndUnknownButtonsDoNothing) {
    d->window->show();
    click(button("importPhotobtn"));
    EXPECT_TRUE(menu("importPhotoMenu")->isVisible());
    menu("importPhotoMenu")->hide();
    click(button("sortLocalPhotoBtn"));
    EXPECT_TRUE(menu("sortLocalPhotoMenu")->isVisible());
    menu("sortLocalPhotoMenu")->hide();

    PRButton stranger(QStringLiteral("?"));
    const bool modeBefore = d->mainWindowController().localMode();
    click(&stranger);
    for (QMenu *m : {menu("importPhotoMenu"), menu("sortLocalPhotoMenu"), menu("editExifMenu"),
                     menu("removeExifMenu")})
        EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(d->mainWindowController().localMode(), modeBefore);

    // The real mouse press reaches the router through the notification.
    QTest::mousePress(button("importPhotobtn"), Qt::LeftButton);
    EXPECT_TRUE(menu("importPhotoMenu")->isVisible());
    menu("importPhotoMenu")->hide();

    // Tab walks through the bar's buttons, the one in hand drawn with its focus, and Space
    // presses it as the mouse does.
    d->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d->window));
    for (int i = 0; i < 60 && QApplication::focusWidget() != button("importPhotobtn"); ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : d->window,
                        Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), button("importPhotobtn"));
    QTest::keyClick(button("importPhotobtn"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button("localeditexifBtn"));
    QTest::keyClick(button("localeditexifBtn"), Qt::Key_Backtab);
    QStyleOptionButton option;
    option.initFrom(button("importPhotobtn"));
    EXPECT_TRUE(option.state & QStyle::State_HasFocus);
    EXPECT_TRUE(option.state & QStyle::State_KeyboardFocusChange);
    QTest::keyClick(button("importPhotobtn"), Qt::Key_Space);
    EXPECT_TRUE(menu("importPhotoMenu")->isVisible());
}

TEST_F(ClickRouter, LibraryModeWithoutDefaultLibraryOpensThePanelEachTime) {
    d->window->show();
    // The menu bar's Actions lists what the mode works on: Image Output for the local list,
    // the library browser's menus in library mode.
    auto shownActions = [&] {
        QStringList out;
        for (QAction *a : d->window->findChild<QMenu *>("actionsMenu")->actions())
            if (a->isVisible() && !a->isSeparator())
                out << a->text();
        return out;
    };
    EXPECT_TRUE(shownActions().contains("Image Output"));
    EXPECT_FALSE(shownActions().contains("Sort and Select"));
    click(button("cameraphotoBtn"));
    const QStringList library = shownActions();
    EXPECT_EQ(library, (QStringList{"Sort and Select", "Show", "Edit Library Metadata",
                                    "Library Actions", "Batch"}));
    EXPECT_FALSE(d->mainWindowController().localMode());
    EXPECT_TRUE(view("photolibView")->isVisibleTo(d->window));
    EXPECT_FALSE(view("localphotoView")->isVisibleTo(d->window));
    EXPECT_EQ(button("cameraphotoBtn")->imageName(), "cameraphotodown.png");
    EXPECT_EQ(button("localphotoBtn")->imageName(), "localphotonom.png");
    EXPECT_EQ(quickActions(), menu("PhotolibQuickMenu"));
    ASSERT_TRUE(openPanel());
    EXPECT_EQ(openPanel()->windowTitle(), "Please select Photos Library to open.");
    EXPECT_EQ(QDir(openPanel()->directory()).absolutePath(),
              QDir(testHome() + "/Pictures").absolutePath());
    openPanel()->reject();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(openPanel());

    click(button("photolibcameraphotoBtn"));
    ASSERT_TRUE(openPanel());
    openPanel()->reject();

    click(button("photoliblocalphotoBtn"));
    EXPECT_TRUE(d->mainWindowController().localMode());
    EXPECT_TRUE(view("localphotoView")->isVisibleTo(d->window));
    EXPECT_EQ(quickActions(), menu("removeExifMenu"));
    EXPECT_TRUE(shownActions().contains("Remove Metadata"));
    EXPECT_TRUE(shownActions().contains("Image Output"));
    EXPECT_EQ(button("localphotoBtn")->imageName(), "localphotodown.png");
    // An empty list shows the drop pane.
    EXPECT_TRUE(drive(*d).find("leftTipView")->isVisibleTo(d->window));
    EXPECT_FALSE(drive(*d).find("leftphotoScrView")->isVisibleTo(d->window));
}

TEST_F(ClickRouter, LibraryModeDuringAScanOrAfterOneOnlySwapsTheView) {
    d->window->show();
    d->library().scanPhotoLibStart = true;
    click(button("cameraphotoBtn"));
    EXPECT_TRUE(d->mainWindowController().localMode()); // untouched while the scan runs
    EXPECT_EQ(quickActions(), menu("removeExifMenu"));
    EXPECT_TRUE(view("photolibView")->isVisibleTo(d->window));
    EXPECT_FALSE(openPanel());

    d->library().scanPhotoLibStart = false;
    d->library().scanComplete = true;
    click(button("cameraphotoBtn"));
    EXPECT_FALSE(d->mainWindowController().localMode());
    EXPECT_FALSE(openPanel()); // a loaded library is not scanned again
}

TEST(LibraryLocation, CandidatesAreTriedInOrder) {
    QTemporaryDir home;
    DefaultPhotoLibrary none = findDefaultPhotoLibrary(home.path());
    EXPECT_FALSE(none.exists);
    EXPECT_TRUE(none.path.endsWith("/Pictures/iPhoto Library.photolibrary"));

    QDir(home.path()).mkpath("Pictures/iPhoto Library.photolibrary");
    DefaultPhotoLibrary iphoto = findDefaultPhotoLibrary(home.path());
    EXPECT_TRUE(iphoto.exists);
    EXPECT_TRUE(iphoto.path.endsWith("iPhoto Library.photolibrary"));
    // An empty package lists nothing: it cannot be a library we may read.
    EXPECT_FALSE(canListLibraryPackage(iphoto.path));
    QFile(iphoto.path + "/AlbumData.xml").open(QIODevice::WriteOnly);
    EXPECT_TRUE(canListLibraryPackage(iphoto.path));

    QDir(home.path()).mkpath("Pictures/Photos Library.photoslibrary");
    EXPECT_TRUE(findDefaultPhotoLibrary(home.path()).path.endsWith("Photos Library.photoslibrary"));
}

TEST_F(ClickRouter, ExitConfirmationCancelKeepsTheProgramRunning) {
    d->window->show();
    QObject other;
    d->mainWindowController().MyClosebuttonMouseDownHandle(&other);
    EXPECT_EQ(openSheet(), nullptr);
    d->mainWindowController().MyClosebuttonMouseDownHandle(closeButton());
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Are you sure you want to Exit ?");
    ASSERT_EQ(sheet->buttons().size(), 2);
    QAbstractButton *cancel = nullptr;
    for (QAbstractButton *b : sheet->buttons())
        if (b->text() == "Cancel")
            cancel = b;
    ASSERT_TRUE(cancel);
    cancel->click();
    EXPECT_TRUE(d->window->isVisible());
    EXPECT_EQ(closeButton()->property("imageName").toString(), "Close_Nom.png");
}

TEST_F(ClickRouter, AboutAndWebPages) {
    QWidget *about = view("aboutWindow");
    ASSERT_TRUE(about);
    EXPECT_FALSE(about->isVisible());
    d->mainWindowController().ClickAbout();
    ASSERT_TRUE(about->isVisible());
    // In the middle of the screen, and Esc closes it.
    const QRect area = d->window->screen()->availableGeometry();
    EXPECT_LE((about->geometry().center() - area.center()).manhattanLength(), 2)
        << about->geometry().center().x() << "," << about->geometry().center().y();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_FALSE(about->isVisible());
    d->mainWindowController().ClickAbout();
    EXPECT_TRUE(about->isVisible());
    d->mainWindowController().CLICkProductGuide();
    d->mainWindowController().ClickProductVideoGuide();
    d->mainWindowController().CLICkSupport();
    ASSERT_EQ(opened.size(), 3);
    EXPECT_TRUE(opened[0].toString().endsWith("guide.html"));
    EXPECT_TRUE(opened[2].toString().endsWith("support.html"));
    EXPECT_NE(opened[0], opened[1]);
}

TEST_F(ClickRouter, MapWindowAndDoubleClick) {
    d->window->show();
    // Nothing is selected yet: no position to show.
    EXPECT_FALSE(localMap()->hasPin());
    d->mainWindowController().ShowMapAction();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "No GPS Data");
    EXPECT_EQ(sheet->informativeText(), "This photo does not contain GPS information.");
    sheet->buttons().first()->click();
    EXPECT_FALSE(drive(*d).find<QWidget>("mapWindow")->isVisible());

    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    d->mainWindowController().appendLocalItem(makeLocalItem(park));
    d->mainWindowController().LoadImportedPhotsonMainThread();
    drive(*d).selectRows("localImageBrowserView", {0});
    ASSERT_TRUE(localMap()->hasPin());
    ASSERT_FALSE(localMap()->isHidden());
    d->mainWindowController().ShowMapAction();
    d->mainWindowController().ShowMapAction();
    EXPECT_TRUE(drive(*d).find<QWidget>("mapWindow")->isVisible());
    EXPECT_NEAR(drive(*d).find<PKMapView>("currentMapView")->centerLatitude(), 51.503572, 1e-5);
    EXPECT_EQ(drive(*d).find<PKMapView>("currentMapView")->annotationCount(),
              2); // earlier pins stay

    EXPECT_EQ(d->numberOfItemsInImageBrowser(drive(*d).find<QListView>("localImageBrowserView")),
              1);
    EXPECT_EQ(d->numberOfItemsInImageBrowser(nullptr), 0);
    EXPECT_EQ(d->imageBrowser(drive(*d).find<QListView>("localImageBrowserView"), 5), nullptr);
    // A double-click in the browser opens the photo.
    auto *browser = drive(*d).find<QListView>("localImageBrowserView");
    emit browser->doubleClicked(browser->model()->index(0, 0));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toLocalFile(), park);
    d->imageBrowser(drive(*d).find<QListView>("imageBrowserView"),
                    AppDelegate::CellWasDoubleClicked{}, 0);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(ClickRouter, EditButtonOpensTheSheetOnTheSelectedPhotosValues) {
    d->window->show();
    QTemporaryDir dir;
    const QString park = copyFixture("St James Park.jpg", dir.path());
    d->mainWindowController().appendLocalItem(makeLocalItem(park));
    d->mainWindowController().LoadImportedPhotsonMainThread();
    drive(*d).selectRows("localImageBrowserView", {0});
    // The selection fills the sheet's fields from the remembered values.
    EXPECT_EQ(drive(*d).findIn<QLineEdit>("eidtMetaWindow", "cameraModelab")->text(),
              "NIKON D7000");
    click(button("localeditexifBtn"));
    auto *sheet = d->window->findChild<QWidget *>("eidtMetaWindow");
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(button("localeditexifBtn")->imageName(), "editexifnom.png");
    drive(*d).editSheet().HideEditViewAction();
}
