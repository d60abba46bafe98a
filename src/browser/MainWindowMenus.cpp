// The main window's own menu items: the local list's imports, sorts and removals, the
// library browser's sorts, selections and filters, the opening of a library and Help.
#include "app/AppServices.h"
#include "app/Jobs.h"
#include "browser/MainWindowController.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace {
using Action = void (MainWindowController::*)();
} // namespace

QAction *MainWindowController::addItem(QMenu *menu, const QString &title,
                                       void (MainWindowController::*action)(),
                                       const QKeySequence &shortcut, const char *name) {
    QAction *item = app.jobs().addMenuItem(menu, title, [this, action] { (this->*action)(); });
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    if (name)
        item->setObjectName(QLatin1String(name));
    return item;
}

void MainWindowController::addFileItems(QMenu *file) {
    addItem(file, tr("Add Photos…"), &MainWindowController::OpenComputerFoldertoImportAction,
            QKeySequence::Open, "addPhotosMenuItem");
    addItem(file, tr("Add Photos or Folders…"), &MainWindowController::ClickImportPhotosAction,
            QKeySequence(QStringLiteral("Ctrl+Shift+O")), "addFoldersMenuItem");
    addItem(file, tr("Clear and Add Photos…"),
            &MainWindowController::ClickClearandImportPhotosAction);
    file->addSeparator();
    openPhotoLibraryMenuItem =
        addItem(file, tr("Open Photo Library…"), &MainWindowController::OpenPhotoLibraryAction,
                QKeySequence(QStringLiteral("Ctrl+Shift+L")), "openPhotoLibraryMenuItem");
}

void MainWindowController::addImportItems(QMenu *menu) {
    addItem(menu, tr("Add Photos or Folders…"), &MainWindowController::ClickImportPhotosAction);
    addItem(menu, tr("Add Photo Files…"), &MainWindowController::OpenComputerFoldertoImportAction);
    addItem(menu, tr("Clear and Add Photos…"),
            &MainWindowController::ClickClearandImportPhotosAction);
}

void MainWindowController::addLocalSortItems(QMenu *menu) {
    addItem(menu, tr("Sort by Date"), &MainWindowController::ClickSortLocalPhotosByDate);
    addItem(menu, tr("Sort by File Name"), &MainWindowController::ClickSortLocalPhotosByName);
}

QAction *MainWindowController::addLocalRemoveItems(QMenu *menu) {
    QAction *removeSelected = addItem(menu, tr("Remove Selected Photos from List"),
                                      &MainWindowController::ClearSelectedLeftPhotos);
    addItem(menu, tr("Remove Photos without a Date from List"),
            &MainWindowController::ClearLeftPhotosWithoutExifDate);
    addItem(menu, tr("Remove All Photos from List"), &MainWindowController::ClearLeftPhotos);
    return removeSelected;
}

void MainWindowController::addLocalListItems(QMenu *actions) {
    addLocalSortItems(actions);
    QAction *removeSelected = addLocalRemoveItems(actions);
    removeSelected->setShortcut(QKeySequence::Delete);
    removeSelected->setObjectName(QStringLiteral("removeSelectedMenuItem"));
    // Del takes photos off the local list only while that list is where the user works, so
    // the key never reaches a list that is out of sight; the menu item works everywhere.
    if (localphotoView) {
        removeSelected->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        localphotoView->addAction(removeSelected);
    }
}

void MainWindowController::addLocalListPopupItems(QMenu *menu) {
    addLocalSortItems(menu);
    menu->addSeparator();
    addLocalRemoveItems(menu);
}

void MainWindowController::addShowMapItem(QMenu *menu) {
    addItem(menu, tr("Show Map"), &MainWindowController::ShowMapAction);
}

void MainWindowController::addHelpItems(QMenu *help) {
    addItem(help, tr("Photo Kestry Guide"), &MainWindowController::CLICkProductGuide);
    addItem(help, tr("Video Guides"), &MainWindowController::ClickProductVideoGuide);
    addItem(help, tr("Support"), &MainWindowController::CLICkSupport);
    help->addSeparator();
    addItem(help, tr("Check for Updates…"), &MainWindowController::CheckforUpdateAction, {},
            "CheckforUpdateAction");
    help->addSeparator();
    QAction *about = addItem(help, tr("About Photo Kestry"), &MainWindowController::ClickAbout, {},
                             "aboutMenuItem");
    about->setMenuRole(QAction::AboutRole);
}

void MainWindowController::addSortAndSelectItems(QMenu *menu) {
    addItem(menu, tr("Sort by Date (Newest First)"),
            &MainWindowController::SortAllPhotosLibraryByDateAction);
    addItem(menu, tr("Sort by Date (Oldest First)"),
            &MainWindowController::SortAllPhotosLibraryByOldToNewDateAction);
    addItem(menu, tr("Sort by Title"), &MainWindowController::SortAllPhotosLibraryByTitleAction);
    addItem(menu, tr("Sort by File Name"),
            &MainWindowController::SortAllPhotosLibraryByFileNameAction);
    addItem(menu, tr("Sort by File Size"),
            &MainWindowController::SortAllPhotosLibraryByFileSizeAction);
    menu->addSeparator();
    addItem(menu, tr("All Photos"), &MainWindowController::SelectAllPhotosLibraryAction);
    addItem(menu, tr("All Photos with Differing Metadata"),
            &MainWindowController::SelectAllissuesPhotosAction);
    addItem(menu, tr("Photos with the Same File Name"),
            &MainWindowController::SelectSamePhotosNameAction);
}

