// The pop-up menus of the views' image buttons.
// A menu item runs its feature's action; the buttons only pop the menus (click router).
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "batch/core/StampLayout.h"
#include "browser/MainWindowController.h"
#include "export/DuplicateWindow.h"
#include "export/MergeWindow.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryPanels.h"
#include "library/LibraryWindows.h"
#include "metadata/DateWindows.h"
#include "metadata/JobTitles.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

namespace {
QMenu *newMenu(QWidget *owner, const char *name, const QString &title = {}) {
    auto *menu = new QMenu(title, owner);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void addItem(AppDelegate &d, QMenu *menu, const QString &title, void (AppDelegate::*action)()) {
    addMenuItem(d, menu, title, action);
}
} // namespace

void buildPopupMenus(AppDelegate &d) {
    QWidget *owner = d.window;

    d.mainWindowController().importPhotoMenu = newMenu(owner, "importPhotoMenu");
    addItem(d, d.mainWindowController().importPhotoMenu, AppDelegate::tr("Add Photos or Folders…"),
            &AppDelegate::forward<&MainWindowController::ClickImportPhotosAction>);
    addItem(d, d.mainWindowController().importPhotoMenu, AppDelegate::tr("Add Photo Files…"),
            &AppDelegate::forward<&MainWindowController::OpenComputerFoldertoImportAction>);
    addItem(d, d.mainWindowController().importPhotoMenu, AppDelegate::tr("Clear and Add Photos…"),
            &AppDelegate::forward<&MainWindowController::ClickClearandImportPhotosAction>);

    d.mainWindowController().sortLocalPhotoMenu = newMenu(owner, "sortLocalPhotoMenu");
    addItem(d, d.mainWindowController().sortLocalPhotoMenu, AppDelegate::tr("Sort by Date"),
            &AppDelegate::forward<&MainWindowController::ClickSortLocalPhotosByDate>);
    addItem(d, d.mainWindowController().sortLocalPhotoMenu, AppDelegate::tr("Sort by File Name"),
            &AppDelegate::forward<&MainWindowController::ClickSortLocalPhotosByName>);
    d.mainWindowController().sortLocalPhotoMenu->addSeparator();
    addItem(d, d.mainWindowController().sortLocalPhotoMenu,
            AppDelegate::tr("Remove Selected Photos from List"),
            &AppDelegate::forward<&MainWindowController::ClearSelectedLeftPhotos>);
    addItem(d, d.mainWindowController().sortLocalPhotoMenu,
            AppDelegate::tr("Remove Photos without a Date from List"),
            &AppDelegate::forward<&MainWindowController::ClearLeftPhotosWithoutExifDate>);
    addItem(d, d.mainWindowController().sortLocalPhotoMenu,
            AppDelegate::tr("Remove All Photos from List"),
            &AppDelegate::forward<&MainWindowController::ClearLeftPhotos>);

    // The editing features of local photos.
    d.mainWindowController().editExifMenu = newMenu(owner, "editExifMenu");
    addItem(d, d.mainWindowController().editExifMenu, AppDelegate::tr("Edit Photo Metadata…"),
            &AppDelegate::forward<&EditSheetPart::ClickEditPhotoExifDataMenuAction>);
    addItem(d, d.mainWindowController().editExifMenu, AppDelegate::tr("Edit GPS Position…"),
            &AppDelegate::forward<&GpsWindowPart::EditeGPSExifDataPhoto>);
    addItem(d, d.mainWindowController().editExifMenu, AppDelegate::tr("Add GPS Position…"),
            &AppDelegate::forward<&GpsWindowPart::AddGPSExifDataPhoto>);
    addItem(d, d.mainWindowController().editExifMenu, AppDelegate::tr("Show Map"),
            &AppDelegate::forward<&MainWindowController::ShowMapAction>);
    addItem(d, d.mainWindowController().editExifMenu,
            AppDelegate::tr("Change Lens Make and Model…"),
            &AppDelegate::forward<&LensWindowPart::ShowCameLensModel>);
    // The dates and tag copies of the main menu, as submenus here too.
    if (d.window) {
        d.mainWindowController().editExifMenu->addSeparator();
        for (const char *name : {"changePhotoDateMenu", "copyTagsMenu"})
            if (auto *sub = d.window->findChild<QMenu *>(QLatin1String(name)))
                d.mainWindowController().editExifMenu->addMenu(sub);
    }

    // Image output: recompression, resizing, conversion and stamps, a submenu of the
    // local edit menu. The recompression and resize items pass their own titles.
    d.imageOutput.imageOutputMenu =
        newMenu(owner, "imageOutputMenu", AppDelegate::tr("Image Output"));
    {
        QMenu *compress =
            d.imageOutput.imageOutputMenu->addMenu(AppDelegate::tr("Recompress Photos"));
        compress->setObjectName(QStringLiteral("compressPhotoMenu"));
        for (const char *title : {"20%", "40%", "80%"})
            addMenuItem(d, compress, QLatin1String(title), [&d, title] {
                d.imageOutput.CompressPhotosWithOptions(QLatin1String(title));
            });
        QMenu *resize = d.imageOutput.imageOutputMenu->addMenu(AppDelegate::tr("Resize Photos"));
        resize->setObjectName(QStringLiteral("resizePhotoMenu"));
        for (const QString &title : resizeTitles())
            addMenuItem(d, resize, title,
                        [&d, title] { d.imageOutput.ResizePhotosWithOptions(title); });
        addItem(d, d.imageOutput.imageOutputMenu, AppDelegate::tr("Convert HEIC to JPEG"),
                &AppDelegate::forward<&ImageOutputPart::ClickConvertHEICtoJPEGAction>);
        d.imageOutput.imageOutputMenu->addSeparator();
        addItem(d, d.imageOutput.imageOutputMenu, AppDelegate::tr("Add Date Stamp"),
                &AppDelegate::forward<&ImageOutputPart::AddDateStampsOnPhotoAction>);
        addItem(d, d.imageOutput.imageOutputMenu, AppDelegate::tr("Add Copyright Stamp"),
                &AppDelegate::forward<&ImageOutputPart::AddCopyrightOnPhotoAction>);
        addItem(d, d.imageOutput.imageOutputMenu, AppDelegate::tr("Add Place Stamp"),
                &AppDelegate::forward<&ImageOutputPart::AddLocationPlaceOnPhotoAction>);
        d.mainWindowController().editExifMenu->addSeparator();
        d.mainWindowController().editExifMenu->addMenu(d.imageOutput.imageOutputMenu);
    }

    // The library's menus; their items come with the library features.
    d.mainWindowController().issuePhotoMenu = newMenu(owner, "issuePhotoMenu");
    d.mainWindowController().showPhotoTypeMenu = newMenu(owner, "showPhotoTypeMenu");
    addItem(d, d.mainWindowController().issuePhotoMenu,
            AppDelegate::tr("Sort by Date (Newest First)"),
            &AppDelegate::forward<&MainWindowController::SortAllPhotosLibraryByDateAction>);
    addItem(d, d.mainWindowController().issuePhotoMenu,
            AppDelegate::tr("Sort by Date (Oldest First)"),
            &AppDelegate::forward<&MainWindowController::SortAllPhotosLibraryByOldToNewDateAction>);
    addItem(d, d.mainWindowController().issuePhotoMenu, AppDelegate::tr("Sort by Title"),
            &AppDelegate::forward<&MainWindowController::SortAllPhotosLibraryByTitleAction>);
    addItem(d, d.mainWindowController().issuePhotoMenu, AppDelegate::tr("Sort by File Name"),
            &AppDelegate::forward<&MainWindowController::SortAllPhotosLibraryByFileNameAction>);
    addItem(d, d.mainWindowController().issuePhotoMenu, AppDelegate::tr("Sort by File Size"),
            &AppDelegate::forward<&MainWindowController::SortAllPhotosLibraryByFileSizeAction>);
    d.mainWindowController().issuePhotoMenu->addSeparator();
    addItem(d, d.mainWindowController().issuePhotoMenu, AppDelegate::tr("All Photos"),
            &AppDelegate::forward<&MainWindowController::SelectAllPhotosLibraryAction>);
    addItem(d, d.mainWindowController().issuePhotoMenu,
            AppDelegate::tr("All Photos with Differing Metadata"),
            &AppDelegate::forward<&MainWindowController::SelectAllissuesPhotosAction>);
    addItem(d, d.mainWindowController().issuePhotoMenu,
            AppDelegate::tr("Photos with the Same File Name"),
            &AppDelegate::forward<&MainWindowController::SelectSamePhotosNameAction>);
    const std::pair<const char *, void (AppDelegate::*)()> filters[] = {
        {QT_TR_NOOP("All Photos and Videos"),
         &AppDelegate::forward<&MainWindowController::ShowAllItemsBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Live Photos"),
         &AppDelegate::forward<&MainWindowController::ShowLivePhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("JPEG Photos"),
         &AppDelegate::forward<&MainWindowController::ShowJPGPhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("RAW Photos"),
         &AppDelegate::forward<&MainWindowController::ShowRAWPhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("PNG Photos"),
         &AppDelegate::forward<&MainWindowController::ShowPNGPhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Videos"),
         &AppDelegate::forward<&MainWindowController::ShowVideosBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Favorites"),
         &AppDelegate::forward<&MainWindowController::ShowFavortePhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Edited Photos"),
         &AppDelegate::forward<&MainWindowController::ShowEditedPhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Not Downloaded from iCloud"),
         &AppDelegate::forward<&MainWindowController::ShowUnDownloadediCloudPhotoLibraryAction>},
        {nullptr, nullptr},
        {QT_TR_NOOP("Without Title"),
         &AppDelegate::forward<&MainWindowController::ShowNoTitlePhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Without Caption"),
         &AppDelegate::forward<&MainWindowController::ShowNoCaptionPhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Without Keywords"),
         &AppDelegate::forward<&MainWindowController::ShowNoKeywordsPhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("Without Location"),
         &AppDelegate::forward<&MainWindowController::ShowNoLocationPhotoBtninPhotoLibraryAction>},
        {QT_TR_NOOP("In No Album"),
         &AppDelegate::forward<&MainWindowController::ShowNoAlbumPhotoBtninPhotoLibraryAction>},
        {nullptr, nullptr},
        {QT_TR_NOOP("Last 24 Hours"),
         &AppDelegate::forward<&MainWindowController::ShowTwentyfourHoursinPhotoLibraryAction>},
        {QT_TR_NOOP("Last 7 Days"),
         &AppDelegate::forward<&MainWindowController::ShowSevenDaysinPhotoLibraryAction>},
        {QT_TR_NOOP("Last 30 Days"),
         &AppDelegate::forward<&MainWindowController::ShowThirtyDaysinPhotoLibraryAction>},
        {QT_TR_NOOP("Last 90 Days"),
         &AppDelegate::forward<&MainWindowController::ShowNineDaysinPhotoLibraryAction>},
        {QT_TR_NOOP("Last 365 Days"),
         &AppDelegate::forward<&MainWindowController::ShowOneYearDaysinPhotoLibraryAction>},
        {QT_TR_NOOP("Custom Date Range…"),
         &AppDelegate::forward<&MainWindowController::ShowCustomRangeWindow>},
        {nullptr, nullptr},
        {QT_TR_NOOP("Referenced Photos"),
         &AppDelegate::forward<&MainWindowController::ShowReferencePhotosinPhotoLibraryAction>},
        {QT_TR_NOOP("Referenced Photos Whose File Is Missing"),
         &AppDelegate::forward<&MainWindowController::ShowLostReferencePhotosinPhotoLibraryAction>},
    };
    for (const auto &[title, action] : filters) {
        if (title)
            addItem(d, d.mainWindowController().showPhotoTypeMenu, AppDelegate::tr(title), action);
        else
            d.mainWindowController().showPhotoTypeMenu->addSeparator();
    }
    d.mainWindowController().showPhotoTypeMenu->addSeparator();
    // Its submenu is built at the end of each library load.
    d.mainWindowController().albumsFolderMenuItem =
        d.mainWindowController().showPhotoTypeMenu->addAction(AppDelegate::tr("Albums"));
    d.mainWindowController().albumsFolderMenuItem->setObjectName(
        QStringLiteral("albumsFolderMenuItem"));
    d.mainWindowController().albumsFolderMenuItem->setEnabled(false);
    d.mainWindowController().PhotolibQuickMenu =
        newMenu(owner, "PhotolibQuickMenu", AppDelegate::tr("Library Actions"));
    QMenu *quick = d.mainWindowController().PhotolibQuickMenu;
    d.libraryDatabase().addMenuItems(quick);
    quick->addSeparator();
    d.libraryWindows().addRepairItems(quick);
    quick->addSeparator();
    d.libraryWindows().addDeleteItem(quick);
    quick->addSeparator();
    // Duplicate photos of the open library.
    d.duplicateWindow().addFindItem(quick);
    quick->addSeparator();
    {
        // Library exports: copies of the selected photos into the storage folder.
        QMenu *exports = quick->addMenu(AppDelegate::tr("Export"));
        exports->setObjectName(QStringLiteral("libraryExportMenu"));
        d.libraryWindows().addExportItems(exports);
        d.mergeWindow().addMergeItem(exports);
        d.libraryWindows().addShowOriginalItem(exports);
    }
    // Library edits: each item changes the selected library photos at once.
    d.mainWindowController().PhotolibEditExifMenu = newMenu(owner, "PhotolibEditExifMenu");
    QMenu *edits = d.mainWindowController().PhotolibEditExifMenu;
    d.libraryPanels().addFieldItems(edits);
    d.dateWindows().addLibraryDateItem(edits);
    d.libraryPanels().addCopyItems(edits);

    // The main menu's item whose submenu follows the mode, and the import/export item.
    if (d.mainWindowController().quickActionMenu && d.mainWindowController().removeExifMenu)
        d.mainWindowController().quickActionMenu->setMenu(d.mainWindowController().removeExifMenu);
    if (d.mainWindowController().exportandimportActionMenu &&
        d.mainWindowController().importandExportMenu)
        d.mainWindowController().exportandimportActionMenu->setMenu(
            d.mainWindowController().importandExportMenu);

    // The menu bar's Actions follows the mode: the local list's items with Image Output, or
    // the library browser's menus.
    QMenu *actions =
        d.window ? d.window->findChild<QMenu *>(QStringLiteral("actionsMenu")) : nullptr;
    if (!actions)
        return;
    if (d.imageOutput.imageOutputMenu)
        actions->insertMenu(d.mainWindowController().quickActionMenu,
                            d.imageOutput.imageOutputMenu);
    for (QAction *a : actions->actions())
        if (a != d.mainWindowController().quickActionMenu)
            a->setProperty("pkMode", QStringLiteral("local"));
    const std::pair<QMenu *, const char *> library[] = {
        {d.mainWindowController().issuePhotoMenu,
         QT_TRANSLATE_NOOP("AppDelegate", "Sort and Select")},
        {d.mainWindowController().showPhotoTypeMenu, QT_TRANSLATE_NOOP("AppDelegate", "Show")},
        {d.mainWindowController().PhotolibEditExifMenu,
         QT_TRANSLATE_NOOP("AppDelegate", "Edit Library Metadata")}};
    for (const auto &[menu, title] : library) {
        if (!menu)
            continue;
        menu->setTitle(AppDelegate::tr(title));
        QAction *item = actions->insertMenu(d.mainWindowController().quickActionMenu, menu);
        item->setProperty("pkMode", QStringLiteral("library"));
        item->setVisible(false);
    }
}

void AppDelegate::showActionsForMode(bool libraryMode) {
    QMenu *actions = window ? window->findChild<QMenu *>(QStringLiteral("actionsMenu")) : nullptr;
    if (!actions)
        return;
    const QString mode = libraryMode ? QStringLiteral("library") : QStringLiteral("local");
    for (QAction *a : actions->actions()) {
        const QString its = a->property("pkMode").toString();
        if (!its.isEmpty())
            a->setVisible(its == mode);
    }
    if (mainWindowController().quickActionMenu)
        mainWindowController().quickActionMenu->setText(libraryMode ? tr("Library Actions")
                                                                    : tr("Remove Metadata"));
    // The edit shortcut belongs to the edit item in sight: the edit sheet's, hidden in the
    // library mode and so deaf to its key, or the library fields'. Never both at once, or
    // the key would be ambiguous and do nothing.
    const QKeySequence editKey(QStringLiteral("Ctrl+E"));
    if (auto *sheet =
            window->findChild<QAction *>(QStringLiteral("ClickEditPhotoExifDataMenuAction")))
        sheet->setShortcut(libraryMode ? QKeySequence() : editKey);
    if (auto *library = window->findChild<QAction *>(QStringLiteral("StartPhotoLibEditViewAction")))
        library->setShortcut(libraryMode ? editKey : QKeySequence());
}