void MainWindowController::addFilterItems(QMenu *menu) {
    using C = MainWindowController;
    const std::pair<const char *, Action> filters[] = {
        {QT_TR_NOOP("All Photos and Videos"), &C::ShowAllItemsBtninPhotoLibraryAction},
        {QT_TR_NOOP("Live Photos"), &C::ShowLivePhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("JPEG Photos"), &C::ShowJPGPhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("RAW Photos"), &C::ShowRAWPhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("PNG Photos"), &C::ShowPNGPhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("Videos"), &C::ShowVideosBtninPhotoLibraryAction},
        {QT_TR_NOOP("Favorites"), &C::ShowFavortePhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("Edited Photos"), &C::ShowEditedPhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("Not Downloaded from iCloud"), &C::ShowUnDownloadediCloudPhotoLibraryAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Without Title"), &C::ShowNoTitlePhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("Without Caption"), &C::ShowNoCaptionPhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("Without Keywords"), &C::ShowNoKeywordsPhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("Without Location"), &C::ShowNoLocationPhotoBtninPhotoLibraryAction},
        {QT_TR_NOOP("In No Album"), &C::ShowNoAlbumPhotoBtninPhotoLibraryAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Last 24 Hours"), &C::ShowTwentyfourHoursinPhotoLibraryAction},
        {QT_TR_NOOP("Last 7 Days"), &C::ShowSevenDaysinPhotoLibraryAction},
        {QT_TR_NOOP("Last 30 Days"), &C::ShowThirtyDaysinPhotoLibraryAction},
        {QT_TR_NOOP("Last 90 Days"), &C::ShowNineDaysinPhotoLibraryAction},
        {QT_TR_NOOP("Last 365 Days"), &C::ShowOneYearDaysinPhotoLibraryAction},
        {QT_TR_NOOP("Custom Date Range…"), &C::ShowCustomRangeWindow},
        {nullptr, nullptr},
        {QT_TR_NOOP("Referenced Photos"), &C::ShowReferencePhotosinPhotoLibraryAction},
        {QT_TR_NOOP("Referenced Photos Whose File Is Missing"),
         &C::ShowLostReferencePhotosinPhotoLibraryAction},
    };
    for (const auto &[title, action] : filters) {
        if (title)
            addItem(menu, tr(title), action);
        else
            menu->addSeparator();
    }
    menu->addSeparator();
    // Its submenu is built at the end of each library load.
    albumsFolderMenuItem = menu->addAction(tr("Albums"));
    albumsFolderMenuItem->setObjectName(QStringLiteral("albumsFolderMenuItem"));
    albumsFolderMenuItem->setEnabled(false);
}

namespace {
QMenu *newMenu(QWidget *owner, const char *name, const QString &title = {}) {
    auto *menu = new QMenu(title, owner);
    menu->setObjectName(QLatin1String(name));
    return menu;
}
} // namespace

void MainWindowController::buildLocalPopupMenus(QWidget *owner) {
    importPhotoMenu = newMenu(owner, "importPhotoMenu");
    addImportItems(importPhotoMenu);
    sortLocalPhotoMenu = newMenu(owner, "sortLocalPhotoMenu");
    addLocalListPopupItems(sortLocalPhotoMenu);
    editExifMenu = newMenu(owner, "editExifMenu");
}

void MainWindowController::buildLibraryPopupMenus(QWidget *owner) {
    issuePhotoMenu = newMenu(owner, "issuePhotoMenu");
    showPhotoTypeMenu = newMenu(owner, "showPhotoTypeMenu");
    addSortAndSelectItems(issuePhotoMenu);
    addFilterItems(showPhotoTypeMenu);
    PhotolibQuickMenu = newMenu(owner, "PhotolibQuickMenu", tr("Library Actions"));
    PhotolibEditExifMenu = newMenu(owner, "PhotolibEditExifMenu");
}

void MainWindowController::buildMetadataSubmenus(QWidget *owner) {
    removeExifMenu = newMenu(owner, "removeExifMenu", tr("Remove Metadata"));
    importandExportMenu = newMenu(owner, "importandExportMenu", tr("Import and Export Metadata"));
}

void MainWindowController::addMetadataSubmenuItems(QMenu *actions) {
    quickActionMenu = actions->addAction(tr("Remove Metadata"));
    quickActionMenu->setObjectName(QStringLiteral("quickActionMenu"));
    quickActionMenu->setMenu(removeExifMenu);
    exportandimportActionMenu = actions->addAction(tr("Import and Export Metadata"));
    exportandimportActionMenu->setObjectName(QStringLiteral("exportandimportActionMenu"));
    exportandimportActionMenu->setMenu(importandExportMenu);
}

void MainWindowController::restoreMetadataSubmenus() {
    if (quickActionMenu && removeExifMenu)
        quickActionMenu->setMenu(removeExifMenu);
    if (exportandimportActionMenu && importandExportMenu) {
        exportandimportActionMenu->setMenu(importandExportMenu);
        exportandimportActionMenu->setVisible(true);
    }
}

void MainWindowController::addDevicesItems(QMenu *devices) {
    changtoiOSmodemenu = devices->addAction(tr("Show iOS Devices"));
    changtoiOSmodemenu->setObjectName(QStringLiteral("changtoiOSmodemenu"));
}
